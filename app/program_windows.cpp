#include "app/program_windows.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "ui/exit_operation.h"
#include "ui/startup.h"

namespace corvane {
namespace {

// Runs `exposed` from the event loop once `window` has first been exposed, that is mapped on
// screen and painted: the window paints while the expose event is handled, `exposed` comes after.
class ExposureWatch : public QObject {
 public:
  ExposureWatch(QWindow* window, std::function<void()> exposed)
      : window_(window), exposed_(std::move(exposed)) {
    window_->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
      window_->removeEventFilter(this);
      QTimer::singleShot(0, this, exposed_);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWindow* window_;
  std::function<void()> exposed_;
};

std::unique_ptr<QSettingsStore> OpenStore(const QString& settingsFile) {
  return settingsFile.isEmpty() ? std::make_unique<QSettingsStore>()
                                : std::make_unique<QSettingsStore>(settingsFile);
}

}  // namespace

ProgramWindows::ProgramWindows(const ProgramPlaces& places, const QString& settingsFile)
    : store_(OpenStore(settingsFile)),
      working_(ZeroConfig()),
      form1_(*store_, working_),
      form3_(&form1_),
      form2_(&form1_),
      parts_{*store_, form1_, hints_, &form2_, places, FirstStartDefaults()} {
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  // The same picture as the menu entry's, for the task bar and every window without its own.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/glyphs_main/corvane.svg")));

  hints_.SetEnabled(true);
  qApp->installEventFilter(&hints_);
  QObject::connect(&form1_, &TForm1::HintsSwitched, &hints_, &HintFilter::SetEnabled);

  form3_.SetDestinationHandler([this](const QString& folder) { form1_.SetDestinationFolder(folder); });
  form1_.SetBrowseDestinationHandler(
      [this] { form3_.ExecAt(form1_.DestinationFolder(), form1_.FileListFolder()); });
}

ProgramWindows::~ProgramWindows() = default;

void ProgramWindows::Show() {
  // The window opens centred on the primary screen: it must fit that screen's work area.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    form1_.FitToScreen(screen->availableGeometry());
  form1_.show();
  // Run from show() itself, the start-up's boxes came before the window was mapped: over an
  // empty desktop, with nothing to say which program asked.
  QWindow* window = form1_.windowHandle();
  if (window == nullptr || window->isExposed()) {
    QTimer::singleShot(0, &form1_, [this] { RunStartup(); });
    return;
  }
  exposureWatch_ = std::make_unique<ExposureWatch>(window, [this] { RunStartup(); });
}

void ProgramWindows::AfterStartup(std::function<void()> then) {
  if (startupDone_) {
    then();
  } else {
    afterStartup_.push_back(std::move(then));
  }
}

void ProgramWindows::RunStartup() {
  if (startupBegun_) return;
  startupBegun_ = true;
  // Closed before it ever reached the screen: nothing to restore, and nothing to remember.
  if (!form1_.isVisible()) return;
  if (LoadStartupState(parts_) != StartupOutcome::kReady) {
    form1_.AllowClose();
    QCoreApplication::exit(1);
    return;
  }
  // Only a restored window has folders and a configuration worth keeping at the exit: until
  // then a close request simply closes the window, and the settings stay as they were.
  ConnectExitOperation(form1_, *store_, [] { QApplication::quit(); });
  startupDone_ = true;
  for (std::function<void()>& then : std::exchange(afterStartup_, {})) then();
}

}  // namespace corvane
