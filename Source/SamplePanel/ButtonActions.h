// What each of the panel's fourteen buttons calls: the library's entry point, the fields whose
// numbers the press reads, and the call itself with the entry point's exact type.
#pragma once

#include <windows.h>

#include <cstdint>

struct ButtonAction {
  const wchar_t* button;     // the button's control name
  const char* symbol;        // the entry point's exported name
  const wchar_t* fields[2];  // the fields read, in argument order; nullptr when unused
  // Calls entry with the fields' numbers (same order as fields) and gives the value to show.
  std::int32_t (*call)(FARPROC entry, const std::int32_t* numbers);
};

// The action of the named button; nullptr for a control that is not one of the buttons.
const ButtonAction* FindButtonAction(const wchar_t* button);
