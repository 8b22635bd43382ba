// A text file written through a shared memory map: appending is a copy into memory, and the
// page cache shows it to any reader at once, with no system call per write. The file is mapped
// a window (4 MB) at a time; when the text reaches the window's end, the file grows by newlines
// written to it and the next window, which begins in the text's last 2 MB, is mapped.
//
// Until Close the part of the file past the text reads as newlines, never as NUL bytes, so a
// text format that ignores trailing whitespace is whole at every point. Close cuts the file
// to the text's exact length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(MappedFile&& other) noexcept { *this = static_cast<MappedFile&&>(other); }
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { Close(); }

  // Creates the file at path, or empties it, and maps its first window (closing one open
  // before). False when it cannot be created or mapped.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_.file != kNoFile; }
  // Closes the file, cut to the text's length; nothing when none is open.
  void Close();

  // Where the next length characters of text go, with room for them; the text grows by
  // what the caller wrote there once it calls Extend with the end. Null when the file is not
  // open or cannot grow (the disk is full).
  char* Room(std::size_t length) {
    return length <= static_cast<std::size_t>(m_.limit - m_.end) ? m_.end : Grow(length);
  }
  void Extend(char* end) { m_.end = end; }
  std::uint64_t Length() const { return m_.viewOffset + static_cast<std::uint64_t>(m_.end - m_.view); }

 private:
  static constexpr std::intptr_t kNoFile = -1;  // as a descriptor, and as a Windows handle

  char* Grow(std::size_t length);
  bool Map(std::uint64_t offset);  // the window at offset, the file extended to hold it
  void Unmap();

  // Where the file and its window are: a plain value, moved whole.
  struct Mapping {
    std::intptr_t file = kNoFile;   // a descriptor, or a HANDLE on Windows
    std::uint64_t size = 0;         // the file's length: the text, then newlines
    std::uint64_t viewOffset = 0;   // where in the file view starts
    char* view = nullptr;           // the mapped window
    char* end = nullptr;            // the text's end, in the window
    char* limit = nullptr;          // the window's end
  };
  Mapping m_;
};

}  // namespace sim
