#include "ui/message_boxes.h"

#include <QMessageBox>
#include <QObject>
#include <QPushButton>

#include "ui/startup.h"

namespace corvane {

namespace {

QString ApplicationTitle() { return QString::fromLatin1(kApplicationTitle); }

QString InformationCaption() { return QObject::tr("Information"); }

}  // namespace

void ShowErrorBox(const std::string& text, QWidget* parent) {
  QMessageBox::critical(parent, ApplicationTitle(),
                        QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())) +
                            QLatin1Char('.'));
}

void ShowRefusedFileBox(const QString& text, const QString& file, QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, parent);
  box.setInformativeText(file);
  box.exec();
}

void ShowInformationBox(const QString& text, QWidget* parent, const InformationBox& options) {
  QMessageBox box(QMessageBox::Information, InformationCaption(), text, QMessageBox::Ok, parent);
  if (!options.objectName.isEmpty()) box.setObjectName(options.objectName);
  if (!options.detail.isEmpty()) box.setInformativeText(options.detail);
  if (options.selectable) box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

SaveChangesAnswer AskToSaveChanges(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, InformationCaption(),
                  QObject::tr("Current configuration has changed, do you want to save it ?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return SaveChangesAnswer::kSave;
    case QMessageBox::No: return SaveChangesAnswer::kDiscard;
    default: return SaveChangesAnswer::kCancel;
  }
}

bool AskStopOrFinishRun(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, InformationCaption(),
                  QObject::tr("Data files are being created: the window can be closed when the run has "
                              "ended."),
                  QMessageBox::Abort | QMessageBox::Cancel, parent);
  box.setObjectName(QStringLiteral("RunIsActive"));
  box.setInformativeText(QObject::tr("Stop the run now, or let it finish?"));
  box.button(QMessageBox::Abort)->setText(QObject::tr("Stop process"));
  box.button(QMessageBox::Cancel)->setText(QObject::tr("Let it finish"));
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  // The run keeps the main window disabled; its own box must take clicks.
  box.setEnabled(true);
  return box.exec() == QMessageBox::Abort;
}

bool ShowDrawingsWithErrorsBox(const QString& text, const QString& detail, bool offerReport,
                               QWidget* parent) {
  QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("DrawingsWithErrors"));
  if (!detail.isEmpty()) box.setInformativeText(detail);
  if (offerReport) {
    box.addButton(QMessageBox::Open)->setText(QObject::tr("Open Report"));
    box.setDefaultButton(QMessageBox::Open);
  }
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  return box.exec() == QMessageBox::Open;
}

}  // namespace corvane
