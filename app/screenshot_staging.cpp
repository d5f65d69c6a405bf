#include "app/screenshot_staging.h"

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QTreeView>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <cstdio>

#include "ui/Unit2.h"
#include "ui/folder_in_view.h"
#include "ui/selrep.h"

namespace corvane {
namespace {

void Staged() {
  std::puts("staged");
  std::fflush(stdout);
}

}  // namespace

void StageForScreenshot(const QString& mode, QWidget& mainWindow, TForm2& progress,
                        TForm3& folderDialog) {
  // Wait until the main window has been shown and laid out.
  QTimer::singleShot(300, &mainWindow, [mode, &mainWindow, &progress, &folderDialog] {
    if (mode == QLatin1String("options")) {
      if (QObject* pages = mainWindow.findChild<QObject*>(QStringLiteral("PageControl1")))
        pages->setProperty("currentIndex", 1);
    } else if (mode == QLatin1String("custom")) {
      // The custom data row, ticked and current, so its settings page is shown and live.
      if (auto* fields = mainWindow.findChild<QListWidget*>(QStringLiteral("listechoix1"))) {
        const QList<QListWidgetItem*> rows = fields->findItems(QStringLiteral("Custom data"),
                                                               Qt::MatchFixedString);
        if (!rows.isEmpty()) {
          rows.first()->setCheckState(Qt::Checked);
          fields->setCurrentItem(rows.first());
        }
      }
      if (auto* items = mainWindow.findChild<QListWidget*>(QStringLiteral("listechoix2"))) {
        for (int row = 0; row < items->count() && row < 3; ++row)
          items->item(row)->setCheckState(Qt::Checked);
      }
    } else if (mode == QLatin1String("progress")) {
      mainWindow.setEnabled(false);
      progress.setEnabled(true);
      progress.StepLabel()->setText(QStringLiteral("Processing site_plan.dxf"));
      progress.Bar()->setRange(0, 100);
      progress.Bar()->setValue(40);
      progress.show();
      progress.raise();
    } else if (mode == QLatin1String("folder")) {
      QString folder = qEnvironmentVariable("CORVANE_SCREENSHOT_FOLDER");
      if (folder.isEmpty()) folder = QDir::homePath();
      folderDialog.show();
      const QModelIndex index = folderDialog.Model()->index(folder);
      QTreeView* tree = folderDialog.Tree();
      tree->setCurrentIndex(index);
      for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree->expand(up);
      (new FolderInViewKeeper(tree))->Keep(index);
    } else if (mode == QLatin1String("hint")) {
      QString name = qEnvironmentVariable("CORVANE_SCREENSHOT_HINT");
      if (name.isEmpty()) name = QStringLiteral("c5");
      if (QWidget* target = mainWindow.findChild<QWidget*>(name)) {
        const QPoint at(target->width() / 2, target->height() / 2);
        QHelpEvent event(QEvent::ToolTip, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
      }
    }
    QTimer::singleShot(500, &mainWindow, &Staged);
  });
}

}  // namespace corvane
