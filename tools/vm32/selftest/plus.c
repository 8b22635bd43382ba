/* the DLL hello.exe loads from its own folder */
__attribute__((dllexport)) int __stdcall plus(int a, int b) { return a + b; }
