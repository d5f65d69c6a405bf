// The two copies between the main window and the record it edits: the record read from the
// window for a run or a save, and a loaded record shown in the window.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <vector>

#include "config/config_text.h"
#include "ui/main.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {

void TForm1::ReadConfigFromWindow() {
  // A start value still being typed ("-") shows what the record already holds.
  CustomItemEditFinished();
  working_ = ConfigFromWindow();
}

TExportConfig TForm1::ConfigFromWindow() const {
  // A start value being typed is stored as 0 until its edit finishes, which is what the finished
  // edit shows: the copy needs no change to the editor.
  TExportConfig config = working_;
  config.Signature.assign(kConfigSignature);
  for (int k = 0; k < kFieldCount; ++k) {
    const QListWidgetItem* row = ui_->listechoix1->item(k);
    config.FieldOrder[k] = row ? IndexOfName(lists_.fieldNames, row->text()) : -1;
    config.FieldChecked[k] = IsChecked(row) ? 1 : 0;
  }
  for (int k = 0; k < kCustomItemCount; ++k) {
    const QListWidgetItem* row = ui_->listechoix2->item(k);
    config.CustomOrder[k] = row ? IndexOfName(lists_.customItems, row->text()) : -1;
    config.CustomChecked[k] = IsChecked(row) ? 1 : 0;
  }
  std::uint32_t mask = 0;
  for (int i = 0; i < kEntityOptionCount; ++i) {
    const auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(i));
    if (box && box->isChecked()) mask |= EntityBitValue(i);
  }
  config.EntityMask = mask;
  return config;
}

WindowRecord TForm1::RecordFromWindow() const {
  WindowRecord record;
  record.config = ConfigFromWindow();
  // The rows as the record holds them, built the way the command-line tool builds them.
  record.lists = RunListsFor(record.config, lists_);
  record.extension = extension_;
  return record;
}

void TForm1::ShowFieldRows(QListWidget* list, const std::int32_t* order,
                           const std::uint8_t* checked, int count,
                           const std::vector<std::string>& names) {
  // An index outside the list, or one met before, would show a row no index can be read back
  // from: such a row shows the first name not shown yet, so every name appears once.
  const int available = static_cast<int>(names.size());
  std::vector<bool> used(names.size(), false);
  std::vector<int> shown(static_cast<std::size_t>(count), -1);
  for (int k = 0; k < count; ++k) {
    const int index = order[k];
    if (index >= 0 && index < available && !used[static_cast<std::size_t>(index)]) {
      shown[static_cast<std::size_t>(k)] = index;
      used[static_cast<std::size_t>(index)] = true;
    }
  }
  int nextFree = 0;
  for (int k = 0; k < count; ++k) {
    int& index = shown[static_cast<std::size_t>(k)];
    if (index < 0) {
      while (nextFree < available && used[static_cast<std::size_t>(nextFree)]) ++nextFree;
      if (nextFree >= available) continue;  // the list is shorter than the record's rows
      index = nextFree;
      used[static_cast<std::size_t>(nextFree)] = true;
    }
    QListWidgetItem* row =
        AddCheckableRow(list, FromRecordText(names[static_cast<std::size_t>(index)]));
    if (checked[k]) row->setCheckState(Qt::Checked);
  }
}

void TForm1::ShowConfigInWindow() {
  fillingLists_ = true;
  ui_->listechoix1->clear();
  ui_->listechoix2->clear();
  fillingLists_ = false;

  ui_->Edit4->setText(FromRecordText(working_.FieldSeparator.view()));
  ui_->Edit12->setText(FromRecordText(working_.FileExtension.view()));

  fillingLists_ = true;
  ShowFieldRows(ui_->listechoix1, working_.FieldOrder, working_.FieldChecked, kFieldCount,
                lists_.fieldNames);
  ShowFieldRows(ui_->listechoix2, working_.CustomOrder, working_.CustomChecked, kCustomItemCount,
                lists_.customItems);
  fillingLists_ = false;

  for (int i = 0; i < kEntityOptionCount; ++i) {
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(i))) {
      box->setChecked((working_.EntityMask & EntityBitValue(i)) != 0);
    }
  }
  ApplyEntityDependencies();

  ui_->Edit6->setText(FromRecordText(working_.NumberPrefix.view()));
  ui_->Edit5->setText(QString::number(working_.StartNumber));
  ui_->Edit8->setText(FromRecordText(working_.XPrefix.view()));
  // An index outside 0 to 14 shows no entry rather than a wrong one.
  ui_->ComboBox3->setCurrentIndex(working_.XDecimals);
  ui_->Edit9->setText(FromRecordText(working_.YPrefix.view()));
  ui_->ComboBox4->setCurrentIndex(working_.YDecimals);
  ui_->Edit10->setText(FromRecordText(working_.ZPrefix.view()));
  ui_->ComboBox5->setCurrentIndex(working_.ZDecimals);
  ui_->CheckBox8->setChecked(working_.ForceZ != 0);
  ui_->Edit11->setText(FromRecordText(working_.ForcedZValue.view()));
  ui_->Edit2->setText(FromRecordText(working_.CustomPrefix.view()));
  ui_->Edit3->setText(FromRecordText(working_.CustomSeparator.view()));
  ui_->c17->setText(FromRecordText(working_.BlockNames.view()));
  ui_->inclheader->setChecked(working_.IncludeHeader != 0);
  const std::vector<QLineEdit*> boxes = ExtensionBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    boxes[i]->setText(FromRecordText(extension_.*ExtensionOptions()[i].field));
  }
  ShowExtensionSwitches();

  fillingLists_ = true;
  ui_->listechoix1->setCurrentRow(0);
  fillingLists_ = false;
  FieldListClick();
}

}  // namespace corvane
