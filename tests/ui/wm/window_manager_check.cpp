// What only a real X server with a window manager can show, on the real main window: rows of the
// folder tree that stay under the pointer while folders appear above them, the point preview
// opening beside the main window, and drawings dragged in from another program. Clicks, keys and
// drags come from outside through xdotool, as a user's would; screenshots are saved for a look.
//
// Run by tests/ui/window_manager_check.sh, which starts Xvfb and a window manager. The same program
// started as "window_manager_check --drag-source FILE..." is the other program a drag comes from.
#include <QDrag>
#include "ui/folder_tree_model.h"
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

#include "tests/ui/window_test_helpers.h"
#include "ui/point_preview_window.h"

using namespace corvane;
using namespace corvane::uitest;

namespace {

QString g_shots;  // where the screenshots go

void Xdotool(const QStringList& arguments) {
  if (QProcess::execute(QStringLiteral("xdotool"), arguments) != 0) qFatal("xdotool failed");
}

// Lets the X server and the window manager catch up with what was asked of them.
void Settle(int ms = 400) { QTest::qWait(ms); }

void Shot(const QString& name) {
  QProcess::execute(QStringLiteral("import"),
                    {QStringLiteral("-window"), QStringLiteral("root"), g_shots + "/" + name + ".png"});
}

QPoint Global(QWidget* widget, const QPoint& at) { return widget->mapToGlobal(at); }

void MoveTo(const QPoint& at) {
  Xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
}

// The other program: a window that starts dragging its files when pressed.
class DragSource : public QLabel {
 public:
  explicit DragSource(QStringList files) : files_(std::move(files)) {
    setText(QStringLiteral("Drag me"));
    setAlignment(Qt::AlignCenter);
    setWindowTitle(QStringLiteral("drag source"));
    resize(160, 120);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files_) urls << QUrl::fromLocalFile(file);
    data->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
  }

 private:
  QStringList files_;
};

struct CheckFixture : WindowFixture {
  CheckFixture() {
    window.show();
    window.move(40, 40);
    window.raise();
    window.activateWindow();
  }
};

}  // namespace

class WindowManagerCheck : public QObject {
  Q_OBJECT

 private slots:
  void rowsUnderThePointerStayPutWhenFoldersAppearAbove() {
    CheckFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QString parent = f.Path(QStringLiteral("jobs"));
    for (int i = 0; i < 40; ++i) QVERIFY(QDir().mkpath(parent + QStringLiteral("/m%1").arg(i, 2, 10, QChar('0'))));
    auto* tree = f.Child<QTreeView>("sh1");
    auto* model = qobject_cast<corvane::FolderTreeModel*>(tree->model());
    QVERIFY(f.window.SelectFolder(parent + "/m20"));
    QTRY_COMPARE(model->rowCount(model->index(parent)), 40);
    Settle(800);
    // The pointer rests on m24, the folder the user is about to click.
    const QString target = parent + "/m24";
    QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(model->index(target)).center()));
    MoveTo(Global(tree->viewport(), tree->visualRect(model->index(target)).center()));
    Settle();
    Shot(QStringLiteral("rows-before"));
    // Two folders made from a shell, above it.
    QVERIFY(QDir(parent).mkdir(QStringLiteral("a1")));
    QVERIFY(QDir(parent).mkdir(QStringLiteral("a2")));
    QTRY_COMPARE(model->rowCount(model->index(parent)), 42);
    Settle(800);
    Shot(QStringLiteral("rows-after"));
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    Settle();
    QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(target));
  }

  void previewOpensBesideTheMainWindow() {
    CheckFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(f.LoadShippedDefaults());
    const QString drawings = f.Path(QStringLiteral("drawings"));
    QVERIFY(QDir().mkpath(drawings));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_SOURCE_DIR "/examples/survey_points.dxf"),
                        drawings + "/survey_points.dxf"));
    QVERIFY(f.window.SelectFolder(drawings));
    Settle();
    // Ctrl+P with the focus in a text box, away from the file list.
    auto* box = f.Edit("Edit6");
    MoveTo(Global(box, box->rect().center()));
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    Settle();
    Xdotool({QStringLiteral("key"), QStringLiteral("ctrl+p")});
    QTRY_VERIFY_WITH_TIMEOUT(f.window.PreviewWindow() && f.window.PreviewWindow()->isVisible(), 10000);
    PointPreviewWindow* preview = f.window.PreviewWindow();
    Settle(1500);
    Shot(QStringLiteral("preview-beside"));
    const QRect main = f.window.frameGeometry();
    const QRect beside = preview->frameGeometry();
    QVERIFY2(!beside.intersects(main), qPrintable(QStringLiteral("main %1,%2 %3x%4, preview %5,%6 %7x%8")
                                                      .arg(main.x()).arg(main.y()).arg(main.width()).arg(main.height())
                                                      .arg(beside.x()).arg(beside.y()).arg(beside.width()).arg(beside.height())));
    QVERIFY(preview->screen()->availableGeometry().contains(beside));
    // Moved by the user, closed and opened again: where the user left it.
    preview->move(beside.topLeft() + QPoint(0, 30));
    Settle();
    const QPoint left = preview->frameGeometry().topLeft();
    preview->close();
    Settle();
    f.window.OpenPointPreview();
    Settle(800);
    QCOMPARE(preview->frameGeometry().topLeft(), left);
    preview->close();
  }

  void drawingsDraggedFromAnotherProgramAreChosen() {
    CheckFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QString drawings = f.Path(QStringLiteral("dropped"));
    QVERIFY(QDir().mkpath(drawings));
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) {
      QVERIFY(WriteBytes(drawings + "/" + name, "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n"));
    }
    QProcess source;
    source.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--drag-source"), drawings + "/b.dxf", drawings + "/c.dxf"});
    QVERIFY(source.waitForStarted());
    Settle(1500);
    // The source window: the window manager put it somewhere; xdotool finds it by its title.
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                             QStringLiteral("--name"), QStringLiteral("drag source"),
                                             QStringLiteral("windowmove"), QStringLiteral("%@"),
                                             QStringLiteral("900"), QStringLiteral("700")});
    QVERIFY(search.waitForFinished(10000));
    Settle(800);
    const QPoint from(980, 760);
    auto* list = f.Child<QListWidget>("fl1");
    const QPoint to = Global(list->viewport(), list->viewport()->rect().center());
    MoveTo(from);
    Settle(300);
    Xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int step = 1; step <= 10; ++step) {
      MoveTo(from + (to - from) * step / 10);
      QTest::qWait(80);
    }
    Settle(500);
    Shot(QStringLiteral("drop-over-window"));
    Xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    QTRY_COMPARE_WITH_TIMEOUT(f.window.SelectedFileNames(), QStringList({"b.dxf", "c.dxf"}), 5000);
    QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(drawings));
    Settle();
    Shot(QStringLiteral("drop-done"));
    source.kill();
    source.waitForFinished();
  }
};

int main(int argc, char** argv) {
  if (argc > 1 && QByteArray(argv[1]) == "--drag-source") {
    QApplication app(argc, argv);
    QStringList files;
    for (int i = 2; i < argc; ++i) files << QString::fromLocal8Bit(argv[i]);
    DragSource source(files);
    source.show();
    return app.exec();
  }
  g_shots = qEnvironmentVariable("CORVANE_WM_SHOTS", QStringLiteral("."));
  QApplication app(argc, argv);
  WindowManagerCheck check;
  return QTest::qExec(&check, argc, argv);
}

#include "window_manager_check.moc"
