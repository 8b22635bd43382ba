#!/bin/bash
# In the 32-bit run, from package-test/win32: the customer program's x64 build (run64/, beside
# the package's bin64/: the 64-bit DLL and in x86/ the 32-bit host and library) must print
# exactly what its 32-bit build (run/) prints. Exit code: that of the x64 build, 1 if they differ.
(cd run && wine ./customer.exe) >customer32.out
(cd run64 && WINEPREFIX="$WINEPREFIX64" WINEARCH=win64 /usr/lib/wine/wine64 ./customer.exe) >customer64.out
rc=$?
cat customer64.out
diff -u customer32.out customer64.out || exit 1
exit $rc
