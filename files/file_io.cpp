#include "files/file_io.h"

#include <cerrno>
#include <charconv>
#include <system_error>

#ifdef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvane {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
  std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(path.c_str(), wide_mode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::string& reason, std::uint64_t* size) {
#ifdef _WIN32
  std::FILE* file = ::_wfopen(path.c_str(), L"rb");
  if (file == nullptr) {
    reason = SystemReason(errno);
    return nullptr;
  }
  struct _stat64 st {};
  if (::_fstat64(::_fileno(file), &st) != 0) {
    const int err = errno;
    std::fclose(file);
    reason = SystemReason(err);
    return nullptr;
  }
  if ((st.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    reason = (st.st_mode & _S_IFMT) == _S_IFDIR ? SystemReason(EISDIR) : "Not a regular file";
    return nullptr;
  }
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  return file;
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    reason = SystemReason(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    reason = SystemReason(err);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    reason = S_ISDIR(st.st_mode) ? SystemReason(EISDIR) : "Not a regular file";
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    reason = SystemReason(errno);
    ::close(fd);
    return nullptr;
  }
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  return file;
#endif
}

std::string SystemReason(int error_number) {
#ifdef _WIN32
  // A file another program holds open (a spreadsheet showing the data file) fails as EACCES, as
  // a file the user may not write does: the C runtime keeps Windows' own reason beside errno.
  if (error_number == EACCES &&
      (_doserrno == ERROR_SHARING_VIOLATION || _doserrno == ERROR_LOCK_VIOLATION))
    return kFileInUseText;
#endif
  return std::generic_category().message(error_number != 0 ? error_number : EIO);
}

std::string CannotOpenMessage(const std::string& path, const std::string& reason) {
  return "Cannot open file \"" + path + "\". " + reason;
}

std::string CannotCreateMessage(const std::string& path, const std::string& reason) {
  return "Cannot create file \"" + path + "\". " + reason;
}

std::filesystem::path FollowLinks(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  // Enough for any sane chain of links; a loop ends here rather than spinning.
  constexpr int kMaxLinkHops = 40;
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) p = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code canonicalError;
    fs::path c = fs::weakly_canonical(p, canonicalError);
    if (canonicalError) c = p.lexically_normal();
    // weakly_canonical leaves a link that leads nowhere (yet) as it is.
    std::error_code linkError;
    if (fs::is_symlink(fs::symlink_status(c, linkError))) {
      const fs::path next = fs::read_symlink(c, linkError);
      if (linkError) return c;
      p = next.is_absolute() ? next : c.parent_path() / next;
      continue;
    }
    return c;
  }
  return p.lexically_normal();
}

std::string DecimalText(long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace corvane
