// Drives the progress window from a conversion run on a worker thread. The engine's threads only
// store what the window should show (a step text under a small lock, the bar in atomics) and read
// the stop flag; they never block on the window and never turn an event loop. The window's
// thread polls those values about every 30 ms, so a run is not slowed by repainting.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "config/export_config.h"
#include "engine/conversion_run.h"
#include "engine/run_observer.h"

class QWidget;

namespace corvane {

class TForm2;

// A bar position and maximum that fit the progress bar's int range. The engine counts 128-byte
// units in 64 bits, and a drawing of some hundred gigabytes would overflow an int: such values
// are scaled down together, and the position never passes the maximum.
struct BarRange {
  int maximum = 0;
  int position = 0;
};
BarRange ScaleProgress(std::uint64_t position, std::uint64_t maximum);

class ProgressObserver : public RunObserver {
 public:
  explicit ProgressObserver(std::atomic<bool>& stopFlag) : stop_(stopFlag) {}

  // Engine side: any thread.
  std::string ReportDateTime() override;
  void RunStarted(std::size_t fileCount) override;
  void FileStarted(std::size_t index, std::string_view stepText) override;
  void ProgressMaximum(std::size_t index, std::uint64_t units) override;
  void ProgressPosition(std::size_t index, std::uint64_t units) override;
  bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
  // Window side: sets the stop flag, as "Stop process" does.
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  void RunFinished() override;

  // Window side: what to show now.
  bool Started() const { return started_.load(std::memory_order_acquire); }
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // The step text, when it changed since `seen` (which is then updated), and the number of the
  // drawing it names, counted from 1 (`fileNumber` may be null). With several jobs that is the
  // drawing started last.
  bool StepTextSince(unsigned& seen, QString& text, std::size_t* fileNumber = nullptr);
  // How many drawings the run converts (0 before it starts).
  std::size_t FileCount() const { return fileCount_.load(std::memory_order_relaxed); }
  BarRange Bar() const;

 private:
  std::atomic<bool>& stop_;
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  std::atomic<std::size_t> fileCount_{0};
  // With several jobs the bar and the step follow the file started last.
  std::atomic<std::size_t> current_{0};
  std::atomic<std::uint64_t> maximum_{0};
  std::atomic<std::uint64_t> position_{0};
  std::mutex textMutex_;
  std::string stepText_;
  std::size_t stepIndex_ = 0;  // the file stepText_ names
  unsigned textGeneration_ = 0;
};

// The run button's whole run: clears the stop flag, disables the main window (the progress
// window stays live, and a close request of the main window is refused meanwhile), shows the
// progress window once the run starts, converts on a worker thread while this thread keeps the
// windows alive, then hides the progress window and enables the main window again whatever
// happened. An exception of the run is passed on after that. `mainWindow` may be null.
RunResult RunWithProgress(TForm2& progress, QWidget* mainWindow, const TExportConfig& config,
                          const RunRequest& request);
// The same with the caller's observer, which must answer StopRequested from progress.StopFlag().
RunResult RunWithProgress(TForm2& progress, QWidget* mainWindow, const TExportConfig& config,
                          const RunRequest& request, ProgressObserver& observer);

}  // namespace corvane
