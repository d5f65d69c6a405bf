#include "files/output_guard.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/file_io.h"
#include "files/path_text.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

#if defined(__linux__)
// ext4 writes a file that was emptied in place out to the disk when it is closed (its safeguard for
// programs that rewrite files without syncing them, auto_da_alloc). On the thread that closes the
// data file, that made converting over earlier results cost 1.3 times (a 100 MB drawing) to 3 times
// (small drawings) as much as converting into new files. The mark is taken by whichever open file
// of it is closed first: opening the emptied file once more and closing it at once, while it holds
// nothing to write, takes it for nothing. A rewritten data file then reaches the disk as a new one
// does, by the system's usual writeback. (On other file systems this only costs an open and a
// close; a file that cannot be opened for reading keeps the mark.)
void ForgoWriteOutAtClose(int fd) {
  char self[40];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  const int again = ::open(self, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (again >= 0) ::close(again);
}
#endif

}  // namespace

std::string DataFileRefusalText(const std::string& dataPath, ProtectedKind why, std::string_view noun) {
  const std::string head = "the " + std::string(noun) + " " + dataPath;
  if (why == ProtectedKind::kDataFile && noun != kDataFileNoun) {
    return head + " would replace a file written earlier in this run";
  }
  switch (why) {
    case ProtectedKind::kDrawing: return head + " would replace a DXF file";
    case ProtectedKind::kReport: return head + " would replace the report file";
    case ProtectedKind::kConfiguration: return head + " would replace the configuration file in use";
    case ProtectedKind::kProgramFile: return head + " would replace a file of the program";
    case ProtectedKind::kDataFile: return head + " was already written for an earlier file of this run";
  }
  return head;
}

std::string NotARegularFileText(const std::string& dataPath, std::string_view noun) {
  return "the " + std::string(noun) + " " + dataPath + " is not a regular file";
}

std::string OtherNamesText(const std::string& dataPath, std::string_view noun) {
  return "the " + std::string(noun) + " " + dataPath +
         " has other names (hard links), which would lose their content with it";
}

void OutputGuard::Protect(const std::string& path, ProtectedKind kind) {
  Protect(ResolveTarget(path), kind);
}

void OutputGuard::Protect(FileTarget target, ProtectedKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  AddLocked(std::move(target), kind);
}

void OutputGuard::AddLocked(FileTarget target, ProtectedKind kind) {
  index_.Add(target, entries_.size());
  entries_.push_back(Entry{std::move(target), kind});
}

std::optional<ProtectedKind> OutputGuard::Check(const std::string& path,
                                                const FileTarget& target) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return CheckLocked(path, target);
}

std::optional<ProtectedKind> OutputGuard::CheckLocked(const std::string& path,
                                                      const FileTarget& t) const {
  if (NamesDxfFile(path) || NamesDxfFile(t.path)) return ProtectedKind::kDrawing;
  if (const auto first = index_.FindFirst(t)) return entries_[*first].kind;
  return std::nullopt;
}

OpenedDataFile OutputGuard::OpenDataFile(const std::string& path, std::string_view noun) {
  OpenedDataFile result;
  const FileTarget before = resolver_.ResolveNow(path);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto why = CheckLocked(path, before)) {
      result.refusal = DataFileRefusalText(path, *why, noun);
      return result;
    }
  }
  if (before.exists && !before.regular) {
    result.refusal = NotARegularFileText(path, noun);
    return result;
  }

  FileTarget opened = before;
  opened.exists = true;
#if defined(_WIN32)
  // Others may read the data file while it is written, not write it.
  int fd = -1;
  const fs::path native = PathFromText(path);
  if (_wsopen_s(&fd, native.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                _S_IREAD | _S_IWRITE) != 0) {
    result.error = CannotCreateMessage(path, SystemReason(errno));
    return result;
  }
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  opened.regular = GetFileType(handle) == FILE_TYPE_DISK;
  BY_HANDLE_FILE_INFORMATION info;
  if (!opened.regular || !GetFileInformationByHandle(handle, &info) ||
      !IdentityOfHandle(handle, opened.identity)) {
    _close(fd);
    result.refusal = NotARegularFileText(path, noun);
    return result;
  }
  if (info.nNumberOfLinks > 1) {
    _close(fd);
    result.refusal = OtherNamesText(path, noun);
    return result;
  }
#else
  // O_NONBLOCK: a FIFO put there since the check must not hang the run in open().
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    result.error = CannotCreateMessage(path, SystemReason(errno));
    return result;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    result.refusal = NotARegularFileText(path, noun);
    return result;
  }
  // The file is emptied and written where it stands; another name of it (a hard link) would
  // lose its content too, and that file is not this run's to change.
  if (st.st_nlink > 1) {
    ::close(fd);
    result.refusal = OtherNamesText(path, noun);
    return result;
  }
  opened.regular = true;
  opened.identity = IdentityOf(st);
#endif

  // What was opened is judged once more, by its identity: a link changed since the check, a file
  // that appeared, or another job that reached the same file first. The judgement and the record
  // of the file as written are one step, so of two jobs that opened one file only one keeps it,
  // and nothing of it is lost before that is settled. (The opening itself is left outside, where
  // two jobs creating files at the same time do not wait for each other here.)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto why = CheckLocked(path, opened)) {
#if defined(_WIN32)
      _close(fd);
#else
      ::close(fd);
#endif
      result.refusal = DataFileRefusalText(path, *why, noun);
      return result;
    }
    AddLocked(opened, ProtectedKind::kDataFile);
  }

#if defined(_WIN32)
  if (_chsize_s(fd, 0) != 0) {
    const int err = errno;
    _close(fd);
    result.error = CannotCreateMessage(path, SystemReason(err));
    return result;
  }
  result.file = _fdopen(fd, "wb");
#else
  // An empty file is left as it is: on ext4, emptying even an empty file marks it as rewritten in
  // place, and the file system then writes it out to disk at close, one file at a time.
  if (st.st_size != 0) {
    if (::ftruncate(fd, 0) != 0) {
      const int err = errno;
      ::close(fd);
      result.error = CannotCreateMessage(path, SystemReason(err));
      return result;
    }
#if defined(__linux__)
    ForgoWriteOutAtClose(fd);
#endif
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  result.file = ::fdopen(fd, "wb");
#endif
  if (result.file != nullptr) {
    // The writer hands over whole blocks; a stdio buffer would only cost an allocation and a
    // look at the file per data file.
    std::setvbuf(result.file, nullptr, _IONBF, 0);
  }
  if (result.file == nullptr) {
    const int err = errno;
#if defined(_WIN32)
    _close(fd);
#else
    ::close(fd);
#endif
    result.error = CannotCreateMessage(path, SystemReason(err));
    return result;
  }
  return result;
}

}  // namespace corvane
