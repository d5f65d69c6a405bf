// Whether a run may start: the one place both programs ask before anything is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"
#include "engine/run_plan.h"
#include "engine/run_request.h"

namespace corvane {

// The run button's three refusals, shown as they stand (with their blanks) in an information box.
inline constexpr const char* kSelectEntitiesMessage =
    "  Please, select DXF entities to be processed.  ";
inline constexpr const char* kSelectDataMessage = "  Please, select data to be exported.  ";
inline constexpr const char* kSelectSplinePointsMessage =
    "  Please, select type of points to be exported for the Spline entity.  ";

// The first of the run button's checks that the record and its field rows fail, in their order:
// no entity (or only one sub-option left ticked under an unticked parent), no ticked row with a
// known field code, splines without control or fit points.
std::optional<RunRefusal> CheckSelection(const TExportConfig& config,
                                         const std::vector<FieldRow>& fieldRows);

// Why a run would refuse `forcedZ` as the forced Z value ("The forced Z value "1.2.3" is not a
// number"), or nothing for a number or an empty value (written as 0).
std::optional<std::string> ForcedZProblem(std::string_view forcedZ);

// What a configuration is saved beside: the program's shipped files, the report, and when it is
// saved with a run, that run's drawings, data files and (with plots) pictures.
struct ConfigSaveSurroundings {
  std::vector<std::string> programFiles;
  std::string reportPath;
  const std::vector<PlannedFile>* plan = nullptr;
  bool plots = false;
};

// Why a configuration must not be saved at `path`, by either program, before anything is
// written: everything SaveGuard::Check refuses for a configuration, among `around`'s files. A
// saved configuration of the user's configurations folder is not among them: that is where they
// are kept, and the window's Save replaces them.
std::optional<std::string> CheckConfigurationSave(const std::string& path,
                                                  const ConfigSaveSurroundings& around);

// Every check that decides whether a run may start, in this order: the selection (above), the
// forced Z value (a number, when it is forced on a ticked Z row), the file extension, the hint
// list the report needs, the destination of each drawing (chosen, and an existing folder), and the report path (its folder exists; it names no drawing, data file,
// configuration in use or file of the program; with refuseUnwritableReport, it can be replaced).
// A refused run writes nothing.
std::optional<RunRefusal> CheckRun(const TExportConfig& config, const RunRequest& request);
// The same on a plan of the request made already, so its paths are looked up only once.
std::optional<RunRefusal> CheckRun(const TExportConfig& config, const RunRequest& request,
                                   const std::vector<PlannedFile>& plan);

}  // namespace corvane
