#include "engine/run_outputs.h"

#include <filesystem>

#include "files/text_rules.h"

namespace corvane {

void ProtectRunFiles(OutputGuard& guard, const std::vector<PlannedFile>& plan, const RunRequest& request) {
  for (const PlannedFile& p : plan) guard.Protect(p.dxfTarget, ProtectedKind::kDrawing);
  if (!request.reportPath.empty()) guard.Protect(request.reportPath, ProtectedKind::kReport);
  for (const std::string& config : request.configPaths) guard.Protect(config, ProtectedKind::kConfiguration);
  for (const std::string& programFile : request.programFiles) {
    guard.Protect(programFile, ProtectedKind::kProgramFile);
  }
}

std::unique_ptr<OutputGuard> GuardBesideRun(const std::vector<PlannedFile>& plan, const RunRequest& request,
                                            const std::vector<std::string>& dataFiles) {
  auto guard = std::make_unique<OutputGuard>();
  ProtectRunFiles(*guard, plan, request);
  for (const std::string& dataFile : dataFiles) {
    if (!dataFile.empty()) guard->Protect(dataFile, ProtectedKind::kDataFile);
  }
  return guard;
}

std::string PlotFilePath(const std::string& dataPath) {
  // The data file's name is the drawing's name up to its first dot, a dot and the extension; the
  // extension holds no separator, so the name starts behind the last one.
  const std::size_t nameStart = dataPath.size() - LastPathPart(dataPath).size();
  const std::size_t dot = dataPath.find('.', nameStart);
  return dataPath.substr(0, dot) + ".svg";
}

}  // namespace corvane
