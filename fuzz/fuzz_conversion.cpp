// The whole conversion of one drawing over arbitrary bytes: the scan for ENTITIES, the main loop and
// every entity reader, with every entity option, field and custom item in use.
//
// Each input is converted twice, and the two must agree on the data file, the error and the counts:
// by ConvertFile over the input written to a file (the real path with the default block size, summary
// and progress included), and by the main loop over the input in memory with blocks of 1 to 64 bytes
// (picked from the input), so that block ends fall everywhere inside the pairs the readers hold.
// A second configuration, run in memory with both block sizes, writes the custom field twice (a
// hand-edited field-name list can do that), keeps only three 3DFACE corners, filters blocks and
// forces Z.
// The point preview of the drawing, with either configuration, must hold the data file's bytes
// with one point per line, and the report lines of the file run.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"
#include "engine/conversion_run.h"
#include "engine/convert_file.h"
#include "engine/data_file_writer.h"
#include "engine/dispatch.h"
#include "engine/line_reader.h"
#include "engine/pairs.h"
#include "engine/point_preview.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "files/output_guard.h"
#include "tests/fuzz_configurations.h"

namespace {

using namespace corvane;
using fuzz_configurations::Everything;
using fuzz_configurations::Variant;

[[noreturn]] void Fail(const char* what, std::string_view a = {}, std::string_view b = {}) {
  std::fprintf(stderr, "conversion: %s\n  first:  %.*s\n  second: %.*s\n", what,
               static_cast<int>(std::min<std::size_t>(a.size(), 2000)), a.data(),
               static_cast<int>(std::min<std::size_t>(b.size(), 2000)), b.data());
  std::abort();
}

std::string ReadWhole(const std::string& path) {
  std::string text;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) Fail("cannot read back a file", path);
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, got);
  std::fclose(f);
  return text;
}

void WriteWhole(const std::string& path, std::string_view text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) Fail("cannot write", path);
  std::fclose(f);
}

// One folder for the whole session; the files in it are rewritten by every input.
struct Scratch {
  std::string folder, drawing, data;
  Scratch() {
    // In memory where the system has such a folder: the file run is a cross-check, not a disk test.
    std::error_code ec;
    char name[] = "/dev/shm/corvane-fuzz-XXXXXX";
    char fallback[] = "/tmp/corvane-fuzz-XXXXXX";
    char* made = std::filesystem::is_directory("/dev/shm", ec) ? mkdtemp(name) : nullptr;
    if (made == nullptr) made = mkdtemp(fallback);
    if (made == nullptr) Fail("cannot create a temporary folder");
    folder = made;
    drawing = folder + "/drawing.dxf";
    data = folder + "/drawing.txt";
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

RunRequest RequestWith(std::vector<std::string> rowTexts) {
  RunRequest request;
  for (std::string& text : rowTexts) request.lists.fieldRows.push_back(FieldRow{std::move(text), true});
  request.lists.customItemNames = {"Type", "Layer", "Handle", "Block", "Text", "Label", "Seq", "Entity"};
  for (int i = 0; i < 36; ++i) request.lists.hintLines.push_back("hint " + std::to_string(i));
  return request;
}

struct Result {
  bool valid = true;  // the scan found a usable ENTITIES line
  std::string error;  // the text of a FileConversionError
  bool truncated = false;
  std::uint64_t outOfStepLine = 0;
  std::array<std::int64_t, 17> counts{};
  std::string data;
};

// Memory kept from one input to the next: allocating and clearing the reader's megabyte for
// every input would cost more than converting it.
struct InMemoryBuffers {
  ByteBuffer reader;
  ByteBuffer readerSpare;
  ByteBuffer writer;
};

// The main loop over the text in memory, its data file written to memory too.
Result ConvertInMemory(std::string_view text, const RunSettings& run, std::size_t blockSize,
                       InMemoryBuffers& buffers) {
  Result r;
  char* bytes = nullptr;
  std::size_t length = 0;
  std::FILE* sink = open_memstream(&bytes, &length);
  if (sink == nullptr) Fail("open_memstream failed");
  {
    DataFileWriter out(sink, "memory", buffers.writer);
    LineReader in(text, buffers.reader, buffers.readerSpare, blockSize);
    FileState state(run, in, out);
    try {
      r.valid = ConvertDrawing(state, nullptr, 0) != DrawingEnd::kNotDxf;
    } catch (const FileConversionError& e) {
      r.error = e.what();
    }
    r.truncated = state.endedInsideEntity;
    r.outOfStepLine = state.outOfStepLine;
    r.counts = state.EntityCounts;
    out.Close();
  }
  r.data.assign(bytes, length);
  std::free(bytes);
  return r;
}

void Compare(const Result& a, const Result& b, const char* what) {
  if (a.data != b.data) Fail(what, a.data, b.data);
  if (a.valid != b.valid || a.error != b.error) Fail(what, a.error, b.error);
  if (a.outOfStepLine != b.outOfStepLine) Fail(what, "the first line out of step differs");
  if (a.error.empty() && a.valid && (a.truncated != b.truncated || a.counts != b.counts)) {
    Fail(what, "counts or truncation differ");
  }
}

class QuietObserver : public RunObserver {
 public:
  std::string ReportDateTime() override { return "-"; }
  bool StopRequested() override { return false; }
  void ProgressMaximum(std::size_t, std::uint64_t units) override { maximum = units; }
  void ProgressPosition(std::size_t, std::uint64_t units) override {
    if (units < position || units > maximum) Fail("the progress position left its range");
    position = units;
  }
  std::uint64_t maximum = 0, position = 0;
};

// The report lines ConvertFile gives for a result of the in-memory loop.
std::vector<std::string> ExpectedLines(const Result& r, const RunSettings& run, const std::string& dataPath) {
  std::vector<std::string> lines{"Data File : " + dataPath, ""};
  const std::string outOfStep =
      "*** Error, the group codes are out of step at line " + std::to_string(r.outOfStepLine) + " ***";
  if (!r.valid) {
    lines.push_back("*** Error, not a valid DXF file ***");
    if (r.outOfStepLine != 0) lines.push_back(outOfStep);
    return lines;
  }
  if (r.outOfStepLine != 0) lines.push_back(outOfStep);
  if (!r.error.empty()) {
    lines.push_back("*** Error, " + r.error + " ***");
    return lines;
  }
  if (r.truncated) lines.push_back("*** Error, the file ends inside an entity and may be truncated ***");
  for (int i = 0; i < 15; ++i) {
    if (!((run.config.EntityMask >> i) & 1u) || i == 7 || i == 9 || i == 11) continue;
    std::string line = " " + run.hintLines[static_cast<std::size_t>(2 * i)] + " : " + std::to_string(r.counts[i]) + " ";
    if (i == entity_bit::kBlocks) line += "(" + std::string(run.config.BlockNames.view()) + ")";
    lines.push_back(line);
  }
  lines.push_back("");
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// The preview of the drawing in the scratch folder must hold `data` exactly, one point per line,
// and (when given) the report lines of its file run after "Data File : " and its empty line.
void CheckPreview(const TExportConfig& config, const RunRequest& rows, const Scratch& scratch,
                  FileBuffers& buffers, const std::string& data, const std::vector<std::string>* reportLines) {
  PreviewRequest request;
  request.dxfPath = scratch.drawing;
  request.buffers = &buffers;  // the file run's: a fresh reader (and its thread) per input costs more than the input
  request.lists = rows.lists;
  const PointPreview preview = PreviewPoints(config, request);
  if (preview.Bytes() != data) Fail("the preview's bytes differ from the data file", preview.Bytes(), data);
  if (preview.lineStart.size() != preview.size() + 1 || preview.x.size() != preview.size() ||
      preview.lineStart.back() != data.size()) {
    Fail("the preview's points do not match its lines");
  }
  for (std::size_t i = 0; i < preview.size(); ++i) {
    const std::size_t end = static_cast<std::size_t>(preview.lineStart[i + 1]);
    if (end < preview.lineStart[i] + 2 || data.compare(end - 2, 2, "\r\n") != 0) Fail("a preview line without CR LF");
  }
  if (reportLines != nullptr) {
    std::vector<std::string> expected(reportLines->begin() + std::min<std::size_t>(2, reportLines->size()),
                                      reportLines->end());
    if (preview.reportLines != expected) Fail("the preview's report lines differ", Joined(preview.reportLines), Joined(expected));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  static InMemoryBuffers memory;
  static FileBuffers fileBuffers;
  static const RunSettings everything = PrepareRunSettings(
      Everything(), RequestWith({"Number", "X Coordinate", "Y Coordinate", "Z Coordinate", "Custom data"}).lists);
  static const RunSettings variant = PrepareRunSettings(
      Variant(), RequestWith({"Custom data", "Number", "Custom data", "X Coordinate", "Z Coordinate"}).lists);

  // An exact-size heap block, so the address sanitizer sees any read past the input.
  const auto copy = std::make_unique<char[]>(size + 1);
  if (size > 0) std::memcpy(copy.get(), data, size);
  const std::string_view text(copy.get(), size);
  const std::size_t smallBlock = 1 + (size * 7 + (size > 0 ? data[size / 2] : 0)) % 64;

  // The real per-file conversion, from a file.
  WriteWhole(scratch.drawing, text);
  QuietObserver observer;
  FileOutcome outcome;
  const FileJob job{0, scratch.drawing, scratch.data, "drawing.dxf"};
  OutputGuard guard;
  ConvertFile(everything, job, observer, guard, fileBuffers, outcome);
  if (!outcome.fatalError.empty()) Fail("output error", outcome.fatalError);
  Result fromFile;
  fromFile.data = ReadWhole(scratch.data);

  // The file run stands for the default block size; the variant runs on every other input.
  const Result small = ConvertInMemory(text, everything, smallBlock, memory);
  if (fromFile.data != small.data) Fail("block size changed the data file", fromFile.data, small.data);
  const bool fileValid = outcome.lines.size() < 3 || outcome.lines[2] != "*** Error, not a valid DXF file ***";
  if (fileValid != small.valid) Fail("the file and the in-memory conversion disagree on the ENTITIES section");
  const std::vector<std::string> expected = ExpectedLines(small, everything, scratch.data);
  if (outcome.lines != expected) Fail("report lines differ", Joined(outcome.lines), Joined(expected));
  if (outcome.hadError != (!small.valid || !small.error.empty() || small.truncated || small.outOfStepLine != 0)) {
    Fail("error flag");
  }

  // The point preview of the same drawing: the data file's bytes, a point per line, the report's lines.
  static const RunRequest everythingRows =
      RequestWith({"Number", "X Coordinate", "Y Coordinate", "Z Coordinate", "Custom data"});
  CheckPreview(Everything(), everythingRows, scratch, fileBuffers, fromFile.data, &outcome.lines);

  if ((size & 1) != 0) {
    const Result variantWhole = ConvertInMemory(text, variant, kReadBlockSize, memory);
    const Result variantSmall = ConvertInMemory(text, variant, smallBlock, memory);
    Compare(variantWhole, variantSmall, "block size changed the result (variant)");
    static const RunRequest variantRows =
        RequestWith({"Custom data", "Number", "Custom data", "X Coordinate", "Z Coordinate"});
    CheckPreview(Variant(), variantRows, scratch, fileBuffers, variantWhole.data, nullptr);
  }
  return 0;
}
