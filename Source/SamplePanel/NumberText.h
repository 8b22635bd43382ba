// The panel's number text: what a field's text means as a number, and how a returned value is
// shown in the result label.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A field's text as a signed 32-bit decimal number: blanks around it, an optional sign, then
// digits only. Empty for any other text and for values outside -2147483648..2147483647.
std::optional<std::int32_t> FieldNumber(std::wstring_view text);

// The result label's text: the value in decimal, then its 32-bit two's-complement pattern in
// upper-case hexadecimal without leading zeros, as in "9890 (26A2H)" or "-1 (FFFFFFFFH)".
// The longest, "-2147483648 (80000000H)", has 23 characters.
struct ReturnText {
  wchar_t text[24];
};
ReturnText ReturnValueText(std::int32_t value);
