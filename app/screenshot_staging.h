// Screenshots only: CORVANE_SCREENSHOT puts the program into a state that clicks under a bare X
// server cannot reach (tools/screenshots.sh). Unset, nothing here runs.
//   main      the main window as it starts (the default)
//   options   the main window's second page
//   custom    the main page with the custom data field ticked and its settings page shown
//   progress  the progress window over the main window, part way through a drawing
//   hint      the hint balloon of the control named by CORVANE_SCREENSHOT_HINT (default c5)
//   folder    the destination-folder dialog with CORVANE_SCREENSHOT_FOLDER (default: home) chosen
// The program prints "staged" on standard output when the state is on screen.
#pragma once

#include <QString>

class QWidget;

namespace corvane {

class TForm2;
class TForm3;

void StageForScreenshot(const QString& mode, QWidget& mainWindow, TForm2& progress,
                        TForm3& folderDialog);

}  // namespace corvane
