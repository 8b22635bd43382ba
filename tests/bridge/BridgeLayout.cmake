# The 32-bit run's folder for bridge_tests.exe: the test program, the 64-bit library and
# stand-ins and the 64-bit DLL from the win64 build, with the real 32-bit host, library and
# stand-ins in bin64/x86/.
#   cmake -DWIN64_BIN=DIR -DLAYOUT=DIR -DX86_FILES="host|library|..." -P BridgeLayout.cmake
set(from_win64 bridge_tests.exe TarvenK3Cmd.dll IO.dll TarVenCOM.dll bin64/TarvenK3Cmd.dll
    bridge-missing/TarvenK3Cmd.dll bridge-hanging/TarvenK3Cmd.dll bridge-hanging/x86/TarvenK3Host.exe)
file(REMOVE_RECURSE ${LAYOUT})
foreach(file IN LISTS from_win64)
  if(NOT EXISTS ${WIN64_BIN}/${file})
    message(FATAL_ERROR "${WIN64_BIN}/${file} is missing: build the win64 preset first "
                        "(cmake --preset win64 && cmake --build --preset win64 --target bridge_tests)")
  endif()
  get_filename_component(folder ${LAYOUT}/${file} DIRECTORY)
  file(COPY ${WIN64_BIN}/${file} DESTINATION ${folder})
endforeach()
string(REPLACE "|" ";" x86_files "${X86_FILES}")
file(COPY ${x86_files} DESTINATION ${LAYOUT}/bin64/x86)
