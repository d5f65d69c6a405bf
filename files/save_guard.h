// What a saved file (the run report, a configuration) must never replace, judged the way data
// files are: by the file a path reaches, so a symlink, ".." or a hard link is no way around.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/file_identity.h"
#include "files/output_guard.h"

namespace corvane {

enum class SavedFileKind { kReport, kConfiguration };

class SaveGuard {
 public:
  // `shownPath` is the path a refusal names: for a data file, the drawing it belongs to.
  void Protect(const std::string& path, ProtectedKind kind);
  void Protect(const FileTarget& target, ProtectedKind kind, const std::string& shownPath);
  void ProtectAll(const std::vector<std::string>& paths, ProtectedKind kind);
  // A picture a run writes beside the data file of the drawing `shownPath`.
  void ProtectPlot(const FileTarget& target, const std::string& shownPath);

  // Why `path` must not be saved, as a sentence that names it and the reason (no final full
  // stop), or nothing: its folder is missing, it is named like a DXF file, it is one of the
  // protected files, or (with refuseUnreplaceable) it is a folder, a read-only file or in a folder
  // where no file can be created. A configuration is refused also when it is not a regular file.
  std::optional<std::string> Check(const std::string& path, SavedFileKind kind,
                                   bool refuseUnreplaceable = true) const;

 private:
  struct Entry {
    FileTarget target;
    ProtectedKind kind;
    std::string shownPath;
    bool plot = false;  // a picture the run writes beside the data file of shownPath
  };
  std::vector<Entry> entries_;
};

}  // namespace corvane
