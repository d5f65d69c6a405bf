#include "config/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "config/file_io.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// A suffix unlikely to be taken by another writer, in this process or another; the file is
// created exclusively anyway, so a clash only costs another try.
std::string TemporarySuffix() {
  static std::atomic<unsigned> counter{0};
  const auto ticks = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  unsigned long long mixed = ticks * 0x9E3779B97F4A7C15ull + counter.fetch_add(1);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string suffix = ".";
  for (int i = 0; i < 12; ++i, mixed >>= 4) suffix += kHex[mixed & 0xF];
  return suffix + ".tmp";
}

// Writes everything and closes the file; false with errno's value in `error` when any write,
// the flush or the close fails.
bool WriteAndClose(std::FILE* file, std::string_view content, int& error) {
  bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (!ok) error = errno;
  if (std::fflush(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok;
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view content) {
  const fs::path target(path);
  fs::path temporary;
  std::FILE* file = nullptr;
  int error = 0;
  for (int attempt = 0; attempt < 8 && file == nullptr; ++attempt) {
    temporary = target;
    temporary += TemporarySuffix();
    file = OpenFile(temporary, "wbx");
    if (file == nullptr) {
      error = errno;
      if (error != EEXIST) break;
    }
  }
  if (file == nullptr) return CannotCreateMessage(path, SystemReason(error));

  std::error_code ignored;
  if (!WriteAndClose(file, content, error)) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, SystemReason(error));
  }

  // A replaced file keeps its permissions rather than taking the defaults of a new one.
  const fs::file_status oldStatus = fs::status(target, ignored);
  if (fs::is_regular_file(oldStatus)) fs::permissions(temporary, oldStatus.permissions(), ignored);

  std::error_code renamed;
  fs::rename(temporary, target, renamed);
  if (renamed) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, renamed.message());
  }
  return "";
}

}  // namespace corvane
