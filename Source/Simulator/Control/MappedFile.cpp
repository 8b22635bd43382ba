#include "MappedFile.h"

#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace sim {
namespace {

// Where a window may start: a multiple of Windows' allocation granularity (64 KB), and the size
// of a large page, so the kernel can hold and map the file's new part in large pages (one
// fault each, not one per 4 KB page). A window holds up to one of them of text already there.
constexpr std::size_t kGranularity = std::size_t{2} << 20;
constexpr std::size_t kWindow = 2 * kGranularity;  // mapped at a time
constexpr char kPadding = '\n';  // what the file reads as past the text

// 64 KB of newlines, to write the file's new part from.
struct NewlineBlock {
  char text[64 << 10];
  NewlineBlock() { std::memset(text, kPadding, sizeof(text)); }
};
constexpr std::size_t kBlock = sizeof(NewlineBlock::text);

// Per system: the file at path created or emptied (-1 when it cannot be, as a descriptor and
// as INVALID_HANDLE_VALUE); its bytes from to end (multiples of kGranularity) written as
// newlines; the file cut to length and closed (should the cut fail, the file keeps its
// newlines past the text: still whole).
#ifdef _WIN32

// The path is in the ANSI code page, as the C library's fopen takes it; readers may open the
// file meanwhile.
std::intptr_t CreateEmpty(const std::string& path) {
  return reinterpret_cast<std::intptr_t>(CreateFileA(
      path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteNewlines(HANDLE file, std::uint64_t from, std::uint64_t end) {
  static const NewlineBlock block;
  for (; from < end; from += kBlock) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(from);
    at.OffsetHigh = static_cast<DWORD>(from >> 32);
    DWORD written = 0;
    if (!WriteFile(file, block.text, kBlock, &written, &at) || written != kBlock) return false;
  }
  return true;
}

void CutAndClose(std::intptr_t handle, std::uint64_t length) {
  HANDLE file = reinterpret_cast<HANDLE>(handle);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
  CloseHandle(file);
}

#else

std::intptr_t CreateEmpty(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

// One write per large page, so the kernel makes it in one piece.
bool WriteNewlines(int fd, std::uint64_t from, std::uint64_t end) {
  static const NewlineBlock block;
  iovec largePage[kGranularity / kBlock];
  for (iovec& piece : largePage) piece = {const_cast<char*>(block.text), kBlock};
  constexpr int kPieces = sizeof(largePage) / sizeof(largePage[0]);
  for (; from < end; from += kGranularity)
    if (pwritev(fd, largePage, kPieces, static_cast<off_t>(from)) != ssize_t{kGranularity})
      return false;
  return true;
}

void CutAndClose(std::intptr_t fd, std::uint64_t length) {
  if (ftruncate(static_cast<int>(fd), static_cast<off_t>(length)) != 0) {
    // kept whole, as above
  }
  close(static_cast<int>(fd));
}

#endif

}  // namespace

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this == &other) return *this;
  Close();
  m_ = std::exchange(other.m_, Mapping{});
  return *this;
}

char* MappedFile::Grow(std::size_t length) {
  // A window starts at most kGranularity before the text's end: the rest is room.
  if (!IsOpen() || length > kWindow - kGranularity) return nullptr;
  const std::uint64_t text = Length();
  if (!Map(text - text % kGranularity)) return nullptr;
  return m_.end;
}

bool MappedFile::Map(std::uint64_t offset) {
  const std::uint64_t text = Length();
  Unmap();
  m_.viewOffset = text;  // Length() while no window is mapped
  const std::uint64_t windowEnd = offset + kWindow;
  // The file is extended by writing newlines there before it is mapped: the file holds its
  // blocks before the map is stored to (a full disk fails here, not as a fault in a later
  // store), and a reader never sees its new part as NUL bytes.
  void* view = nullptr;
#ifdef _WIN32
  HANDLE file = reinterpret_cast<HANDLE>(m_.file);
  if (!WriteNewlines(file, m_.size, windowEnd)) return false;
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  if (!mapping) return false;
  view = MapViewOfFile(mapping, FILE_MAP_WRITE, static_cast<DWORD>(offset >> 32),
                       static_cast<DWORD>(offset), kWindow);
  CloseHandle(mapping);  // the view holds it
  if (!view) return false;
#else
  const int fd = static_cast<int>(m_.file);
  if (!WriteNewlines(fd, m_.size, windowEnd)) return false;
  view = mmap(nullptr, kWindow, PROT_READ | PROT_WRITE, MAP_SHARED, fd, static_cast<off_t>(offset));
  if (view == MAP_FAILED) return false;
#endif
  m_.view = static_cast<char*>(view);
  m_.limit = m_.view + kWindow;
  m_.end = m_.view + (text - offset);
  m_.viewOffset = offset;
  // Its new part stored to once more, now: the first store to each page of a map costs a
  // fault (on a virtual machine, an exit to the host, several us), and so it is made here,
  // once per window, rather than in the middle of a transfer.
  std::memset(m_.view + (m_.size - offset), kPadding, static_cast<std::size_t>(windowEnd - m_.size));
  m_.size = windowEnd;
  return true;
}

void MappedFile::Unmap() {
  if (!m_.view) return;
#ifdef _WIN32
  UnmapViewOfFile(m_.view);
#else
  munmap(m_.view, kWindow);
#endif
  m_.view = m_.end = m_.limit = nullptr;
}

bool MappedFile::Open(const std::string& path) {
  Close();
  m_.file = CreateEmpty(path);
  if (!IsOpen()) return false;
  m_.size = m_.viewOffset = 0;
  if (Map(0)) return true;
  Close();
  return false;
}

void MappedFile::Close() {
  if (!IsOpen()) return;
  const std::uint64_t text = Length();
  Unmap();
  CutAndClose(m_.file, text);
  m_.file = kNoFile;
  m_.size = m_.viewOffset = 0;
}

}  // namespace sim
