#include "cli/console_text.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>

#include <string>
#endif

namespace corvane {

bool WriteText(std::FILE* stream, std::string_view text) {
#if defined(_WIN32)
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode) && !text.empty()) {
    std::fflush(stream);
    // Every byte has a character in the ANSI code pages; a byte a code page leaves undefined
    // shows as that code page's replacement.
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, converted.data(), wide);
    DWORD written = 0;
    return WriteConsoleW(console, converted.data(), static_cast<DWORD>(converted.size()), &written, nullptr) != 0;
  }
#endif
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace corvane
