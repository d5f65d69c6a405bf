// The run button's boxes: the information box of a refused run (the checks themselves are the
// engine's, shared with the command-line tool).
#pragma once

#include <QString>

class QWidget;

namespace corvane {

// The information box the run button's refusals use: caption "Information", information icon, OK.
void ShowInformationBox(const QString& text, QWidget* parent);

}  // namespace corvane
