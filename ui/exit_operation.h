// The program's single way out, shared by the exit button and every close request of the main
// window: the change prompt, the two folders remembered, then the end of the program.
#pragma once

#include <functional>

namespace corvane {

class SettingsStore;
class TForm1;

enum class ExitOutcome {
  kRefusedDuringRun,  // a conversion is running: nothing asked, nothing written
  kStayed,            // the prompt or the save dialog was cancelled: nothing written
  kEnded,             // the folders were written (or their failure reported); the program ends
};

// Runs the exit operation once. On kEnded the window is allowed to close and `terminate` runs
// (QApplication::quit in the program).
ExitOutcome RunExitOperation(TForm1& form1, SettingsStore& store,
                             const std::function<void()>& terminate);

// Runs the exit operation whenever the window asks for it (BitBtn4, a close request). The
// operation runs from the event loop rather than inside the close event, and a request that
// arrives while the prompt of an earlier one is open is ignored.
void ConnectExitOperation(TForm1& form1, SettingsStore& store, std::function<void()> terminate);

}  // namespace corvane
