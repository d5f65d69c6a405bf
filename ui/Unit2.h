// The progress window: shown while a run converts files, its "Stop process" button asks the run
// to stop. Created once at start-up, hidden between runs and reused. Beside the step text and the
// bar of the current drawing, a line of its own tells which drawing of the batch is converted, so
// that a batch of forty does not flash by without a sign of how far it has come.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <cstddef>
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
  // The step text ("Processing " and the drawing's name): a name too long for the label is cut in
  // the middle, where it is least telling, and the label's tooltip gives it whole.
  void ShowStep(const QString& text);
  QProgressBar* Bar() const;
  QToolButton* StopButton() const;
  QLabel* FileCountLabel() const;

  // "File <number> of <count>" (number counted from 1); an empty line for a count of 0, as
  // before the first drawing of a run has started.
  void ShowFileCount(std::size_t number, std::size_t count);
  static QString FileCountText(std::size_t number, std::size_t count);

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
