// The run button: the window into the record, the checks, the run with its progress window, and
// what the user is told afterwards.
#include "ui/message_boxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <exception>

#include "config/program_paths.h"
#include "ui/Unit2.h"
#include "ui/main.h"
#include "ui/run_progress.h"
#include "ui/startup.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {

void TForm1::RunButtonClicked() {
  ReadConfigFromWindow();

  RunRequest request;
  const std::string dxfFolder = QFile::encodeName(fileListFolder_).toStdString();
  const std::string destFolder = QFile::encodeName(ui_->Edit1->text()).toStdString();
  for (std::string& name : SelectedFileNameBytes()) {
    request.files.push_back(InputFile{dxfFolder, std::move(name), destFolder});
  }
  WindowRecord record = RecordFromWindow();
  request.lists = std::move(record.lists);
  request.extension = std::move(record.extension);
  request.reportPath = reportPath_;
  if (!configInUse_.empty()) request.configPaths.push_back(configInUse_);
  request.programFiles = ProgramFiles(places_);
  request.jobs = 1;

  // A refused run is told at once, before the window is handed to a run.
  if (const std::optional<RunRefusal> refusal = CheckRun(working_, request)) {
    ShowRefusal(*refusal);
    return;
  }
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
  // Nothing may leave an event handler: whatever ends the run this way ends in the error box,
  // with no report.
  try {
    const ActiveWhileInScope active(runActive_);
    // The run checks again (what it is handed may have changed on disk meanwhile) and works on
    // its own copy of the record.
    result = RunWithProgress(*progress_, this, working_, request);
  } catch (const std::exception& e) {
    ShowErrorBox(e.what(), this);
    return;
  } catch (...) {
    ShowErrorBox("An unexpected error ended the run", this);
    return;
  }
  ShowRunOutcome(result, request);
}

void TForm1::ShowRefusal(const RunRefusal& refusal) {
  if (refusal.kind == RunRefusal::Kind::kInformation) {
    ShowInformationBox(FromRecordText(refusal.message), this);
  } else {
    ShowErrorBox(refusal.message, this);
  }
}

void TForm1::ShowRunOutcome(const RunResult& result, const RunRequest& request) {
  if (result.refusal) {
    ShowRefusal(*result.refusal);
    return;
  }
  if (!result.fatalError.empty()) ShowErrorBox(result.fatalError, this);
  if (!result.reportWriteError.empty()) {
    ShowErrorBox(result.reportWriteError, this);
    return;
  }
  // The run button stays live while files are listed, so a run can start with none of them
  // selected: it writes a report that lists no file, and without a word the user could not tell
  // it from a run that failed. The box says why instead, after the report was handed to the
  // viewer as always; that report is not worth a second box when no viewer opens it.
  const bool nothingSelected = request.files.empty();
  // A desktop without a text viewer is no error of the run, but the user is told where the
  // report is.
  const bool reportShown = showReport_ && !request.reportPath.empty();
  if (reportShown) {
    OpenReport(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(request.reportPath))),
               nothingSelected);
  }
  if (nothingSelected) {
    ShowInformationBox(tr("No DXF file was selected, so no file was converted."), this,
                       {.detail = tr("Select the drawings in the file list (hold Ctrl to select "
                                     "several), then create the data files again."),
                        .objectName = {},
                        .selectable = false});
    return;
  }
  // An error box already told of a run that ended early.
  if (result.filesWithErrors > 0 && result.fatalError.empty()) {
    ShowDrawingsWithErrors(result.filesWithErrors, request, reportShown);
  }
}

void TForm1::ShowDrawingsWithErrors(std::size_t failed, const RunRequest& request,
                                    bool reportShown) {
  // Error lines in a report nobody opens would leave the user believing every data file is
  // whole: whatever the report option, the run ends with this box.
  const std::size_t total = request.files.size();
  const QString text =
      total == 1 ? tr("The drawing could not be converted completely.")
                 : tr("%1 of the %2 drawings could not be converted completely.")
                       .arg(failed)
                       .arg(total);
  const QString report = QFile::decodeName(QByteArray::fromStdString(request.reportPath));
  QString where;
  if (!request.reportPath.empty()) {
    const QFileInfo info(report);
    where = tr("The report \"%1\" says which and why. It is in %2")
                .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()));
  }
  // The viewer already has it when the report is shown after every run.
  const bool offerReport = !request.reportPath.empty() && !reportShown;
  if (ShowDrawingsWithErrorsBox(text, where, offerReport, this)) OpenReport(QUrl::fromLocalFile(report), false);
}

}  // namespace corvane
