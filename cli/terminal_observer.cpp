#include "cli/terminal_observer.h"

#include <algorithm>

#include "engine/report_date.h"
#include "engine/report_text.h"

namespace corvane {

TerminalObserver::TerminalObserver(std::atomic<bool>& stopFlag, bool showProgress,
                                   std::vector<std::uint64_t> fileSizes)
    : stop_(stopFlag), show_(showProgress), sizes_(std::move(fileSizes)), done_(sizes_.size(), 0) {
  for (auto s : sizes_) total_ += s;
}

std::string TerminalObserver::ReportDateTime() { return ReportDateTimeText(); }

void TerminalObserver::RunStarted(std::size_t) {
  start_ = lastDraw_ = std::chrono::steady_clock::now();
}

void TerminalObserver::FileStarted(std::size_t, std::string_view stepText) {
  if (!show_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  current_ = std::string(stepText);
  Draw(true);
}

void TerminalObserver::ProgressPosition(std::size_t index, std::uint64_t units) {
  if (!show_ || index >= done_.size()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  done_[index] = std::min(units * kProgressUnit, sizes_[index]);
  Draw(false);
}

void TerminalObserver::FileFinished(std::size_t index) {
  if (!show_ || index >= done_.size()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  done_[index] = sizes_[index];
  ++filesDone_;
  Draw(false);
}

void TerminalObserver::RunFinished() {
  if (!show_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

std::string ProgressLineText(double fraction, std::size_t filesDone, std::size_t fileCount,
                             double megabytesPerSecond, std::string_view stepText) {
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(fraction * kWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kWidth - filled), '-');
  std::string step(stepText);
  ShowControlsAsQuestionMarks(step);
  char line[512];
  std::snprintf(line, sizeof line, "\r\033[K[%s] %3d%%  %zu/%zu files  %.1f MB/s  %s", bar.c_str(),
                static_cast<int>(fraction * 100.0), filesDone, fileCount, megabytesPerSecond,
                step.c_str());
  return line;
}

void TerminalObserver::Draw(bool force) {
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  std::uint64_t done = 0;
  for (auto d : done_) done += d;
  const double fraction = total_ == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total_);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double mbps = seconds > 0 ? static_cast<double>(done) / 1e6 / seconds : 0.0;
  std::fputs(ProgressLineText(fraction, filesDone_, sizes_.size(), mbps, current_).c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace corvane
