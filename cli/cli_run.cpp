#include "cli/cli_run.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

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

// What the command runs with: the program's places and lists, and the configuration as read
// and then changed by --set.
struct LoadedSetup {
  ProgramPlaces places;
  LookupLists lists;
  std::string configPath;
  TExportConfig config = ZeroConfig();
  ConfigExtension extension;
};

// Reads the lists and the configuration and applies --set; an exit status when that failed.
std::optional<int> LoadSetup(const CliOptions& options, LoadedSetup& setup) {
  const std::string programFolder = ProgramFolder();
  setup.places = FindProgramPlaces(programFolder);
  const std::string listError = LoadLookupLists(programFolder, setup.lists);
  if (!listError.empty()) return ConfigError(listError);

  setup.configPath = options.configPath.empty() ? DefaultConfigPath(programFolder) : options.configPath;
  TExportConfig saved = ZeroConfig();
  ConfigExtension savedExtension;
  const ConfigFileResult read =
      ReadConfigFile(setup.configPath, setup.config, saved, setup.extension, savedExtension);
  if (!read.accepted) return ConfigError(RefusedConfigMessage(setup.configPath, read));
  std::string error;
  for (const std::string& setting : options.settings) {
    if (!SetConfigField(setup.config, setup.extension, setting, error)) return ConfigError("--set: " + error);
  }
  return std::nullopt;
}

int ShowConfig(const LoadedSetup& setup) {
  for (const std::string& line : DescribeConfig(setup.config, setup.extension)) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFileErrors;
}

// --save-config without drawings: the configuration is all the command writes.
int SaveConfigOnly(const CliOptions& options, const LoadedSetup& setup) {
  if (auto refusal = CheckConfigurationSave(options.saveConfigPath,
                                            {ShippedProgramFiles(setup.places), "", nullptr, false}))
    return ConfigError(*refusal);
  return SaveConfig(options.saveConfigPath, setup.config, setup.extension);
}

// The run's request from the command line; an exit status when the inputs could not be expanded.
std::optional<int> BuildRequest(const CliOptions& options, const LoadedSetup& setup, RunRequest& request) {
  std::vector<std::string> warnings;
  std::string error;
  if (!ExpandInputs(options.inputs, options.destFolder, request.files, warnings, error)) {
    return ConfigError(error);
  }
  for (const std::string& w : warnings) std::fprintf(stderr, "corvane-cli: warning: %s\n", Shown(w).c_str());
  request.lists = RunListsFor(setup.config, setup.lists);
  request.reportPath = options.reportPath;
  // A report that cannot be written is known now, not after hours of converting.
  request.refuseUnwritableReport = true;
  request.configPaths = {setup.configPath};
  if (!options.saveConfigPath.empty()) request.configPaths.push_back(options.saveConfigPath);
  request.programFiles = ProgramFiles(setup.places);
  request.jobs = options.jobs;
  request.extension = setup.extension;
  // With pictures, the report also names those that could not be saved: it is saved (and
  // printed) once they are done. Without errors it is the same bytes as without pictures.
  request.reportSavedByCaller = options.plot;
  return std::nullopt;
}

// With drawings to convert, the configuration is saved once the run's checks have passed: a
// command that is refused has written nothing. Without a configuration to save, the run makes
// the same checks itself, and the paths are looked up only once.
std::optional<int> SaveConfigBeforeRun(const CliOptions& options, const LoadedSetup& setup,
                                       const RunRequest& request) {
  if (options.saveConfigPath.empty()) return std::nullopt;
  const std::vector<PlannedFile> plan = PlanFiles(setup.config, request);
  if (const std::optional<RunRefusal> refusal = CheckRun(setup.config, request, plan)) return RefusalError(*refusal);
  if (auto refusal = CheckConfigurationSave(
          options.saveConfigPath, {ShippedProgramFiles(setup.places), request.reportPath, &plan, options.plot}))
    return ConfigError(*refusal);
  if (const int saved = SaveConfig(options.saveConfigPath, setup.config, setup.extension); saved != kExitOk)
    return saved;
  return std::nullopt;
}

// The sizes only weigh the progress line; without one, a folder of thousands of drawings need
// not be looked at once more before the first is converted.
std::vector<std::uint64_t> InputSizes(const RunRequest& request, bool progress) {
  std::vector<std::uint64_t> sizes(request.files.size(), 0);
  for (std::size_t i = 0; progress && i < sizes.size(); ++i) {
    const InputFile& f = request.files[i];
    std::error_code ec;
    const auto size = fs::file_size(PathFromText(WithSeparator(f.dxfFolder) + f.name), ec);
    sizes[i] = ec ? 0 : size;
  }
  return sizes;
}

// Prints what the run left to say (the report or its error lines, then the errors that stopped
// files or the report from being written) and gives the exit status.
int FinishRun(const CliOptions& options, RunResult& result, int status) {
  if (options.quiet) {
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

int ConvertDrawings(const CliOptions& options, const LoadedSetup& setup, RunRequest& request,
                    std::atomic<bool>& stop) {
  const bool progress = !options.quiet && CORVANE_ISATTY(CORVANE_FILENO(stderr));
  TerminalObserver observer(stop, progress, InputSizes(request, progress));
  RunResult result = RunConversion(setup.config, request, observer);
  if (result.refusal) return RefusalError(*result.refusal);

  int status = (result.filesWithErrors > 0 || result.stopped) ? kExitFileErrors : kExitOk;
  if (options.plot && !result.stopped && result.fatalError.empty()) {
    PlotStepResult plots = WritePlots(setup.config, request, result, stop, options.quiet);
    if (!plots.ok) status = kExitFileErrors;
    result.report.insert(result.report.end(), plots.reportLines.begin(), plots.reportLines.end());
  }
  if (request.reportSavedByCaller && !request.reportPath.empty()) {
    result.reportWriteError = SaveRunReport(request.reportPath, result.report);
  }
  return FinishRun(options, result, status);
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

  LoadedSetup setup;
  if (const std::optional<int> failed = LoadSetup(*options, setup)) return *failed;
  if (options->showConfig) return ShowConfig(setup);
  if (!options->saveConfigPath.empty() && options->inputs.empty()) return SaveConfigOnly(*options, setup);

  RunRequest request;
  if (const std::optional<int> failed = BuildRequest(*options, setup, request)) return *failed;
  if (const std::optional<int> failed = SaveConfigBeforeRun(*options, setup, request)) return *failed;
  return ConvertDrawings(*options, setup, request, stop);
}

}  // namespace corvane
