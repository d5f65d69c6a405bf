// The main window's files and folders: the folder tree, the file list and its selection, drops
// and the destination lock, driven through the real widgets over real temporary folders.
#include "tests/ui/main_window_fixture.h"

class MainWindowFilesTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- folder change and the file list ----
  void folderChangeListsDrawingsAndSelectsTheFirst();
  void folderChangeWithAutoSelectSelectsEveryFile();
  void folderWithoutDrawingsDisablesTheRunButton();
  void folderThatVanishedListsNothing();
  void noSelectedFolderEmptiesTheList();
  void folderInsideHiddenFolderCanBeChosen();
  void restoredFolderIsInViewOnceTheTreeHasLoaded();
  void rightClickInTheTreeChoosesTheFolder();
  void treeFollowsTheDiskAndAVanishedFolderGivesWayToItsParent();
  void longPathsShowTheirStartAndCanBeReadWhole();
  void namesShowOverTheirTextAndLongOnesAreCutWithAnEllipsis();
  void rowsInViewStayPutWhenFoldersAppearOrVanishAboveThem();
  void droppedFolderOrDrawingsAreChosen();
  void previewKeyWorksInTheWholeWindowAndNeedsADrawing();
  void countTextFollowsEverySelectionChange();
  void autoSelectWritesItsSettingAndUntickingKeepsTheSelection();
  // ---- destination lock ----
  void lockedDestinationFollowsTheTreeAndUnlockKeepsIt();
};

// ---- folder change and the file list ------------------------------------------------------

void MainWindowFilesTest::folderChangeListsDrawingsAndSelectsTheFirst() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"b.dxf", "A.DXF", "c.Dxf", ".hidden.dxf", "notes.txt", "plan.dxf.bak"});
  QVERIFY(QDir(folder.path()).mkdir("survey.dxf"));
  Fixture f;
  QVERIFY(!f.Enabled("BitBtn3"));

  QVERIFY(f.window.SelectFolder(folder.path()));

  // Hidden files and folders are left out; letter case does not decide the order.
  QCOMPARE(Rows(f.fl1()), QStringList({"A.DXF", "b.dxf", "c.Dxf"}));
  QCOMPARE(f.fl1()->currentRow(), 0);
  QCOMPARE(f.window.SelectedFileNames(), QStringList({"A.DXF"}));
  QCOMPARE(f.Label("Label3"), QString("1 selected."));
  QCOMPARE(f.Label("Label30"), QDir::toNativeSeparators(folder.path()));
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(folder.path()));
  QCOMPARE(f.window.FileListFolder(), QDir::toNativeSeparators(folder.path()));
  QVERIFY(f.Enabled("BitBtn3"));
  // Unlocked: the destination is not touched by a folder change.
  QCOMPARE(Child<QLineEdit>(f.window, "Edit1")->text(), QString());
}

void MainWindowFilesTest::folderChangeWithAutoSelectSelectsEveryFile() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"one.dxf", "two.dxf", "three.dxf"});
  Fixture f;
  Child<QCheckBox>(f.window, "autosel")->setChecked(true);

  QVERIFY(f.window.SelectFolder(folder.path()));

  QCOMPARE(f.window.SelectedFileNames(), QStringList({"one.dxf", "three.dxf", "two.dxf"}));
  QCOMPARE(f.Label("Label3"), QString("3 selected."));
}

void MainWindowFilesTest::folderWithoutDrawingsDisablesTheRunButton() {
  QTemporaryDir drawings;
  QTemporaryDir empty;
  MakeFiles(drawings.path(), {"site.dxf"});
  MakeFiles(empty.path(), {"readme.txt"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(drawings.path()));
  QVERIFY(f.Enabled("BitBtn3"));

  QVERIFY(f.window.SelectFolder(empty.path()));

  QCOMPARE(f.fl1()->count(), 0);
  QCOMPARE(f.Label("Label3"), QString("0 selected."));
  QVERIFY(!f.Enabled("BitBtn3"));
}

void MainWindowFilesTest::folderThatVanishedListsNothing() {
  QTemporaryDir parent;
  const QString folder = parent.path() + "/gone";
  QVERIFY(QDir().mkpath(folder));
  MakeFiles(folder, {"a.dxf", "b.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder));
  QCOMPARE(f.fl1()->count(), 2);

  QVERIFY(QDir(folder).removeRecursively());
  f.Trigger("Refreshfolder1");

  // The old names must not stay behind a run button that still works.
  QCOMPARE(f.fl1()->count(), 0);
  QVERIFY(!f.Enabled("BitBtn3"));
  QCOMPARE(f.Label("Label3"), QString("0 selected."));
}

void MainWindowFilesTest::noSelectedFolderEmptiesTheList() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  QVERIFY(f.window.LockAction());

  Child<QTreeView>(f.window, "sh1")->setCurrentIndex(QModelIndex());

  QCOMPARE(f.fl1()->count(), 0);
  QVERIFY(!f.Enabled("BitBtn3"));
  QCOMPARE(f.Label("Label30"), QString());
  QCOMPARE(Child<QLineEdit>(f.window, "Edit1")->text(), QString());
  // "Refresh folder" must not bring back the folder that is no longer chosen.
  f.Trigger("Refreshfolder1");
  QCOMPARE(f.fl1()->count(), 0);
}

void MainWindowFilesTest::folderInsideHiddenFolderCanBeChosen() {
  // Start-up restores the last folder, wherever it is (drawings under ~/.wine, for example).
  QTemporaryDir parent;
  const QString folder = parent.path() + "/.hidden/drawings";
  QVERIFY(QDir().mkpath(folder));
  MakeFiles(folder, {"a.dxf"});
  Fixture f;

  QVERIFY(f.window.SelectFolder(folder));
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(folder));
  QCOMPARE(Rows(f.fl1()), QStringList({"a.dxf"}));
  QVERIFY(!f.window.SelectFolder(parent.path() + "/missing"));
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(folder));
}

void MainWindowFilesTest::restoredFolderIsInViewOnceTheTreeHasLoaded() {
  // Start-up chooses the last folder before the window shows and before the model has read the
  // folders around it: the tree must still end up showing it, among many siblings above it.
  QTemporaryDir parent;
  for (int i = 0; i < 300; ++i) QVERIFY(QDir(parent.path()).mkdir(QString("a%1").arg(i, 3, 10, QChar('0'))));
  const QString folder = parent.path() + "/zz/drawings";
  QVERIFY(QDir().mkpath(folder));
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder));
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  auto* tree = Child<QTreeView>(f.window, "sh1");
  auto* model = qobject_cast<corvane::FolderTreeModel*>(tree->model());
  QVERIFY(model);
  const QModelIndex chosen = model->index(folder);
  const auto inView = [&] {
    const QRect row = tree->visualRect(chosen);
    return row.isValid() && tree->viewport()->rect().contains(row.center());
  };
  QTRY_VERIFY_WITH_TIMEOUT(inView(), 5000);
  // Rows that arrive or are sorted later must not push it out again.
  QTest::qWait(1000);
  QVERIFY(inView());
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(folder));

  // Once the user scrolls, the tree stays where the user put it, even as a folder opened at the
  // top brings new rows.
  QVERIFY(QDir(parent.path()).mkdir("a000/inner"));
  tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  tree->expand(model->index(parent.path() + "/a000"));
  QTRY_COMPARE(model->rowCount(model->index(parent.path() + "/a000")), 1);
  QTest::qWait(200);
  QCOMPARE(tree->verticalScrollBar()->value(), 0);
}

void MainWindowFilesTest::rightClickInTheTreeChoosesTheFolder() {
  QTemporaryDir parent;
  QVERIFY(QDir(parent.path()).mkdir("east"));
  QVERIFY(QDir(parent.path()).mkdir("west"));
  MakeFiles(parent.path() + "/east", {"e.dxf"});
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(f.window.SelectFolder(parent.path() + "/east"));
  QVERIFY(f.window.SelectFolder(parent.path() + "/west"));
  auto* tree = Child<QTreeView>(f.window, "sh1");
  auto* model = qobject_cast<corvane::FolderTreeModel*>(tree->model());
  QVERIFY(model);
  const QModelIndex east = model->index(parent.path() + "/east");
  tree->scrollTo(east);

  QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualRect(east).center());

  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(parent.path() + "/east"));
  QCOMPARE(Rows(f.fl1()), QStringList({"e.dxf"}));
}

void MainWindowFilesTest::treeFollowsTheDiskAndAVanishedFolderGivesWayToItsParent() {
  QTemporaryDir parent;
  QVERIFY(QDir(parent.path()).mkdir("east"));
  QVERIFY(QDir(parent.path()).mkdir("north"));
  MakeFiles(parent.path() + "/east", {"e.dxf"});
  MakeFiles(parent.path() + "/north", {"n.dxf"});
  MakeFiles(parent.path(), {"site.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(parent.path() + "/north"));
  QVERIFY(f.window.LockAction());
  auto* tree = Child<QTreeView>(f.window, "sh1");
  const QModelIndex top = qobject_cast<corvane::FolderTreeModel*>(tree->model())->index(parent.path());
  const auto rows = [&] {
    QStringList names;
    for (int row = 0; row < tree->model()->rowCount(top); ++row)
      names << tree->model()->index(row, 0, top).data().toString();
    names.sort();
    return names;
  };
  QTRY_COMPARE(rows(), QStringList({"east", "north"}));

  // Coming back to the window from a file manager. On Linux the tree's watcher reports changes
  // by itself; on Windows the tree watches nothing (Qt's watcher there would keep the folders
  // from being removed) and looks at the disk again when its window becomes active.
  const auto comeBack = [&] {
#ifdef Q_OS_WIN
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(tree, &activate);
#endif
  };

  // Made in a file manager while the program runs.
  QVERIFY(QDir(parent.path()).mkdir("west"));
  comeBack();
  QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList({"east", "north", "west"}), 5000);
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(parent.path() + "/north"));

  // The chosen folder removed: the list and the locked destination go to its parent, never to
  // a neighbour's drawings.
  QVERIFY(QDir(parent.path() + "/north").removeRecursively());
  comeBack();
  QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList({"east", "west"}), 5000);
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(parent.path()));
  QCOMPARE(Rows(f.fl1()), QStringList({"site.dxf"}));
  QCOMPARE(Child<QLineEdit>(f.window, "Edit1")->text(), QDir::toNativeSeparators(parent.path()));
  QCOMPARE(f.Label("Label30"), QDir::toNativeSeparators(parent.path()));
}

void MainWindowFilesTest::longPathsShowTheirStartAndCanBeReadWhole() {
  QTemporaryDir parent;
  const QString folder =
      parent.path() + "/" + QStringLiteral("Survey of the northern bypass ") + QString(90, 'x');
  QVERIFY(QDir().mkpath(folder));
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(f.window.LockAction());
  QVERIFY(f.window.SelectFolder(folder));
  const QString path = QDir::toNativeSeparators(folder);
  auto* edit1 = Child<QLineEdit>(f.window, "Edit1");
  auto* label30 = Child<QLabel>(f.window, "Label30");

  // The box shows where the path starts, not its tail, and both tell the whole of it.
  QCOMPARE(edit1->text(), path);
  QCOMPARE(edit1->cursorPosition(), 0);
  QCOMPARE(corvane::WholeNameTip(edit1, QPoint(2, 2)), path);
  QCOMPARE(corvane::WholeNameTip(label30, QPoint(2, 2)), path);
  f.window.SetDestinationFolder(path + "/data");
  QCOMPARE(edit1->cursorPosition(), 0);
  QCOMPARE(corvane::WholeNameTip(edit1, QPoint(2, 2)), path + "/data");

  // A path that fits keeps the box's own hint.
  f.window.SetDestinationFolder(QDir::toNativeSeparators(parent.path()));
  QCOMPARE(corvane::WholeNameTip(edit1, QPoint(2, 2)), QString());

  // The tree's row tells its full path, and is not cut.
  auto* tree = Child<QTreeView>(f.window, "sh1");
  QCOMPARE(tree->currentIndex().data(Qt::ToolTipRole).toString(), path);
  QCOMPARE(tree->textElideMode(), Qt::ElideNone);
}

void MainWindowFilesTest::namesShowOverTheirTextAndLongOnesAreCutWithAnEllipsis() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf", "Northern bypass, section 14 - final survey.dxf"});
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(f.window.SelectFolder(folder.path()));
  QListWidget* list = f.fl1();
  QWidget* rows = list->viewport();

  // Over a name the row tells that name; after a short name and below the last row the list's
  // own hint shows.
  const QRect second = list->visualItemRect(list->item(1));
  QCOMPARE(corvane::WholeNameTip(rows, second.topLeft() + QPoint(30, 3)),
           QStringLiteral("Northern bypass, section 14 - final survey.dxf"));
  const QRect first = list->visualItemRect(list->item(0));
  QCOMPARE(corvane::WholeNameTip(rows, first.topLeft() + QPoint(20, 3)), QStringLiteral("a.dxf"));
  QCOMPARE(corvane::WholeNameTip(rows, QPoint(first.right() - 5, first.top() + 3)), QString());
  QCOMPARE(corvane::WholeNameTip(rows, QPoint(20, second.bottom() + 30)), QString());

  // The configuration in use: a long name is cut with an ellipsis, its whole path is told.
  auto* label19 = Child<QLabel>(f.window, "Label19");
  const QString path = QDir::toNativeSeparators(folder.path() + "/" + QString(80, 'k') + ".crv");
  f.window.ShowConfigName(QString(80, 'k') + ".crv", folder.path() + "/" + QString(80, 'k') + ".crv");
  QVERIFY2(label19->text().endsWith(QChar(0x2026)), qPrintable(label19->text()));
  QVERIFY(!corvane::TextIsCut(label19));
  QCOMPARE(corvane::WholeNameTip(label19, QPoint(2, 2)), path);
  f.window.ShowConfigName(QStringLiteral("survey.crv"), folder.path() + "/survey.crv");
  QCOMPARE(label19->text(), QStringLiteral("survey.crv"));
  QCOMPARE(f.window.ConfigName(), QStringLiteral("survey.crv"));
}

namespace {

// The user comes back to the window after changing folders elsewhere. On Linux the tree's model
// watches the folders itself; on Windows the tree looks at the disk again when its window
// becomes active.
void ComeBackTo(QTreeView* tree) {
#ifdef Q_OS_WIN
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(tree, &activate);
#else
  Q_UNUSED(tree);
#endif
}

}  // namespace

void MainWindowFilesTest::rowsInViewStayPutWhenFoldersAppearOrVanishAboveThem() {
  QTemporaryDir parent;
  for (int i = 0; i < 40; ++i) QVERIFY(QDir(parent.path()).mkdir(QStringLiteral("m%1").arg(i, 2, 10, QChar('0'))));
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  auto* tree = Child<QTreeView>(f.window, "sh1");
  const QString target = parent.path() + "/m30";
  QVERIFY(f.window.SelectFolder(target));
  auto* model = qobject_cast<corvane::FolderTreeModel*>(tree->model());
  const QModelIndex folderRow = model->index(parent.path());
  QTRY_COMPARE(model->rowCount(folderRow), 40);
  // The user has the tree where it is and clicks a row in the middle of the view.
  tree->scrollTo(model->index(target), QAbstractItemView::PositionAtCenter);
  QTest::qWait(300);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree->visualRect(model->index(target)).center());
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(target));
  const int before = tree->visualRect(model->index(target)).top();
  QVERIFY(tree->viewport()->rect().contains(QPoint(5, before + 2)));

  // Two folders made above it, from outside the program: the rows in view stay where they are.
  QVERIFY(QDir(parent.path()).mkdir(QStringLiteral("a1")));
  QVERIFY(QDir(parent.path()).mkdir(QStringLiteral("a2")));
  ComeBackTo(tree);
  QTRY_COMPARE(model->rowCount(folderRow), 42);
  QTRY_VERIFY(model->index(parent.path() + "/a2").row() < model->index(target).row());
  QTest::qWait(300);
  QCOMPARE(tree->visualRect(model->index(target)).top(), before);

  // And when they vanish again.
  QVERIFY(QDir(parent.path()).rmdir(QStringLiteral("a1")));
  QVERIFY(QDir(parent.path()).rmdir(QStringLiteral("a2")));
  ComeBackTo(tree);
  QTRY_COMPARE(model->rowCount(folderRow), 40);
  QTest::qWait(300);
  QCOMPARE(tree->visualRect(model->index(target)).top(), before);
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(target));
}

namespace {

// Drags `paths` (local files) onto `target` at its centre and drops them, as a file manager does.
bool DropOn(QWidget* target, const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data->setUrls(urls);
  const QPointF at = QRectF(target->rect()).center();
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) {
    delete data;
    return false;
  }
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  delete data;
  return drop.isAccepted();
}

}  // namespace

void MainWindowFilesTest::droppedFolderOrDrawingsAreChosen() {
  QTemporaryDir parent;
  const QString jobs = parent.path() + "/jobs";
  QVERIFY(QDir().mkpath(jobs));
  MakeFiles(jobs, {"a.dxf", "b.DXF", "c.dxf"});
  QVERIFY(corvane::uitest::WriteBytes(jobs + "/notes.txt", "notes"));
  Fixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));

  // A folder dropped on the file list: chosen in the tree, its drawings listed.
  QVERIFY(DropOn(f.fl1()->viewport(), {jobs}));
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(jobs));
  QCOMPARE(Rows(f.fl1()), QStringList({"a.dxf", "b.DXF", "c.dxf"}));

  // Two drawings dropped anywhere, here on the entity group: those two are selected.
  QVERIFY(f.window.SelectFolder(parent.path()));
  QVERIFY(DropOn(Child<QWidget>(f.window, "GroupBox1"), {jobs + "/b.DXF", jobs + "/c.dxf"}));
  QCOMPARE(f.window.SelectedFolderPath(), QDir::toNativeSeparators(jobs));
  QCOMPARE(f.window.SelectedFileNames(), QStringList({"b.DXF", "c.dxf"}));
  QCOMPARE(f.Label("Label3"), QString("2 selected."));
  // On a text box too: files from a file manager are the window's, not a text to paste.
  auto* prefix = Child<QLineEdit>(f.window, "Edit6");
  const QString prefixText = prefix->text();
  QVERIFY(DropOn(prefix, {jobs + "/a.dxf"}));
  QCOMPARE(f.window.SelectedFileNames(), QStringList({"a.dxf"}));
  QCOMPARE(prefix->text(), prefixText);

  // Anything else says why nothing happened.
  MessageBoxCatcher box;
  box.Arm(&f.window);
  QVERIFY(DropOn(f.fl1()->viewport(), {jobs + "/notes.txt"}));
  QCOMPARE(box.seen, 1);
  QVERIFY2(box.text.contains(QLatin1String("\"notes.txt\" is neither a DXF drawing nor a folder")),
           qPrintable(box.text));
  QCOMPARE(f.window.SelectedFileNames(), QStringList({"a.dxf"}));
}

void MainWindowFilesTest::previewKeyWorksInTheWholeWindowAndNeedsADrawing() {
  QTemporaryDir empty;
  Fixture f;
  f.ShowLists();
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(f.window.SelectFolder(empty.path()));
  QAction* item = f.window.findChild<QAction*>(QStringLiteral("PreviewPoints1"));
  QVERIFY(item);
  // An empty list has nothing to preview: the menu item is off.
  auto* menu = f.window.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
  QMetaObject::invokeMethod(menu, "aboutToShow");
  QVERIFY(!item->isEnabled());
  f.window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f.window));
  QTest::keyClick(Child<QLineEdit>(f.window, "Edit6"), Qt::Key_P, Qt::ControlModifier);
  QVERIFY(f.window.PreviewWindow() == nullptr);

  MakeFiles(empty.path(), {"a.dxf"});
  f.Trigger("Refreshfolder1");
  f.fl1()->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  QMetaObject::invokeMethod(menu, "aboutToShow");
  QVERIFY(item->isEnabled());
  // Ctrl+P with the focus in a text box, far from the file list.
  auto* prefix = Child<QLineEdit>(f.window, "Edit6");
  prefix->setFocus();
  QTRY_VERIFY(prefix->hasFocus());
  QTest::keyClick(prefix, Qt::Key_P, Qt::ControlModifier);
  QTRY_VERIFY(f.window.PreviewWindow() != nullptr);
  QCOMPARE(f.window.PreviewWindow()->DrawingPath(),
           QFile::encodeName(QDir::toNativeSeparators(QDir(empty.path()).filePath("a.dxf"))).toStdString());
  f.window.PreviewWindow()->close();
}

void MainWindowFilesTest::countTextFollowsEverySelectionChange() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf", "b.dxf", "c.dxf", "d.dxf"});
  Fixture f;
  QCOMPARE(f.Label("Label3"), QString("Files selected."));
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(f.window.SelectFolder(folder.path()));
  QListWidget* list = f.fl1();

  // Ctrl and Shift clicks, as a user adds to the selection.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(2)).center());
  QCOMPARE(f.Label("Label3"), QString("2 selected."));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                    list->visualItemRect(list->item(3)).center());
  QCOMPARE(f.window.SelectedFileNames(), QStringList({"a.dxf", "c.dxf", "d.dxf"}));
  QCOMPARE(f.Label("Label3"), QString("3 selected."));
  // Keyboard selection.
  QTest::keyClick(list, Qt::Key_Up);
  QCOMPARE(f.Label("Label3"), QString("1 selected."));

  f.Trigger("SelectAll1");
  QCOMPARE(f.Label("Label3"), QString("4 selected."));

  MakeFiles(folder.path(), {"e.dxf"});
  f.Trigger("Refreshfolder1");
  QCOMPARE(f.fl1()->count(), 5);
  QCOMPARE(f.Label("Label3"), QString("0 selected."));
}

void MainWindowFilesTest::autoSelectWritesItsSettingAndUntickingKeepsTheSelection() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf", "b.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  QCheckBox* autosel = Child<QCheckBox>(f.window, "autosel");

  autosel->click();
  QCOMPARE(f.store.bools.at("autosel"), true);
  QCOMPARE(f.Label("Label3"), QString("2 selected."));

  autosel->click();
  QCOMPARE(f.store.bools.at("autosel"), false);
  QCOMPARE(f.Label("Label3"), QString("2 selected."));
}

// ---- destination lock ---------------------------------------------------------------------

void MainWindowFilesTest::lockedDestinationFollowsTheTreeAndUnlockKeepsIt() {
  QTemporaryDir first;
  QTemporaryDir second;
  QTemporaryDir third;
  Fixture f;
  QVERIFY(f.window.SelectFolder(first.path()));
  QLineEdit* destination = Child<QLineEdit>(f.window, "Edit1");
  QToolButton* locked = Child<QToolButton>(f.window, "SpeedButton1");
  QToolButton* unlocked = Child<QToolButton>(f.window, "SpeedButton2");
  QVERIFY(!f.window.IsLocked());

  f.Click("SpeedButton2");
  QCOMPARE(f.store.bools.at("locked"), true);
  QVERIFY(f.window.IsLocked());
  QVERIFY(!locked->isHidden());
  QVERIFY(unlocked->isHidden());
  QVERIFY(!f.Enabled("SpeedButton4"));
  QCOMPARE(destination->text(), QDir::toNativeSeparators(first.path()));

  QVERIFY(f.window.SelectFolder(second.path()));
  QCOMPARE(destination->text(), QDir::toNativeSeparators(second.path()));

  f.Click("SpeedButton1");
  QCOMPARE(f.store.bools.at("locked"), false);
  QVERIFY(locked->isHidden());
  QVERIFY(!unlocked->isHidden());
  QVERIFY(f.Enabled("SpeedButton4"));
  QCOMPARE(destination->text(), QDir::toNativeSeparators(second.path()));

  // Unlocked, the tree no longer moves the destination; only the browse handler may.
  QVERIFY(f.window.SelectFolder(third.path()));
  QCOMPARE(destination->text(), QDir::toNativeSeparators(second.path()));
  int browsed = 0;
  f.window.SetBrowseDestinationHandler([&browsed] { ++browsed; });
  f.Click("SpeedButton4");
  QCOMPARE(browsed, 1);
}

QTEST_MAIN(MainWindowFilesTest)
#include "main_window_files_test.moc"
