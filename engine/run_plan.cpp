#include "engine/run_plan.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

#include "files/text_rules.h"

namespace corvane {

namespace {

// Fewer files than this are resolved on one thread: a thread of its own would cost more than it
// saves.
constexpr std::size_t kFilesPerResolvingThread = 256;

// Looks up where each drawing and data file of the plan leads. That is a look at the file system
// for each path, and with several jobs their threads share it: it happens before the first file
// may start, so a folder of thousands of small drawings would otherwise wait for it on one.
void ResolveTargets(std::vector<PlannedFile>& plan, int requestedJobs) {
  TargetResolver resolver;
  const std::size_t threads = std::max<std::size_t>(
      1, std::min<std::size_t>(static_cast<std::size_t>(std::max(1, requestedJobs)),
                               plan.size() / kFilesPerResolvingThread));
  std::vector<std::exception_ptr> errors(threads);
  auto resolveEvery = [&](std::size_t first) {
    try {
      for (std::size_t i = first; i < plan.size(); i += threads) {
        plan[i].dxfTarget = resolver.Resolve(plan[i].dxfPath);
        plan[i].dataTarget = resolver.Resolve(plan[i].dataPath);
      }
    } catch (...) {
      errors[first] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  std::size_t first = 1;
  try {
    for (; first < threads; ++first) helpers.emplace_back(resolveEvery, first);
  } catch (const std::system_error&) {
    // No thread to be had: this one takes over the share of those that did not start.
  }
  resolveEvery(0);
  for (auto& t : helpers) t.join();
  for (std::size_t rest = first; rest < threads; ++rest) resolveEvery(rest);
  for (const auto& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace

std::string DataFilePath(const std::string& destFolder, const std::string& name,
                         std::string_view extension) {
  const std::size_t dot = name.find('.');
  // A name without a dot keeps all of it and gets one, rather than losing the name entirely.
  const std::string stem = dot == std::string::npos ? name + "." : name.substr(0, dot + 1);
  return WithSeparator(destFolder) + stem + std::string(extension);
}

// Every path of the run is resolved once, here: a folder of thousands of small drawings must
// not pay for it again and again before the first file starts.
std::vector<PlannedFile> PlanFiles(const TExportConfig& config, const RunRequest& request) {
  std::vector<PlannedFile> plan(request.files.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const InputFile& file = request.files[i];
    plan[i].dxfPath = WithSeparator(file.dxfFolder) + file.name;
    plan[i].dataPath = DataFilePath(file.destFolder, file.name, config.FileExtension.view());
  }
  ResolveTargets(plan, request.jobs);
  FileTargetIndex dataFiles;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    plan[i].sameDataFileBefore = dataFiles.Find(plan[i].dataTarget);
    dataFiles.Add(plan[i].dataTarget, i);
  }
  return plan;
}

}  // namespace corvane
