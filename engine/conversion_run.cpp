#include "engine/conversion_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

#include "files/text_rules.h"
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "engine/convert_file.h"
#include "engine/data_line.h"
#include "engine/report_text.h"
#include "engine/run_outputs.h"
#include "engine/run_state.h"
#include "files/atomic_file.h"
#include "files/output_guard.h"

namespace corvane {

namespace {


std::string FileNameOf(const std::string& name) { return std::string(LastPathPart(name)); }

std::string JoinReport(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const auto& l : lines) size += l.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

// The run's view of the stop flag: the user's, or the end of the run that an output error in
// another job has made certain.
class RunControl : public RunObserver {
 public:
  explicit RunControl(RunObserver& user) : user_(user) {}
  std::string ReportDateTime() override { return user_.ReportDateTime(); }
  void RunStarted(std::size_t n) override { user_.RunStarted(n); }
  void FileStarted(std::size_t i, std::string_view text) override { user_.FileStarted(i, text); }
  void ProgressMaximum(std::size_t i, std::uint64_t u) override { user_.ProgressMaximum(i, u); }
  void ProgressPosition(std::size_t i, std::uint64_t u) override { user_.ProgressPosition(i, u); }
  void FileFinished(std::size_t i) override { user_.FileFinished(i); }
  bool StopRequested() override { return aborted_.load(std::memory_order_relaxed) || user_.StopRequested(); }
  void RunFinished() override { user_.RunFinished(); }

  bool UserStopRequested() { return user_.StopRequested(); }
  void Abort() { aborted_.store(true, std::memory_order_relaxed); }

 private:
  RunObserver& user_;
  std::atomic<bool> aborted_{false};
};

// Files are handed out strictly in list order, and none once the run is ending, so the files
// that started are always the first ones of the list.
class FileQueue {
 public:
  explicit FileQueue(std::size_t count) : count_(count), finished_(count, false) {}

  // The next file, unless the run is ending: `stopping` is asked under the lock, so that a file
  // either starts before the stop is known (and then sees it in its main loop) or not at all.
  template <typename StopCheck>
  std::optional<std::size_t> Take(StopCheck stopping) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_ && stopping()) closed_ = true;
    if (closed_ || next_ >= count_) return std::nullopt;
    return next_++;
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  std::size_t Started() {
    std::lock_guard<std::mutex> lock(mutex_);
    return next_;
  }
  void Finish(std::size_t i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_[i] = true;
    }
    changed_.notify_all();
  }
  // Earlier files always started before this one, so waiting for them cannot deadlock.
  void WaitFor(const std::vector<std::size_t>& earlier) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] {
      for (std::size_t j : earlier) {
        if (!finished_[j]) return false;
      }
      return true;
    });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::size_t count_;
  std::size_t next_ = 0;
  bool closed_ = false;
  std::vector<bool> finished_;
};

// Calls RunFinished however the run ends, an exception included.
class FinishGuard {
 public:
  explicit FinishGuard(RunObserver& observer) : observer_(observer) {}
  FinishGuard(const FinishGuard&) = delete;
  FinishGuard& operator=(const FinishGuard&) = delete;
  ~FinishGuard() { Finish(); }
  void Finish() {
    if (done_) return;
    done_ = true;
    observer_.RunFinished();
  }

 private:
  RunObserver& observer_;
  bool done_ = false;
};

}  // namespace

RunSettings PrepareRunSettings(const TExportConfig& config, const RunLists& lists,
                               const ConfigExtension& extension) {
  RunSettings run;
  run.config = config;
  for (int k = 0; k < kCustomItemCount; ++k) {
    if (config.CustomChecked[k] && config.CustomOrder[k] >= 0 &&
        config.CustomOrder[k] < kCustomItemCount) {
      run.SelectedCustomItems.push_back(config.CustomOrder[k]);
    }
  }
  for (const FieldRow& row : lists.fieldRows) {
    if (!row.checked || row.text.empty()) continue;
    if (const FieldKind* kind = FieldKindOfCode(row.text[0])) run.SelectedFields.push_back(kind->field);
  }
  run.BlockNamePatterns = std::string(config.BlockNames.view());
  run.fieldSeparator = std::string(config.FieldSeparator.view());
  run.customSeparator = std::string(config.CustomSeparator.view());
  run.hintLines = lists.hintLines;
  run.extension = extension;
  run.attributeTags = AttributeTagsOf(extension);
  run.worldCoordinates = WorldCoordinatesOn(extension);
  run.blockContents = BlockContentsOn(extension);
  run.HeaderLine = BuildHeaderLine(run, lists.customItemNames);
  PrepareDataLines(run);
  return run;
}

namespace {

// What converting the files leaves for the report: each file's outcome, and how many started.
struct FilesConverted {
  std::vector<FileOutcome> outcomes;
  std::size_t started = 0;
};

// Converts the planned files on up to request.jobs threads. Files start in list order, and none
// once the run is ending.
FilesConverted ConvertFiles(const RunSettings& run, const RunRequest& request,
                            const std::vector<PlannedFile>& plan, RunControl& observer, OutputGuard& guard) {
  const std::size_t count = plan.size();
  FilesConverted done;
  done.outcomes.resize(count);
  FileQueue queue(count);
  auto convertOne = [&](std::size_t i, FileBuffers& buffers) {
    FileOutcome& out = done.outcomes[i];
    try {
      queue.WaitFor(plan[i].sameDataFileBefore);
      FileJob job{i, plan[i].dxfPath, plan[i].dataPath, FileNameOf(request.files[i].name)};
      ConvertFile(run, job, observer, guard, buffers, out);
    } catch (const std::bad_alloc&) {
      out.fatalError = "There is not enough memory to convert \"" + plan[i].dxfPath + "\"";
    } catch (const std::exception& e) {
      out.fatalError = std::string(e.what());
    } catch (...) {
      out.fatalError = "An unexpected error ended the conversion of \"" + plan[i].dxfPath + "\"";
    }
    // The stop flag is looked at again after each file; a later file must not start.
    out.stopAfter = observer.UserStopRequested();
    if (!out.fatalError.empty()) observer.Abort();
    if (out.stopAfter || !out.fatalError.empty()) queue.Close();
    queue.Finish(i);
  };
  const std::size_t jobs = std::max<std::size_t>(
      1, std::min<std::size_t>(static_cast<std::size_t>(std::max(1, request.jobs)), count));
  auto work = [&] {
    FileBuffers buffers;  // one set per job, reused for each of its files
    while (auto i = queue.Take([&] { return observer.StopRequested(); })) convertOne(*i, buffers);
  };
  if (jobs <= 1) {
    work();
  } else {
    std::vector<std::thread> workers;
    workers.reserve(jobs);
    for (std::size_t w = 0; w < jobs; ++w) workers.emplace_back(work);
    for (auto& t : workers) t.join();
  }
  done.started = queue.Started();
  return done;
}

// Every file that started is in the report, in list order: each created or emptied a data file
// that the user must hear of. The run's end (an output error or the user's stop) comes last.
void ReportFiles(const std::vector<PlannedFile>& plan, const FilesConverted& done, RunControl& observer,
                 RunResult& result) {
  std::vector<std::string>& report = result.report;
  std::string fatalError;
  std::string fatalDrawing;
  for (std::size_t i = 0; i < done.started; ++i) {
    const FileOutcome& out = done.outcomes[i];
    if (!out.fatalError.empty() && fatalError.empty()) {
      fatalError = out.fatalError;
      fatalDrawing = plan[i].dxfPath;
    }
    if (out.stopAfter) result.stopped = true;
  }
  // A stop that came before a file could start still ends the run as a stop.
  if (done.started < plan.size() && observer.UserStopRequested()) result.stopped = true;
  result.dataFiles.assign(plan.size(), std::string());
  for (std::size_t i = 0; i < done.started; ++i) {
    const FileOutcome& out = done.outcomes[i];
    if (out.dataFileOpened) result.dataFiles[i] = plan[i].dataPath;
    report.push_back(DrawingLineText(plan[i].dxfPath));
    for (std::size_t k : out.errorLines) result.errorLines.push_back({plan[i].dxfPath, out.lines[k]});
    report.insert(report.end(), out.lines.begin(), out.lines.end());
    if (out.hadError || !out.fatalError.empty()) ++result.filesWithErrors;
    // Blocks are separated by an empty line; the line that tells why a run ended follows the
    // last block directly, as it always has for a single job.
    if (fatalError.empty() || i + 1 < done.started) report.push_back("");
  }
  if (!fatalError.empty()) {
    report.push_back(ErrorLineText(fatalError));
    result.errorLines.push_back({fatalDrawing, report.back()});
    result.fatalError = fatalError;
    result.stopped = false;
  } else if (result.stopped) {
    report.push_back(std::string(kCanceledLine));
  }
  for (std::string& line : report) ShowControlsAsQuestionMarks(line);
  for (ReportErrorLine& error : result.errorLines) {
    ShowControlsAsQuestionMarks(error.drawing);
    ShowControlsAsQuestionMarks(error.line);
  }
}

}  // namespace

RunResult RunConversion(const TExportConfig& config, const RunRequest& request,
                        RunObserver& userObserver) {
  RunResult result;
  const std::vector<PlannedFile> plan = PlanFiles(config, request);
  if (auto refusal = CheckRun(config, request, plan)) {
    result.refusal = std::move(refusal);
    return result;
  }
  const RunSettings run = PrepareRunSettings(config, request.lists, request.extension);

  OutputGuard guard;
  ProtectRunFiles(guard, plan, request);

  RunControl observer(userObserver);
  std::vector<std::string>& report = result.report;
  report.push_back("Corvane report created " + observer.ReportDateTime());
  report.push_back("");
  report.push_back("Number of processed files : " + std::to_string(request.files.size()));
  report.push_back("");
  AddExtensionLines(request.extension, report);

  observer.RunStarted(request.files.size());
  FinishGuard finish(observer);
  const FilesConverted done = ConvertFiles(run, request, plan, observer, guard);
  ReportFiles(plan, done, observer, result);
  finish.Finish();
  if (!request.reportPath.empty() && !request.reportSavedByCaller) {
    result.reportWriteError = SaveRunReport(request.reportPath, report);
  }
  return result;
}

std::string SaveRunReport(const std::string& path, const std::vector<std::string>& report) {
  return WriteFileAtomically(path, JoinReport(report));
}

}  // namespace corvane
