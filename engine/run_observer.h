// How a conversion run talks to its front end: the progress window of the desktop program, the
// progress bar of the command-line tool, or a test. The run tells, and asks only for the stop flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// With more than one job, the per-file calls (FileStarted to FileFinished, StopRequested) come from
// several worker threads at once; an observer used that way must be safe for it. ReportDateTime,
// RunStarted and RunFinished always come from the thread that called RunConversion.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // The local date and time for the report's first line ("short date, a space, long time").
  virtual std::string ReportDateTime() = 0;

  // The run is about to convert fileCount files: show the progress window.
  virtual void RunStarted(std::size_t fileCount) { (void)fileCount; }

  // File `index` (its position in the run's list) starts; stepText is "Processing " and its name.
  virtual void FileStarted(std::size_t index, std::string_view stepText) {
    (void)index;
    (void)stepText;
  }

  // Progress of file `index` in units of 128 bytes: the maximum is its size, the position the
  // bytes taken from it so far. The position is reported whenever it changes.
  virtual void ProgressMaximum(std::size_t index, std::uint64_t units) {
    (void)index;
    (void)units;
  }
  virtual void ProgressPosition(std::size_t index, std::uint64_t units) {
    (void)index;
    (void)units;
  }

  virtual void FileFinished(std::size_t index) { (void)index; }

  // Asked at the top of every main-loop pass and after each file. A front end that must keep its
  // windows alive during a run may let its event loop turn here.
  virtual bool StopRequested() = 0;

  // The run is over (normally, stopped or ended by an error): hide the progress window.
  virtual void RunFinished() {}
};

}  // namespace corvane
