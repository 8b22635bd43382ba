/* calls a stdcall function through a pointer declared cdecl and reports how far the stack pointer moved */
#include <stdio.h>
__attribute__((noinline)) int __stdcall callee(int a, int b) { return a * b; }
typedef int (__cdecl *wrong_fn)(int, int);
__attribute__((noinline)) long moved(wrong_fn f) {
    unsigned long before, after;
    __asm__ volatile("movl %%esp, %0" : "=r"(before));
    volatile int r = f(6, 7);
    __asm__ volatile("movl %%esp, %0" : "=r"(after));
    (void)r;
    return (long)(after - before);
}
int main(void) {
    long d = moved((wrong_fn)(void *)callee);
    printf("stack pointer moved by %ld bytes across one call\n", d);
    return d == 0 ? 0 : 1;
}
