// Names that a control cannot show whole can still be read: a folder tree's row tells its full
// path, and a path label or box that cuts its path tells the whole of it, in a plain tooltip.
// These tooltips are not help: they show whatever the "Show Help Tips" switch says, and where
// they apply they take the place of the control's hint balloon (the balloon still shows on the
// rest of the control, and whenever the path fits).
#pragma once

#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QLineEdit;
class QPoint;
class QWidget;

namespace corvane {

// Marks a label or a one-line box that shows a path.
void ShowWholeTextWhenCut(QWidget* control);

// Shows `shown` in `label`, cut with an ellipsis (at `mode`) to the label's width, and keeps
// `whole` (the whole name, or a path that says more) for the label's tooltip. The label's width
// is taken as it stands: call again after it changes.
void ShowElided(QLabel* label, const QString& shown, Qt::TextElideMode mode, const QString& whole);

// Marks an item view whose rows' tooltips give their whole names: a row's tooltip applies over
// its icon and text only, so the view's own hint still shows after a short name and below the
// last row.
void ShowWholeNameOverTextOnly(QWidget* view);

// Whether the text needs more room than the control gives it.
bool TextIsCut(const QLabel* label);
bool TextIsCut(const QLineEdit* box);

// The whole name to show at `pos` (in `widget`'s coordinates), or "" when there is none: the
// tooltip an item view's model gives the row under the pointer, or the text of a marked control
// that cuts it. `area` (in `widget`'s coordinates) gets the part of the widget the name belongs
// to, so that the tooltip goes when the pointer leaves it.
QString WholeNameTip(const QWidget* widget, const QPoint& pos, QRect* area = nullptr);

// What the tooltip is given for `whole`: the name as it is, on one line; only a name that Qt would
// take for rich text (a folder named "<b>") is escaped, and may then be wrapped.
QString WholeNameTipText(const QString& whole);

}  // namespace corvane
