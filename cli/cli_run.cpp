#include "cli/cli_run.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#if defined(_WIN32)
#include <io.h>
#define CORVANE_ISATTY _isatty
#define CORVANE_FILENO _fileno
#else
#include <unistd.h>
#define CORVANE_ISATTY isatty
#define CORVANE_FILENO fileno
#endif

#include "cli/cli_options.h"
#include "cli/console_text.h"
#include "cli/input_files.h"
#include "cli/plot_step.h"
#include "cli/terminal_observer.h"
#include "config/config_text.h"
#include "config/crv_file.h"
#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/program_folder.h"
#include "config/program_paths.h"
#include "engine/conversion_run.h"
#include "engine/report_text.h"
#include "engine/run_checks.h"
#include "files/file_io.h"
#include "files/output_guard.h"
#include "files/path_text.h"
#include "files/text_rules.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// Messages name paths and texts from files: on a terminal, their control characters show as "?".
std::string Shown(std::string text) {
  ShowControlsAsQuestionMarks(text);
  return text;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "corvane-cli: %s\n", Shown(message).c_str());
  std::fputs("Try 'corvane-cli --help' for more information.\n", stderr);
  return kExitUsage;
}

int ConfigError(const std::string& message) {
  std::fprintf(stderr, "corvane-cli: %s\n", Shown(message).c_str());
  return kExitUsage;
}

// A refusal is shown as its text says it, without the blanks that pad it in the window's box.
int RefusalError(const RunRefusal& refusal) {
  const std::string& text = refusal.message;
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  return ConfigError(first == std::string::npos ? text : text.substr(first, last - first + 1));
}

// Prints the report on standard output; false with the reason when it could not all be written
// (a full disk, a closed or broken pipe), which the exit status must then tell.
bool PrintReport(const RunResult& result, std::string& reason) {
  errno = 0;
  bool ok = true;
  for (const std::string& line : result.report) {
    ok = WriteText(stdout, line) && WriteText(stdout, "\n") && ok;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !ok) {
    reason = SystemReason(errno);
    return false;
  }
  return true;
}

// Quiet: only the run's error lines, each with the drawing it belongs to (the pictures' lines
// were told as they came).
void PrintErrorLines(const RunResult& result) {
  for (const ReportErrorLine& error : result.errorLines) {
    WriteText(stderr, "corvane-cli: " + error.drawing + ": " + error.line + "\n");
  }
}

std::string RefusedConfigMessage(const std::string& path, const ConfigFileResult& read) {
  // The signature message does not name the file; a batch script's log must.
  if (read.status == ConfigReadStatus::kNotConfigFile) return "\"" + path + "\": " + read.message;
  return read.message;
}

int SaveConfig(const std::string& path, const TExportConfig& config, const ConfigExtension& extension) {
  const std::string saveError = WriteConfigFile(path, config, extension);
  if (saveError.empty()) return kExitOk;
  std::fprintf(stderr, "corvane-cli: %s.\n", Shown(saveError).c_str());
  return kExitFileErrors;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::atomic<bool>& stop) {
  std::string error;
  const auto options = ParseCliOptions(args, error);
  if (!options) return UsageError(error);
  if (options->help) {
    std::fputs(kCliUsage, stdout);
    return kExitOk;
  }
  if (options->version) {
    std::puts("corvane-cli " CORVANE_VERSION);
    return kExitOk;
  }

  const std::string programFolder = ProgramFolder();
  const ProgramPlaces places = FindProgramPlaces(programFolder);
  LookupLists lists;
  const std::string listError = LoadLookupLists(programFolder, lists);
  if (!listError.empty()) return ConfigError(listError);

  const std::string configPath =
      options->configPath.empty() ? DefaultConfigPath(programFolder) : options->configPath;
  TExportConfig config = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  ConfigExtension extension, savedExtension;
  const ConfigFileResult read = ReadConfigFile(configPath, config, saved, extension, savedExtension);
  if (!read.accepted) return ConfigError(RefusedConfigMessage(configPath, read));
  for (const std::string& setting : options->settings) {
    if (!SetConfigField(config, extension, setting, error)) return ConfigError("--set: " + error);
  }
  if (options->showConfig) {
    for (const std::string& line : DescribeConfig(config, extension)) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFileErrors;
  }
  if (!options->saveConfigPath.empty() && options->inputs.empty()) {
    if (auto refusal = CheckConfigurationSave(options->saveConfigPath,
                                                         {ShippedProgramFiles(places), "", nullptr, false}))
      return ConfigError(*refusal);
    return SaveConfig(options->saveConfigPath, config, extension);
  }

  RunRequest request;
  std::vector<std::string> warnings;
  if (!ExpandInputs(options->inputs, options->destFolder, request.files, warnings, error)) {
    return ConfigError(error);
  }
  for (const std::string& w : warnings) std::fprintf(stderr, "corvane-cli: warning: %s\n", Shown(w).c_str());
  request.lists = RunListsFor(config, lists);
  request.reportPath = options->reportPath;
  // A report that cannot be written is known now, not after hours of converting.
  request.refuseUnwritableReport = true;
  request.configPaths = {configPath};
  if (!options->saveConfigPath.empty()) request.configPaths.push_back(options->saveConfigPath);
  request.programFiles = ProgramFiles(places);
  request.jobs = options->jobs;
  request.extension = extension;
  // With drawings to convert, the configuration is saved once the run's checks have passed: a
  // command that is refused has written nothing. Without a configuration to save, the run makes
  // the same checks itself, and the paths are looked up only once.
  if (!options->saveConfigPath.empty()) {
    const std::vector<PlannedFile> plan = PlanFiles(config, request);
    if (const std::optional<RunRefusal> refusal = CheckRun(config, request, plan)) return RefusalError(*refusal);
    if (auto refusal = CheckConfigurationSave(
            options->saveConfigPath, {ShippedProgramFiles(places), request.reportPath, &plan, options->plot}))
      return ConfigError(*refusal);
    if (const int saved = SaveConfig(options->saveConfigPath, config, extension); saved != kExitOk) return saved;
  }

  const bool progress = !options->quiet && CORVANE_ISATTY(CORVANE_FILENO(stderr));
  // The sizes only weigh the progress line; without one, a folder of thousands of drawings need
  // not be looked at once more before the first is converted.
  std::vector<std::uint64_t> sizes(request.files.size(), 0);
  for (std::size_t i = 0; progress && i < sizes.size(); ++i) {
    const InputFile& f = request.files[i];
    std::error_code ec;
    const auto size = fs::file_size(PathFromText(WithSeparator(f.dxfFolder) + f.name), ec);
    sizes[i] = ec ? 0 : size;
  }
  TerminalObserver observer(stop, progress, std::move(sizes));

  // With pictures, the report also names those that could not be saved: it is saved (and
  // printed) once they are done. Without errors it is the same bytes as without pictures.
  request.reportSavedByCaller = options->plot;
  RunResult result = RunConversion(config, request, observer);
  if (result.refusal) return RefusalError(*result.refusal);

  int status = (result.filesWithErrors > 0 || result.stopped) ? kExitFileErrors : kExitOk;
  if (options->plot && !result.stopped && result.fatalError.empty()) {
    PlotStepResult plots = WritePlots(config, request, result, stop, options->quiet);
    if (!plots.ok) status = kExitFileErrors;
    result.report.insert(result.report.end(), plots.reportLines.begin(), plots.reportLines.end());
  }
  if (request.reportSavedByCaller && !request.reportPath.empty()) {
    result.reportWriteError = SaveRunReport(request.reportPath, result.report);
  }
  if (options->quiet) {
    PrintErrorLines(result);
  } else {
    std::string reason;
    if (!PrintReport(result, reason)) {
      std::fprintf(stderr, "corvane-cli: cannot write the report to standard output: %s\n",
                   reason.c_str());
      status = kExitFileErrors;
    }
  }
  if (!result.fatalError.empty()) {
    std::fprintf(stderr, "corvane-cli: %s.\n", Shown(result.fatalError).c_str());
    status = kExitFileErrors;
  }
  if (!result.reportWriteError.empty()) {
    std::fprintf(stderr, "corvane-cli: %s.\n", Shown(result.reportWriteError).c_str());
    status = kExitFileErrors;
  }
  if (result.stopped) std::fputs("corvane-cli: stopped by the user\n", stderr);
  return status;
}

}  // namespace corvane
