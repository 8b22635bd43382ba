#include "NumberText.h"

#include <limits>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring UpperHex(std::uint32_t pattern) {
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  do {
    text.insert(text.begin(), kDigits[pattern & 0xF]);
    pattern >>= 4;
  } while (pattern != 0);
  return text;
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

std::wstring ReturnValueText(std::int32_t value) {
  return std::to_wstring(value) + L" (" + UpperHex(static_cast<std::uint32_t>(value)) + L"H)";
}
