// One point preview computed on a thread of its own, so the window stays live while the engine
// reads a drawing of a hundred megabytes. The window never waits for a job it no longer wants: it
// cancels it and lets it end on its own; only destroying a job waits, and a cancelled job ends
// within one line of the drawing.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "engine/point_preview.h"
#include "plot/point_index.h"
#include "ui/window_record.h"

namespace corvane {

// A finished preview with its hover index (which refers to the preview, so both live together).
struct PreviewData {
  PointPreview preview;
  std::unique_ptr<plot::PointIndex> index;  // null when there are no points
};

class PreviewJob {
 public:
  // Starts at once. `done` runs on the thread of `receiver` (through its event loop) with the
  // result, unless the receiver is gone by then; a cancelled job still calls it, with a result
  // whose preview ended kCanceled, which the receiver is expected to drop.
  using Done = std::function<void(std::shared_ptr<const PreviewData>)>;
  PreviewJob(const WindowRecord& record, std::string dxfPath, QObject* receiver, Done done);
  ~PreviewJob();  // cancels and waits for the thread
  PreviewJob(const PreviewJob&) = delete;
  PreviewJob& operator=(const PreviewJob&) = delete;

  void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// The work of a job, on the calling thread: the preview and, when it has points, its index.
// Never throws; memory running out gives a preview that ended kOutOfMemory.
std::shared_ptr<PreviewData> ComputePreview(const WindowRecord& record, const std::string& dxfPath,
                                            const std::atomic<bool>* cancel);

}  // namespace corvane
