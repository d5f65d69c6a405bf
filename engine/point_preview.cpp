#include "engine/point_preview.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <new>

#include "engine/byte_buffer.h"
#include "engine/conversion_run.h"
#include "engine/convert_file.h"
#include "engine/coordinate_value.h"
#include "engine/data_file_writer.h"
#include "engine/line_reader.h"
#include "engine/run_checks.h"
#include "engine/run_state.h"

namespace corvane {

namespace {

constexpr std::uint64_t kProgressStep = (1u << 20) / kProgressUnit;  // tell the caller once per MiB

// The stop flag and the progress of a preview, as a run's observer.
class PreviewObserver : public RunObserver {
 public:
  PreviewObserver(const std::atomic<bool>* cancel, const PreviewProgress& progress, std::uint64_t size)
      : cancel_(cancel), progress_(progress), size_(size) {}
  std::string ReportDateTime() override { return {}; }
  void ProgressPosition(std::size_t, std::uint64_t units) override {
    if (!progress_ || units < told_ + kProgressStep) return;
    told_ = units;
    progress_(std::min(units * kProgressUnit, size_), size_);
  }
  bool StopRequested() override { return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed); }
  void Finish() {
    if (progress_) progress_(size_, size_);
  }

 private:
  const std::atomic<bool>* cancel_;
  const PreviewProgress& progress_;
  std::uint64_t size_;
  std::uint64_t told_ = 0;
};

// Notes every point as its data line is completed in the memory data file.
class PointCollector : public PointListener {
 public:
  PointCollector(PointPreview& preview, const TExportConfig& config) : p_(preview) {
    if (config.ForceZ) {
      const std::string_view forced = config.ForcedZValue.view();
      forcedZ_ = CoordinateValue(forced);
      hasForcedZ_ = true;
    }
  }
  void PointWritten(FileState& file, const CoordText& XText, const CoordText& YText, const CoordText& ZText,
                    std::string_view entityName) override {
    p_.x.push_back(CoordinateValue(XText.text));
    p_.y.push_back(CoordinateValue(YText.text));
    p_.z.push_back(hasForcedZ_ ? forcedZ_ : CoordinateValue(ZText.text));
    // Readers pass their entity names as literals: the same name is mostly the same pointer.
    if (entityName.data() != lastName_.data() || entityName.size() != lastName_.size()) {
      lastName_ = entityName;
      lastOption_ = EntityOptionOfTypeName(entityName);
    }
    p_.type.push_back(static_cast<std::uint8_t>(lastOption_ < 0 ? 0 : lastOption_));
    p_.lineStart.push_back(file.out.MemoryUsed());
  }

 private:
  PointPreview& p_;
  double forcedZ_ = 0;
  bool hasForcedZ_ = false;
  std::string_view lastName_;
  int lastOption_ = 0;
};

// The points per type, then the extent.
void CountAndMeasure(PointPreview& p) {
  for (std::size_t i = 0; i < p.size(); ++i) ++p.pointCounts[p.type[i]];
  MeasureExtent(p);
}

// The summary entries from the counters, in the report's order and with its lines.
std::size_t FillSummary(const RunSettings& run, const FileState& state, PointPreview& preview) {
  std::vector<std::string> lines;
  const std::size_t added = AddSummary(run, state, lines);
  std::size_t k = 0;
  for (const EntityOption& option : kEntityOptions) {
    const int i = option.bit;
    if (!option.counted || !state.Enabled(i)) continue;
    PreviewTypeCount entry;
    entry.option = i;
    const std::size_t labelLine = option.HintLine();
    if (labelLine < run.hintLines.size()) entry.label = run.hintLines[labelLine];
    entry.count = state.EntityCounts[static_cast<std::size_t>(i)];
    entry.line = lines[k++];
    preview.summary.push_back(std::move(entry));
  }
  return added;
}

void Convert(const TExportConfig& config, const PreviewRequest& request, const std::atomic<bool>* cancel,
             const PreviewProgress& progress, PointPreview& preview) {
  std::uint64_t size = 0;
  FileHandle dxf = OpenDrawing(request.dxfPath, size);
  if (!dxf) {
    preview.end = PreviewEnd::kCannotOpen;
    preview.reportLines.push_back(ErrorLineText(CannotOpenDrawingText(request.dxfPath)));
    preview.errorLineCount = 1;
    return;
  }
  const RunSettings run = PrepareRunSettings(config, request.lists, request.extension);

  // Room for as many points as the drawing could plausibly give (a point takes 40 bytes of DXF
  // at the least in practice), so the lists rarely move: room that is never used costs address
  // space, not memory. The data lines take about the drawing's size.
  const std::size_t guess = static_cast<std::size_t>(std::min<std::uint64_t>(size / 40, 1u << 26));
  preview.fileBytes.Reserve(static_cast<std::size_t>(std::min<std::uint64_t>(size + (1u << 16), 1ull << 32)));
  preview.x.reserve(guess);
  preview.y.reserve(guess);
  preview.z.reserve(guess);
  preview.type.reserve(guess);
  preview.lineStart.reserve(guess + 1);

  std::unique_ptr<FileBuffers> own;
  if (request.buffers == nullptr) own = std::make_unique<FileBuffers>();
  FileBuffers& buffers = request.buffers != nullptr ? *request.buffers : *own;
  PreviewObserver observer(cancel, progress, size);
  FileOutcome outcome;
  std::size_t summaryLines = 0;  // the summary's lines at the end of the drawing's, with their empty line
  {
    DataFileWriter out(preview.fileBytes);
    LineReader in(dxf.get(), buffers.input, buffers.inputSpare, &buffers.reading);
    FileState state(run, in, out);
    PointCollector collector(preview, run.config);
    state.pointListener = &collector;
    if (run.config.IncludeHeader) {
      // ConvertDrawing writes the header line first; the first point's line starts behind it.
      preview.lineStart.push_back(run.HeaderLine.size() + 2);
    } else {
      preview.lineStart.push_back(0);
    }
    const DrawingEnd end = ConvertOpenedDrawing(state, &observer, 0, outcome);
    out.Close();
    preview.entityCounts = state.EntityCounts;
    switch (end) {
      case DrawingEnd::kComplete:
        preview.end = PreviewEnd::kComplete;
        summaryLines = FillSummary(run, state, preview);
        break;
      case DrawingEnd::kNotDxf: preview.end = PreviewEnd::kNotDxf; break;
      case DrawingEnd::kStopped: preview.end = PreviewEnd::kCanceled; break;
      case DrawingEnd::kFailed: preview.end = PreviewEnd::kDrawingError; break;
    }
  }
  CountAndMeasure(preview);
  preview.reportLines = std::move(outcome.lines);
  // A complete drawing's lines end with its summary and an empty line.
  preview.errorLineCount =
      preview.reportLines.size() > summaryLines ? preview.reportLines.size() - summaryLines : 0;
  observer.Finish();
}

}  // namespace

void MeasureExtent(PointPreview& p) {
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool any = false;
  p.pointsWithoutPlace = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const double x = p.x[i], y = p.y[i];
    // A coordinate too large for a double (1e999) has no place to be drawn; the data file keeps
    // its text, the picture counts it apart.
    if (!std::isfinite(x) || !std::isfinite(y)) {
      ++p.pointsWithoutPlace;
      continue;
    }
    if (!any) {
      any = true;
      minX = maxX = x;
      minY = maxY = y;
      continue;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
  p.hasExtent = any;
  p.minX = minX;
  p.maxX = maxX;
  p.minY = minY;
  p.maxY = maxY;
}

PointPreview PreviewPoints(const TExportConfig& config, const PreviewRequest& request,
                           const std::atomic<bool>* cancel, const PreviewProgress& progress) {
  PointPreview preview;
  if (auto refusal = CheckSelection(config, request.lists.fieldRows)) {
    preview.end = PreviewEnd::kRefused;
    preview.refusal = std::move(refusal);
    return preview;
  }
  try {
    Convert(config, request, cancel, progress, preview);
  } catch (const std::bad_alloc&) {
    preview = PointPreview{};
    preview.end = PreviewEnd::kOutOfMemory;
    preview.error = "There is not enough memory to preview \"" + request.dxfPath + "\"";
  } catch (const std::exception& e) {
    // Only the memory data file's growth or a thread could fail here; told as a drawing error.
    preview = PointPreview{};
    preview.end = PreviewEnd::kDrawingError;
    preview.error = e.what();
  }
  return preview;
}

}  // namespace corvane
