#include "engine/folder_listing.h"

#include "files/text_rules.h"

#include <algorithm>
#include <filesystem>

#include "files/path_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace corvane {

namespace {

namespace fs = std::filesystem;

bool IsHidden(const fs::directory_entry& entry) {
  const std::string name = TextOfPath(entry.path().filename());
  if (!name.empty() && name[0] == '.') return true;
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesW(entry.path().c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
    return true;
  }
#endif
  return false;
}

}  // namespace

bool ListingOrder(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

std::vector<std::string> ListDxfFiles(const std::string& folder, std::string& error) {
  error.clear();
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(PathFromText(folder), ec);
  if (ec) {
    error = ec.message();
    return names;
  }
  // Incremented with an error code: a folder that fails half-way must not throw.
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    const std::string name = TextOfPath(entry.path().filename());
    if (!IsDxfName(name) || IsHidden(entry)) continue;
    std::error_code typeError;
    if (entry.is_regular_file(typeError)) names.push_back(name);
  }
  if (ec) {
    error = ec.message();
    names.clear();
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return ListingOrder(a, b); });
  return names;
}

}  // namespace corvane
