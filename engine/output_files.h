// Every file a run writes goes through here, so that no run can replace a file it was not asked
// to write: a drawing, the report, the configuration in use, or another data file of the run.
// Paths are judged by the file they reach (symlinks followed, "." and ".." resolved) and files by
// their identity where they exist, so another spelling of a protected file is no way around.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

// Which file on which volume: device and inode here, volume serial and file index on Windows.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

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

// What a data file must never replace, and the words the report uses for it.
enum class ProtectedKind { kDrawing, kReport, kConfiguration, kProgramFile, kDataFile };

// What the guard calls the file it opens in its messages: a run's data file, or another file a run
// writes beside it by the same rule (a plot).
inline constexpr std::string_view kDataFileNoun = "data file";

// Why a data file was not written: the text between "*** Error, " and " ***". For another noun, a
// file written earlier in the run is named as such (a plot may meet a data file of the run).
std::string DataFileRefusalText(const std::string& dataPath, ProtectedKind why,
                                std::string_view noun = kDataFileNoun);
std::string NotARegularFileText(const std::string& dataPath, std::string_view noun = kDataFileNoun);
// A file with more than one name is never emptied in place: its other names are not the run's.
std::string OtherNamesText(const std::string& dataPath, std::string_view noun = kDataFileNoun);

// An opened data file, or why there is none. `refusal` is a report line's text (the file is not
// converted and the run goes on); when both are empty the file could not be created and `error`
// holds the "Cannot create file" text that ends the run.
struct OpenedDataFile {
  std::FILE* file = nullptr;
  std::string refusal;
  std::string error;
};

// The run's list of protected files. Safe to use from several jobs at once.
class OutputGuard {
 public:
  void Protect(const std::string& path, ProtectedKind kind);
  void Protect(FileTarget target, ProtectedKind kind);

  // What `target` would replace, if anything protected. A name ending in ".dxf" in any letter case
  // (as given or as reached) counts as a drawing.
  std::optional<ProtectedKind> Check(const std::string& path, const FileTarget& target) const;

  // Opens the data file at `path` for writing: refused when Check finds a reason, something
  // other than a regular file is there, or the file has other names (hard links); otherwise
  // opened without truncating, judged again by the file actually opened and added to the run's
  // written data files, and only then emptied.
  // `noun` names the file in refusals (kDataFileNoun, "plot file").
  OpenedDataFile OpenDataFile(const std::string& path, std::string_view noun = kDataFileNoun);

 private:
  struct Entry {
    FileTarget target;
    ProtectedKind kind;
  };
  std::optional<ProtectedKind> CheckLocked(const std::string& path, const FileTarget& t) const;

  void AddLocked(FileTarget target, ProtectedKind kind);

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  FileTargetIndex index_;
  TargetResolver resolver_;
};

// True when the last part of `path` ends in ".dxf" in any letter case.
bool NamesDxfFile(std::string_view path);

}  // namespace corvane
