#include "ui/Unit2.h"

#include <QCloseEvent>
#include <QIcon>

#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui_Unit2.h"

namespace corvane {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TForm2>()) {
  ui_->setupUi(this);
  ScaleForm(this, QSize(359, 92));
  setModal(false);
  const QIcon picture(QStringLiteral(":/glyphs_dialogs/processing.svg"));
  setWindowIcon(picture);
  ui_->Image1->setPixmap(picture.pixmap(32, 32));
  // A click only raises the flag; the run notices it at its next check and ends the batch.
  connect(ui_->SpeedButton1, &QToolButton::clicked, this,
          [this] { stop_.store(true, std::memory_order_relaxed); });
}

TForm2::~TForm2() = default;

QLabel* TForm2::StepLabel() const { return ui_->Label1; }

void TForm2::ShowStep(const QString& text) { ShowElided(ui_->Label1, text, Qt::ElideMiddle, text); }
QProgressBar* TForm2::Bar() const { return ui_->ProgressBar1; }
QToolButton* TForm2::StopButton() const { return ui_->SpeedButton1; }
QLabel* TForm2::FileCountLabel() const { return ui_->FileCount; }

QString TForm2::FileCountText(std::size_t number, std::size_t count) {
  if (count == 0) return QString();
  return tr("File %1 of %2").arg(number).arg(count);
}

void TForm2::ShowFileCount(std::size_t number, std::size_t count) {
  const QString text = FileCountText(number, count);
  if (ui_->FileCount->text() != text) ui_->FileCount->setText(text);
}

void TForm2::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace corvane
