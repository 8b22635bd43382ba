// A host that says it is ready and then never answers, for the bridge's test of a host that
// stops answering.
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc == 4) SetEvent(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(strtoul(argv[3], nullptr, 10))));
  Sleep(INFINITE);
}
