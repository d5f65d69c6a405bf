// The progress window: shown while a run converts files, its "Stop process" button asks the run
// to stop. Created once at start-up, hidden between runs and reused.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>

class QLabel;
class QProgressBar;
class QToolButton;
namespace Ui {
class TForm2;
}

namespace corvane {

class TForm2 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  // Shared with the run: set by "Stop process", cleared by the run when it starts, read by the
  // engine threads. It stays set after a stopped run until the next run clears it.
  std::atomic<bool>& StopFlag() { return stop_; }

  QLabel* StepLabel() const;
  QProgressBar* Bar() const;
  QToolButton* StopButton() const;

 public slots:
  // The user cannot close the window: it has no title-bar buttons, and Escape does nothing.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<Ui::TForm2> ui_;
  std::atomic<bool> stop_{false};
};

}  // namespace corvane
