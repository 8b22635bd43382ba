/* sleeps argv[1] seconds: for the time limits */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char **argv) { int s = argc > 1 ? atoi(argv[1]) : 1000; printf("sleeping %d s\n", s); fflush(stdout); Sleep(s * 1000); return 0; }
