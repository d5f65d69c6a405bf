// The main window: the whole working surface of the program. Its controls, captions, hints and
// geometry live in main.ui; this class holds the behaviours that stay inside the window (folder
// and file choice, destination lock, entity dependencies, field lists, options page). Running a
// conversion, the configuration commands and the exit are wired from outside through the
// signals below.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/settings_store.h"

class QFileIconProvider;
class QFileSystemModel;
class QListWidget;
class QMenu;
class QUrl;
namespace Ui {
class TForm1;
}

namespace corvane {

// The position of the first line of `list` equal to `text`, letter case of "a" to "z" ignored,
// or -1. Rows of the two field lists are turned back into indexes this way.
int IndexOfName(const std::vector<std::string>& list, const QString& text);

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `store` and `working` must outlive the window: the options write the store at once, and
  // the custom-item editor shows the working record's label and start values.
  TForm1(SettingsStore& store, TExportConfig& working, QWidget* parent = nullptr);
  ~TForm1() override;

  // Puts the field names into `listechoix1` and the custom items into `listechoix2`, unticked,
  // and keeps a copy of the lists for the index look-ups.
  void FillLists(const LookupLists& lists);
  const LookupLists& Lists() const { return lists_; }

  // What the browse button `SpeedButton4` runs (the destination-folder dialog).
  void SetBrowseDestinationHandler(std::function<void()> handler);
  // The folder of the help page; ends with a separator or not, either works.
  void SetProgramFolder(const std::string& folder);
  // How web, mail and file addresses are opened; QDesktopServices unless replaced.
  void SetUrlOpener(std::function<bool(const QUrl&)> opener);

  // Selects `path` in the folder tree `sh1` (which runs the folder change) and expands it by
  // one level. False when the tree cannot show that folder; nothing changes then.
  bool SelectFolder(const QString& path);
  // The folder selected in `sh1`, with native separators; "" when nothing is selected.
  QString SelectedFolderPath() const;
  // The folder whose drawings `fl1` lists ("" when it lists none).
  QString FileListFolder() const { return fileListFolder_; }
  // The names of the selected files of `fl1`, in list order.
  QStringList SelectedFileNames() const;

  // The destination lock. Each writes "locked" first; when that write fails the error box is
  // shown, nothing else changes, and the result is false.
  bool LockAction();
  bool UnlockAction();
  bool IsLocked() const;

  // The enabled states of the entity sub-options, in the order c6, c8, c10, c14, c4.
  void ApplyEntityDependencies();
  // Shows and enables the settings page of the current exported field.
  void FieldListClick();
  // Label and start value of the current custom item.
  void CustomListClick();

  // Whether the run opens its report when it ends; set by `rep1` and `rep3`.
  bool ShowReport() const { return showReport_; }

  // Until this is called, a close request only emits ExitRequested (when something listens)
  // and the window stays open. Qt's QApplication::quit() first asks every window to close and
  // gives up when one refuses, so the exit operation calls AllowClose() right before quit().
  void AllowClose();

 signals:
  void RunRequested();         // BitBtn3
  void ExitRequested();        // BitBtn4 and every close request of the window
  void LoadConfigRequested();  // SpeedButton12
  void SaveConfigRequested();  // SpeedButton13
  void HintsSwitched(bool on); // shelptips, after "showtips" was written
  void FirstShown();           // once, before the first showing is handled further

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpFolderTree();
  void SetUpPopupMenus();
  void ConnectHandlers();

  void FolderChange();
  void ReadFileList(const QString& folder);
  void RefreshCountText();
  void AutoSelectClicked(bool checked);
  void EntityBoxClicked(int box);
  void MoveRow(QListWidget* list, int step);
  void UpdateMoveButtons();
  void UpdateCustomMoveButtons();
  void CheckAll(QListWidget* list, bool on);
  void ReportChoiceClicked(bool always);
  void HelpTipsClicked(bool on);
  void OpenUrl(const QUrl& url);
  bool WriteSetting(const char* name, bool value);

  std::unique_ptr<Ui::TForm1> ui_;
  SettingsStore& store_;
  TExportConfig& working_;
  LookupLists lists_;
  std::unique_ptr<QFileIconProvider> iconProvider_;
  QFileSystemModel* folderModel_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
  QMenu* popupMenu2_ = nullptr;
  QMenu* popupMenu3_ = nullptr;
  std::function<void()> browseDestination_;
  std::function<bool(const QUrl&)> openUrl_;
  QString programFolder_;
  QString fileListFolder_;
  bool showReport_ = false;
  bool reportChosen_ = false;
  bool closeAllowed_ = false;
  bool firstShowDone_ = false;
  // Set while the program itself rewrites list rows, so the rows' change signals do not run
  // the click behaviours half-way through.
  bool fillingLists_ = false;
};

}  // namespace corvane
