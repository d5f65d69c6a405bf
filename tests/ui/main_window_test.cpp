// The main window driven through its real widgets, found by their object names, over real
// temporary folders holding real drawings and an in-memory settings store.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>
#include <map>
#include <set>

#include "config/lookup_lists.h"
#include "tests/ui/ui_test_support.h"
#include "ui/folder_tree_model.h"
#include "ui/main.h"
#include "ui/point_preview_window.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"

using corvane::TForm1;

namespace {

// Remembers every Boolean written; names in `refused` fail the way a locked registry key does.
class MemoryStore : public corvane::SettingsStore {
 public:
  std::map<std::string, bool> bools;
  std::set<std::string> refused;
  int writes = 0;

  bool ReadBool(std::string_view name, bool& value, std::string& error) override {
    const auto found = bools.find(std::string(name));
    if (found == bools.end()) {
      error = "Failed to get data for '" + std::string(name) + "'";
      return false;
    }
    value = found->second;
    return true;
  }
  bool ReadText(std::string_view, std::string& value, std::string&) override {
    value.clear();
    return true;
  }
  bool WriteBool(std::string_view name, bool value, std::string& error) override {
    if (refused.count(std::string(name))) {
      error = "Failed to set data for '" + std::string(name) + "'";
      return false;
    }
    ++writes;
    bools[std::string(name)] = value;
    return true;
  }
  bool WriteText(std::string_view, std::string_view, std::string&) override { return true; }
};

// Catches the next message box of `owner`'s event loop, notes what it showed and closes it.
struct MessageBoxCatcher {
  int seen = 0;
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;

  void Arm(QObject* owner) {
    QTimer::singleShot(0, owner, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++seen;
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
      }
    });
  }
};

template <class T>
T* Child(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no control named %s", name);
  return found;
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int row = 0; row < list->count(); ++row) rows << list->item(row)->text();
  return rows;
}

QList<bool> Ticks(const QListWidget* list) {
  QList<bool> ticks;
  for (int row = 0; row < list->count(); ++row) {
    ticks << (list->item(row)->checkState() == Qt::Checked);
  }
  return ticks;
}

void MakeFiles(const QString& folder, const QStringList& names) {
  for (const QString& name : names) {
    QVERIFY(corvane::uitest::WriteBytes(folder + "/" + name, "0\r\nSECTION\r\n0\r\nEOF\r\n"));
  }
}

corvane::LookupLists ShippedLists() {
  corvane::LookupLists lists;
  const std::string message = corvane::LoadLookupLists(corvane::uitest::ProgramFolder(), lists);
  if (!message.empty()) qFatal("lookup lists: %s", message.c_str());
  return lists;
}

// One window over a fresh store and record, as the program creates it.
struct Fixture {
  MemoryStore store;
  corvane::TExportConfig record = corvane::ZeroConfig();
  TForm1 window{store, record};

  QListWidget* fl1() { return Child<QListWidget>(window, "fl1"); }
  QListWidget* fields() { return Child<QListWidget>(window, "listechoix1"); }
  QListWidget* customs() { return Child<QListWidget>(window, "listechoix2"); }
  QString Label(const char* name) { return Child<QLabel>(window, name)->text(); }
  bool Enabled(const char* name) { return Child<QWidget>(window, name)->isEnabled(); }
  void Click(const char* name) { Child<QAbstractButton>(window, name)->click(); }
  void Trigger(const char* name) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(name));
    if (!action) qFatal("no menu item named %s", name);
    action->trigger();
  }
  void ShowLists() {
    window.FillLists(ShippedLists());
  }
  void Tick(QListWidget* list, int row, bool on) {
    list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
};

}  // namespace

class MainWindowTest : public QObject {
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
  // ---- entity options ----
  void entitySubOptionsFollowTheirParentAndKeepTheirTicks_data();
  void entitySubOptionsFollowTheirParentAndKeepTheirTicks();
  // ---- exported fields ----
  void fieldClickShowsThePageOfThatFieldWhereverItStands();
  void forcedZBoxFollowsForceToWhileZIsTicked();
  void customDataPageEnablesItsPanelAndCustomList();
  void moveUpAndDownSwapRowsAndStopAtTheEnds_data();
  void moveUpAndDownSwapRowsAndStopAtTheEnds();
  void customItemClickShowsLabelAndStartValues();
  void rowsAreFoundByNameWithLetterCaseOfAToZIgnored();
  void popupMenusTickAndUntickWholeLists();
  // ---- options page and links ----
  void optionsPageSwitchesAndWritesItsSettings();
  void helpWebAndMailOpenTheirAddresses();
  // ---- hooks for the commands built elsewhere ----
  void commandButtonsAndCloseRequestsGoThroughSignals();
  // ---- failures ----
  void refusedSettingsWriteShowsErrorBoxAndChangesNothing();
  // ---- the form itself ----
  void textBoxesAcceptNoMoreThanTheirFieldHolds_data();
  void textBoxesAcceptNoMoreThanTheirFieldHolds();
  void everyCaptionFitsItsControl();
};

// ---- folder change and the file list ------------------------------------------------------

void MainWindowTest::folderChangeListsDrawingsAndSelectsTheFirst() {
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

void MainWindowTest::folderChangeWithAutoSelectSelectsEveryFile() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"one.dxf", "two.dxf", "three.dxf"});
  Fixture f;
  Child<QCheckBox>(f.window, "autosel")->setChecked(true);

  QVERIFY(f.window.SelectFolder(folder.path()));

  QCOMPARE(f.window.SelectedFileNames(), QStringList({"one.dxf", "three.dxf", "two.dxf"}));
  QCOMPARE(f.Label("Label3"), QString("3 selected."));
}

void MainWindowTest::folderWithoutDrawingsDisablesTheRunButton() {
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

void MainWindowTest::folderThatVanishedListsNothing() {
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

void MainWindowTest::noSelectedFolderEmptiesTheList() {
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

void MainWindowTest::folderInsideHiddenFolderCanBeChosen() {
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

void MainWindowTest::restoredFolderIsInViewOnceTheTreeHasLoaded() {
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

void MainWindowTest::rightClickInTheTreeChoosesTheFolder() {
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

void MainWindowTest::treeFollowsTheDiskAndAVanishedFolderGivesWayToItsParent() {
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

void MainWindowTest::longPathsShowTheirStartAndCanBeReadWhole() {
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

void MainWindowTest::namesShowOverTheirTextAndLongOnesAreCutWithAnEllipsis() {
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

void MainWindowTest::rowsInViewStayPutWhenFoldersAppearOrVanishAboveThem() {
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

void MainWindowTest::droppedFolderOrDrawingsAreChosen() {
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

void MainWindowTest::previewKeyWorksInTheWholeWindowAndNeedsADrawing() {
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

void MainWindowTest::countTextFollowsEverySelectionChange() {
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

void MainWindowTest::autoSelectWritesItsSettingAndUntickingKeepsTheSelection() {
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

void MainWindowTest::lockedDestinationFollowsTheTreeAndUnlockKeepsIt() {
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

// ---- entity options -----------------------------------------------------------------------

void MainWindowTest::entitySubOptionsFollowTheirParentAndKeepTheirTicks_data() {
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QStringList>("children");
  QTest::newRow("blocks") << "c4" << QStringList({"c17"});
  QTest::newRow("2D polylines") << "c6" << QStringList({"c7"});
  QTest::newRow("3D polylines") << "c8" << QStringList({"c9"});
  QTest::newRow("splines") << "c10" << QStringList({"c11", "c16"});
  QTest::newRow("3D faces") << "c14" << QStringList({"c15"});
}

void MainWindowTest::entitySubOptionsFollowTheirParentAndKeepTheirTicks() {
  QFETCH(QString, parent);
  QFETCH(QStringList, children);
  Fixture f;
  auto* box = Child<QCheckBox>(f.window, parent.toLatin1().constData());
  for (const QString& child : children) {
    QVERIFY2(!f.Enabled(child.toLatin1().constData()), qPrintable(child));
  }

  box->click();
  for (const QString& child : children) {
    QWidget* option = Child<QWidget>(f.window, child.toLatin1().constData());
    QVERIFY2(option->isEnabled(), qPrintable(child));
    if (auto* sub = qobject_cast<QCheckBox*>(option)) sub->setChecked(true);
  }

  box->click();
  for (const QString& child : children) {
    QWidget* option = Child<QWidget>(f.window, child.toLatin1().constData());
    QVERIFY2(!option->isEnabled(), qPrintable(child));
    if (auto* sub = qobject_cast<QCheckBox*>(option)) QVERIFY(sub->isChecked());
  }

  // Ticks set by the program (as a loaded configuration does) count like clicks.
  box->setChecked(true);
  for (const QString& child : children) QVERIFY(f.Enabled(child.toLatin1().constData()));
}

// ---- exported fields ----------------------------------------------------------------------

void MainWindowTest::fieldClickShowsThePageOfThatFieldWhereverItStands() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  auto* pages = Child<QStackedWidget>(f.window, "PageControl2");
  QCOMPARE(Rows(fields), QStringList({"Number", "X Coordinate", "Y Coordinate", "Z Coordinate",
                                      "Custom data"}));
  QCOMPARE(Ticks(fields), QList<bool>(5, false));

  fields->setCurrentRow(1);
  QCOMPARE(pages->currentIndex(), 1);
  QVERIFY(!f.Enabled("Edit8"));
  QVERIFY(!f.Enabled("ComboBox3"));
  QVERIFY(!f.Enabled("data1"));

  // Ticking with the space bar is a click too.
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  fields->setFocus();
  QTest::keyClick(fields, Qt::Key_Space);
  QVERIFY(fields->item(1)->checkState() == Qt::Checked);
  QVERIFY(f.Enabled("data1"));
  QVERIFY(f.Enabled("Edit8"));
  QVERIFY(f.Enabled("ComboBox3"));

  // The page follows the field's name, not its row.
  fields->setCurrentRow(3);
  f.Click("BitBtn12");
  f.Click("BitBtn12");
  f.Click("BitBtn12");
  QCOMPARE(fields->currentRow(), 0);
  QCOMPARE(fields->item(0)->text(), QString("Z Coordinate"));
  fields->setCurrentRow(1);
  QCOMPARE(pages->currentIndex(), 0);
  fields->setCurrentRow(0);
  QCOMPARE(pages->currentIndex(), 3);
  QVERIFY(!f.Enabled("Edit10"));
}

void MainWindowTest::forcedZBoxFollowsForceToWhileZIsTicked() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  auto* forceTo = Child<QCheckBox>(f.window, "CheckBox8");

  fields->setCurrentRow(3);
  f.Tick(fields, 3, true);
  QVERIFY(f.Enabled("Edit10"));
  QVERIFY(f.Enabled("CheckBox8"));
  QVERIFY(!f.Enabled("Edit11"));

  forceTo->click();
  QVERIFY(f.Enabled("Edit11"));

  // Unticking Z greys the whole page, the forced value included, but keeps "Force to : ".
  f.Tick(fields, 3, false);
  QVERIFY(!f.Enabled("Edit11"));
  QVERIFY(!f.Enabled("CheckBox8"));
  QVERIFY(forceTo->isChecked());

  f.Tick(fields, 3, true);
  QVERIFY(f.Enabled("Edit11"));
  forceTo->click();
  f.Tick(fields, 3, false);
  f.Tick(fields, 3, true);
  QVERIFY(!f.Enabled("Edit11"));
}

void MainWindowTest::customDataPageEnablesItsPanelAndCustomList() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  QListWidget* customs = f.customs();
  customs->setCurrentRow(5);

  fields->setCurrentRow(4);
  QCOMPARE(Child<QStackedWidget>(f.window, "PageControl2")->currentIndex(), 4);
  QCOMPARE(customs->currentRow(), 0);
  QVERIFY(!customs->isEnabled());
  QVERIFY(!f.Enabled("Edit2"));

  f.Tick(fields, 4, true);
  QVERIFY(customs->isEnabled());
  QVERIFY(f.Enabled("Edit2"));
  QVERIFY(f.Enabled("Edit3"));
  QVERIFY(!f.Enabled("BitBtn1"));  // row 0: nothing above
  QVERIFY(f.Enabled("BitBtn2"));
  QVERIFY(!f.Enabled("Edit7"));    // "Entity type" has no value to edit
}

void MainWindowTest::moveUpAndDownSwapRowsAndStopAtTheEnds_data() {
  QTest::addColumn<QString>("list");
  QTest::addColumn<QString>("up");
  QTest::addColumn<QString>("down");
  QTest::newRow("exported fields") << "listechoix1" << "BitBtn12" << "BitBtn13";
  QTest::newRow("custom items") << "listechoix2" << "BitBtn1" << "BitBtn2";
}

void MainWindowTest::moveUpAndDownSwapRowsAndStopAtTheEnds() {
  QFETCH(QString, list);
  QFETCH(QString, up);
  QFETCH(QString, down);
  Fixture f;
  f.ShowLists();
  f.Tick(f.fields(), 4, true);  // the custom list is usable only while custom data is ticked
  f.fields()->setCurrentRow(4);
  auto* rows = Child<QListWidget>(f.window, list.toLatin1().constData());
  const QByteArray upBytes = up.toLatin1();
  const QByteArray downBytes = down.toLatin1();
  const char* upName = upBytes.constData();
  const char* downName = downBytes.constData();
  const int last = rows->count() - 1;
  f.Tick(rows, 0, true);
  rows->setCurrentRow(0);
  const QStringList original = Rows(rows);

  QVERIFY(!f.Enabled(upName));
  QVERIFY(f.Enabled(downName));
  // A disabled button ignores clicks; Move Up on the top row must do nothing on its own too.
  QMetaObject::invokeMethod(Child<QAbstractButton>(f.window, upName), "clicked");
  QCOMPARE(Rows(rows), original);
  QCOMPARE(rows->currentRow(), 0);

  f.Click(downName);
  QCOMPARE(rows->currentRow(), 1);
  QCOMPARE(rows->item(1)->text(), original[0]);
  QCOMPARE(rows->item(0)->text(), original[1]);
  QVERIFY(rows->item(1)->checkState() == Qt::Checked);
  QVERIFY(rows->item(0)->checkState() == Qt::Unchecked);
  QVERIFY(f.Enabled(upName));
  QVERIFY(f.Enabled(downName));

  for (int step = 1; step < last; ++step) f.Click(downName);
  QCOMPARE(rows->currentRow(), last);
  QCOMPARE(rows->item(last)->text(), original[0]);
  QVERIFY(!f.Enabled(downName));
  const QStringList atBottom = Rows(rows);
  QMetaObject::invokeMethod(Child<QAbstractButton>(f.window, downName), "clicked");
  QCOMPARE(Rows(rows), atBottom);
  QCOMPARE(rows->currentRow(), last);

  f.Click(upName);
  QCOMPARE(rows->currentRow(), last - 1);
  QCOMPARE(rows->item(last - 1)->text(), original[0]);
  QVERIFY(f.Enabled(downName));
}

void MainWindowTest::customItemClickShowsLabelAndStartValues() {
  Fixture f;
  f.record.CustomLabel.assign("Site A");
  f.record.SequenceStart = 12;
  f.record.EntityNumberStart = -3;
  f.ShowLists();
  f.Tick(f.fields(), 4, true);
  f.fields()->setCurrentRow(4);
  QListWidget* customs = f.customs();
  auto* value = Child<QLineEdit>(f.window, "Edit7");

  f.Tick(customs, 5, true);
  customs->setCurrentRow(5);
  QCOMPARE(f.Label("Label9"), QString("Label :"));
  QCOMPARE(value->text(), QString("Site A"));
  QVERIFY(value->isEnabled());
  QVERIFY(f.Enabled("Label9"));

  f.Tick(customs, 6, true);
  customs->setCurrentRow(6);
  QCOMPARE(f.Label("Label9"), QString("Start at :"));
  QCOMPARE(value->text(), QString("12"));
  QVERIFY(value->isEnabled());

  // An unticked item shows its value but cannot be edited.
  customs->setCurrentRow(7);
  QCOMPARE(f.Label("Label9"), QString("Start at :"));
  QCOMPARE(value->text(), QString("-3"));
  QVERIFY(!value->isEnabled());
  QVERIFY(!f.Enabled("Label9"));
  QVERIFY(!f.Enabled("BitBtn2"));

  // An item without a value leaves label and text as they were.
  f.Tick(customs, 1, true);
  customs->setCurrentRow(1);
  QCOMPARE(value->text(), QString("-3"));
  QVERIFY(!value->isEnabled());

  // The item is found by its name after a move, not by its row.
  customs->setCurrentRow(5);
  f.Click("BitBtn1");
  customs->setCurrentRow(3);
  customs->setCurrentRow(4);
  QCOMPARE(customs->item(4)->text(), QString("Label"));
  QCOMPARE(value->text(), QString("Site A"));
}

void MainWindowTest::rowsAreFoundByNameWithLetterCaseOfAToZIgnored() {
  // The lists hold names in the system's 8-bit encoding (UTF-8 here, the ANSI code page on
  // Windows), as the program's files do.
  const std::string cafe = QString::fromUtf8("Caf\xc3\xa9").toLocal8Bit().toStdString();
  const std::vector<std::string> names = {"Number", "X Coordinate", cafe, "number"};
  QCOMPARE(corvane::IndexOfName(names, "NUMBER"), 0);
  QCOMPARE(corvane::IndexOfName(names, "x coordinate"), 1);
  QCOMPARE(corvane::IndexOfName(names, "X Coordinate "), -1);
  QCOMPARE(corvane::IndexOfName(names, QString::fromUtf8("CAF\xc3\xa9")), 2);
  // Only "a" to "z" are folded, as everywhere else in the program.
  QCOMPARE(corvane::IndexOfName(names, QString::fromUtf8("CAF\xc3\x89")), -1);
  QCOMPARE(corvane::IndexOfName({}, "Number"), -1);
}

void MainWindowTest::popupMenusTickAndUntickWholeLists() {
  Fixture f;
  f.ShowLists();
  f.fields()->setCurrentRow(2);

  f.Trigger("SelectAll2");
  QCOMPARE(Ticks(f.fields()), QList<bool>(5, true));
  QVERIFY(f.Enabled("Edit9"));  // the shown page follows at once

  f.Trigger("SelectNone1");
  QCOMPARE(Ticks(f.fields()), QList<bool>(5, false));
  QVERIFY(!f.Enabled("Edit9"));

  f.Trigger("SelectAll2");
  f.fields()->setCurrentRow(4);
  f.customs()->setCurrentRow(6);
  f.Trigger("MenuItem1");
  QCOMPARE(Ticks(f.customs()), QList<bool>(8, true));
  QVERIFY(f.Enabled("Edit7"));
  f.Trigger("MenuItem2");
  QCOMPARE(Ticks(f.customs()), QList<bool>(8, false));
  QVERIFY(!f.Enabled("Edit7"));
}

// ---- options page and links ---------------------------------------------------------------

void MainWindowTest::optionsPageSwitchesAndWritesItsSettings() {
  Fixture f;
  auto* pages = Child<QStackedWidget>(f.window, "PageControl1");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet1"));
  f.Click("BitBtn5");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet7"));

  f.Click("rep1");
  QCOMPARE(f.store.bools.at("showlog"), true);
  QVERIFY(f.window.ShowReport());
  f.Click("rep3");
  QCOMPARE(f.store.bools.at("showlog"), false);
  QVERIFY(!f.window.ShowReport());
  // Switched on by the program, as start-up does, a choice acts as if clicked.
  Child<QRadioButton>(f.window, "rep1")->setChecked(true);
  QVERIFY(f.window.ShowReport());
  QCOMPARE(f.store.bools.at("showlog"), true);

  QSignalSpy hints(&f.window, &TForm1::HintsSwitched);
  f.Click("shelptips");
  QCOMPARE(f.store.bools.at("showtips"), false);
  f.Click("shelptips");
  QCOMPARE(f.store.bools.at("showtips"), true);
  QCOMPARE(hints.size(), 2);
  QCOMPARE(hints.at(0).at(0).toBool(), false);
  QCOMPARE(hints.at(1).at(0).toBool(), true);

  f.Click("BitBtn6");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet1"));
}

void MainWindowTest::helpWebAndMailOpenTheirAddresses() {
  QTemporaryDir programFolder;
  Fixture f;
  QList<QUrl> opened;
  f.window.SetUrlOpener([&opened](const QUrl& url) {
    opened << url;
    return true;
  });
  f.window.SetProgramPlaces(
      corvane::PortablePlaces(QFile::encodeName(programFolder.path() + "/").toStdString()));

  f.Click("BitBtn7");
  f.Click("SpeedButton11");
  QLabel* mail = Child<QLabel>(f.window, "Label35");
  QTest::mouseClick(mail, Qt::LeftButton);

  QCOMPARE(opened.size(), 3);
  QVERIFY(opened[0].isLocalFile());
  QCOMPARE(opened[0].toLocalFile(), programFolder.path() + "/help_corvane2.html");
  QCOMPARE(opened[1].scheme(), QString("https"));
  QCOMPARE(opened[1].host(), QString("www.tessoran.example"));
  QCOMPARE(opened[2].scheme(), QString("mailto"));
  QCOMPARE(opened[2].path(), mail->text());
  QCOMPARE(QUrlQuery(opened[2]).queryItemValue("subject", QUrl::FullyDecoded),
           QString("Corvane support request"));

  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(mail, &enter);
  QVERIFY(mail->font().underline());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(mail, &leave);
  QVERIFY(!mail->font().underline());
}

// ---- hooks for the commands built elsewhere -----------------------------------------------

void MainWindowTest::commandButtonsAndCloseRequestsGoThroughSignals() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  QSignalSpy run(&f.window, &TForm1::RunRequested);
  QSignalSpy exit(&f.window, &TForm1::ExitRequested);
  QSignalSpy load(&f.window, &TForm1::LoadConfigRequested);
  QSignalSpy save(&f.window, &TForm1::SaveConfigRequested);

  // The window runs the commands itself: their boxes are closed and their dialogs cancelled.
  f.window.SetConfigFileDialog(
      [](QWidget*, const corvane::ConfigFileDialogRequest&) { return QString(); });
  MessageBoxCatcher boxes;
  boxes.Arm(&f.window);
  f.Click("BitBtn3");
  f.Click("BitBtn4");
  boxes.Arm(&f.window);
  f.Click("SpeedButton12");
  f.Click("SpeedButton13");
  QCOMPARE(boxes.seen, 2);
  QCOMPARE(run.size(), 1);
  QCOMPARE(exit.size(), 1);
  QCOMPARE(load.size(), 1);
  QCOMPARE(save.size(), 1);

  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(!f.window.close());  // the exit operation decides, not the title bar
  QCOMPARE(exit.size(), 2);
  QVERIFY(f.window.isVisible());

  f.window.AllowClose();
  QVERIFY(f.window.close());
  QCOMPARE(exit.size(), 2);
}

// ---- failures -----------------------------------------------------------------------------

void MainWindowTest::refusedSettingsWriteShowsErrorBoxAndChangesNothing() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf", "b.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  f.store.refused = {"locked", "autosel", "showlog", "showtips"};
  MessageBoxCatcher box;

  box.Arm(&f.window);
  f.Click("SpeedButton2");
  QCOMPARE(box.seen, 1);
  QCOMPARE(box.text, QString("Failed to set data for 'locked'."));
  QCOMPARE(box.title, QString("Corvane 2.0"));
  QCOMPARE(box.icon, QMessageBox::Critical);
  QVERIFY(!f.window.IsLocked());
  QVERIFY(f.Enabled("SpeedButton4"));
  QCOMPARE(Child<QLineEdit>(f.window, "Edit1")->text(), QString());

  box.Arm(&f.window);
  Child<QCheckBox>(f.window, "autosel")->click();
  QCOMPARE(box.seen, 2);
  QCOMPARE(box.text, QString("Failed to set data for 'autosel'."));
  QVERIFY(!Child<QCheckBox>(f.window, "autosel")->isChecked());
  QCOMPARE(f.Label("Label3"), QString("1 selected."));

  box.Arm(&f.window);
  f.Click("rep1");
  QCOMPARE(box.seen, 3);
  QVERIFY(!f.window.ShowReport());
  QVERIFY(!Child<QRadioButton>(f.window, "rep1")->isChecked());

  QSignalSpy hints(&f.window, &TForm1::HintsSwitched);
  box.Arm(&f.window);
  f.Click("shelptips");
  QCOMPARE(box.seen, 4);
  QVERIFY(Child<QCheckBox>(f.window, "shelptips")->isChecked());
  QCOMPARE(hints.size(), 0);

  // A choice made before keeps showing when the next write fails.
  f.store.refused.clear();
  f.Click("rep3");
  f.store.refused = {"showlog"};
  box.Arm(&f.window);
  f.Click("rep1");
  QCOMPARE(box.seen, 5);
  QVERIFY(Child<QRadioButton>(f.window, "rep3")->isChecked());
  QVERIFY(!Child<QRadioButton>(f.window, "rep1")->isChecked());
  QCOMPARE(f.store.bools.at("showlog"), false);
}

// ---- the form itself ----------------------------------------------------------------------

void MainWindowTest::textBoxesAcceptNoMoreThanTheirFieldHolds_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<int>("capacity");
  const std::pair<const char*, int> boxes[] = {
      {"Edit4", 10}, {"Edit12", 10}, {"Edit3", 10}, {"Edit11", 10}, {"Edit6", 50},
      {"Edit8", 50}, {"Edit9", 50},  {"Edit10", 50}, {"Edit2", 50}, {"Edit7", 50},
      {"c17", 100}};
  for (const auto& [name, capacity] : boxes) QTest::newRow(name) << name << capacity;
}

void MainWindowTest::textBoxesAcceptNoMoreThanTheirFieldHolds() {
  QFETCH(QString, box);
  QFETCH(int, capacity);
  Fixture f;
  auto* edit = Child<QLineEdit>(f.window, box.toLatin1().constData());
  edit->setEnabled(true);
  edit->setText(QString(capacity + 5, QLatin1Char('x')));
  QCOMPARE(edit->text().size(), capacity);
}

void MainWindowTest::everyCaptionFitsItsControl() {
#ifdef Q_OS_WIN
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    QSKIP("The offscreen platform on Windows draws with the fonts of QT_QPA_FONTDIR, not with "
          "Windows' own: the fit is only measured with the font the window really gets");
#endif
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"boundary.dxf", "contours.dxf", "levels.DXF", "manholes.dxf"});
  Fixture f;
  f.ShowLists();
  QVERIFY(f.window.SelectFolder(folder.path()));
  f.Trigger("SelectAll2");
  f.fields()->setCurrentRow(3);
  QCOMPARE(f.window.size(), corvane::WindowPixels(QSize(608, 572)));

  // Texts cut at the edge of their control, and controls sticking out of their group, are
  // what a larger system font does to fixed positions.
  QStringList faults;
  for (QWidget* widget : f.window.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith("qt_") || widget->isWindow()) continue;
    QWidget* parent = widget->parentWidget();
    if (parent && !parent->inherits("QAbstractScrollArea") &&
        !qobject_cast<QStackedWidget*>(parent)) {
      // A hidden page of a page control is only sized when it is shown.
      QRect bounds = parent->rect();
      if (auto* pages = qobject_cast<QStackedWidget*>(parent->parentWidget())) {
        bounds = QRect(QPoint(), pages->size());
      }
      if (!bounds.contains(widget->geometry())) faults << name + " lies outside its parent";
    }
    const auto* label = qobject_cast<QLabel*>(widget);
    const auto* button = qobject_cast<QPushButton*>(widget);
    const bool hasText = (label && !label->wordWrap() && !label->text().isEmpty()) ||
                         qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget) ||
                         (button && !button->text().isEmpty());
    if (hasText && (widget->sizeHint().width() > widget->width() ||
                    widget->sizeHint().height() > widget->height() + 2)) {
      faults << QString("%1 needs %2x%3, has %4x%5")
                    .arg(name)
                    .arg(widget->sizeHint().width())
                    .arg(widget->sizeHint().height())
                    .arg(widget->width())
                    .arg(widget->height());
    }
  }
  // Set CORVANE_SCREENSHOT_DIR to look at both pages.
  const QString shots = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(f.window.grab().save(shots + "/main_window_main_page.png"));
    f.fields()->setCurrentRow(4);
    f.Tick(f.customs(), 6, true);
    f.customs()->setCurrentRow(6);
    QVERIFY(f.window.grab().save(shots + "/main_window_custom_data.png"));
    f.Click("BitBtn5");
    QVERIFY(f.window.grab().save(shots + "/main_window_options_page.png"));
  }
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
