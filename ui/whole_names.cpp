#include "ui/whole_names.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QVariant>

namespace corvane {
namespace {

const char kWholeTextProperty[] = "corvaneWholeTextWhenCut";
const char kWholeNameProperty[] = "corvaneWholeName";
const char kTextOnlyProperty[] = "corvaneWholeNameOverTextOnly";

// QLineEdit keeps this much room between its contents rectangle and the text, on each side.
constexpr int kLineEditTextMargin = 2;

}  // namespace

void ShowWholeTextWhenCut(QWidget* control) { control->setProperty(kWholeTextProperty, true); }

void ShowElided(QLabel* label, const QString& shown, Qt::TextElideMode mode, const QString& whole) {
  const int room = label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
  label->setText(label->fontMetrics().elidedText(shown, mode, qMax(room, 0)));
  label->setProperty(kWholeNameProperty, whole);
}

void ShowWholeNameOverTextOnly(QWidget* view) { view->setProperty(kTextOnlyProperty, true); }

bool TextIsCut(const QLabel* label) {
  if (label->wordWrap() || label->text().isEmpty()) return false;
  const int room = label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
  return label->fontMetrics().horizontalAdvance(label->text()) > room;
}

bool TextIsCut(const QLineEdit* box) {
  if (box->text().isEmpty()) return false;
  // The room QLineEdit paints its text in, as it works it out itself.
  QStyleOptionFrame frame;
  frame.initFrom(box);
  frame.rect = box->rect();
  frame.lineWidth =
      box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, box) : 0;
  frame.midLineWidth = 0;
  frame.state |= QStyle::State_Sunken;
  if (box->isReadOnly()) frame.state |= QStyle::State_ReadOnly;
  frame.features = QStyleOptionFrame::None;
  const QRect contents = box->style()
                             ->subElementRect(QStyle::SE_LineEditContents, &frame, box)
                             .marginsRemoved(box->textMargins());
  const int room = contents.width() - 2 * kLineEditTextMargin;
  return box->fontMetrics().horizontalAdvance(box->text()) > room;
}

QString WholeNameTip(const QWidget* widget, const QPoint& pos, QRect* area) {
  if (!widget) return QString();
  // Item views get the event on their viewport.
  if (const auto* view = qobject_cast<const QAbstractItemView*>(widget->parentWidget());
      view && view->viewport() == widget) {
    const QModelIndex row = view->indexAt(pos);
    if (!row.isValid()) return QString();
    QRect rowArea = view->visualRect(row);
    if (view->property(kTextOnlyProperty).toBool()) {
      // The icon, the name and a little room after it; the rest of the row is the list's own.
      const int iconWidth = view->iconSize().isValid()
                                ? view->iconSize().width()
                                : view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
      const int icon = row.data(Qt::DecorationRole).isNull() ? 0 : iconWidth + 8;
      const int text = view->fontMetrics().horizontalAdvance(row.data(Qt::DisplayRole).toString());
      rowArea.setWidth(qMin(rowArea.width(), icon + text + 12));
      if (!rowArea.contains(pos)) return QString();
    }
    if (area) *area = rowArea;
    return row.data(Qt::ToolTipRole).toString();
  }
  const QString named = widget->property(kWholeNameProperty).toString();
  if (!named.isEmpty()) {
    if (area) *area = widget->rect();
    return named;
  }
  if (!widget->property(kWholeTextProperty).toBool()) return QString();
  QString whole;
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    if (TextIsCut(label)) whole = label->text();
  } else if (const auto* box = qobject_cast<const QLineEdit*>(widget)) {
    if (TextIsCut(box)) whole = box->text();
  }
  if (!whole.isEmpty() && area) *area = widget->rect();
  return whole;
}

QString WholeNameTipText(const QString& whole) {
  // Rich text would be wrapped at a few hundred pixels, whatever its style says.
  return Qt::mightBeRichText(whole) ? Qt::convertFromPlainText(whole, Qt::WhiteSpaceNoWrap) : whole;
}

}  // namespace corvane
