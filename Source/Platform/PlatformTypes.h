// The few Windows types and calling conventions the library's interfaces use. On Windows they
// come from <windows.h>; the Linux host build (unit tests against the simulator) gets plain
// equivalents, where the calling conventions do not exist.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdint>
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using HANDLE = void*;
using HWND = void*;
#define WINAPI
#define WINAPIV
#endif
