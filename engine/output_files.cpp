#include "engine/output_files.h"

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

#include "config/file_io.h"
#include "config/path_text.h"
#include "engine/folder_listing.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
bool IdentityOfHandle(HANDLE handle, FileIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id.device = info.dwVolumeSerialNumber;
  id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

void Describe(const fs::path& p, FileTarget& t) {
  const DWORD attributes = GetFileAttributesW(p.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  t.exists = true;
  t.regular = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
  HANDLE h = CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  IdentityOfHandle(h, t.identity);
  CloseHandle(h);
}

// Windows file systems ignore the letter case of "A" to "Z" in names.
std::string PathKey(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return key;
}
#else
FileIdentity IdentityOf(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void Describe(const fs::path& p, FileTarget& t) {
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return;
  t.exists = true;
  t.regular = S_ISREG(st.st_mode);
  t.identity = IdentityOf(st);
}

const std::string& PathKey(const std::string& path) { return path; }
#endif

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

bool NamesDxfFile(std::string_view path) {
  std::size_t cut = path.size();
  while (cut > 0 && path[cut - 1] != '/' && path[cut - 1] != '\\') --cut;
  std::string_view name = path.substr(cut);
#if defined(_WIN32)
  // Windows drops trailing dots and blanks from a name: "plan.dxf." and "plan.dxf " are plan.dxf.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
#endif
  return IsDxfName(name);
}

FileTarget ResolveTarget(const std::string& path) {
  FileTarget t;
  const fs::path p = FollowLinks(PathFromText(path));
  t.path = TextOfPath(p);
  Describe(p, t);
  return t;
}

FileTarget TargetResolver::Resolve(const std::string& path) { return Resolve(path, false); }

FileTarget TargetResolver::ResolveNow(const std::string& path) { return Resolve(path, true); }

FileTarget TargetResolver::Resolve(const std::string& path, bool recheckFolder) {
#if defined(_WIN32)
  (void)recheckFolder;
  return ResolveTarget(path);  // junctions and other reparse points: always the whole way
#else
  const fs::path p(path);
  const fs::path name = p.filename();
  if (name.empty() || name == "." || name == "..") return ResolveTarget(path);
  struct stat st;
  const bool exists = ::lstat(p.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) return ResolveTarget(path);
  const std::string folder = p.parent_path().string();
  const fs::path folderPath = folder.empty() ? fs::path(".") : fs::path(folder);
  FileIdentity folderNow;
  if (recheckFolder) {
    struct stat fst;
    if (::stat(folderPath.c_str(), &fst) != 0) return ResolveTarget(path);
    folderNow = IdentityOf(fst);
  }
  std::string resolvedFolder;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = folders_.find(folder);
    if (it == folders_.end() || (recheckFolder && !(it->second.identity == folderNow))) {
      Folder resolved{FollowLinks(folderPath).string(), {}};
      struct stat fst;
      if (::stat(resolved.resolved.c_str(), &fst) == 0) {
        resolved.identity = IdentityOf(fst);
      }
      it = folders_.insert_or_assign(folder, std::move(resolved)).first;
    }
    resolvedFolder = it->second.resolved;
  }
  FileTarget t;
  t.path = (fs::path(std::move(resolvedFolder)) / name).string();
  if (exists) {
    t.exists = true;
    t.regular = S_ISREG(st.st_mode);
    t.identity = IdentityOf(st);
  }
  return t;
#endif
}

bool SameFile(const FileTarget& a, const FileTarget& b) {
  if (a.exists && b.exists) return a.identity == b.identity;
  return PathKey(a.path) == PathKey(b.path);
}

void FileTargetIndex::Add(const FileTarget& target, std::size_t value) {
  const std::string key = PathKey(target.path);
  byPath_[key].push_back(value);
  if (target.exists) {
    byIdentity_[target.identity].push_back(value);
  } else {
    missingByPath_[key].push_back(value);
  }
}

std::vector<std::size_t> FileTargetIndex::Find(const FileTarget& target) const {
  // An existing file matches existing ones by identity and missing ones by path; a missing one
  // matches every file by path.
  std::vector<std::size_t> found;
  auto take = [&](const auto& map, const auto& key) {
    const auto it = map.find(key);
    if (it != map.end()) found.insert(found.end(), it->second.begin(), it->second.end());
  };
  if (target.exists) {
    take(byIdentity_, target.identity);
    take(missingByPath_, PathKey(target.path));
    std::sort(found.begin(), found.end());
  } else {
    take(byPath_, PathKey(target.path));
  }
  return found;
}

std::optional<std::size_t> FileTargetIndex::FindFirst(const FileTarget& target) const {
  const std::vector<std::size_t> found = Find(target);
  if (found.empty()) return std::nullopt;
  return found.front();
}

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
