// A message of the panel, put together piece by piece in a fixed buffer: the library's errors
// and the fields' complaints are a few lines each. What would not fit is cut off.
#pragma once

#include <cstddef>

class MessageText {
 public:
  MessageText& operator<<(const wchar_t* text) {
    while (*text) Put(*text++);
    return *this;
  }
  // Exported names are plain ASCII.
  MessageText& operator<<(const char* ascii) {
    while (*ascii) Put(static_cast<unsigned char>(*ascii++));
    return *this;
  }
  MessageText& operator<<(unsigned long number) {
    wchar_t reversed[10];
    int count = 0;
    do {
      reversed[count++] = static_cast<wchar_t>(L'0' + number % 10);
      number /= 10;
    } while (number != 0);
    while (count > 0) Put(reversed[--count]);
    return *this;
  }
  const wchar_t* c_str() const { return text_; }

 private:
  void Put(wchar_t c) {
    if (length_ + 1 < kCapacity) text_[length_++] = c;
    text_[length_] = L'\0';
  }
  static constexpr std::size_t kCapacity = 1024;
  wchar_t text_[kCapacity] = {};
  std::size_t length_ = 0;
};
