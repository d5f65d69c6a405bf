#include "engine/run_checks.h"

#include <filesystem>
#include <system_error>

#include "config/field_tables.h"
#include "config/lookup_lists.h"
#include "engine/data_line.h"
#include "engine/report_text.h"
#include "engine/run_outputs.h"
#include "files/path_text.h"
#include "files/save_guard.h"
#include "files/text_rules.h"

namespace corvane {

namespace {

RunRefusal Information(std::string message) {
  return RunRefusal{RunRefusal::Kind::kInformation, std::move(message)};
}

RunRefusal Error(std::string message) {
  return RunRefusal{RunRefusal::Kind::kError, std::move(message)};
}

// A row exports something only when it is ticked and its text starts with a field code: a
// hand-edited field-name list can hold rows that name no field at all.
bool AnyFieldExported(const std::vector<FieldRow>& rows) {
  for (const FieldRow& row : rows) {
    if (row.checked && !row.text.empty() && FieldKindOfCode(row.text[0]) != nullptr) return true;
  }
  return false;
}

std::optional<RunRefusal> CheckExtension(const TExportConfig& config) {
  if (IsUsableExtension(config.FileExtension.view())) return std::nullopt;
  return Error("The file extension \"" + std::string(config.FileExtension.view()) +
               "\" cannot be used: it contains a character that is not allowed in a file name");
}

// A forced Z value that is not a number fails the first data line of every drawing: found here,
// the user mends one box instead of reading a report of empty data files. Only a value that
// reaches a line counts: with "Force to" off, or no ticked Z row, the run never formats it.
std::optional<RunRefusal> CheckForcedZ(const TExportConfig& config,
                                       const std::vector<FieldRow>& fieldRows) {
  if (!config.ForceZ) return std::nullopt;
  std::optional<std::string> problem = ForcedZProblem(config.ForcedZValue.view());
  if (!problem) return std::nullopt;
  for (const FieldRow& row : fieldRows) {
    if (row.checked && !row.text.empty() && row.text[0] == 'Z') return Error(std::move(*problem));
  }
  return std::nullopt;
}

// A drawing's data file goes to the folder chosen for it. Writing beside the drawing needs no
// look: that folder is there when the drawing is, and a missing drawing is the run's own report
// line. Any other folder must exist, and an empty one was never chosen: it would be whatever
// folder the program happens to run in.
std::optional<RunRefusal> CheckDestinations(const RunRequest& request) {
  const std::string* checked = nullptr;
  for (const InputFile& file : request.files) {
    if (file.destFolder == file.dxfFolder) continue;
    if (file.destFolder.empty()) {
      return Information("No destination folder is chosen for the data files.");
    }
    if (checked && *checked == file.destFolder) continue;
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(PathFromText(file.destFolder), ec);
    if (!std::filesystem::exists(st)) {
      return Error("The destination folder \"" + file.destFolder + "\" does not exist");
    }
    if (!std::filesystem::is_directory(st)) {
      return Error("The destination \"" + file.destFolder + "\" is not a folder");
    }
    checked = &file.destFolder;
  }
  return std::nullopt;
}

// The drawings of a run and what it writes for each: a saved file replaces none of them.
void ProtectPlan(SaveGuard& guard, const std::vector<PlannedFile>& plan, bool plots) {
  for (const PlannedFile& file : plan) {
    guard.Protect(file.dxfTarget, ProtectedKind::kDrawing, file.dxfPath);
    guard.Protect(file.dataTarget, ProtectedKind::kDataFile, file.dxfPath);
    if (plots) guard.ProtectPlot(ResolveTarget(PlotFilePath(file.dataPath)), file.dxfPath);
  }
}

// The report must not take the place of anything the run reads or writes, and its folder must
// be there before hours of converting, not after.
std::optional<RunRefusal> CheckReport(const RunRequest& request,
                                      const std::vector<PlannedFile>& plan) {
  if (request.reportPath.empty()) return std::nullopt;
  SaveGuard guard;
  guard.ProtectAll(request.configPaths, ProtectedKind::kConfiguration);
  guard.ProtectAll(request.programFiles, ProtectedKind::kProgramFile);
  ProtectPlan(guard, plan, /*plots=*/false);
  if (auto problem =
          guard.Check(request.reportPath, SavedFileKind::kReport, request.refuseUnwritableReport)) {
    return Error(std::move(*problem));
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckConfigurationSave(const std::string& path,
                                                  const ConfigSaveSurroundings& around) {
  SaveGuard guard;
  guard.ProtectAll(around.programFiles, ProtectedKind::kProgramFile);
  guard.Protect(around.reportPath, ProtectedKind::kReport);
  if (around.plan != nullptr) ProtectPlan(guard, *around.plan, around.plots);
  return guard.Check(path, SavedFileKind::kConfiguration);
}

std::optional<std::string> ForcedZProblem(std::string_view forcedZ) {
  if (ForcedZIsNumber(forcedZ)) return std::nullopt;
  // The report line's text, as the sentence of a box.
  std::string message = ForcedZNotANumberText(forcedZ);
  message[0] = 'T';
  return message;
}

std::optional<RunRefusal> CheckSelection(const TExportConfig& config,
                                         const std::vector<FieldRow>& fieldRows) {
  using namespace entity_bit;
  // Nothing, or one sub-option left ticked under an unticked parent, converts nothing.
  const std::uint32_t mask = config.EntityMask;
  if (mask == 0 || mask == EntityBitValue(kAdded2D) || mask == EntityBitValue(kAdded3D) ||
      mask == EntityBitValue(kControlPoints) || mask == EntityBitValue(kThreePointsOnly)) {
    return Information(kSelectEntitiesMessage);
  }
  if (!AnyFieldExported(fieldRows)) return Information(kSelectDataMessage);
  if ((mask & EntityBitValue(kSplines)) &&
      !(mask & (EntityBitValue(kControlPoints) | EntityBitValue(kFitPoints)))) {
    return Information(kSelectSplinePointsMessage);
  }
  return std::nullopt;
}

namespace {

// Everything that needs no look-up of the drawings' and data files' paths.
std::optional<RunRefusal> CheckBeforePlan(const TExportConfig& config, const RunRequest& request) {
  if (auto refusal = CheckSelection(config, request.lists.fieldRows)) return refusal;
  if (auto refusal = CheckForcedZ(config, request.lists.fieldRows)) return refusal;
  if (auto refusal = CheckExtension(config)) return refusal;
  if (request.lists.hintLines.size() < kHintLines) {
    return Error("The hint list holds " + std::to_string(request.lists.hintLines.size()) +
                 " lines; the report needs " + std::to_string(kHintLines));
  }
  return CheckDestinations(request);
}

}  // namespace

std::optional<RunRefusal> CheckRun(const TExportConfig& config, const RunRequest& request,
                                   const std::vector<PlannedFile>& plan) {
  if (auto refusal = CheckBeforePlan(config, request)) return refusal;
  return CheckReport(request, plan);
}

std::optional<RunRefusal> CheckRun(const TExportConfig& config, const RunRequest& request) {
  // The paths are looked up only for a request that passes everything else.
  if (auto refusal = CheckBeforePlan(config, request)) return refusal;
  return CheckReport(request, PlanFiles(config, request));
}

}  // namespace corvane
