// The command-line tool's run observer: the stop flag set by Ctrl-C, and a one-line progress bar
// on standard error when that is a terminal.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_observer.h"

namespace corvane {

class TerminalObserver : public RunObserver {
 public:
  // fileSizes: the size in bytes of each file of the run, for the overall percentage.
  TerminalObserver(std::atomic<bool>& stopFlag, bool showProgress,
                   std::vector<std::uint64_t> fileSizes);

  std::string ReportDateTime() override;
  void RunStarted(std::size_t fileCount) override;
  void FileStarted(std::size_t index, std::string_view stepText) override;
  void ProgressPosition(std::size_t index, std::uint64_t units) override;
  void FileFinished(std::size_t index) override;
  bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
  void RunFinished() override;

 private:
  void Draw(bool force);  // call with mutex_ held

  std::atomic<bool>& stop_;
  const bool show_;
  std::vector<std::uint64_t> sizes_;
  std::vector<std::uint64_t> done_;  // bytes taken per file
  std::uint64_t total_ = 0;
  std::size_t filesDone_ = 0;
  std::string current_;
  std::mutex mutex_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

// One drawing of the progress line: back to the start of the line and clear it, then the bar,
// percentage, files done, speed and the step text. A control character in the step text (a file
// name may hold an escape sequence) shows as "?", so that it cannot act on the terminal.
std::string ProgressLineText(double fraction, std::size_t filesDone, std::size_t fileCount,
                             double megabytesPerSecond, std::string_view stepText);

}  // namespace corvane
