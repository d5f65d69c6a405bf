// The main window: the whole working surface of the program. Its controls, captions, hints and
// geometry live in main.ui; this class holds the behaviours that stay inside the window (folder
// and file choice, destination lock, entity dependencies, field lists, options page), the
// binding of its controls to the working record with the configuration commands
// (main_config.cpp) and the run button. Only the exit is wired from outside, through
// ExitRequested.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/config_extension.h"
#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/program_paths.h"
#include "config/program_settings.h"
#include "engine/conversion_run.h"
#include "ui/window_record.h"

class QCheckBox;
class QFileIconProvider;

class QLineEdit;
class QListWidget;
class QMenu;
class QUrl;
namespace Ui {
class TForm1;
}

namespace corvane {

class FolderInViewKeeper;
class FolderTreeModel;
class PointPreviewWindow;
class TForm2;

// What a configuration file dialog is asked to show.
struct ConfigFileDialogRequest {
  bool save = false;      // a save dialog (asks before replacing a file), else an open dialog
  QString title;          // "Save current configuration" or "Load a configuration"
  QString filter;         // "Corvane configuration files (*.crv)"
  QString defaultSuffix;  // "crv": added to a typed name that has no extension
  QString folder;         // the starting folder
  QString proposedName;   // the file name offered at first; "" for the open dialog
};
// Shows the dialog and returns the chosen file's full path, or "" when the user cancels.
using ConfigFileDialog = std::function<QString(QWidget* parent, const ConfigFileDialogRequest&)>;
// The real dialog: QFileDialog with the request's settings.
QString RunConfigFileDialog(QWidget* parent, const ConfigFileDialogRequest& request);

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

  // Fits the window to a screen whose work area is `available` (see WindowFit): before the
  // window is first shown, while its captions are the designed ones. Once only.
  void FitToScreen(const QRect& available);

  // Puts the field names into `listechoix1` and the custom items into `listechoix2`, unticked,
  // and keeps a copy of the lists for the index look-ups.
  void FillLists(const LookupLists& lists);
  const LookupLists& Lists() const { return lists_; }

  // What the browse button `SpeedButton4` runs (the destination-folder dialog).
  void SetBrowseDestinationHandler(std::function<void()> handler);
  // Where this copy's files are: the help page beside the program, and what the run and the
  // save must not replace. The program folder ends with a separator or not, either works.
  void SetProgramPlaces(const ProgramPlaces& places);
  // How web, mail and file addresses are opened: the desktop's programs unless replaced (an
  // empty opener restores them). An opener that answers false has opened nothing, and the user
  // is told so in an information box that names the file and its folder, or the address.
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
  // The same names as the file system has them, for the run.
  std::vector<std::string> SelectedFileNameBytes() const;

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

  // The destination box `Edit1`: the folder the data files go to. The program writes it (lock
  // mode, the folder dialog, start-up); the user only reads it.
  QString DestinationFolder() const;
  void SetDestinationFolder(const QString& folder);

  // The options as start-up restores them. Each runs its click behaviour, as a click does (the
  // setting is written back, the hint switch follows).
  void SetHelpTips(bool on);
  void SetReportChoice(bool always);
  void SetAutoSelect(bool on);
  // The main page, as the window opens on it.
  void ShowMainPage();

  // Whether the run opens its report when it ends; set by `rep1` and `rep3`.
  bool ShowReport() const { return showReport_; }
  // True while the run button's conversion runs (the window's own event loop turns meanwhile).
  bool RunActive() const { return runActive_; }

  // ---- configuration (main_config.cpp) ----
  // Copies the field lists' order and ticks, the entity boxes and the signature into the
  // working record: what the controls do not keep current by themselves.
  void ReadConfigFromWindow();
  // The record the run button would hand a run now, with its rows and lists, read from the window
  // without changing it or the working record.
  WindowRecord RecordFromWindow() const;
  // Sets every control from the working record, then shows the first exported field's page.
  // Order indexes outside the lists are shown as the fields not shown yet, never crash.
  void ShowConfigInWindow();
  // Reads `path` (full path, system 8-bit encoding) into the working record and SavedConfig
  // and shows it; the setting "config" and Label19 get the file name. A refused or unreadable
  // file is reported in an error box (naming the file, except for the designed message of a
  // file with another signature), and nothing changes. True when accepted.
  bool LoadConfigFile(const std::string& path);
  // Asks for a file and writes the working record to it; Label19, "config" and SavedConfig then
  // follow. False when the dialog was cancelled or nothing could be written (error box shown).
  bool SaveConfigAs();
  // Asks whether to save a record that differs from SavedConfig. True: go on; false: stop.
  bool ConfirmSaveIfChanged();
  // The load button: the change prompt, the open dialog, then LoadConfigFile.
  void ChooseAndLoadConfig();
  // The run button: the window into the record, the three checks, then the run with the
  // progress window; returns when the run has ended and its boxes have been answered.
  void RunButtonClicked();

  // "Preview points…" of the file list's menu (Ctrl+P in the file list): the preview window for
  // the file list's current drawing, or the first selected one. Nothing happens with none listed.
  void OpenPointPreview();
  // The preview window, once opened (null before).
  PointPreviewWindow* PreviewWindow() const;

  // The copy of the record as last loaded or saved; all zero until the first load.
  TExportConfig& SavedConfig() { return savedConfig_; }
  TExportConfig& WorkingConfig() { return working_; }
  // The options beyond the record (survey point blocks, layers): the working ones, which the page
  // "Survey blocks and layers" keeps current, and those last loaded or saved.
  ConfigExtension& WorkingExtension() { return extension_; }
  ConfigExtension& SavedExtension() { return savedExtension_; }
  // Starting folder of both configuration dialogs.
  void SetConfigFolder(const std::string& folder);
  // Where the run saves its report.
  void SetReportPath(const std::string& path);
  // The progress window the runs show; without one the window makes its own when it runs.
  void SetProgressWindow(TForm2* progress);
  // The name of the configuration in use, shown by Label19 ("None" after falling back to the
  // defaults, which leaves no file in use).
  // `path`, when given, is the file's full path, which the label's tooltip tells.
  void ShowConfigName(const QString& name, const QString& path = QString());
  QString ConfigName() const { return configName_; }
  // Replaces the file dialogs (tests answer them); RunConfigFileDialog unless replaced.
  void SetConfigFileDialog(ConfigFileDialog dialog);

  // Until this is called, a close request only emits ExitRequested (when something listens)
  // and the window stays open. Qt's QApplication::quit() first asks every window to close and
  // gives up when one refuses, so the exit operation calls AllowClose() right before quit().
  void AllowClose();

 signals:
  // The three command buttons; the window itself runs RunButtonClicked, ChooseAndLoadConfig and
  // SaveConfigAs on them, so nobody else should connect these to the commands again.
  void RunRequested();         // BitBtn3
  void ExitRequested();        // BitBtn4 and every close request of the window
  void LoadConfigRequested();  // SpeedButton12
  void SaveConfigRequested();  // SpeedButton13
  void HintsSwitched(bool on); // shelptips, after "showtips" was written
  void FirstShown();           // once, before the first showing is handled further
  // A control that the record is read from changed (or the whole record was shown): what a run
  // would write may differ now. Raised freely, also for changes that turn out to change nothing.
  void RecordMayHaveChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The constructor's steps: the look of the designed widgets, the wiring of each area, and the
  // state the window opens in.
  void StyleWidgets();
  void ShowInitialState();
  void SetUpFolderTree();
  void SetUpPopupMenus();
  void ConnectHandlers();
  // The window's areas, each wiring its own controls: main_files.cpp, main_fields.cpp,
  // main_links.cpp, and the command buttons and options page here.
  void SetUpFileListMenu();
  void SetUpFieldListMenus();
  void AddMenuItem(QMenu* menu, const char* name, const QString& text, std::function<void()> handler);
  void AttachPopupMenu(QListWidget* list, QMenu* menu);
  void ConnectFileHandlers();
  void ConnectFieldHandlers();
  void ConnectCommandButtons();
  void ConnectOptionsPage();
  void ConnectLinks();
  // The support address's label: true when `event` was handled.
  bool SupportLabelEvent(QEvent* event);

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
  // Hands `url` to the opener. When it is known, at once or a moment later, that nothing opened
  // it, ShowNotOpened tells the user (`kind` names a file: "The report"), unless `quiet`.
  void OpenUrl(const QUrl& url, const QString& kind = QString(), bool quiet = false);
  void OpenReport(const QUrl& report, bool quiet);
  void OpenWith(bool (*viewer)(const QUrl&, QObject*, std::function<void()>), const QUrl& url,
                const QString& kind, bool quiet);
  void ShowNotOpened(const QUrl& url, const QString& kind);
  bool WriteSetting(const BoolSetting& setting, bool value);
  // main_drop.cpp: files and folders dragged onto the window.
  void AcceptDroppedDrawings();
  // True when `event` was a drag or drop of local files, which the window handled.
  bool HandleDropEvent(QEvent* event);
  // A close request during a run: says that a run is active and offers to stop it.
  void AskToStopRun();

  // main_config.cpp
  void ConnectRecordBindings();
  // The boxes of the page "Survey blocks and layers", one per option beyond the record, in the
  // options' order.
  std::vector<QLineEdit*> ExtensionBoxes() const;
  // The tick boxes of the switches among the options beyond the record, in the table's order.
  std::vector<QCheckBox*> ExtensionSwitches() const;
  void ConnectExtensionSwitches();
  void ShowExtensionSwitches();
  void ConnectExtensionBindings();
  void ConnectRecordChangeSignal();
  // Chooses the dropped folder, or the folder of the dropped drawings and those drawings; the
  // text says why nothing happened ("" when something did).
  QString DropPaths(const QStringList& paths);
  // The record the window shows, before the run button's finishing touches to the custom editor.
  TExportConfig ConfigFromWindow() const;
  void OpenPointPreviewForRow(int row);
  // Puts a new preview window beside this one where the screen has room.
  void PlacePreview();
  // Row `row` of `fl1` as the file system names it ("" for no row).
  std::string FileNameBytes(int row) const;
  void StartNumberEdited();
  void ForcedZEdited();
  // Marks the forced Z box when the run would refuse its value; returns the note, or "".
  QString MarkForcedZ();
  // A short note under `box` that goes by itself and takes no keys.
  void ShowNoteBeside(QLineEdit* box, const QString& note);
  void CustomItemEdited();
  void CustomItemEditFinished();
  void ShowFieldRows(QListWidget* list, const std::int32_t* order, const std::uint8_t* checked,
                     int count, const std::vector<std::string>& names);
  void ShowRefusal(const RunRefusal& refusal);
  void ShowRunOutcome(const RunResult& result, const RunRequest& request);
  // The box that ends a run whose report holds error lines: how many drawings failed, where the
  // report is, and a button that opens it when it was not opened already.
  void ShowDrawingsWithErrors(std::size_t failed, const RunRequest& request, bool reportShown);

  std::unique_ptr<Ui::TForm1> ui_;
  SettingsStore& store_;
  TExportConfig& working_;
  LookupLists lists_;
  std::unique_ptr<QFileIconProvider> iconProvider_;
  FolderTreeModel* folderModel_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
  QMenu* popupMenu2_ = nullptr;
  QMenu* popupMenu3_ = nullptr;
  std::function<void()> browseDestination_;
  std::function<bool(const QUrl&)> openUrl_;
  ConfigFileDialog configFileDialog_;
  TExportConfig savedConfig_;
  ConfigExtension extension_;
  ConfigExtension savedExtension_;
  std::string configFolder_;
  std::string reportPath_;
  // The configuration last loaded or saved: its full path, and the name shown for it.
  std::string configInUse_;
  QString configName_;
  TForm2* progress_ = nullptr;
  std::unique_ptr<TForm2> ownProgress_;
  ProgramPlaces places_;
  QString programFolder_;
  QString fileListFolder_;
  bool showReport_ = false;
  bool reportChosen_ = false;
  bool closeAllowed_ = false;
  bool runActive_ = false;
  bool askingToStop_ = false;
  QPointer<PointPreviewWindow> previewWindow_;
  int menuRow_ = -1;  // the file list row the popup menu was opened on
  FolderInViewKeeper* folderInView_ = nullptr;  // the folder chosen by SelectFolder, kept in view
  bool firstShowDone_ = false;
  // Set while the program itself rewrites list rows, so the rows' change signals do not run
  // the click behaviours half-way through.
  bool fillingLists_ = false;
};

}  // namespace corvane
