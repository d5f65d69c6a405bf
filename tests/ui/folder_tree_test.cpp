// The folder tree that both windows show, over real folders that the test makes, renames and
// removes behind its back, as a file manager or a terminal would while the program runs.
#include "ui/folder_tree.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <vector>

using corvane::FolderTreeModel;

namespace {

// A tree as the windows set it up (from the desktop on Windows, or from the places given), shown,
// with `root` open.
struct Tree {
  QFileIconProvider icons;
  corvane::FolderTreeView view;
  FolderTreeModel* model;
  QStringList currents;  // every folder that became current, in order

  explicit Tree(const QString& root, const corvane::ShellRoots& roots = corvane::ShellRootsOfThisSystem())
      : model(corvane::SetUpFolderTree(&view, &icons, nullptr, roots)) {
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

  // Opens `row` and every row above it, and waits until its folders are listed.
  void Open(const QModelIndex& row) {
    for (QModelIndex up = row; up.isValid(); up = up.parent()) view.expand(up);
    QVERIFY(QTest::qWaitFor([&] { return !model->canFetchMore(row); }));
    QTest::qWait(100);
  }
  void Open(const QString& path) { Open(model->index(path)); }

  // The row of `path` the model already has, in the first place that shows it: asking the model
  // for a path (model->index) would make it look at the disk there and then.
  QModelIndex Loaded(const QString& path, QModelIndex from = QModelIndex()) const {
    const QString want = QDir::cleanPath(path);
    std::vector<QModelIndex> pending{from};
    while (!pending.empty()) {
      const QModelIndex parent = pending.front();
      pending.erase(pending.begin());
      for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex child = model->index(row, 0, parent);
        const QString at = model->filePath(child);
        if (!at.isEmpty() && QDir::cleanPath(at).compare(want, Qt::CaseInsensitive) == 0) return child;
        const QString start = at.endsWith('/') ? at : at + '/';
        // Into the top rows, the rows without a path (This PC) and the folders on the way.
        if (!parent.isValid() || at.isEmpty() || want.startsWith(start, Qt::CaseInsensitive))
          pending.push_back(child);
      }
    }
    return {};
  }

  // The names of the rows under `path`, sorted.
  QStringList Rows(const QString& path, const QModelIndex& from = QModelIndex()) const {
    const QModelIndex parent = Loaded(path, from);
    if (!parent.isValid()) return {QStringLiteral("<no row for %1>").arg(path)};
    QStringList names = Names(parent);
    names.sort();
    return names;
  }

  // The names the view shows under `parent` (shown open): what the view was told, which is not
  // always what the model holds.
  QStringList Shown(const QModelIndex& parent) const {
    QStringList names;
    for (QModelIndex row = view.model()->index(0, 0); row.isValid(); row = view.indexBelow(row)) {
      if (row.parent() == parent) names << model->fileName(row);
    }
    return names;
  }

  QStringList FileSystemTop() const {
    const QFileSystemModel* files = model->Files();
    QStringList names;
    for (int row = 0; row < files->rowCount(); ++row) names << files->fileName(files->index(row, 0));
    return names;
  }

  QStringList Names(const QModelIndex& parent) const {
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
      names << model->fileName(model->index(row, 0, parent));
    return names;
  }

  // The names of the rows under `root` (a folder shown open) in the order the tree shows them.
  QStringList RowsAsShown(const QString& root) const { return Names(model->index(root)); }

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

  // Windows' trees start at the desktop; the same rows are built here from folders the test makes.
  void FromTheDesktopTheUsersFolderThenThisPcThenTheDesktopsFolders() {
    QTemporaryDir dir;
    const QString home = dir.path() + "/home", desktop = home + "/Desktop";
    QVERIFY(QDir().mkpath(desktop + "/zeta"));
    QVERIFY(QDir().mkpath(desktop + "/plans"));
    QVERIFY(QDir().mkpath(home + "/Documents"));
    Tree tree(desktop, {desktop, home});

    QCOMPARE(tree.model->rowCount(), 1);
    const QModelIndex top = tree.model->index(0, 0);
    QCOMPARE(tree.model->filePath(top), desktop);
    QCOMPARE(tree.Names(top), QStringList({"home", "This PC", "plans", "zeta"}));
    const QModelIndex homeRow = tree.model->index(0, 0, top), thisPc = tree.model->index(1, 0, top);
    QCOMPARE(tree.model->filePath(homeRow), home);
    // This PC has no path: the windows list no drawings there and offer no destination.
    QCOMPARE(tree.model->filePath(thisPc), QString());
    QVERIFY(tree.model->flags(thisPc).testFlag(Qt::ItemIsSelectable));
    tree.Open(thisPc);
    // The file system's top rows: "/" here, the drives on Windows.
    QCOMPARE(tree.Names(thisPc), tree.FileSystemTop());
    QVERIFY(tree.Names(thisPc).contains(tree.model->fileName(tree.model->index(QDir::rootPath()))));

    // A folder is found where a user looks first: the desktop's, then the user's folder.
    QCOMPARE(tree.model->index(desktop + "/plans").parent(), top);
    QCOMPARE(tree.model->index(home + "/Documents").parent(), homeRow);
    QCOMPARE(tree.model->index(QDir::rootPath()).parent(), thisPc);
    for (const QString& path : {desktop + "/plans", home + "/Documents", QDir::rootPath(), desktop}) {
      const QModelIndex row = tree.model->index(path);
      QCOMPARE(tree.model->filePath(row), QDir::cleanPath(path));
      // Every row knows its place: its parent holds it at its row.
      QCOMPARE(tree.model->index(row.row(), 0, row.parent()), row);
    }
    QVERIFY(!tree.model->index(dir.path() + "/nothing here").isValid());

    // The desktop opened in three places: inside itself, inside the user's folder, and under This
    // PC down through the file system; a folder made there shows in each, in name order, and a
    // folder removed goes from each.
    tree.Open(tree.model->IndexNear(desktop, homeRow));
    tree.Open(tree.model->IndexNear(desktop, thisPc));
    const QModelIndex inHome = tree.model->IndexNear(desktop, homeRow);
    const QModelIndex underThisPc = tree.model->IndexNear(desktop, thisPc);
    QVERIFY(inHome.isValid() && underThisPc.isValid() && inHome != underThisPc && inHome != top);
    QCOMPARE(inHome.parent(), homeRow);
    QModelIndex up = underThisPc;
    while (up.parent().isValid() && up.parent() != top) up = up.parent();
    QCOMPARE(up, thisPc);
    QVERIFY(QDir(desktop).mkdir("middle"));
    tree.ComeBack();
    const QStringList three({"middle", "plans", "zeta"});
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(tree.model->IndexNear(desktop, thisPc)), three, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(tree.model->IndexNear(desktop, homeRow)), three, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(top), QStringList({"home", "This PC"}) + three, 5000);
    QVERIFY(QDir(desktop).rmdir("plans"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(top), QStringList({"home", "This PC", "middle", "zeta"}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(tree.model->IndexNear(desktop, thisPc)),
                              QStringList({"middle", "zeta"}), 5000);
    QCOMPARE(tree.Shown(tree.model->IndexNear(desktop, homeRow)), QStringList({"middle", "zeta"}));
    // The desktop's own folders keep their places after the shell's rows.
    const QModelIndex zeta = tree.model->index(desktop + "/zeta");
    QCOMPARE(zeta.row(), 3);
    QCOMPARE(tree.model->index(3, 0, top), zeta);
    QCOMPARE(tree.model->filePath(zeta), desktop + "/zeta");
  }

  // A folder chosen under This PC stays chosen there when it is renamed, rather than jumping to
  // the desktop's place for it; the branch the user opened is the one that stays open.
  void AChosenFolderStaysInTheBranchTheUserChoseItIn() {
    QTemporaryDir dir;
    const QString home = dir.path() + "/home", desktop = home + "/Desktop";
    QVERIFY(QDir().mkpath(desktop + "/b site"));
    Tree tree(desktop, {desktop, home});
    const QModelIndex top = tree.model->index(0, 0);
    const QModelIndex thisPc = tree.model->index(1, 0, top);
    const QModelIndex site = tree.model->IndexNear(desktop + "/b site", thisPc);
    tree.Open(site.parent());
    tree.view.setCurrentIndex(site);
    QVERIFY(QDir(desktop).rename("b site", "b site 2026"));
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Current(), desktop + "/b site 2026", 5000);
    QModelIndex up = tree.view.currentIndex();
    while (up.parent().isValid() && up.parent() != top) up = up.parent();
    QCOMPARE(up, thisPc);
  }

  // The desktop folder itself removed while the tree shows it: the file system's rows, no crash.
  void WithoutItsDesktopTheTreeShowsTheFileSystem() {
    QTemporaryDir dir;
    const QString home = dir.path() + "/home", desktop = home + "/Desktop";
    QVERIFY(QDir().mkpath(desktop + "/plans"));
    Tree tree(desktop + "/plans", {desktop, home});
    tree.Open(tree.model->IndexNear(desktop, tree.model->index(1, 0, tree.model->index(0, 0))));
    tree.Choose(desktop + "/plans");
    QVERIFY(QDir(desktop).removeRecursively());
    tree.ComeBack();
    QTRY_COMPARE_WITH_TIMEOUT(tree.Shown(QModelIndex()), tree.FileSystemTop(), 5000);
    QVERIFY(!tree.model->ShowsShellRoots());
    // No row is left that names a folder the model has let go of.
    QVERIFY2(tree.Current().isEmpty() || QFileInfo(tree.Current()).isDir(), qPrintable(tree.Current()));
    QVERIFY(tree.Loaded(home).isValid());
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
