#include "config/program_folder.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace corvane {

std::string ProgramFolder() {
  std::filesystem::path exe;
#if defined(_WIN32)
  char buffer[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(sizeof buffer));
  if (n == 0 || n >= sizeof buffer) return "";
  exe = std::filesystem::path(std::string(buffer, n));
#else
  std::error_code ec;
  exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
#endif
  std::string folder = exe.parent_path().string();
  if (folder.empty()) return "";
  const char sep = static_cast<char>(std::filesystem::path::preferred_separator);
  if (folder.back() != sep) folder += sep;
  return folder;
}

}  // namespace corvane
