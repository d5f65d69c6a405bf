// The desktop program's point preview opened on one drawing as a user opens it: the main window
// with the shipped lists and a configuration, the drawing's folder chosen and the drawing
// selected, then "Preview points…". bench/window_preview.sh runs it on the 100 MB drawing.
//
//   window_preview CONFIG.crv DRAWING.dxf [RUNS]
//
// Prints, for each opening, the time from the menu item to the first picture on screen (the
// preview computed on its worker, its hover index built, the view painted), then the best and
// the median. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "ui/main.h"
#include "ui/point_preview_view.h"
#include "ui/point_preview_window.h"
#include "ui/qsettings_store.h"

using namespace corvane;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_preview CONFIG.crv DRAWING.dxf [RUNS]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  const QFileInfo drawing(QFile::decodeName(argv[2]));

  QTemporaryDir settingsDir;
  QSettingsStore store(settingsDir.filePath(QStringLiteral("corvane2.conf")));
  TExportConfig working = ZeroConfig();
  TForm1 form1(store, working);
  LookupLists lists;
  if (!LoadLookupLists(CORVANE_PROGRAM_DIR "/", lists).empty()) return 2;
  form1.FillLists(lists);
  form1.show();
  if (!form1.LoadConfigFile(argv[1]) || !form1.SelectFolder(drawing.absolutePath())) return 2;
  auto* files = form1.findChild<QListWidget*>(QStringLiteral("fl1"));
  const auto found = files->findItems(drawing.fileName(), Qt::MatchExactly);
  if (found.isEmpty()) return 2;
  files->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);

  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer clock;
    clock.start();
    form1.OpenPointPreview();
    PointPreviewWindow* preview = form1.PreviewWindow();
    QEventLoop wait;
    const auto shown = QObject::connect(preview, &PointPreviewWindow::PreviewShown, &wait,
                                        &QEventLoop::quit);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    if (preview->Working()) wait.exec();
    QObject::disconnect(shown);
    if (!preview->Shown()) return 1;
    preview->View()->repaint();  // the picture the next turn of the event loop would paint
    seconds.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    std::printf("first picture: %.3f s (%zu points%s)\n", seconds.back(),
                preview->Shown()->preview.size(),
                preview->View()->DrawsRaster() ? ", density raster" : "");
    std::fflush(stdout);
    if (run == 0) {
      // What a pan costs: the picture of a new view (a density raster computed anew above the
      // threshold), ten times.
      PointPreviewView* view = preview->View();
      QElapsedTimer redraw;
      redraw.start();
      for (int step = 0; step < 10; ++step) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        const QPointF to(110 + step, 95);
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &release);
        view->repaint();
      }
      std::printf("picture of a panned view: %.1f ms\n",
                  static_cast<double>(redraw.nsecsElapsed()) / 1e7);
    }
    preview->close();
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("best %.3f s, median %.3f s\n", seconds.front(), seconds[seconds.size() / 2]);
  return 0;
}
