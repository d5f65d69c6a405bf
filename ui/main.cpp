#include "ui/main.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QUrl>
#include <QUrlQuery>
#include <QWindow>

#include "config/entity_options.h"
#include "config/program_paths.h"
#include "config/text_rules.h"
#include "engine/folder_listing.h"
#include "ui/desktop_opener.h"
#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/point_preview_window.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui/Unit2.h"
#include "ui/startup.h"
#include "ui/window_text.h"
#include "ui_main.h"

// Resources of a static library are only linked in when something names them.
static void InitMainGlyphs() { Q_INIT_RESOURCE(main_glyphs); }

namespace corvane {
namespace {

const QString kWebSite = QStringLiteral("https://www.tessoran.example/");
const QString kSupportAddress = QStringLiteral("support@tessoran.example");
const QString kSupportSubject = QStringLiteral("Corvane support request");
const QString kHelpPage = QString::fromLatin1(kHelpPageFile);

// The file list keeps each name as the folder gave it: a name that is not valid in the system's
// encoding (a Latin-1 name from an old archive) shows with replacement marks, and only the bytes
// still name the file.
constexpr int kNameBytesRole = Qt::UserRole + 1;

constexpr int kNumberPage = 0;
constexpr int kZPage = 3;
constexpr int kCustomPage = 4;
constexpr int kCustomLabelItem = 5;
constexpr int kSequenceItem = 6;
constexpr int kEntityNumberItem = 7;

bool SameLetters(const std::string& a, const QByteArray& b) {
  if (a.size() != static_cast<std::size_t>(b.size())) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[static_cast<int>(i)])) return false;
  }
  return true;
}

// Only the controls placed directly in `parent`: a group's own contents, not the contents of
// a panel inside it, which have rules of their own.
void SetDirectChildrenEnabled(QWidget* parent, bool on) {
  for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setEnabled(on);
  }
}

}  // namespace

int IndexOfName(const std::vector<std::string>& list, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (SameLetters(list[i], bytes)) return static_cast<int>(i);
  }
  return -1;
}

TForm1::TForm1(SettingsStore& store, TExportConfig& working, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TForm1>()),
      store_(store),
      working_(working),
      iconProvider_(std::make_unique<QFileIconProvider>()),
      configFileDialog_(&RunConfigFileDialog),
      savedConfig_(ZeroConfig()) {
  InitMainGlyphs();
  ui_->setupUi(this);
  // 608 by 572 as designed, at the scale of every window (main.ui is drawn at it).
  setFixedSize(WindowPixels(QSize(608, 572)));
  // Group captions in navy, sitting on the frame's top edge as the classic group boxes do.
  setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 0.6em; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; color: navy; }"
      // The chosen drawings stay plain to see when the list loses the focus: the styles' own
      // inactive selection (a pale grey under Windows' style) all but vanishes on white.
      "QListWidget#fl1::item:selected { background: palette(highlight);"
      " color: palette(highlighted-text); }"));

  // The two boxes the user reads rather than types into stand out on the info-tip colour.
  for (QLineEdit* box : {ui_->Edit1, ui_->Edit12}) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    box->setPalette(palette);
  }
  // Long paths: the box shows where the path starts, and both tell the whole path on hovering.
  connect(ui_->Edit1, &QLineEdit::textChanged, ui_->Edit1,
          [box = ui_->Edit1] { box->setCursorPosition(0); });
  ShowWholeTextWhenCut(ui_->Edit1);
  ShowWholeTextWhenCut(ui_->Label30);
  ShowWholeNameOverTextOnly(ui_->fl1);
  ui_->Image1->setPixmap(QIcon(QStringLiteral(":/glyphs_main/help.svg")).pixmap(32, 32));
  ui_->Label35->setCursor(Qt::PointingHandCursor);
  ui_->Label35->installEventFilter(this);

  SetUpFolderTree();
  SetUpPopupMenus();
  ConnectHandlers();
  ConnectRecordBindings();
  ConnectExtensionBindings();
  ConnectRecordChangeSignal();
  AcceptDroppedDrawings();
  installEventFilter(this);

  // Nothing is listed yet, and no item of either list is current.
  ui_->BitBtn3->setEnabled(false);
  ApplyEntityDependencies();
  ui_->Label9->setEnabled(false);
  ui_->Edit7->setEnabled(false);
  ui_->PageControl1->setCurrentWidget(ui_->TabSheet1);
  ui_->PageControl2->setCurrentIndex(kNumberPage);
  configName_ = ui_->Label19->text();
}

TForm1::~TForm1() {
  // Taking the window apart moves the focus out of the custom-item editor, which would finish
  // its edit on a window whose parts are gone.
  disconnect(ui_->Edit7, nullptr, this, nullptr);
  // The preview goes first (its work cancelled, its thread ended), and the lists emptied below
  // by Qt no longer tell anyone that the record changed.
  delete previewWindow_.data();
  disconnect(ui_->listechoix1->model(), nullptr, this, nullptr);
  disconnect(ui_->listechoix2->model(), nullptr, this, nullptr);
  // The model's background reader uses the icon provider: the model (which stops that reader)
  // must go before the provider does.
  ui_->sh1->setModel(nullptr);
  delete folderModel_;
  folderModel_ = nullptr;
}

void TForm1::SetUpFolderTree() {
  folderModel_ = corvane::SetUpFolderTree(ui_->sh1, iconProvider_.get(), this);
  ui_->sh1->expand(folderModel_->index(QDir::rootPath()));
  folderInView_ = new FolderInViewKeeper(ui_->sh1);
  connect(ui_->sh1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { FolderChange(); });
}

void TForm1::SetUpPopupMenus() {
  auto addItem = [this](QMenu* menu, const char* name, const QString& text, auto handler) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
  };

  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  addItem(popupMenu1_, "SelectAll1", tr("Select All"), [this] {
    ui_->fl1->selectAll();
    RefreshCountText();
  });
  addItem(popupMenu1_, "Refreshfolder1", tr("Refresh folder"), [this] {
    ReadFileList(fileListFolder_);
    RefreshCountText();
  });
  // Not one of the designed items: it comes last, after a separator, and leaves them as they are.
  popupMenu1_->addSeparator();
  addItem(popupMenu1_, "PreviewPoints1", tr("Preview points…"), [this] {
    const int row = menuRow_;
    menuRow_ = -1;
    if (row >= 0) {
      OpenPointPreviewForRow(row);
    } else {
      OpenPointPreview();
    }
  });
  const QKeySequence previewKey(Qt::CTRL | Qt::Key_P);
  QAction* previewItem = popupMenu1_->findChild<QAction*>(QStringLiteral("PreviewPoints1"));
  // Shown in the menu; the window's own shortcut below is the one that works outside it.
  previewItem->setShortcut(previewKey);
  previewItem->setShortcutContext(Qt::WidgetShortcut);
  // Wherever the focus is in the main window (a box, a tree, a button): the user has chosen the
  // drawing in the list, not necessarily stayed there.
  auto* previewShortcut = new QShortcut(previewKey, this, nullptr, nullptr, Qt::WindowShortcut);
  previewShortcut->setObjectName(QStringLiteral("PreviewPointsShortcut"));
  connect(previewShortcut, &QShortcut::activated, this, [this] { OpenPointPreview(); });
  // An empty list has no drawing to preview.
  connect(popupMenu1_, &QMenu::aboutToShow, this,
          [this, previewItem] { previewItem->setEnabled(ui_->fl1->count() > 0); });

  popupMenu2_ = new QMenu(this);
  popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
  addItem(popupMenu2_, "SelectAll2", tr("Select All"), [this] {
    CheckAll(ui_->listechoix1, true);
    FieldListClick();
  });
  addItem(popupMenu2_, "SelectNone1", tr("Select None"), [this] {
    CheckAll(ui_->listechoix1, false);
    FieldListClick();
  });

  popupMenu3_ = new QMenu(this);
  popupMenu3_->setObjectName(QStringLiteral("PopupMenu3"));
  addItem(popupMenu3_, "MenuItem1", tr("Select All"), [this] {
    CheckAll(ui_->listechoix2, true);
    CustomListClick();
  });
  addItem(popupMenu3_, "MenuItem2", tr("Select None"), [this] {
    CheckAll(ui_->listechoix2, false);
    CustomListClick();
  });

  auto attach = [this](QListWidget* list, QMenu* menu) {
    connect(list, &QWidget::customContextMenuRequested, this, [list, menu](const QPoint& at) {
      menu->popup(list->viewport()->mapToGlobal(at));
    });
  };
  // The preview opens on the drawing the menu was opened on.
  connect(ui_->fl1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menuRow_ = ui_->fl1->row(ui_->fl1->itemAt(at)); });
  // In the file list a right click works as in a file manager: on a selected file the selection
  // stays (so five selected files stay five), on another file that file alone is selected.
  attach(ui_->fl1, popupMenu1_);
  attach(ui_->listechoix1, popupMenu2_);
  attach(ui_->listechoix2, popupMenu3_);
  // The two field lists' menus act on every row, not on the clicked one: a right click only
  // opens the menu. Making the clicked row current would switch the settings page, or move the
  // custom-item editor to another item, under the user's hand.
  ui_->listechoix1->viewport()->installEventFilter(this);
  ui_->listechoix2->viewport()->installEventFilter(this);
}

void TForm1::ConnectHandlers() {
  connect(ui_->fl1, &QListWidget::itemSelectionChanged, this, [this] { RefreshCountText(); });
  connect(ui_->autosel, &QCheckBox::toggled, this, [this](bool on) { AutoSelectClicked(on); });

  connect(ui_->SpeedButton2, &QToolButton::clicked, this, [this] { LockAction(); });
  connect(ui_->SpeedButton1, &QToolButton::clicked, this, [this] {
    UnlockAction();
    // The button is drawn pressed for as long as it is shown.
    ui_->SpeedButton1->setChecked(true);
  });
  connect(ui_->SpeedButton4, &QToolButton::clicked, this, [this] {
    if (browseDestination_) browseDestination_();
  });

  for (const EntityOption& option : kEntityOptions) {
    if (option.parent >= 0) continue;
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(option.bit))) {
      connect(box, &QCheckBox::toggled, this, [this, number = option.bit] { EntityBoxClicked(number); });
    }
  }

  // A row is "clicked" when it becomes current (mouse or arrow keys) and when its tick changes
  // (mouse or space bar): both run the same behaviour, on that row. A mouse click on a row's
  // check box changes the tick but leaves the current row where it was, so the row whose tick
  // changed is made current first.
  const auto makeCurrent = [this](QListWidget* list, QListWidgetItem* item) {
    if (item == list->currentItem()) return;
    fillingLists_ = true;
    list->setCurrentItem(item);
    fillingLists_ = false;
  };
  connect(ui_->listechoix1, &QListWidget::currentRowChanged, this, [this] {
    if (!fillingLists_) FieldListClick();
  });
  connect(ui_->listechoix1, &QListWidget::itemChanged, this,
          [this, makeCurrent](QListWidgetItem* item) {
            if (fillingLists_) return;
            makeCurrent(ui_->listechoix1, item);
            FieldListClick();
          });
  connect(ui_->listechoix2, &QListWidget::currentRowChanged, this, [this] {
    if (!fillingLists_) CustomListClick();
  });
  connect(ui_->listechoix2, &QListWidget::itemChanged, this,
          [this, makeCurrent](QListWidgetItem* item) {
            if (fillingLists_) return;
            makeCurrent(ui_->listechoix2, item);
            CustomListClick();
          });
  connect(ui_->BitBtn12, &QPushButton::clicked, this, [this] { MoveRow(ui_->listechoix1, -1); });
  connect(ui_->BitBtn13, &QPushButton::clicked, this, [this] { MoveRow(ui_->listechoix1, +1); });
  connect(ui_->BitBtn1, &QPushButton::clicked, this, [this] { MoveRow(ui_->listechoix2, -1); });
  connect(ui_->BitBtn2, &QPushButton::clicked, this, [this] { MoveRow(ui_->listechoix2, +1); });

  // The forced value only means something while "Force to : " is ticked.
  connect(ui_->CheckBox8, &QCheckBox::toggled, this,
          [this](bool on) { ui_->Edit11->setEnabled(on); });

  connect(ui_->BitBtn3, &QPushButton::clicked, this, &TForm1::RunRequested);
  connect(ui_->BitBtn4, &QPushButton::clicked, this, &TForm1::ExitRequested);
  connect(ui_->SpeedButton12, &QToolButton::clicked, this, &TForm1::LoadConfigRequested);
  connect(ui_->SpeedButton13, &QToolButton::clicked, this, &TForm1::SaveConfigRequested);
  connect(this, &TForm1::RunRequested, this, &TForm1::RunButtonClicked);
  connect(this, &TForm1::LoadConfigRequested, this, &TForm1::ChooseAndLoadConfig);
  connect(this, &TForm1::SaveConfigRequested, this, [this] { SaveConfigAs(); });

  connect(ui_->BitBtn5, &QPushButton::clicked, this,
          [this] { ui_->PageControl1->setCurrentWidget(ui_->TabSheet7); });
  connect(ui_->BitBtn6, &QPushButton::clicked, this,
          [this] { ui_->PageControl1->setCurrentWidget(ui_->TabSheet1); });
  connect(ui_->BitBtn8, &QPushButton::clicked, this,
          [this] { ui_->PageControl1->setCurrentWidget(ui_->TabSheet8); });
  connect(ui_->BitBtn9, &QPushButton::clicked, this,
          [this] { ui_->PageControl1->setCurrentWidget(ui_->TabSheet1); });
  connect(ui_->rep1, &QRadioButton::toggled, this, [this](bool on) {
    if (on) ReportChoiceClicked(true);
  });
  connect(ui_->rep3, &QRadioButton::toggled, this, [this](bool on) {
    if (on) ReportChoiceClicked(false);
  });
  connect(ui_->shelptips, &QCheckBox::toggled, this, [this](bool on) { HelpTipsClicked(on); });
  connect(ui_->BitBtn7, &QPushButton::clicked, this, [this] {
    OpenUrl(QUrl::fromLocalFile(QDir(programFolder_).absoluteFilePath(kHelpPage)),
            tr("The help page"));
  });
  connect(ui_->SpeedButton11, &QToolButton::clicked, this, [this] { OpenUrl(QUrl(kWebSite)); });
}

// ---- lists and hooks ------------------------------------------------------------------------

void TForm1::FillLists(const LookupLists& lists) {
  lists_ = lists;
  fillingLists_ = true;
  ui_->listechoix1->clear();
  ui_->listechoix2->clear();
  for (const std::string& name : lists_.fieldNames) {
    AddCheckableRow(ui_->listechoix1, FromRecordText(name));
  }
  for (const std::string& name : lists_.customItems) {
    AddCheckableRow(ui_->listechoix2, FromRecordText(name));
  }
  fillingLists_ = false;
}

void TForm1::SetBrowseDestinationHandler(std::function<void()> handler) {
  browseDestination_ = std::move(handler);
}

void TForm1::SetProgramPlaces(const ProgramPlaces& places) {
  places_ = places;
  programFolder_ = QFile::decodeName(QByteArray::fromStdString(places.programFolder));
}

void TForm1::SetUrlOpener(std::function<bool(const QUrl&)> opener) {
  openUrl_ = std::move(opener);
}

void TForm1::OpenUrl(const QUrl& url, const QString& kind, bool quiet) {
  OpenWith(&OpenOnDesktop, url, kind, quiet);
}

void TForm1::OpenReport(const QUrl& report, bool quiet) {
  OpenWith(&OpenReportViewer, report, tr("The report"), quiet);
}

void TForm1::OpenWith(bool (*viewer)(const QUrl&, QObject*, std::function<void()>), const QUrl& url,
                      const QString& kind, bool quiet) {
  // A desktop without a viewer, browser or mail program is no error of the program, but a click
  // that does nothing leaves the user guessing: the box says what could not be opened and where
  // the file is.
  const QPointer<TForm1> self(this);
  const auto notOpened = [self, url, kind, quiet] {
    if (self && !quiet) self->ShowNotOpened(url, kind);
  };
  const bool handed = openUrl_ ? openUrl_(url) : viewer(url, this, notOpened);
  if (!handed) notOpened();
}

void TForm1::ShowNotOpened(const QUrl& url, const QString& kind) {
  const NotOpenedText message = NotOpenedMessage(url, kind);
  QMessageBox box(QMessageBox::Information, tr("Information"), message.text, QMessageBox::Ok,
                  this);
  box.setInformativeText(message.detail);
  // The folder or address can be copied from the box.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

bool TForm1::WriteSetting(const char* name, bool value) {
  std::string error;
  if (store_.WriteBool(name, value, error)) return true;
  ShowErrorBox(error, this);
  return false;
}

// ---- folders and files ----------------------------------------------------------------------

bool TForm1::SelectFolder(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isDir()) return false;
  const QModelIndex index = folderModel_->index(info.absoluteFilePath());
  if (!index.isValid()) return false;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
    ui_->sh1->expand(parent);
  }
  ui_->sh1->setCurrentIndex(index);
  ui_->sh1->expand(index);
  folderInView_->Keep(index);
  return true;
}

QString TForm1::SelectedFolderPath() const {
  const QModelIndex index = ui_->sh1->currentIndex();
  if (!index.isValid()) return QString();
  return QDir::toNativeSeparators(folderModel_->filePath(index));
}

QStringList TForm1::SelectedFileNames() const {
  QStringList names;
  for (int row = 0; row < ui_->fl1->count(); ++row) {
    const QListWidgetItem* item = ui_->fl1->item(row);
    if (item->isSelected()) names << item->text();
  }
  return names;
}

std::vector<std::string> TForm1::SelectedFileNameBytes() const {
  std::vector<std::string> names;
  for (int row = 0; row < ui_->fl1->count(); ++row) {
    const QListWidgetItem* item = ui_->fl1->item(row);
    if (item->isSelected()) names.push_back(item->data(kNameBytesRole).toByteArray().toStdString());
  }
  return names;
}

std::string TForm1::FileNameBytes(int row) const {
  const QListWidgetItem* item = ui_->fl1->item(row);
  return item ? item->data(kNameBytesRole).toByteArray().toStdString() : std::string();
}

void TForm1::FolderChange() {
  const QString path = SelectedFolderPath();
  if (!path.contains(QDir::separator())) {
    // Nothing selected: there is no folder to list.
    ui_->fl1->clear();
    fileListFolder_.clear();
    ui_->BitBtn3->setEnabled(false);
  } else {
    ReadFileList(path);
    if (ui_->fl1->count() > 0) ui_->fl1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    if (ui_->autosel->isChecked()) ui_->fl1->selectAll();
  }
  if (IsLocked()) ui_->Edit1->setText(path);
  RefreshCountText();
  ui_->Label30->setText(path);
}

void TForm1::ReadFileList(const QString& folder) {
  ui_->fl1->clear();
  fileListFolder_ = folder;
  // A folder that cannot be read lists nothing, and then the run button stays off.
  std::string error;
  const std::vector<std::string> names =
      folder.isEmpty() ? std::vector<std::string>()
                       : ListDxfFiles(QFile::encodeName(folder).toStdString(), error);
  const QIcon icon(QStringLiteral(":/glyphs_main/dxf_file.svg"));
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(icon, QFile::decodeName(QByteArray::fromStdString(name)), ui_->fl1);
    item->setData(kNameBytesRole, QByteArray::fromStdString(name));
    // Over its name a row tells the whole name; the list's hint shows beside and below the names.
    item->setToolTip(item->text());
  }
  ui_->BitBtn3->setEnabled(ui_->fl1->count() > 0);
}

void TForm1::RefreshCountText() {
  ui_->Label3->setText(tr("%1 selected.").arg(ui_->fl1->selectedItems().size()));
}

void TForm1::AutoSelectClicked(bool checked) {
  if (!WriteSetting(kSettingAutoSel, checked)) {
    const QSignalBlocker quiet(ui_->autosel);
    ui_->autosel->setChecked(!checked);
    return;
  }
  // Unticking leaves the selection as it is.
  if (checked) ui_->fl1->selectAll();
  RefreshCountText();
}

// ---- destination lock -----------------------------------------------------------------------

bool TForm1::LockAction() {
  if (!WriteSetting(kSettingLocked, true)) return false;
  ui_->SpeedButton2->hide();
  ui_->SpeedButton1->show();
  ui_->SpeedButton1->setChecked(true);
  ui_->Edit1->setText(SelectedFolderPath());
  ui_->SpeedButton4->setEnabled(false);
  return true;
}

bool TForm1::UnlockAction() {
  if (!WriteSetting(kSettingLocked, false)) return false;
  ui_->SpeedButton1->hide();
  ui_->SpeedButton2->show();
  ui_->SpeedButton4->setEnabled(true);
  // Edit1 keeps the last folder until the folder dialog changes it.
  return true;
}

bool TForm1::IsLocked() const { return !ui_->SpeedButton1->isHidden(); }

// ---- entity options -------------------------------------------------------------------------

void TForm1::EntityBoxClicked(int box) {
  // Only the enabled state follows the parent: a greyed sub-option keeps its tick and still
  // counts in the entity mask.
  const auto* parent = findChild<QCheckBox*>(QStringLiteral("c%1").arg(box));
  if (!parent) return;
  for (const EntityOption& option : kEntityOptions) {
    if (option.parent != box) continue;
    if (auto* child = findChild<QCheckBox*>(QStringLiteral("c%1").arg(option.bit))) {
      child->setEnabled(parent->isChecked());
    }
  }
  // The block-name box is no entity option, but follows the blocks' box the same way.
  if (box == entity_bit::kBlocks) ui_->c17->setEnabled(parent->isChecked());
}

void TForm1::ApplyEntityDependencies() {
  for (const EntityOption& option : kEntityOptions) {
    if (option.parent < 0) EntityBoxClicked(option.bit);
  }
}

// ---- exported fields and custom items -------------------------------------------------------

void TForm1::FieldListClick() {
  const QListWidgetItem* item = ui_->listechoix1->currentItem();
  const int k = item ? IndexOfName(lists_.fieldNames, item->text()) : -1;
  if (k >= 0 && k < ui_->PageControl2->count()) {
    QWidget* page = ui_->PageControl2->widget(k);
    ui_->PageControl2->setCurrentIndex(k);
    const bool on = IsChecked(item);
    SetDirectChildrenEnabled(page, on);
    if (auto* group = page->findChild<QWidget*>(QStringLiteral("data%1").arg(k),
                                                Qt::FindDirectChildrenOnly)) {
      SetDirectChildrenEnabled(group, on);
    }
    if (k == kZPage && on) ui_->Edit11->setEnabled(ui_->CheckBox8->isChecked());
    if (k == kCustomPage) {
      SetDirectChildrenEnabled(ui_->Panel2, on);
      fillingLists_ = true;
      ui_->listechoix2->setCurrentRow(0);
      fillingLists_ = false;
      if (on) CustomListClick();
    }
  }
  UpdateMoveButtons();
}

void TForm1::CustomListClick() {
  const QListWidgetItem* item = ui_->listechoix2->currentItem();
  const int a = item ? IndexOfName(lists_.customItems, item->text()) : -1;
  const bool on = IsChecked(item);
  const bool editable = a >= kCustomLabelItem && on;
  ui_->Label9->setEnabled(editable);
  ui_->Edit7->setEnabled(editable);
  if (a == kCustomLabelItem) {
    ui_->Label9->setText(tr("Label :"));
    ui_->Edit7->setText(FromRecordText(working_.CustomLabel.view()));
  } else if (a == kSequenceItem) {
    ui_->Label9->setText(tr("Start at :"));
    ui_->Edit7->setText(QString::number(working_.SequenceStart));
  } else if (a == kEntityNumberItem) {
    ui_->Label9->setText(tr("Start at :"));
    ui_->Edit7->setText(QString::number(working_.EntityNumberStart));
  }
  if (ui_->Edit7->isEnabled()) ui_->Edit7->setFocus();
  UpdateCustomMoveButtons();
}

void TForm1::MoveRow(QListWidget* list, int step) {
  const int from = list->currentRow();
  const int to = from + step;
  if (from < 0 || to < 0 || to >= list->count()) return;
  QListWidgetItem* moved = list->item(from);
  QListWidgetItem* neighbour = list->item(to);
  fillingLists_ = true;
  const QString text = moved->text();
  const Qt::CheckState tick = moved->checkState();
  moved->setText(neighbour->text());
  moved->setCheckState(neighbour->checkState());
  neighbour->setText(text);
  neighbour->setCheckState(tick);
  list->setCurrentRow(to);
  fillingLists_ = false;
  // The same field stays current, so its page and enabled states stay as they are.
  if (list == ui_->listechoix1) {
    UpdateMoveButtons();
  } else {
    UpdateCustomMoveButtons();
  }
}

void TForm1::UpdateMoveButtons() {
  const int row = ui_->listechoix1->currentRow();
  ui_->BitBtn12->setEnabled(row > 0);
  ui_->BitBtn13->setEnabled(row >= 0 && row < ui_->listechoix1->count() - 1);
}

void TForm1::UpdateCustomMoveButtons() {
  const int row = ui_->listechoix2->currentRow();
  ui_->BitBtn1->setEnabled(row > 0);
  ui_->BitBtn2->setEnabled(row >= 0 && row < ui_->listechoix2->count() - 1);
}

void TForm1::CheckAll(QListWidget* list, bool on) {
  fillingLists_ = true;
  for (int row = 0; row < list->count(); ++row) {
    list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  fillingLists_ = false;
}

// ---- what start-up, the exit and the folder dialog set and read ----------------------------

QString TForm1::DestinationFolder() const { return ui_->Edit1->text(); }

void TForm1::SetDestinationFolder(const QString& folder) { ui_->Edit1->setText(folder); }

void TForm1::SetHelpTips(bool on) { ui_->shelptips->setChecked(on); }

void TForm1::SetReportChoice(bool always) { (always ? ui_->rep1 : ui_->rep3)->setChecked(true); }

void TForm1::SetAutoSelect(bool on) { ui_->autosel->setChecked(on); }

void TForm1::ShowMainPage() { ui_->PageControl1->setCurrentWidget(ui_->TabSheet1); }

// ---- options page ---------------------------------------------------------------------------

void TForm1::ReportChoiceClicked(bool always) {
  QRadioButton* chosen = always ? ui_->rep1 : ui_->rep3;
  QRadioButton* other = always ? ui_->rep3 : ui_->rep1;
  if (!WriteSetting(kSettingShowLog, always)) {
    // Show what is stored: the other choice when there was one, else neither.
    const QSignalBlocker quiet1(ui_->rep1);
    const QSignalBlocker quiet3(ui_->rep3);
    if (reportChosen_) {
      other->setChecked(true);
    } else {
      chosen->setAutoExclusive(false);
      chosen->setChecked(false);
      chosen->setAutoExclusive(true);
    }
    return;
  }
  reportChosen_ = true;
  showReport_ = always;
}

void TForm1::HelpTipsClicked(bool on) {
  if (!WriteSetting(kSettingShowTips, on)) {
    const QSignalBlocker quiet(ui_->shelptips);
    ui_->shelptips->setChecked(!on);
    return;
  }
  emit HintsSwitched(on);
}

// ---- window events --------------------------------------------------------------------------

void TForm1::AllowClose() { closeAllowed_ = true; }

void TForm1::closeEvent(QCloseEvent* event) {
  // The window cannot go while a run works on its record and files; ignoring the request without
  // a word would look like a program that hangs, so the user may stop the run from here.
  if (runActive_ && !closeAllowed_) {
    event->ignore();
    AskToStopRun();
    return;
  }
  // A close request is a request to leave the program: the exit operation decides.
  if (!closeAllowed_ && isSignalConnected(QMetaMethod::fromSignal(&TForm1::ExitRequested))) {
    event->ignore();
    emit ExitRequested();
    return;
  }
  event->accept();
}

void TForm1::AskToStopRun() {
  if (askingToStop_) return;
  askingToStop_ = true;
  QMessageBox box(QMessageBox::Information, tr("Information"),
                  tr("Data files are being created: the window can be closed when the run has "
                     "ended."),
                  QMessageBox::Abort | QMessageBox::Cancel, this);
  box.setObjectName(QStringLiteral("RunIsActive"));
  box.setInformativeText(tr("Stop the run now, or let it finish?"));
  box.button(QMessageBox::Abort)->setText(tr("Stop process"));
  box.button(QMessageBox::Cancel)->setText(tr("Let it finish"));
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  // The run keeps the main window disabled; its own box must take clicks.
  box.setEnabled(true);
  const int answer = box.exec();
  askingToStop_ = false;
  // The run may have ended while the box was open; the flag is cleared by the next run.
  if (answer == QMessageBox::Abort && runActive_) {
    TForm2* progress = progress_ ? progress_ : ownProgress_.get();
    if (progress) progress->StopFlag().store(true);
  }
}

void TForm1::FitToScreen(const QRect& available) {
  const QSize client = WindowPixels(QSize(608, 572));
  ApplyWindowFit(this, client, FitWindow(*this, client, available.size(), ExpectedFrame()));
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (firstShowDone_) return;
  firstShowDone_ = true;
  if (QWindow* native = windowHandle()) native->installEventFilter(this);
  if (const QScreen* shown = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(shown->availableGeometry().center());
    move(frame.topLeft());
  }
  emit FirstShown();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // A run disables this window, and Qt hands a disabled window's close request no further than
  // its native window: it is caught there, so that the user hears why the window stays.
  if (event->type() == QEvent::Close && watched == windowHandle() && runActive_ && !closeAllowed_) {
    event->ignore();
    AskToStopRun();
    return true;
  }
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (HandleDropEvent(event)) return true;
      break;
    default: break;
  }
  if (watched == ui_->listechoix1->viewport() || watched == ui_->listechoix2->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        // The context menu event that follows a right press comes all the same.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) return true;
        break;
      default: break;
    }
    return QWidget::eventFilter(watched, event);
  }
  if (watched == ui_->Label35) {
    switch (event->type()) {
      case QEvent::Enter:
      case QEvent::Leave: {
        QFont font = ui_->Label35->font();
        font.setUnderline(event->type() == QEvent::Enter);
        ui_->Label35->setFont(font);
        break;
      }
      case QEvent::MouseButtonRelease: {
        QUrl mail(QStringLiteral("mailto:") + kSupportAddress);
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("subject"), kSupportSubject);
        mail.setQuery(query);
        OpenUrl(mail);
        return true;
      }
      default: break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace corvane
