#include "ui/file_dialog_fit.h"

#include <QApplication>
#include <QChildEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTimer>
#include <QTreeView>

#include "ui/window_scale.h"

namespace corvane {
namespace {

// Room in a title bar besides the caption: the window's icon, three buttons, margins.
constexpr int kTitleBarRoom = 160;

// Title bars use their own font, often larger and bold; the application's bold font, widened by
// the windows' scale, stands in for it.
int CaptionWidth(const QString& caption) {
  QFont font = QApplication::font();
  font.setBold(true);
  return WindowPixels(QFontMetrics(font).horizontalAdvance(caption)) + kTitleBarRoom;
}

// The details view's columns after the name (Size, Type, Date Modified) as wide as their texts,
// and the name taking the rest of the view.
void FitColumns(QTreeView* details) {
  QHeaderView* header = details->header();
  int others = 0;
  for (int column = 1; column < header->count(); ++column) {
    details->resizeColumnToContents(column);
    if (!header->isSectionHidden(column)) others += header->sectionSize(column);
  }
  const int rest = details->viewport()->width() - others;
  if (rest > header->sectionSize(0)) header->resizeSection(0, rest);
}

// Fits the columns once the dialog has its size, and widens each message box the dialog raises
// before it is first shown.
class DialogFitter : public QObject {
 public:
  DialogFitter(QFileDialog* dialog, QTreeView* details) : QObject(dialog), details_(details) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && details_) {
      QTimer::singleShot(0, details_, [details = details_] { FitColumns(details); });
    } else if (event->type() == QEvent::ChildPolished) {
      auto* box = qobject_cast<QMessageBox*>(static_cast<QChildEvent*>(event)->child());
      if (box && !box->property(kWidened).toBool()) {
        box->setProperty(kWidened, true);
        WidenForCaption(*box);
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static constexpr const char* kWidened = "corvaneWidenedForCaption";
  QTreeView* details_;
};

}  // namespace

void WidenForCaption(QMessageBox& box) {
  // A message box sizes itself to its layout when it is shown, so the room is asked for there.
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  grid->addItem(
      new QSpacerItem(CaptionWidth(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
      grid->rowCount(), 0, 1, grid->columnCount());
}

void FitFileDialog(QFileDialog& dialog) {
  dialog.resize(WindowPixels(QSize(640, 400)));
  // Only Qt's own dialog has these; a desktop's native dialog sizes itself.
  auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (!model) details = nullptr;
  dialog.installEventFilter(new DialogFitter(&dialog, details));
  if (details) {
    QObject::connect(model, &QFileSystemModel::directoryLoaded, details,
                     [details] { FitColumns(details); });
  }
}

}  // namespace corvane
