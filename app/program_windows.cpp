#include "app/program_windows.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "ui/exit_operation.h"
#include "ui/startup.h"

namespace corvane {

ProgramWindows::ProgramWindows(const ProgramPlaces& places)
    : working_(ZeroConfig()),
      form1_(store_, working_),
      form3_(&form1_),
      form2_(&form1_),
      parts_{store_, form1_, hints_, &form2_, places, FirstStartDefaults()} {
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  // The same picture as the menu entry's, for the task bar and every window without its own.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/glyphs_main/corvane.svg")));

  hints_.SetEnabled(true);
  qApp->installEventFilter(&hints_);
  QObject::connect(&form1_, &TForm1::HintsSwitched, &hints_, &HintFilter::SetEnabled);

  form3_.SetDestinationHandler([this](const QString& folder) { form1_.SetDestinationFolder(folder); });
  form1_.SetBrowseDestinationHandler([this] { form3_.exec(); });

  QObject::connect(&form1_, &TForm1::FirstShown, &form1_, [this] {
    if (LoadStartupState(parts_) == StartupOutcome::kReady) return;
    cannotRun_ = true;
    form1_.AllowClose();
    // For the case the first showing comes from the event loop rather than from show().
    QTimer::singleShot(0, [] { QCoreApplication::exit(1); });
  });
  ConnectExitOperation(form1_, store_, [] { QApplication::quit(); });
}

bool ProgramWindows::Show() {
  form1_.show();
  return !cannotRun_;
}

}  // namespace corvane
