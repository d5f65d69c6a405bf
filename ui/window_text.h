// Small helpers the main window's two source files share: record texts shown in controls, and
// the rows of its two check list boxes.
#pragma once

#include <QListWidget>
#include <QString>
#include <string_view>

namespace corvane {

// Record and lookup-list texts are bytes of the system's 8-bit encoding.
inline QString FromRecordText(std::string_view bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline bool IsChecked(const QListWidgetItem* item) {
  return item && item->checkState() == Qt::Checked;
}

inline QListWidgetItem* AddCheckableRow(QListWidget* list, const QString& text) {
  auto* item = new QListWidgetItem(text, list);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  return item;
}

}  // namespace corvane
