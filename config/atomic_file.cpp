#include "config/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

std::string CreateError(const std::string& path, const std::string& reason) {
  return "Cannot create file \"" + path + "\". " + reason;
}

// A name no other writer of this process uses at the same moment.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(counter.fetch_add(1));
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view content) {
  const std::string temp = TemporaryName(path);
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return CreateError(path, std::generic_category().message(errno));
  bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
  int err = ok ? 0 : errno;
  if (std::fflush(f) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    err = errno;
  }
  std::error_code ec;
  if (!ok) {
    std::filesystem::remove(temp, ec);
    return CreateError(path, std::generic_category().message(err));
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return CreateError(path, ec.message());
  }
  return "";
}

}  // namespace corvane
