#include "LibraryBinding.h"

namespace {

// Windows' text for an error code, as in "The specified module could not be found. (error 126)".
// Windows ends its text with a line break, which the message leaves out.
void AppendWindowsError(MessageText& message, DWORD code) {
  wchar_t text[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                512, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' ')) --length;
  text[length] = L'\0';
  message << (length > 0 ? text : L"Unknown error.") << L" (error " << static_cast<unsigned long>(code) << L")";
}

}  // namespace

const TcxEntryPoints* LibraryBinding::Bind(TcxFunction function, MessageText& error) {
  if (TcxIsBound(entries_, function)) return &entries_;
  if (!library_) {
    library_ = TcxLoadLibrary();
    if (!library_) {
      error << kTcxLibraryFile << L" could not be loaded from the program's folder or the system folder.\n\n";
      AppendWindowsError(error, GetLastError());
      return nullptr;
    }
  }
  if (!TcxBind(library_, function, &entries_)) {
    error << kTcxLibraryFile << L" has no entry point " << TcxInfo(function).decoratedName << L".\n\n";
    AppendWindowsError(error, GetLastError());
    return nullptr;
  }
  return &entries_;
}
