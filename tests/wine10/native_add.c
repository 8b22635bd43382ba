/* The native side of the Wine 10 check: one stdcall function. The 32-bit DLL exports it only by its
   decorated name, as TarvenK3Cmd.dll does; the 64-bit one by that name and its plain one, as the bridge. */
int __stdcall native_add(int a, int b) { return a + b; }
