/* prints to stdout and stderr, loads plus.dll from beside it, returns argv[1] as its exit code */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
int main(int argc, char **argv) {
    int code = argc > 1 ? atoi(argv[1]) : 0;
    printf("hello from win32, pointer size %u, exit %d\n", (unsigned)sizeof(void *), code);
    fprintf(stderr, "to stderr\n");
    HMODULE m = LoadLibraryA("plus.dll");
    if (!m) { printf("plus.dll not found\n"); return 99; }
    int (__stdcall *plus)(int, int) = (int (__stdcall *)(int, int))GetProcAddress(m, "plus@8");
    if (!plus) plus = (int (__stdcall *)(int, int))GetProcAddress(m, "_plus@8");
    if (!plus) { printf("plus not exported\n"); return 98; }
    printf("plus(2,3)=%d\n", plus(2, 3));
    return code;
}
