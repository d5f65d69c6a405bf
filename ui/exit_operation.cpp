#include "ui/exit_operation.h"

#include <memory>

#include "config/program_settings.h"
#include "ui/main.h"
#include "ui/message_boxes.h"
#include "ui/startup.h"

namespace corvane {

ExitOutcome RunExitOperation(TForm1& form1, SettingsStore& store,
                             const std::function<void()>& terminate) {
  // A run disables the main window for as long as it lasts; leaving then would pull the
  // configuration and the open files from under it.
  if (form1.RunActive()) return ExitOutcome::kRefusedDuringRun;
  if (!form1.ConfirmSaveIfChanged()) return ExitOutcome::kStayed;

  // A folder that cannot be remembered costs the user a click at the next start, not the exit.
  std::string error;
  if (!WriteSetting(store, kSettingDxfPath, form1.SelectedFolderPath().toLocal8Bit().toStdString(),
                    error)) {
    ShowErrorBox(error, &form1);
  }
  error.clear();
  const std::string destPath = form1.DestinationFolder().toLocal8Bit().toStdString();
  if (!WriteSetting(store, kSettingDestPath, destPath, error)) ShowErrorBox(error, &form1);

  form1.AllowClose();
  if (terminate) terminate();
  return ExitOutcome::kEnded;
}

void ConnectExitOperation(TForm1& form1, SettingsStore& store, std::function<void()> terminate) {
  auto busy = std::make_shared<bool>(false);
  QObject::connect(
      &form1, &TForm1::ExitRequested, &form1,
      [&form1, &store, terminate = std::move(terminate), busy] {
        if (*busy) return;
        *busy = true;
        RunExitOperation(form1, store, terminate);
        *busy = false;
      },
      Qt::QueuedConnection);
}

}  // namespace corvane
