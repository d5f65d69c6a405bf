// The main window's entity options, exported fields and custom items: the boxes' dependencies,
// the field lists and the settings page of the current field.
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
namespace {

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

void TForm1::ConnectFieldHandlers() {
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
}

void TForm1::SetUpFieldListMenus() {
  popupMenu2_ = new QMenu(this);
  popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
  AddMenuItem(popupMenu2_, "SelectAll2", tr("Select All"), [this] {
    CheckAll(ui_->listechoix1, true);
    FieldListClick();
  });
  AddMenuItem(popupMenu2_, "SelectNone1", tr("Select None"), [this] {
    CheckAll(ui_->listechoix1, false);
    FieldListClick();
  });

  popupMenu3_ = new QMenu(this);
  popupMenu3_->setObjectName(QStringLiteral("PopupMenu3"));
  AddMenuItem(popupMenu3_, "MenuItem1", tr("Select All"), [this] {
    CheckAll(ui_->listechoix2, true);
    CustomListClick();
  });
  AddMenuItem(popupMenu3_, "MenuItem2", tr("Select None"), [this] {
    CheckAll(ui_->listechoix2, false);
    CustomListClick();
  });
  AttachPopupMenu(ui_->listechoix1, popupMenu2_);
  AttachPopupMenu(ui_->listechoix2, popupMenu3_);
  // The two field lists' menus act on every row, not on the clicked one: a right click only
  // opens the menu. Making the clicked row current would switch the settings page, or move the
  // custom-item editor to another item, under the user's hand.
  ui_->listechoix1->viewport()->installEventFilter(this);
  ui_->listechoix2->viewport()->installEventFilter(this);
}

}  // namespace corvane
