// The desktop program put into states that clicks under a bare X server cannot reach, for
// tools/screenshots.sh. It starts the same windows as the program does (app/program_windows.h),
// over the program folder it sits in when that folder holds the program's files (a copy beside
// an unpacked program, as the Windows window test puts it), else the program folder of the
// build, then stages MODE:
//
//   corvane_screenshots [MODE]
//
//   main      the main window as it starts (the default)
//   options   the main window's second page
//   custom    the main page with the custom data field ticked and its settings page shown
//   progress  the progress window over the main window, part way through a drawing
//   hint      the hint balloon of the control named by CORVANE_SCREENSHOT_HINT (default c5)
//   folder    the destination-folder dialog with CORVANE_SCREENSHOT_FOLDER (default: home) chosen
//   preview   the point preview of CORVANE_SCREENSHOT_DRAWING (default survey_points.dxf) from the
//             file list, with the pointer on a point, alone on the screen
//   survey    the page "Survey blocks and layers" with configurations/pnezd-blocks.crv loaded and
//             the layer GRID left out
//   survey-preview  that configuration's preview of survey_blocks.dxf
//
// It prints "staged" on standard output when the state is on screen, and runs until it is ended.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QTreeView>
#include <QVariant>
#include <QWidget>
#include <cstdio>
#include <string>

#include "app/program_windows.h"
#include "config/program_folder.h"
#include "ui/Unit2.h"
#include "ui/folder_in_view.h"
#include "ui/main.h"
#include "ui/point_preview_view.h"
#include "ui/point_preview_window.h"
#include "ui/folder_tree_model.h"
#include "ui/selrep.h"
#include "ui/wine_fonts.h"

namespace corvane {
namespace {

std::string programFolder;  // where the program's files are, ending with a separator

void Staged() {
  std::puts("staged");
  std::fflush(stdout);
}

// Opens the preview as the menu item does, and once its picture is there points at a point so the
// status line shows a data line.
void StagePreview(QWidget& mainWindow) {
  auto* form1 = qobject_cast<TForm1*>(&mainWindow);
  auto* files = mainWindow.findChild<QListWidget*>(QStringLiteral("fl1"));
  if (!form1 || !files) return;
  QString name = qEnvironmentVariable("CORVANE_SCREENSHOT_DRAWING");
  if (name.isEmpty()) name = QStringLiteral("survey_points.dxf");
  const QList<QListWidgetItem*> rows = files->findItems(name, Qt::MatchExactly);
  if (rows.isEmpty()) return;
  files->setCurrentItem(rows.first(), QItemSelectionModel::ClearAndSelect);
  form1->OpenPointPreview();
  PointPreviewWindow* preview = form1->PreviewWindow();
  if (!preview) return;
  // The picture is of the preview: the main window leaves the screen.
  mainWindow.move(-4000, 0);
  preview->move(0, 0);
  QObject::connect(preview, &PointPreviewWindow::PreviewShown, preview, [preview] {
    QTimer::singleShot(300, preview, [preview] {
      PointPreviewView* view = preview->View();
      const auto data = preview->Shown();
      if (data && data->preview.size() > 0) {
        const std::size_t i = data->preview.size() / 2;
        const QPointF at = view->ToWidget(data->preview.x[i], data->preview.y[i]);
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
      }
      QTimer::singleShot(500, preview, &Staged);
    });
  });
}

void StageForScreenshot(const QString& mode, QWidget& mainWindow, TForm2& progress,
                        TForm3& folderDialog) {
  // The start-up has restored the window; let it settle on screen.
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
      // The first three items ticked, as by clicks on their boxes; the first one current.
      if (auto* items = mainWindow.findChild<QListWidget*>(QStringLiteral("listechoix2"))) {
        for (int row = 0; row < items->count() && row < 3; ++row)
          items->item(row)->setCheckState(Qt::Checked);
        items->setCurrentRow(0);
      }
    } else if (mode == QLatin1String("progress")) {
      mainWindow.setEnabled(false);
      progress.setEnabled(true);
      progress.StepLabel()->setText(QStringLiteral("Processing site_plan.dxf"));
      progress.ShowFileCount(2, 2);
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
    } else if (mode == QLatin1String("preview")) {
      StagePreview(mainWindow);
      return;  // staged when its picture is there
    } else if (mode.startsWith(QLatin1String("survey"))) {
      auto* form1 = qobject_cast<TForm1*>(&mainWindow);
      if (form1 && form1->LoadConfigFile(programFolder + "configurations/pnezd-blocks.crv")) {
        if (auto* box = mainWindow.findChild<QLineEdit*>(QStringLiteral("layersout"))) box->setText(QStringLiteral("GRID"));
      }
      if (mode == QLatin1String("survey-preview")) {
        qputenv("CORVANE_SCREENSHOT_DRAWING", "survey_blocks.dxf");
        StagePreview(mainWindow);
        return;
      }
      if (QObject* pages = mainWindow.findChild<QObject*>(QStringLiteral("PageControl1")))
        pages->setProperty("currentIndex", 2);
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

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  // As the program starts: the pictures show its text as users see it.
  corvane::PrepareTextEngine();
  QApplication app(argc, argv);
  corvane::ChooseInterfaceFace(app);
  const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main");
  const std::string besideTool = corvane::ProgramFolder();
  const bool programBeside =
      QFileInfo::exists(QString::fromStdString(besideTool) + QStringLiteral("default.crv"));
  corvane::programFolder = programBeside ? besideTool : std::string(CORVANE_PROGRAM_DIR "/");
  corvane::ProgramWindows windows(corvane::FindProgramPlaces(corvane::programFolder));
  windows.Show();
  windows.AfterStartup([&] {
    corvane::StageForScreenshot(mode, windows.MainWindow(), windows.ProgressWindow(),
                                windows.FolderDialog());
  });
  return app.exec();
}
