// What a saved file (the run report, a configuration) must never replace, judged the way data
// files are: by the file a path reaches, so a symlink, ".." or a hard link is no way around.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/output_files.h"
#include "engine/run_plan.h"

namespace corvane {

enum class SavedFileKind { kReport, kConfiguration };

// What a configuration is saved beside: the program's shipped files, the report, and when it is
// saved with a run, that run's drawings, data files and (with plots) pictures.
struct ConfigSaveSurroundings {
  std::vector<std::string> programFiles;
  std::string reportPath;
  const std::vector<PlannedFile>* plan = nullptr;
  bool plots = false;
};

class SaveGuard {
 public:
  // Why a configuration must not be saved at `path`, by either program, before anything is
  // written: everything Check refuses for a configuration, among `around`'s files. A saved
  // configuration of the user's configurations folder is not among them: that is where they are
  // kept, and the window's Save replaces them.
  static std::optional<std::string> CheckConfigurationSave(const std::string& path,
                                                           const ConfigSaveSurroundings& around);

  // `shownPath` is the path a refusal names: for a data file, the drawing it belongs to.
  void Protect(const std::string& path, ProtectedKind kind);
  void Protect(const FileTarget& target, ProtectedKind kind, const std::string& shownPath);
  void ProtectAll(const std::vector<std::string>& paths, ProtectedKind kind);

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
