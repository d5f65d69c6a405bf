#include "ui/point_preview_job.h"

#include <QMetaObject>
#include <exception>
#include <new>
#include <utility>

namespace corvane {

std::shared_ptr<PreviewData> ComputePreview(const WindowRecord& record, const std::string& dxfPath,
                                            const std::atomic<bool>* cancel) {
  auto data = std::make_shared<PreviewData>();
  try {
    PreviewRequest request;
    request.dxfPath = dxfPath;
    request.lists = record.lists;
    request.extension = record.extension;
    data->preview = PreviewPoints(record.config, request, cancel);
    if (data->preview.size() > 0 && data->preview.end != PreviewEnd::kCanceled) {
      data->index = std::make_unique<plot::PointIndex>(data->preview);
    }
  } catch (const std::bad_alloc&) {
    data = std::make_shared<PreviewData>();
    data->preview.end = PreviewEnd::kOutOfMemory;
    data->preview.error = "The points of this drawing do not fit in memory";
  } catch (const std::exception& e) {
    data = std::make_shared<PreviewData>();
    data->preview.end = PreviewEnd::kOutOfMemory;
    data->preview.error = e.what();
  }
  return data;
}

PreviewJob::PreviewJob(const WindowRecord& record, std::string dxfPath, QObject* receiver,
                       Done done) {
  thread_ = std::thread([this, record, path = std::move(dxfPath),
                         target = receiver, done = std::move(done)] {
    std::shared_ptr<const PreviewData> data = ComputePreview(record, path, &cancel_);
    // The receiver's destruction waits for this thread (through ~PreviewJob) before its
    // QObject part goes, and a call still queued then is dropped with it.
    QMetaObject::invokeMethod(target, [done, data] { done(data); }, Qt::QueuedConnection);
    finished_.store(true, std::memory_order_release);
  });
}

PreviewJob::~PreviewJob() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

}  // namespace corvane
