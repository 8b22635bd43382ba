// What each of the panel's fourteen buttons calls: the library's function, the fields whose
// numbers the press reads, and the call itself.
#pragma once

#include <cstdint>

#include "TcxEntryPoints.h"

struct ButtonAction {
  const wchar_t* button;     // the button's control name
  TcxFunction function;      // the library function it calls
  const wchar_t* fields[2];  // the fields read, in argument order; nullptr when unused
  // Calls the function with the fields' numbers (same order as fields) and gives the value to show.
  std::int32_t (*call)(const TcxEntryPoints& library, const std::int32_t* numbers);
};

// The action of the named button; nullptr for a control that is not one of the buttons.
const ButtonAction* FindButtonAction(const wchar_t* button);
