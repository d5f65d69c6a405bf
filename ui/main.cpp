#include "ui/main.h"
#include "ui/message_boxes.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIcon>
#include <QMenu>
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
#include "engine/folder_listing.h"
#include "files/text_rules.h"
#include "ui/Unit2.h"
#include "ui/desktop_opener.h"
#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/point_preview_window.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui/window_text.h"
#include "ui_main.h"

// Resources of a static library are only linked in when something names them.
static void InitMainGlyphs() { Q_INIT_RESOURCE(main_glyphs); }

namespace corvane {
namespace {

constexpr int kNumberPage = 0;

}  // namespace

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
  StyleWidgets();

  SetUpFolderTree();
  SetUpPopupMenus();
  ConnectHandlers();
  ConnectRecordBindings();
  ConnectExtensionBindings();
  ConnectRecordChangeSignal();
  AcceptDroppedDrawings();
  installEventFilter(this);

  ShowInitialState();
}

void TForm1::StyleWidgets() {
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
}

void TForm1::ShowInitialState() {
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
  corvane::OpenStartRows(ui_->sh1, folderModel_);
  folderInView_ = new FolderInViewKeeper(ui_->sh1);
  connect(ui_->sh1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { FolderChange(); });
}

void TForm1::SetUpPopupMenus() {
  SetUpFileListMenu();
  SetUpFieldListMenus();
}

void TForm1::AddMenuItem(QMenu* menu, const char* name, const QString& text,
                         std::function<void()> handler) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  connect(action, &QAction::triggered, this, std::move(handler));
}

void TForm1::AttachPopupMenu(QListWidget* list, QMenu* menu) {
  connect(list, &QWidget::customContextMenuRequested, this, [list, menu](const QPoint& at) {
    menu->popup(list->viewport()->mapToGlobal(at));
  });
}

void TForm1::ConnectHandlers() {
  ConnectFileHandlers();
  ConnectFieldHandlers();
  ConnectCommandButtons();
  ConnectOptionsPage();
  ConnectLinks();
}

void TForm1::ConnectCommandButtons() {
  connect(ui_->BitBtn3, &QPushButton::clicked, this, &TForm1::RunRequested);
  connect(ui_->BitBtn4, &QPushButton::clicked, this, &TForm1::ExitRequested);
  connect(ui_->SpeedButton12, &QToolButton::clicked, this, &TForm1::LoadConfigRequested);
  connect(ui_->SpeedButton13, &QToolButton::clicked, this, &TForm1::SaveConfigRequested);
  connect(this, &TForm1::RunRequested, this, &TForm1::RunButtonClicked);
  connect(this, &TForm1::LoadConfigRequested, this, &TForm1::ChooseAndLoadConfig);
  connect(this, &TForm1::SaveConfigRequested, this, [this] { SaveConfigAs(); });
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
  const bool stop = AskStopOrFinishRun(this);
  askingToStop_ = false;
  // The run may have ended while the box was open; the flag is cleared by the next run.
  if (stop && runActive_) {
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
  if (watched == ui_->Label35 && SupportLabelEvent(event)) return true;
  return QWidget::eventFilter(watched, event);
}

}  // namespace corvane
