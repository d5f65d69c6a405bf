#include "config/program_folder.h"

#include <filesystem>
#include <string>

#include "files/path_text.h"
#include "files/text_rules.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace corvane {

std::string ProgramFolder() {
  std::filesystem::path exe;
#if defined(_WIN32)
  // The wide call: the 8-bit one gives "?" for a folder name outside the ANSI code page, which
  // TextOfPath below gives too, but only after the whole long path has been read.
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return "";
  buffer.resize(n);
  exe = std::filesystem::path(std::move(buffer));
#else
  std::error_code ec;
  exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
#endif
  std::string folder = TextOfPath(exe.parent_path());
  if (folder.empty()) return "";
  return WithSeparator(folder);
}

}  // namespace corvane
