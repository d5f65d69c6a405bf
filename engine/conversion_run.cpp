#include "engine/conversion_run.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "config/atomic_file.h"
#include "engine/convert_file.h"
#include "engine/data_line.h"
#include "engine/run_state.h"

namespace corvane {

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr std::string_view kCanceledLine = "*** Process canceled by user ***";
constexpr std::string_view kNoFieldsMessage = "  Please, select data to be exported.  ";
constexpr std::size_t kHintLinesNeeded = 36;

bool IsSeparator(char c) { return c == '/' || c == kSeparator; }

// Two spellings of one file are the same file: compare the paths made absolute and normal, with
// symbolic links of existing parts resolved.
std::string ComparablePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  if (ec) p = std::filesystem::absolute(path, ec).lexically_normal();
  return p.string();
}

bool HasDxfExtension(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  if (ext.size() != 4) return false;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return ext[0] == '.' && lower(ext[1]) == 'd' && lower(ext[2]) == 'x' && lower(ext[3]) == 'f';
}

// Planned conversions: the paths of each file, or the reason it is not converted.
struct PlannedFile {
  std::string dxfPath;
  std::string dataPath;
  std::string refusal;  // the "*** Error, ... ***" line when the data file would replace something
};

std::vector<PlannedFile> PlanFiles(const RunSettings& run, const RunRequest& request) {
  std::vector<PlannedFile> plan;
  plan.reserve(request.files.size());
  std::set<std::string> written;
  const std::string report =
      request.reportPath.empty() ? std::string() : ComparablePath(request.reportPath);
  for (const InputFile& file : request.files) {
    PlannedFile p;
    p.dxfPath = WithSeparator(file.dxfFolder) + file.name;
    p.dataPath = DataFilePath(file.destFolder, file.name, run.config.FileExtension.view());
    const std::string target = ComparablePath(p.dataPath);
    if (HasDxfExtension(p.dataPath) || target == ComparablePath(p.dxfPath)) {
      p.refusal = "*** Error, the data file " + p.dataPath + " would replace a DXF file ***";
    } else if (!report.empty() && target == report) {
      p.refusal = "*** Error, the data file " + p.dataPath + " would replace the report file ***";
    } else if (!written.insert(target).second) {
      p.refusal = "*** Error, the data file " + p.dataPath +
                  " was already written for an earlier file of this run ***";
    }
    plan.push_back(std::move(p));
  }
  return plan;
}

std::string FileNameOf(const std::string& name) {
  std::size_t cut = name.size();
  while (cut > 0 && !IsSeparator(name[cut - 1])) --cut;
  return name.substr(cut);
}

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

}  // namespace

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || IsSeparator(folder.back())) return folder;
  return folder + kSeparator;
}

std::string DataFilePath(const std::string& destFolder, const std::string& name,
                         std::string_view extension) {
  const std::size_t dot = name.find('.');
  // A name without a dot keeps all of it and gets one, rather than losing the name entirely.
  const std::string stem = dot == std::string::npos ? name + "." : name.substr(0, dot + 1);
  return WithSeparator(destFolder) + stem + std::string(extension);
}

RunSettings PrepareRunSettings(const TExportConfig& config, const RunRequest& request) {
  RunSettings run;
  run.config = config;
  for (int k = 0; k < kCustomItemCount; ++k) {
    if (config.CustomChecked[k]) {
      run.SelectedCustomItems.push_back(std::to_string(config.CustomOrder[k]));
      if (config.CustomOrder[k] >= 0 && config.CustomOrder[k] < kCustomItemCount) {
        run.customItems.push_back(config.CustomOrder[k]);
      }
    }
  }
  for (const FieldRow& row : request.fieldRows) {
    if (!row.checked) continue;
    run.SelectedFields.push_back(row.text.substr(0, 1));
    if (row.text.empty()) continue;
    switch (row.text[0]) {
      case 'N': run.fields.push_back(FieldCode::kNumber); break;
      case 'X': run.fields.push_back(FieldCode::kX); break;
      case 'Y': run.fields.push_back(FieldCode::kY); break;
      case 'Z': run.fields.push_back(FieldCode::kZ); break;
      case 'C': run.fields.push_back(FieldCode::kCustom); break;
      default: break;
    }
  }
  run.BlockNamePatterns = std::string(config.BlockNames.view());
  run.fieldSeparator = std::string(config.FieldSeparator.view());
  run.customSeparator = std::string(config.CustomSeparator.view());
  run.hintLines = request.hintLines;
  run.HeaderLine = BuildHeaderLine(run, request.customItemNames);
  SizeDataLines(run);
  return run;
}

std::optional<std::string> CheckRun(const TExportConfig& config, const RunRequest& request) {
  for (char c : config.FileExtension.view()) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 32 || u == 127) {
      return "The file extension \"" + std::string(config.FileExtension.view()) +
             "\" cannot be used: it contains a character that is not allowed in a file name.";
    }
  }
  const RunSettings probe = PrepareRunSettings(config, RunRequest{{}, request.fieldRows, {}, {}, {}, 1});
  if (probe.fields.empty()) return std::string(kNoFieldsMessage);
  if (request.hintLines.size() < kHintLinesNeeded) {
    return "The hint list holds " + std::to_string(request.hintLines.size()) +
           " lines; the report needs " + std::to_string(kHintLinesNeeded) + ".";
  }
  return std::nullopt;
}

RunResult RunConversion(const TExportConfig& config, const RunRequest& request,
                        RunObserver& observer) {
  RunResult result;
  if (auto refusal = CheckRun(config, request)) {
    result.refusal = std::move(refusal);
    return result;
  }
  const RunSettings run = PrepareRunSettings(config, request);
  const std::vector<PlannedFile> plan = PlanFiles(run, request);

  std::vector<std::string>& report = result.report;
  report.push_back("Corvane report created " + observer.ReportDateTime());
  report.push_back("");
  report.push_back("Number of processed files : " + std::to_string(request.files.size()));
  report.push_back("");

  observer.RunStarted(request.files.size());
  // Once the user stops or an error ends the run, no further file starts; files already being
  // converted by other jobs see only the user's stop, so the report keeps its order.
  std::atomic<bool> noNewFile{false};
  const std::size_t count = plan.size();
  std::vector<FileOutcome> outcomes(count);
  std::vector<std::atomic<bool>> done(count);
  for (auto& d : done) d.store(false);

  auto convertOne = [&](std::size_t i) {
    FileOutcome& out = outcomes[i];
    if (plan[i].refusal.empty()) {
      FileJob job{i, plan[i].dxfPath, plan[i].dataPath, FileNameOf(request.files[i].name)};
      ConvertFile(run, job, observer, out);
    }
    // The stop flag is looked at again after each file; a later file must not start.
    out.stopAfter = observer.StopRequested();
    if (out.stopAfter || !out.fatalError.empty()) noNewFile = true;
  };

  const std::size_t jobs =
      std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(std::max(1, request.jobs)), count));
  if (jobs <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      convertOne(i);
      done[i] = true;
      if (outcomes[i].stopAfter || !outcomes[i].fatalError.empty()) break;
    }
  } else {
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    workers.reserve(jobs);
    for (std::size_t w = 0; w < jobs; ++w) {
      workers.emplace_back([&] {
        for (;;) {
          if (noNewFile) return;
          const std::size_t i = next.fetch_add(1);
          if (i >= count) return;
          convertOne(i);
          done[i] = true;
        }
      });
    }
    for (auto& t : workers) t.join();
  }

  // The report lists the files in their order, up to the first one after which the run ended.
  for (std::size_t i = 0; i < count && done[i]; ++i) {
    const FileOutcome& out = outcomes[i];
    report.push_back("DXF File  : " + plan[i].dxfPath);
    if (!plan[i].refusal.empty()) {
      report.push_back(plan[i].refusal);
      ++result.filesWithErrors;
    } else {
      report.insert(report.end(), out.lines.begin(), out.lines.end());
      if (out.hadError) ++result.filesWithErrors;
    }
    if (!out.fatalError.empty()) {
      // The run ends here; what was gathered is kept, with the reason as its last line.
      report.push_back("*** Error, " + out.fatalError + " ***");
      result.fatalError = out.fatalError;
      ++result.filesWithErrors;
      break;
    }
    report.push_back("");
    if (out.stopAfter) {
      report.push_back(std::string(kCanceledLine));
      result.stopped = true;
      break;
    }
  }

  observer.RunFinished();
  if (!request.reportPath.empty()) {
    result.reportWriteError = WriteFileAtomically(request.reportPath, JoinReport(report));
  }
  return result;
}

}  // namespace corvane
