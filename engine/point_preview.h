// The point preview: one drawing converted with a record into memory, never to disk. It runs the
// conversion's own code (PrepareRunSettings, ConvertDrawing, the readers, WriteDataLine, the
// summary), with a data file kept in memory and a listener that notes each point as its data line
// is completed; so its points, line texts and counts are exactly those of a run's data file and
// report. A conversion run does not pay for it: the listener is one null-pointer test per line.
//
// Threading: PreviewPoints may run on any thread, several at once (each call owns all its state).
// It reads `cancel` at the top of every main-loop pass (every line of the ENTITIES section and
// after), and calls `progress` from the calling thread at most once per MiB read.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"
#include "engine/byte_buffer.h"
#include "engine/memory_bytes.h"
#include "engine/run_request.h"

namespace corvane {

// What the preview needs besides the record: the same lists a RunRequest carries.
struct PreviewRequest {
  std::string dxfPath;  // the drawing, as a run would open it
  RunLists lists;
  ConfigExtension extension;  // the options beyond the record, as the run has them
  // The reader's buffers and thread, kept by a caller that previews many drawings one after
  // another (one preview at a time): each preview would otherwise allocate and start its own.
  // Null: the preview has its own.
  FileBuffers* buffers = nullptr;
};

// How the preview ended.
enum class PreviewEnd {
  kComplete,     // read to its end: `summary` holds the report's summary (errors may precede it)
  kNotDxf,       // no ENTITIES section: reportLines says "*** Error, not a valid DXF file ***"
  kDrawingError, // a bad number, a read error: reportLines holds the report's error line; the
                 // points before it are kept, as the data file keeps its lines
  kCanceled,     // `cancel` was set: what was read so far is kept, no summary
  kCannotOpen,   // the drawing could not be opened ("*** Error, file is used by another application ***")
  kRefused,      // the run button would refuse this record: `refusal` says why, nothing was read
  kOutOfMemory,  // the points did not fit in memory: `error` says so
};

// One summary line of the report: an entity option that is enabled and counted (indexes 0 to 14
// but the sub-options 7, 9 and 11), in increasing index order, as the report lists them.
struct PreviewTypeCount {
  int option = 0;          // entity_bit::k* (config/export_config.h)
  std::string label;       // the hint list's line 2*option: the report's label
  std::int64_t count = 0;  // entities counted, exactly the report's number
  std::string line;        // the whole summary line as the report holds it
};

struct PointPreview {
  PreviewEnd end = PreviewEnd::kComplete;
  std::optional<RunRefusal> refusal;  // kRefused: the run button's message
  std::string error;                  // kOutOfMemory: why

  // The points, one per data line, in the data file's order (struct of arrays, for drawing).
  // x, y, z: the values of the texts the line was composed from (an empty text is 0, a forced Z
  // replaces z); a text that is no number (possible only for a coordinate the line does not
  // write) gives NaN. type: the entity option the point's entity is counted under, which is what
  // the report's summary counts: 0 points, 1 circles, 2 arcs, 3 ellipses, 4 blocks, 5 lines,
  // 6 2D polylines (LWPOLYLINE and 2D POLYLINE), 8 3D polylines, 10 splines, 12 single-line text,
  // 13 multiline text, 14 3D faces (entity_bit::k*).
  std::vector<double> x, y, z;
  std::vector<std::uint8_t> type;

  // The bytes the data file would hold, exactly: the header line and CR LF when the record asks
  // for one, then every data line with its CR LF.
  MemoryBytes fileBytes;
  // lineStart[i] is where point i's line starts in fileBytes; lineStart has size() + 1 entries,
  // the last being fileBytes.size(). lineStart[0] is the header line's length (with CR LF) or 0.
  std::vector<std::uint64_t> lineStart;

  // The report's lines for this drawing after "Data File : " and its empty line: its error lines,
  // then (kComplete) the summary lines and an empty line.
  std::vector<std::string> reportLines;
  // How many of reportLines come before the summary: the lines that say what went wrong with the
  // drawing (a bad number, pairs out of step, a file that ends inside an entity), each of which a
  // run's report holds too.
  std::size_t errorLineCount = 0;
  // The summary: one entry per summary line (kComplete only; empty otherwise).
  std::vector<PreviewTypeCount> summary;
  // Every counter of the drawing (index: entity option), also when it ended early.
  std::array<std::int64_t, kEntityOptionCount> entityCounts{};
  // Points per type (index: entity option), for a legend beside the entity counts.
  std::array<std::uint64_t, kEntityOptionCount> pointCounts{};

  // The extent of the points' X and Y (points with a coordinate that is not a finite number left
  // out, and counted in pointsWithoutPlace); `hasExtent` false when none. Its span may exceed the
  // largest double (-1e308 to 1e308): take it in halves (HalfSpan).
  bool hasExtent = false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  std::uint64_t pointsWithoutPlace = 0;

  std::size_t size() const { return type.size(); }
  // Half the width of [low, high], which never overflows as high - low may.
  static double HalfSpan(double low, double high) { return high * 0.5 - low * 0.5; }
  // The whole data file as it would be written.
  std::string_view Bytes() const { return fileBytes.view(); }
  // Point i's data line as the data file holds it, without its CR LF.
  std::string_view Line(std::size_t i) const {
    const std::size_t start = static_cast<std::size_t>(lineStart[i]);
    const std::size_t end = static_cast<std::size_t>(lineStart[i + 1]) - 2;
    return fileBytes.view().substr(start, end - start);
  }
  bool HasHeader() const { return !lineStart.empty() && lineStart[0] > 0; }
  // The header line without its CR LF, or empty when the record asks for none.
  std::string_view HeaderLine() const {
    return HasHeader() ? fileBytes.view().substr(0, static_cast<std::size_t>(lineStart[0]) - 2)
                       : std::string_view();
  }
};

// Called with the bytes of the drawing taken so far and its size.
using PreviewProgress = std::function<void(std::uint64_t bytesRead, std::uint64_t fileSize)>;

// Converts the drawing request.dxfPath with `config` (copied) into memory. The record is first
// checked as the run button checks it (CheckSelection). Never writes a file. Never throws: running
// out of memory gives kOutOfMemory and no points. Memory: about 33 bytes a point plus the data
// lines (1.3 million points and 87 MB of lines for the 100 MB benchmark drawing, 131 MB in all).
// Time: about twice a run's (0.4 s for that drawing on the 2-core test machine).
PointPreview PreviewPoints(const TExportConfig& config, const PreviewRequest& request,
                           const std::atomic<bool>* cancel = nullptr, const PreviewProgress& progress = {});

// Sets the extent and pointsWithoutPlace from the points' X and Y (PreviewPoints does this).
void MeasureExtent(PointPreview& preview);

}  // namespace corvane
