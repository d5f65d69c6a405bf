// The run button: the window into the record, the checks, the run with its progress window, and
// what the user is told afterwards.
#include "ui/run_button.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QUrl>
#include <exception>

#include "config/program_paths.h"
#include "ui/Unit2.h"
#include "ui/main.h"
#include "ui/run_observer.h"
#include "ui/startup.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {

std::optional<QString> RunButtonCheck(const TExportConfig& config) {
  using namespace entity_bit;
  // Nothing, or one sub-option left ticked under an unticked parent, converts nothing.
  const std::uint32_t mask = config.EntityMask;
  if (mask == 0 || mask == EntityBitValue(kAdded2D) || mask == EntityBitValue(kAdded3D) ||
      mask == EntityBitValue(kControlPoints) || mask == EntityBitValue(kThreePointsOnly)) {
    return QString::fromLatin1(kSelectEntitiesMessage);
  }
  bool anyField = false;
  for (int k = 0; k < kFieldCount; ++k) anyField = anyField || config.FieldChecked[k] != 0;
  if (!anyField) return QString::fromLatin1(kSelectDataMessage);
  if ((mask & EntityBitValue(kSplines)) &&
      !(mask & (EntityBitValue(kControlPoints) | EntityBitValue(kFitPoints)))) {
    return QString::fromLatin1(kSelectSplinePointsMessage);
  }
  return std::nullopt;
}

void ShowInformationBox(const QString& text, QWidget* parent) {
  QMessageBox box(QMessageBox::Information, QObject::tr("Information"), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

void TForm1::RunButtonClicked() {
  ReadConfigFromWindow();
  if (const std::optional<QString> message = RunButtonCheck(working_)) {
    ShowInformationBox(*message, this);
    return;
  }

  RunRequest request;
  const std::string dxfFolder = QFile::encodeName(fileListFolder_).toStdString();
  const std::string destFolder = QFile::encodeName(ui_->Edit1->text()).toStdString();
  for (std::string& name : SelectedFileNameBytes()) {
    request.files.push_back(InputFile{dxfFolder, std::move(name), destFolder});
  }
  for (int row = 0; row < ui_->listechoix1->count(); ++row) {
    const QListWidgetItem* item = ui_->listechoix1->item(row);
    request.fieldRows.push_back(
        FieldRow{item->text().toLocal8Bit().toStdString(), IsChecked(item)});
  }
  request.customItemNames = lists_.customItems;
  request.hintLines = lists_.hints;
  request.reportPath = reportPath_;
  request.configPaths = ConfigFilesInUse();
  request.programFiles = ProgramFiles(QFile::encodeName(programFolder_).toStdString());
  request.jobs = 1;

  if (!progress_) {
    if (!ownProgress_) ownProgress_ = std::make_unique<TForm2>(this);
    progress_ = ownProgress_.get();
  }
  RunResult result;
  struct ActiveWhileInScope {
    bool& flag;
    explicit ActiveWhileInScope(bool& f) : flag(f) { flag = true; }
    ~ActiveWhileInScope() { flag = false; }
  };
  try {
    const ActiveWhileInScope active(runActive_);
    result = RunWithProgress(*progress_, this, working_, request);
  } catch (const std::exception& e) {
    // Nothing may leave an event handler: the run ends with the error box, and no report.
    ShowErrorBox(e.what(), this);
    return;
  }
  ShowRunOutcome(result, request.reportPath);
}

void TForm1::ShowRunOutcome(const RunResult& result, const std::string& reportPath) {
  if (result.refusal) {
    if (result.refusal->kind == RunRefusal::Kind::kInformation) {
      ShowInformationBox(FromRecordText(result.refusal->message), this);
    } else {
      ShowErrorBox(result.refusal->message, this);
    }
    return;
  }
  if (!result.fatalError.empty()) ShowErrorBox(result.fatalError, this);
  if (!result.reportWriteError.empty()) {
    ShowErrorBox(result.reportWriteError, this);
    return;
  }
  // A desktop without a text viewer is no error of the run.
  if (showReport_ && !reportPath.empty()) {
    OpenUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(reportPath))));
  }
}

}  // namespace corvane
