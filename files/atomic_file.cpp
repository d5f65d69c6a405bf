#include "files/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/file_io.h"
#include "files/path_text.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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
// the flush, the sync to disk (when asked for) or the close fails.
bool WriteAndClose(std::FILE* file, std::string_view content, bool toDisk, int& error) {
  bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (!ok) error = errno;
  if (std::fflush(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (toDisk && ok) {
#if defined(_WIN32)
    const int synced = _commit(_fileno(file));
#else
    const int synced = ::fsync(fileno(file));
#endif
    if (synced != 0) {
      ok = false;
      error = errno;
    }
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok;
}

// Read-only as the user sees it: no write permission for anyone (the read-only attribute on
// Windows), or none for this user. Even an administrator's save must not replace such a file.
bool IsReadOnly(const fs::path& p, const fs::file_status& status) {
  const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & writable) == fs::perms::none) return true;
#if defined(_WIN32)
  (void)p;
  return false;
#else
  return ::access(p.c_str(), W_OK) != 0 && errno == EACCES;
#endif
}

std::string WriteThrough(const fs::path& target, const std::string& shownPath,
                         std::string_view content) {
  std::FILE* file = OpenFile(target, "wb");
  if (file == nullptr) return CannotCreateMessage(shownPath, SystemReason(errno));
  int error = 0;
  if (!WriteAndClose(file, content, /*toDisk=*/false, error)) {
    return CannotCreateMessage(shownPath, SystemReason(error));
  }
  return "";
}

// After the rename, the folder entry itself must reach the disk, or a power cut can still
// bring back the old name.
void SyncFolder(const fs::path& folder) {
#if !defined(_WIN32)
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#else
  (void)folder;
#endif
}

// What stands in the way of saving over `target` (reached from `path`): a folder, or a read-only
// file. "" when nothing does.
std::string Obstacle(const std::string& path, const fs::path& target, const fs::file_status& status) {
  if (fs::is_directory(status)) return CannotCreateMessage(path, SystemReason(EISDIR));
  if (fs::is_regular_file(status) && IsReadOnly(target, status)) {
    return CannotCreateMessage(path, SystemReason(EACCES));
  }
  return "";
}

// A FIFO opened for writing waits for a reader, and a device is no place for a file that must be
// read back whole: such a target is refused where only a regular file will do.
std::string NotRegularMessage(const std::string& path) {
  return CannotCreateMessage(path, "Not a regular file");
}

}  // namespace

std::string CheckReplaceable(const std::string& path, SpecialFiles special) {
  std::error_code ignored;
  const fs::file_status named = fs::status(PathFromText(path), ignored);
  const fs::path target = FollowLinks(PathFromText(path));
  const fs::file_status status = fs::status(target, ignored);
  const bool passThrough = fs::exists(named) && !fs::is_regular_file(named) && !fs::is_directory(named);
  if (passThrough || (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))) {
    if (special == SpecialFiles::kRefuse) return NotRegularMessage(path);
    return "";  // written through: no temporary file is needed
  }
  if (std::string obstacle = Obstacle(path, target, status); !obstacle.empty()) return obstacle;
  // The save creates a temporary file beside the target: a folder that forbids that is known
  // now, not after the work whose result it was to hold. The same kind of file is made, and let go.
  fs::path probe;
  int error = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    probe = target;
    probe += TemporarySuffix();
    if (std::FILE* file = OpenFile(probe, "wbx")) {
      std::fclose(file);
      fs::remove(probe, ignored);
      return "";
    }
    error = errno;
    if (error != EEXIST) break;
  }
  return CannotCreateMessage(path, SystemReason(error));
}

std::string WriteFileAtomically(const std::string& path, std::string_view content,
                                SpecialFiles special) {
  std::error_code ignored;
  // A pipe a shell hands over as /dev/fd/N (or /dev/stdout) is reached through a link whose text
  // is no path ("pipe:[N]"): the system opens it, the link's text cannot be followed.
  const fs::file_status named = fs::status(PathFromText(path), ignored);
  if (fs::exists(named) && !fs::is_regular_file(named) && !fs::is_directory(named)) {
    if (special == SpecialFiles::kRefuse) return NotRegularMessage(path);
    return WriteThrough(PathFromText(path), path, content);
  }
  // A link is kept and the file it reaches is saved: replacing the link by a plain file would
  // leave its target stale, and the user named the link because it leads there.
  const fs::path target = FollowLinks(PathFromText(path));
  const fs::file_status oldStatus = fs::status(target, ignored);
  if (std::string obstacle = Obstacle(path, target, oldStatus); !obstacle.empty()) return obstacle;
  // A FIFO, a terminal or a device is written to, never replaced by a file of that name.
  if (fs::exists(oldStatus) && !fs::is_regular_file(oldStatus)) {
    if (special == SpecialFiles::kRefuse) return NotRegularMessage(path);
    return WriteThrough(target, path, content);
  }

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

  if (!WriteAndClose(file, content, /*toDisk=*/true, error)) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, SystemReason(error));
  }

  // A replaced file keeps its permissions rather than taking the defaults of a new one.
  if (fs::is_regular_file(oldStatus)) fs::permissions(temporary, oldStatus.permissions(), ignored);

  std::error_code renamed;
  fs::rename(temporary, target, renamed);
  if (renamed) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, renamed.message());
  }
  SyncFolder(target.parent_path());
  return "";
}

}  // namespace corvane
