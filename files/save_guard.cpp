#include "files/save_guard.h"

#include <filesystem>
#include <system_error>

#include "files/atomic_file.h"
#include "files/path_text.h"

namespace corvane {

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

const char* Noun(SavedFileKind kind) {
  return kind == SavedFileKind::kReport ? "report file" : "configuration file";
}

std::string Reason(ProtectedKind why, const std::string& shownPath) {
  switch (why) {
    case ProtectedKind::kDrawing: return "is the drawing " + Quoted(shownPath) + " of this run";
    case ProtectedKind::kDataFile: return "is the data file of " + Quoted(shownPath);
    case ProtectedKind::kReport: return "is the report file";
    case ProtectedKind::kConfiguration: return "is the configuration file in use";
    case ProtectedKind::kProgramFile: return "is a file of the program";
  }
  return "is protected";
}

}  // namespace

void SaveGuard::Protect(const std::string& path, ProtectedKind kind) {
  if (!path.empty()) entries_.push_back(Entry{ResolveTarget(path), kind, path});
}

void SaveGuard::Protect(const FileTarget& target, ProtectedKind kind, const std::string& shownPath) {
  entries_.push_back(Entry{target, kind, shownPath});
}

void SaveGuard::ProtectPlot(const FileTarget& target, const std::string& shownPath) {
  entries_.push_back(Entry{target, ProtectedKind::kDataFile, shownPath, true});
}

void SaveGuard::ProtectAll(const std::vector<std::string>& paths, ProtectedKind kind) {
  for (const std::string& path : paths) Protect(path, kind);
}

std::optional<std::string> SaveGuard::Check(const std::string& path, SavedFileKind kind,
                                            bool refuseUnreplaceable) const {
  const std::string head = std::string("The ") + Noun(kind) + " " + Quoted(path);
  const FileTarget target = ResolveTarget(path);
  std::error_code ec;
  const std::filesystem::path folder = PathFromText(target.path).parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    return std::string("The folder of the ") + Noun(kind) + " " + Quoted(path) + " does not exist";
  }
  // A slip of the keyboard must not cost a drawing, whether or not it belongs to this run.
  if (NamesDxfFile(path) || NamesDxfFile(target.path)) return head + " would replace a DXF file";
  for (const Entry& entry : entries_) {
    if (!SameFile(target, entry.target)) continue;
    if (entry.plot) return head + " is the plot file of " + Quoted(entry.shownPath);
    return head + " " + Reason(entry.kind, entry.shownPath);
  }
  if (refuseUnreplaceable || kind == SavedFileKind::kConfiguration) {
    std::string problem = CheckReplaceable(
        path, kind == SavedFileKind::kConfiguration ? SpecialFiles::kRefuse : SpecialFiles::kWriteThrough);
    if (!problem.empty()) return problem;
  }
  return std::nullopt;
}

}  // namespace corvane
