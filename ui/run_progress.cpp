#include "ui/run_progress.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <exception>
#include <thread>

#include "engine/report_date.h"
#include "ui/Unit2.h"

namespace corvane {

BarRange ScaleProgress(std::uint64_t position, std::uint64_t maximum) {
  if (position > maximum) position = maximum;
  int shift = 0;
  while ((maximum >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
  return BarRange{static_cast<int>(maximum >> shift), static_cast<int>(position >> shift)};
}

// The command-line tool writes the same date line: the rule lives with the engine.
std::string ProgressObserver::ReportDateTime() { return ReportDateTimeText(); }

void ProgressObserver::RunStarted(std::size_t fileCount) {
  maximum_.store(0, std::memory_order_relaxed);
  position_.store(0, std::memory_order_relaxed);
  fileCount_.store(fileCount, std::memory_order_relaxed);
  started_.store(true, std::memory_order_release);
}

void ProgressObserver::FileStarted(std::size_t index, std::string_view stepText) {
  current_.store(index, std::memory_order_relaxed);
  position_.store(0, std::memory_order_relaxed);
  // Name and number under one lock: two jobs starting at once leave both of the same drawing.
  std::lock_guard<std::mutex> lock(textMutex_);
  stepIndex_ = index;
  stepText_.assign(stepText);
  ++textGeneration_;
}

void ProgressObserver::ProgressMaximum(std::size_t index, std::uint64_t units) {
  if (index != current_.load(std::memory_order_relaxed)) return;
  maximum_.store(units, std::memory_order_relaxed);
}

void ProgressObserver::ProgressPosition(std::size_t index, std::uint64_t units) {
  if (index != current_.load(std::memory_order_relaxed)) return;
  position_.store(units, std::memory_order_relaxed);
}

void ProgressObserver::RunFinished() { finished_.store(true, std::memory_order_release); }

bool ProgressObserver::StepTextSince(unsigned& seen, QString& text, std::size_t* fileNumber) {
  std::lock_guard<std::mutex> lock(textMutex_);
  if (seen == textGeneration_) return false;
  seen = textGeneration_;
  if (fileNumber) *fileNumber = stepIndex_ + 1;
  text = QString::fromLocal8Bit(stepText_.data(), static_cast<qsizetype>(stepText_.size()));
  return true;
}

BarRange ProgressObserver::Bar() const {
  return ScaleProgress(position_.load(std::memory_order_relaxed),
                       maximum_.load(std::memory_order_relaxed));
}

namespace {

// A close request of the main window during a run is refused: the run still uses the windows.
class CloseRefusal : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

// Puts the windows back as they were before the run, also when the run threw.
class WindowsDuringRun {
 public:
  WindowsDuringRun(TForm2& progress, QWidget* mainWindow)
      : progress_(progress), main_(mainWindow) {
    if (main_) {
      wasEnabled_ = main_->isEnabled();
      main_->installEventFilter(&refusal_);
      main_->setEnabled(false);
    }
    // The progress window may be a child of the main window; a window can be enabled on its own.
    progress_.setEnabled(true);
  }
  ~WindowsDuringRun() {
    progress_.hide();
    if (main_) {
      main_->removeEventFilter(&refusal_);
      main_->setEnabled(wasEnabled_);
      main_->activateWindow();
    }
  }
  WindowsDuringRun(const WindowsDuringRun&) = delete;
  WindowsDuringRun& operator=(const WindowsDuringRun&) = delete;

 private:
  TForm2& progress_;
  QPointer<QWidget> main_;
  bool wasEnabled_ = true;
  CloseRefusal refusal_;
};

void ShowProgress(TForm2& progress, ProgressObserver& observer, unsigned& seenText,
                  bool runGoesOn) {
  if (runGoesOn && observer.Started() && !progress.isVisible()) {
    progress.show();
    progress.raise();
  }
  QString text;
  std::size_t fileNumber = 0;
  if (observer.StepTextSince(seenText, text, &fileNumber)) {
    progress.ShowStep(text);
    progress.ShowFileCount(fileNumber, observer.FileCount());
  }
  BarRange bar = observer.Bar();
  // A maximum of 0 would turn the bar into a busy indicator.
  if (bar.maximum == 0) bar = BarRange{1, 0};
  QProgressBar* widget = progress.Bar();
  if (widget->maximum() != bar.maximum) widget->setMaximum(bar.maximum);
  if (widget->value() != bar.position) widget->setValue(bar.position);
}

}  // namespace

RunResult RunWithProgress(TForm2& progress, QWidget* mainWindow, const TExportConfig& config,
                          const RunRequest& request) {
  ProgressObserver observer(progress.StopFlag());
  return RunWithProgress(progress, mainWindow, config, request, observer);
}

RunResult RunWithProgress(TForm2& progress, QWidget* mainWindow, const TExportConfig& config,
                          const RunRequest& request, ProgressObserver& observer) {
  progress.StopFlag().store(false);
  progress.ShowStep(QStringLiteral("Process"));
  progress.ShowFileCount(0, 0);
  progress.Bar()->setRange(0, 1);
  progress.Bar()->setValue(0);
  WindowsDuringRun windows(progress, mainWindow);

  RunResult result;
  std::exception_ptr failure;
  std::atomic<bool> workerDone{false};
  QEventLoop loop;
  // The worker converts with copies of its own: nothing the window's thread does meanwhile can
  // change what it reads.
  std::thread worker([&, config, request] {
    try {
      result = RunConversion(config, request, observer);
    } catch (...) {
      failure = std::current_exception();
    }
    workerDone.store(true, std::memory_order_release);
    // Wake the window's loop at once rather than at its next look: a short run must not wait
    // out the polling interval. Queued, so it runs on the window's thread inside loop.exec().
    QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });

  QTimer poll;
  unsigned seenText = 0;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    ShowProgress(progress, observer, seenText, true);
    if (workerDone.load(std::memory_order_acquire)) loop.quit();
  });
  poll.start(30);
  loop.exec();
  poll.stop();
  // The loop also ends when the application is told to quit; the run then stops after its
  // current line, keeps what it wrote and completes its report, rather than leaving this thread
  // waiting for the whole rest of it.
  if (!workerDone.load(std::memory_order_acquire)) observer.RequestStop();
  worker.join();
  // The window keeps the last step and bar of the run while it is hidden.
  ShowProgress(progress, observer, seenText, false);

  if (failure) std::rethrow_exception(failure);  // `windows` restores the windows first
  return result;
}

}  // namespace corvane
