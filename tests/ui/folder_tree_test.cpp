// The folder tree that both windows show, over real folders that the test makes, renames and
// removes behind its back, as a file manager or a terminal would while the program runs.
#include "ui/folder_tree.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using corvane::FolderTreeModel;

namespace {

// A tree as the windows set it up, shown, with `root` open.
struct Tree {
  QFileIconProvider icons;
  corvane::FolderTreeView view;
  FolderTreeModel* model = corvane::SetUpFolderTree(&view, &icons, nullptr);
  QStringList currents;  // every folder that became current, in order

  explicit Tree(const QString& root) {
    view.resize(328, 175);
    view.show();
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex& now) { currents << model->filePath(now); });
    Open(root);
  }
  ~Tree() {
    view.setModel(nullptr);
    delete model;
  }

  // Opens `path` and every folder above it, and waits until its folders are listed.
  void Open(const QString& path) {
    const QModelIndex row = model->index(path);
    for (QModelIndex up = row; up.isValid(); up = up.parent()) view.expand(up);
    QVERIFY(QTest::qWaitFor([&] { return !model->canFetchMore(row); }));
    QTest::qWait(100);
  }

  // The names of the rows under `path`. Only rows the model already has: asking the model for a
  // path (model->index) would make it look at the disk there and then.
  QStringList Rows(const QString& path) const {
    // The top row holding `path`: "/" here, its drive ("C:") on Windows.
    QModelIndex parent;
    QString rest = QDir::cleanPath(path);
    for (int row = 0; row < model->rowCount(); ++row) {
      const QModelIndex top = model->index(row, 0);
      QString start = model->filePath(top);
      if (!start.endsWith('/')) start += '/';
      if (rest.startsWith(start, Qt::CaseInsensitive)) {
        parent = top;
        rest = rest.mid(start.size());
        break;
      }
    }
    if (!parent.isValid()) return {QStringLiteral("<no top row for %1>").arg(path)};
    for (const QString& part : rest.split('/', Qt::SkipEmptyParts)) {
      QModelIndex next;
      for (int row = 0; row < model->rowCount(parent); ++row) {
        if (model->fileName(model->index(row, 0, parent)) == part)
          next = model->index(row, 0, parent);
      }
      if (!next.isValid()) return {QStringLiteral("<no row for %1>").arg(part)};
      parent = next;
    }
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
      names << model->fileName(model->index(row, 0, parent));
    names.sort();
    return names;
  }

  // The names of the rows under `root` (a folder shown open) in the order the tree shows them.
  QStringList RowsAsShown(const QString& root) const {
    const QModelIndex parent = model->index(root);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
      names << model->fileName(model->index(row, 0, parent));
    return names;
  }

  // The user comes back to the window after changing folders elsewhere (Explorer, a terminal).
  // On Linux the tree does not need it: the model's watcher reports the change by itself. On
  // Windows the tree watches nothing (Qt's watcher there would hold the folders open) and looks
  // at the disk again when its window becomes active.
  void ComeBack() {
#ifdef Q_OS_WIN
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&view, &activate);
#endif
  }

  QString Current() const { return model->filePath(view.currentIndex()); }
  void Choose(const QString& path) { view.setCurrentIndex(model->index(path)); }
};

}  // namespace

class FolderTreeTest : public QObject {
  Q_OBJECT

 private slots:
  void FoldersMadeRenamedAndRemovedOutsideShowAndTheRestStaysAsItWas() {
    QTemporaryDir dir;
    const QString root = dir.path();
    QVERIFY(QDir(root).mkpath("jobs/2025"));
    QVERIFY(QDir(root).mkpath("output"));
    Tree tree(root);
    tree.Open(root + "/jobs");
    tree.Choose(root + "/output");
    tree.currents.clear();
    QCOMPARE(tree.Rows(root), QStringList({"jobs", "output"}));

    QVERIFY(QDir(root).mkdir("new job"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root), QStringList({"jobs", "new job", "output"}), 5000);
    QVERIFY(QDir(root).rename("new job", "site survey"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root), QStringList({"jobs", "output", "site survey"}),
                              5000);
    QVERIFY(QDir(root).rmdir("site survey"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root), QStringList({"jobs", "output"}), 5000);
    // Inside an open folder too, down to its last folder.
    QVERIFY(QDir(root).mkdir("jobs/2026"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root + "/jobs"), QStringList({"2025", "2026"}), 5000);
    QVERIFY(QDir(root).rmdir("jobs/2025"));
    QVERIFY(QDir(root).rmdir("jobs/2026"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root + "/jobs"), QStringList(), 5000);

    // Nothing else moved: the open folder is open, the chosen one still chosen, and it was never
    // left for a moment.
    QVERIFY(tree.view.isExpanded(tree.model->index(root + "/jobs")));
    QCOMPARE(tree.Current(), root + "/output");
    QCOMPARE(tree.currents, QStringList());
  }

  void AFolderMadeOutsideTakesItsPlaceInNameOrder() {
    QTemporaryDir dir;
    const QString root = dir.path();
    QVERIFY(QDir(root).mkpath("alpha"));
    QVERIFY(QDir(root).mkpath("charlie"));
    Tree tree(root);
    tree.Choose(root + "/charlie");
    QTRY_COMPARE_WITH_TIMEOUT(tree.RowsAsShown(root), QStringList({"alpha", "charlie"}), 5000);
    QVERIFY(QDir(root).mkdir("bravo"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.RowsAsShown(root), QStringList({"alpha", "bravo", "charlie"}),
                              5000);
    QCOMPARE(tree.Current(), root + "/charlie");
  }

  void AFolderMadeWhileItsParentWasClosedShowsWhenItIsOpenedAgain() {
    QTemporaryDir dir;
    const QString root = dir.path();
    QVERIFY(QDir(root).mkpath("jobs/2025"));
    Tree tree(root);
    tree.Open(root + "/jobs");
    tree.view.collapse(tree.model->index(root + "/jobs"));
    QVERIFY(QDir(root).mkdir("jobs/2026"));
    QTest::qWait(300);
    tree.view.expand(tree.model->index(root + "/jobs"));
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root + "/jobs"), QStringList({"2025", "2026"}), 5000);
  }

  void TheChosenFolderGoesWithItsRenameAndFallsBackToItsParentWhenRemoved() {
    QTemporaryDir dir;
    const QString root = dir.path();
    QVERIFY(QDir(root).mkpath("a site/plans/old"));
    QVERIFY(QDir(root).mkpath("b site"));
    QVERIFY(QDir(root).mkpath("c site"));
    Tree tree(root);
    tree.Open(root + "/a site/plans");
    tree.Choose(root + "/b site");

    // Renamed: still chosen, under its new name.
    tree.currents.clear();
    QVERIFY(QDir(root).rename("b site", "b site 2026"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Current(), root + "/b site 2026", 5000);
    // Never a neighbour on the way, which the main window would have listed and, locked, made
    // the destination.
    for (const QString& path : tree.currents) {
      QVERIFY2(path == root || path == root + "/b site 2026", qPrintable(path));
    }

    // A folder above the chosen one renamed: the same folder, open as it was.
    tree.Choose(root + "/a site/plans");
    QVERIFY(QDir(root).rename("a site", "a site (done)"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Current(), root + "/a site (done)/plans", 5000);
    QVERIFY(tree.view.isExpanded(tree.view.currentIndex()));

    // Removed: its parent is chosen, not a neighbour.
    tree.Choose(root + "/c site");
    tree.currents.clear();
    QVERIFY(QDir(root).rmdir("c site"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root), QStringList({"a site (done)", "b site 2026"}), 5000);
    QTest::qWait(100);
    QCOMPARE(tree.Current(), root);
    QCOMPARE(tree.currents, QStringList({root}));

    // A whole open branch removed: the nearest folder still there.
    tree.Open(root + "/a site (done)/plans/old");
    tree.Choose(root + "/a site (done)/plans/old");
    QVERIFY(QDir(root + "/a site (done)").removeRecursively());
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Rows(root), QStringList({"b site 2026"}), 5000);
    QTest::qWait(100);
    QCOMPARE(tree.Current(), root);

    // Removed and made again under the same name: chosen again.
    tree.Choose(root + "/b site 2026");
    QVERIFY(QDir(root).rmdir("b site 2026"));
    QVERIFY(QDir(root).mkdir("b site 2026"));
    tree.ComeBack();
    tree.ComeBack();
    QTest::qWait(500);
    QCOMPARE(tree.Current(), root + "/b site 2026");
  }

  void RowsTellTheirFullPathAndLongNamesAreNotCut() {
    QTemporaryDir dir;
    const QString name = QStringLiteral("Survey ") + QString(113, QLatin1Char('x'));  // 120
    QVERIFY(QDir(dir.path()).mkdir(name));
    Tree tree(dir.path());
    const QModelIndex row = tree.model->index(dir.path() + "/" + name);
    QCOMPARE(row.data(Qt::ToolTipRole).toString(),
             QDir::toNativeSeparators(dir.path() + "/" + name));
    tree.Choose(dir.path() + "/" + name);
    tree.view.scrollTo(row);

    // The whole name is drawn (no "…"), and the tree scrolls sideways to it.
    QCOMPARE(tree.view.textElideMode(), Qt::ElideNone);
    const int nameWidth = tree.view.fontMetrics().horizontalAdvance(name);
    QTRY_VERIFY(tree.view.header()->sectionSize(0) > nameWidth);
    QVERIFY(tree.view.horizontalScrollBar()->maximum() > 0);
    QVERIFY(tree.view.visualRect(row).right() > tree.view.viewport()->width());
  }

  // Scrolling to a row wider than the tree (the keyboard, a click, the program choosing a folder)
  // shows where the row starts, also for a row nested deeper than the tree is wide.
  void ARowScrolledToShowsItsStart() {
    QTemporaryDir dir;
    const QString name = QStringLiteral("Survey ") + QString(113, QLatin1Char('x'));
    QString deep = dir.path();
    for (int level = 1; level <= 14; ++level) deep += QStringLiteral("/level %1").arg(level);
    QVERIFY(QDir().mkpath(deep + "/" + name));
    QVERIFY(QDir(dir.path()).mkdir(name));
    Tree tree(deep);
    const auto startShown = [&tree](const QString& path) {
      const QRect row = tree.view.visualRect(tree.model->index(path));
      return row.left() >= 0 && row.left() < tree.view.viewport()->width() / 2;
    };
    tree.Choose(deep + "/" + name);
    QTRY_VERIFY(tree.view.horizontalScrollBar()->maximum() > 0);
    for (const auto hint :
         {QAbstractItemView::EnsureVisible, QAbstractItemView::PositionAtCenter}) {
      tree.view.scrollTo(tree.model->index(deep + "/" + name), hint);
      QVERIFY(startShown(deep + "/" + name));
      tree.view.scrollTo(tree.model->index(dir.path() + "/" + name), hint);
      QVERIFY(startShown(dir.path() + "/" + name));
    }
    // Where the start is in sight, the tree stays where the user put it.
    tree.view.horizontalScrollBar()->setValue(5);
    tree.view.scrollTo(tree.model->index(dir.path() + "/" + name));
    QCOMPARE(tree.view.horizontalScrollBar()->value(), 5);
  }
};

QTEST_MAIN(FolderTreeTest)
#include "folder_tree_test.moc"
