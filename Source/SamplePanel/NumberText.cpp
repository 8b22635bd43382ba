#include "NumberText.h"

#include <limits>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Writes the digits of value in base (10 or 16, upper case) at out, most significant first,
// without leading zeros; returns the end of what it wrote.
wchar_t* Digits(std::uint32_t value, std::uint32_t base, wchar_t* out) {
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  wchar_t reversed[10];
  int count = 0;
  do {
    reversed[count++] = kDigits[value % base];
    value /= base;
  } while (value != 0);
  while (count > 0) *out++ = reversed[--count];
  return out;
}

wchar_t* Append(const wchar_t* text, wchar_t* out) {
  while (*text) *out++ = *text++;
  return out;
}

}  // namespace

std::optional<std::int32_t> FieldNumber(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;

  // The magnitude of the most negative value is one more than that of the most positive.
  const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
  std::int64_t magnitude = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    magnitude = magnitude * 10 + (c - L'0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

ReturnText ReturnValueText(std::int32_t value) {
  ReturnText result;
  const auto pattern = static_cast<std::uint32_t>(value);
  wchar_t* out = result.text;
  if (value < 0) *out++ = L'-';
  out = Digits(value < 0 ? 0u - pattern : pattern, 10, out);
  out = Append(L" (", out);
  out = Digits(pattern, 16, out);
  out = Append(L"H)", out);
  *out = L'\0';
  return result;
}
