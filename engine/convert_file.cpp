#include "engine/convert_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#if defined(_WIN32)
#include <share.h>
#endif

#include "engine/block_definitions.h"
#include "engine/data_file_writer.h"
#include "engine/dispatch.h"
#include "engine/line_reader.h"
#include "engine/pairs.h"
#include "engine/report_text.h"
#include "files/file_io.h"
#include "files/output_guard.h"
#include "files/path_text.h"

namespace corvane {

namespace {

void AddErrorLine(FileOutcome& outcome, const std::string& text) {
  outcome.lines.push_back(ErrorLineText(text));
  outcome.errorLines.push_back(outcome.lines.size() - 1);
  outcome.hadError = true;
}

}  // namespace

// Opens a drawing for reading; a folder or anything else that is not a readable file fails.
FileHandle OpenDrawing(const std::string& path, std::uint64_t& size) {
#if defined(_WIN32)
  std::error_code ec;
  const std::filesystem::path native = PathFromText(path);
  if (!std::filesystem::is_regular_file(native, ec)) return nullptr;
  // Others may read the drawing while it is converted, not write it.
  FileHandle f(_wfsopen(native.c_str(), L"rb", _SH_DENYWR));
  if (!f) return nullptr;
  size = std::filesystem::file_size(native, ec);
  if (ec) size = 0;
#else
  // What was opened is judged, not the name looked at before: a FIFO put there must not hang the
  // run in open().
  std::string reason;
  FileHandle f(OpenRegularFile(std::filesystem::path(path), reason, &size));
  if (!f) return nullptr;
#endif
  // The reader takes whole blocks into buffers of its own: a stdio buffer would only cost an
  // allocation and a look at the file per drawing.
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  return f;
}

const char* CannotOpenDrawingText(const std::string& path) {
#if defined(_WIN32)
  const std::size_t nameStart = path.find_last_of("\\/:");
  const std::size_t from = nameStart == std::string::npos ? 0 : nameStart + 1;
  if (path.find('?', from) != std::string::npos) return kNameOutsideCodePageText;
#else
  (void)path;
#endif
  return kCannotOpenDrawingText;
}

namespace {

// Skips to the line "ENTITIES" that names a section: the value of a group-2 pair right after
// the pair 0/SECTION. A layer, block or style named ENTITIES is also a group-2 value, in the
// TABLES or BLOCKS section; starting there would export the contents of block definitions. True
// when found and more lines follow it.
//
// Progress is reported while skipping, so a long BLOCKS section does not look like a hang.
// With `blocksToo`, the line "BLOCKS" that names a section stops the scan as well.
enum class SectionFound { kNone, kBlocks, kEntities };

SectionFound ScanForSection(LineReader& in, RunObserver* observer, std::size_t index, bool blocksToo) {
  std::string_view line;
  std::uint64_t shown = 0;
  // Whether the lines three, two and one before the current one trimmed to "0", "SECTION", "2".
  bool zeroBefore3 = false, sectionBefore2 = false, twoBefore1 = false;
  bool zeroBefore2 = false, sectionBefore1 = false, zeroBefore1 = false;
  while (in.Next(line)) {
    if (observer != nullptr) {
      const std::uint64_t units = in.BytesTaken() / kProgressUnit;
      if (units != shown) {
        shown = units;
        observer->ProgressPosition(index, units);
      }
    }
    if (twoBefore1 && sectionBefore2 && zeroBefore3) {
      if (line == "ENTITIES") return in.AtEnd() ? SectionFound::kNone : SectionFound::kEntities;
      if (blocksToo && line == "BLOCKS") return SectionFound::kBlocks;
    }
    const std::string_view t = TrimDxf(line);
    zeroBefore3 = zeroBefore2;
    sectionBefore2 = sectionBefore1;
    zeroBefore2 = zeroBefore1;
    twoBefore1 = t == "2";
    sectionBefore1 = t == "SECTION";
    zeroBefore1 = t == "0";
  }
  return SectionFound::kNone;
}

// The definitions of the BLOCKS section, when the points inside blocks are asked for, then the
// ENTITIES section. True when the ENTITIES section is found and more lines follow it.
bool ReadUpToEntities(FileState& state, RunObserver* observer, std::size_t index) {
  SectionFound found = ScanForSection(state.input, observer, index, state.blocks != nullptr);
  if (found == SectionFound::kBlocks) {
    ReadBlockDefinitions(state);
    found = ScanForSection(state.input, observer, index, false);
  }
  return found == SectionFound::kEntities;
}

// The file's block library for the time of its conversion.
class BlocksInHand {
 public:
  BlocksInHand(FileState& state, RunObserver* observer) : state_(state), library_(state.run.blockMemoryBound, state.run.insertionPointBound) {
    library_.SetObserver(observer);
    if (state.run.blockContents) state.blocks = &library_;
  }
  ~BlocksInHand() { state_.blocks = nullptr; }
  void Report() { state_.blockProblems = library_.Problems(); }

 private:
  FileState& state_;
  BlockLibrary library_;
};

}  // namespace

std::size_t AddSummary(const RunSettings& run, const FileState& state, std::vector<std::string>& lines) {
  const std::size_t before = lines.size();
  for (const EntityOption& option : kEntityOptions) {
    const int i = option.bit;
    if (!option.counted || !state.Enabled(i)) continue;
    const std::size_t labelLine = option.HintLine();
    const std::string& label =
        labelLine < run.hintLines.size() ? run.hintLines[labelLine] : std::string();
    std::string line(" ");
    line.append(label).append(" : ").append(std::to_string(state.EntityCounts[i])).append(" ");
    if (i == entity_bit::kBlocks) line.append("(").append(run.config.BlockNames.view()).append(")");
    lines.push_back(std::move(line));
  }
  if (!run.attributeTags.z.empty() && state.Enabled(entity_bit::kBlocks)) {
    std::string line(" ");
    line.append(kZAttributesNotNumbersLabel).append(" : ").append(std::to_string(state.zAttributesNotNumbers)).append(" ");
    lines.push_back(std::move(line));
  }
  lines.push_back("");
  return lines.size() - before;
}

DrawingEnd ConvertDrawing(FileState& state, RunObserver* observer, std::size_t index) {
  const TExportConfig& cfg = state.run.config;
  LineReader& in = state.input;
  if (cfg.IncludeHeader) {
    state.out.Append(state.run.HeaderLine);
    state.out.Append("\r\n");
  }
  BlocksInHand blocks(state, observer);
  if (!ReadUpToEntities(state, observer, index)) return DrawingEnd::kNotDxf;
  std::uint64_t shown = 0;
  std::string_view line;
  state.phase = LinePhase::kCode;
  PairCursor pairs(state);
  for (;;) {
    if (observer != nullptr) {
      const std::uint64_t units = in.BytesTaken() / kProgressUnit;
      if (units != shown) {
        shown = units;
        observer->ProgressPosition(index, units);
      }
      if (observer->StopRequested()) return DrawingEnd::kStopped;
    }
    state.SequenceNumber = cfg.SequenceStart;
    if (state.phase == LinePhase::kValueOfZero) {
      // A reader handed back the name of the entity that ended it.
      if (!in.Next(line)) break;
      DispatchEntityName(state, line);
    } else {
      // The pairs of entities no reader takes (and of the other sections' leftovers) go by in runs,
      // up to the next entity's name.
      std::string_view name;
      bool named = false;
      pairs.TakeInBlock([&](const Pair& taken) {
        if (taken.code != 0) return PairTaken::kTaken;
        name = taken.line;
        named = true;
        return PairTaken::kTakenLast;
      });
      Pair pair;
      if (named) {
        DispatchEntityName(state, name);
      } else {
        if (pairs.Next(pair) != PairRead::kPair) break;
        if (pair.code == 0) DispatchEntityName(state, pair.line);
      }
    }
    if (in.AtEnd()) break;
  }
  blocks.Report();
  return DrawingEnd::kComplete;
}

DrawingEnd ConvertOpenedDrawing(FileState& state, RunObserver* observer, std::size_t index, FileOutcome& outcome) {
  bool outOfStepTold = false;
  auto outOfStepLine = [&] {
    if (state.outOfStepLine == 0 || outOfStepTold) return;
    outOfStepTold = true;
    AddErrorLine(outcome, "the group codes are out of step at line " + std::to_string(state.outOfStepLine));
  };
  // Problems of the drawing end this file with a report line; its data file keeps what was
  // written, and only a complete file gets the summary.
  DrawingEnd end = DrawingEnd::kFailed;
  try {
    end = ConvertDrawing(state, observer, index);
    if (end == DrawingEnd::kNotDxf) AddErrorLine(outcome, "not a valid DXF file");
    outcome.stoppedInside = end == DrawingEnd::kStopped;
  } catch (const FileConversionError& e) {
    outOfStepLine();
    AddErrorLine(outcome, e.what());
  } catch (const InputReadError& e) {
    outOfStepLine();
    AddErrorLine(outcome, e.what());
  }
  outOfStepLine();
  if (end == DrawingEnd::kComplete) {
    if (state.endedInsideEntity) AddErrorLine(outcome, "the file ends inside an entity and may be truncated");
    for (const std::string& problem : state.blockProblems) AddErrorLine(outcome, problem);
    AddSummary(state.run, state, outcome.lines);
  }
  return end;
}

void ConvertFile(const RunSettings& run, const FileJob& job, RunObserver& observer,
                 OutputGuard& guard, FileBuffers& buffers, FileOutcome& outcome) {
  auto& lines = outcome.lines;
  observer.FileStarted(job.index, "Processing " + job.shownName);
  std::uint64_t size = 0;
  FileHandle dxf = OpenDrawing(job.dxfPath, size);
  if (!dxf) {
    AddErrorLine(outcome, CannotOpenDrawingText(job.dxfPath));
    observer.FileFinished(job.index);
    return;
  }
  OpenedDataFile data = guard.OpenDataFile(job.dataPath);
  if (!data.refusal.empty()) {
    AddErrorLine(outcome, data.refusal);
    observer.FileFinished(job.index);
    return;
  }
  lines.push_back("Data File : " + job.dataPath);
  lines.push_back("");
  if (data.file == nullptr) {
    outcome.fatalError = data.error;
    observer.FileFinished(job.index);
    return;
  }
  outcome.dataFileOpened = true;
  observer.ProgressMaximum(job.index, size / kProgressUnit);
  observer.ProgressPosition(job.index, 0);

  try {
    DataFileWriter out(data.file, job.dataPath, buffers.output, buffers.outputSpare, buffers.writing);
    LineReader in(dxf.get(), buffers.input, buffers.inputSpare, &buffers.reading);
    FileState state(run, in, out);
    ConvertOpenedDrawing(state, &observer, job.index, outcome);
    out.Close();
  } catch (const OutputError& e) {
    outcome.fatalError = e.what();
  }
  observer.FileFinished(job.index);
}

}  // namespace corvane
