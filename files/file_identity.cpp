#include "files/file_identity.h"

#include <algorithm>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "files/file_io.h"
#include "files/path_text.h"
#include "files/text_rules.h"

namespace corvane {

namespace fs = std::filesystem;

#if defined(_WIN32)
bool IdentityOfHandle(void* handle, FileIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id.device = info.dwVolumeSerialNumber;
  id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}
#else
FileIdentity IdentityOf(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}
#endif

namespace {

#if defined(_WIN32)

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
  for (char& c : key) c = UpperAscii(c);
  return key;
}
#else
void Describe(const fs::path& p, FileTarget& t) {
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return;
  t.exists = true;
  t.regular = S_ISREG(st.st_mode);
  t.identity = IdentityOf(st);
}

const std::string& PathKey(const std::string& path) { return path; }
#endif

}  // namespace

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

}  // namespace corvane
