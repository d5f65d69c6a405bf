// The main window's options page: the report choice, the hint switch and the settings they write,
// and what start-up restores of them.
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

namespace corvane {

void TForm1::ConnectOptionsPage() {
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
}

bool TForm1::WriteSetting(const BoolSetting& setting, bool value) {
  std::string error;
  if (corvane::WriteSetting(store_, setting, value, error)) return true;
  ShowErrorBox(error, this);
  return false;
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

}  // namespace corvane
