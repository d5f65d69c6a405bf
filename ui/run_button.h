// The run button's own checks, before anything is handed to the conversion run.
#pragma once

#include <QString>
#include <optional>

#include "config/export_config.h"

class QWidget;

namespace corvane {

inline constexpr const char* kSelectEntitiesMessage =
    "  Please, select DXF entities to be processed.  ";
inline constexpr const char* kSelectDataMessage = "  Please, select data to be exported.  ";
inline constexpr const char* kSelectSplinePointsMessage =
    "  Please, select type of points to be exported for the Spline entity.  ";

// The first check a record read from the window fails, as the information box's text, or
// nothing when the run may start: no entity (or only one sub-option whose parent is off), no
// exported field ticked, splines without control or fit points.
std::optional<QString> RunButtonCheck(const TExportConfig& config);

// The information box the run button and the engine's refusals use: caption "Information",
// information icon, OK.
void ShowInformationBox(const QString& text, QWidget* parent);

}  // namespace corvane
