// Which file a path reaches, and whether two paths reach the same one: by the file's identity where
// it exists, by its resolved path where it does not. Every guard about what may be written judges
// paths this way, so another spelling of a file (a symlink, "." and "..", a hard link) is no way
// around it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#if !defined(_WIN32)
struct stat;
#endif

namespace corvane {

// Which file on which volume: device and inode here, volume serial and file index on Windows.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of a file already open: from its stat record, or on Windows from its handle
// (false when the system does not tell).
#if defined(_WIN32)
bool IdentityOfHandle(void* handle, FileIdentity& id);
#else
FileIdentity IdentityOf(const struct stat& st);
#endif

// The file a path reaches: its absolute, normalised path with every symlink followed (as far as
// the parts exist), whether something exists there, and if so its identity and kind.
struct FileTarget {
  std::string path;
  bool exists = false;
  bool regular = false;
  FileIdentity identity;
};

FileTarget ResolveTarget(const std::string& path);

// ResolveTarget for many files in few folders: each folder is resolved once, and then only a
// name that is itself a link takes the whole way. A run over thousands of drawings in one folder
// would otherwise follow every part of the folder's path again for each of them.
class TargetResolver {
 public:
  FileTarget Resolve(const std::string& path);
  // The same, for a run that is under way: the folder is looked at again, and resolved again when
  // it is no longer the folder it was (replaced by a link elsewhere, say).
  FileTarget ResolveNow(const std::string& path);

 private:
  struct Folder {
    std::string resolved;
    FileIdentity identity;
  };
  FileTarget Resolve(const std::string& path, bool recheckFolder);

  std::mutex mutex_;
  std::unordered_map<std::string, Folder> folders_;  // as written -> resolved
};

// Same file: by identity when both exist, else by the resolved path (letter case ignored where
// the file system ignores it).
bool SameFile(const FileTarget& a, const FileTarget& b);

// Many files, found by SameFile without comparing against each: a run over thousands of
// drawings must not compare every data file with every other. Values are positions the caller
// gives to Add.
class FileTargetIndex {
 public:
  void Add(const FileTarget& target, std::size_t value);
  // The values of every added target that is the same file as `target`, in the order added.
  std::vector<std::size_t> Find(const FileTarget& target) const;
  // The first such value, if any.
  std::optional<std::size_t> FindFirst(const FileTarget& target) const;

 private:
  struct IdentityHash {
    std::size_t operator()(const FileIdentity& id) const {
      return std::hash<std::uint64_t>()(id.index * 0x9E3779B97F4A7C15ull ^ id.device);
    }
  };
  // Existing files by identity; every file by its resolved path (letter case folded where the
  // file system ignores it), and apart those that did not exist when added.
  std::unordered_map<FileIdentity, std::vector<std::size_t>, IdentityHash> byIdentity_;
  std::unordered_map<std::string, std::vector<std::size_t>> byPath_;
  std::unordered_map<std::string, std::vector<std::size_t>> missingByPath_;
};

}  // namespace corvane
