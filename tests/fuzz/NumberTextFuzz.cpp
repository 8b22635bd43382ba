// Fuzzes the panel's field conversion: any text either converts to a 32-bit value that reads
// back the same, or is refused; nothing crashes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  const std::optional<std::int32_t> value = FieldNumber(text);
  if (!value) return 0;
  // A converted text holds only blanks, one sign and digits.
  for (wchar_t c : text)
    if (!(c == L' ' || c == L'\t' || c == L'+' || c == L'-' || (c >= L'0' && c <= L'9'))) {
      std::fprintf(stderr, "converted a text with character %u\n", static_cast<unsigned>(c));
      std::abort();
    }
  const std::wstring decimal = std::to_wstring(*value);
  if (FieldNumber(decimal) != value || std::wstring(ReturnValueText(*value).text).rfind(decimal + L" (", 0) != 0) std::abort();
  return 0;
}
