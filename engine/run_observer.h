// How a conversion run talks to its front end: the progress window of the desktop program, the
// progress bar of the command-line tool, or a test. The run tells, and asks only for the stop flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Progress is counted in units of this many bytes of a drawing, so a position fits the 32-bit
// counters of a progress bar whatever the drawing's size.
inline constexpr std::uint64_t kProgressUnit = 128;

// The threading contract. RunConversion may run on any thread; a desktop front end runs it on a
// worker thread and keeps its own event loop free. The per-file calls (FileStarted to
// FileFinished, StopRequested) come from the converting threads, several at once with more than
// one job, so an observer must be safe for that. ReportDateTime, RunStarted and RunFinished come
// from the thread that called RunConversion. No call may block or run an event loop: an observer
// only stores what it is told (atomics, a short lock) and answers the stop flag, and the front end
// shows it on its own schedule.
//
// The order, per run: ReportDateTime, RunStarted, then for each file that starts FileStarted,
// ProgressMaximum and ProgressPosition (only once its drawing and data file are open; positions
// also during the skip to the ENTITIES section), FileFinished; RunFinished exactly once, however
// the run ends. A run refused before it starts makes none of these calls.
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

  // Progress of file `index` in units of kProgressUnit bytes: the maximum is its size, the position the
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

  // Asked at the top of every main-loop pass, after each file and before the next one starts.
  virtual bool StopRequested() = 0;

  // The run is over (normally, stopped or ended by an error): hide the progress window.
  virtual void RunFinished() {}
};

}  // namespace corvane
