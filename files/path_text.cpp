#include "files/path_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include "files/text_rules.h"

namespace corvane {

std::filesystem::path PathFromText(std::string_view text) {
#if defined(_WIN32)
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
  return std::filesystem::path(std::move(wide));
#else
  return std::filesystem::path(std::string(text));
#endif
}

std::string TextOfPath(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // No "best fit": it would turn "działka.dxf" into "dzialka.dxf", which may be another drawing.
  // "?" is in no Windows file name. The UTF-8 code page takes no such flag, and needs none.
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), n, nullptr, nullptr);
  return text;
#else
  return path.string();
#endif
}

bool IsDxfName(std::string_view name) {
  if (name.size() < 4) return false;
  const std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && SameIgnoringAsciiCase(ext.substr(1), "DXF");
}

bool NamesDxfFile(std::string_view path) {
  std::string_view name = LastPathPart(path);
#if defined(_WIN32)
  // Windows drops trailing dots and blanks from a name: "plan.dxf." and "plan.dxf " are plan.dxf.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
#endif
  return IsDxfName(name);
}

}  // namespace corvane
