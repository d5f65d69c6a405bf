// Every file a run writes goes through here, so that no run can replace a file it was not asked
// to write: a drawing, the report, the configuration in use, or another data file of the run.
// Paths are judged by the file they reach (symlinks followed, "." and ".." resolved) and files by
// their identity where they exist, so another spelling of a protected file is no way around.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_identity.h"

namespace corvane {

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
  // Checks the file as opened and, when nothing protects it, records it as written; one step.
  std::optional<ProtectedKind> KeepIfNotProtected(const std::string& path, const FileTarget& opened);

  void AddLocked(FileTarget target, ProtectedKind kind);

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  FileTargetIndex index_;
  TargetResolver resolver_;
};

}  // namespace corvane
