// Converting one DXF file into its data file, with the report lines it earns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/byte_buffer.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "files/output_guard.h"

namespace corvane {

struct FileJob {
  std::size_t index;     // position in the run's list, for the observer
  std::string dxfPath;
  std::string dataPath;
  std::string shownName;  // the DXF file's name without folder, for the step text
};

struct FileOutcome {
  std::vector<std::string> lines;  // report lines after "DXF File  : "
  bool hadError = false;           // an "*** Error, ... ***" line was added
  std::vector<std::size_t> errorLines;  // which of `lines` they are
  bool stoppedInside = false;      // the stop flag ended the main loop
  bool stopAfter = false;          // the stop flag was set when the file was done
  bool dataFileOpened = false;     // its data file was created (or emptied) for it
  std::string fatalError;          // a data file could not be created or written: the run ends
};

// kFailed: a problem of the drawing (a bad number, a read error) ended it; ConvertDrawing throws then.
enum class DrawingEnd { kComplete, kNotDxf, kStopped, kFailed };

// The conversion of one drawing once its input and data file are open: the header line when
// asked for, the scan for the ENTITIES section, then the main loop to the end of the input.
// With an observer, progress is reported for file `index` and the stop flag is asked at the top
// of every pass. Throws FileConversionError, InputReadError and OutputError.
DrawingEnd ConvertDrawing(FileState& state, RunObserver* observer, std::size_t index);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// What the report says of a drawing that cannot be opened (between "*** Error, " and " ***").
inline constexpr const char* kCannotOpenDrawingText = "file is used by another application";
// On Windows the program names files in the ANSI code page, where a letter the code page lacks
// becomes "?", which no Windows file name holds: such a drawing is listed but cannot be opened,
// and the report says why and what the user can do, rather than blaming another application.
inline constexpr const char* kNameOutsideCodePageText =
    "the name of this drawing has letters that the system's code page cannot hold (shown as \"?\"): "
    "rename it in Explorer with letters of that code page, then convert it";
// The text for the drawing at `path` that could not be opened: one of the two above.
const char* CannotOpenDrawingText(const std::string& path);

// Opens a drawing for reading, unbuffered (the LineReader reads whole blocks), letting others read
// it meanwhile; `size` gets its size. Null when it is not a regular file that can be read: the
// report's "*** Error, file is used by another application ***".
FileHandle OpenDrawing(const std::string& path, std::uint64_t& size);

// ConvertDrawing with the report lines it earns after "Data File : " and its empty line: the error
// lines of the drawing ("not a valid DXF file", a bad number, out-of-step pairs, a truncated file)
// and, for a drawing read to its end, the summary lines and their empty line. Sets
// outcome.stoppedInside and outcome.hadError; returns how the drawing ended. Throws OutputError
// (and std::bad_alloc) only.
DrawingEnd ConvertOpenedDrawing(FileState& state, RunObserver* observer, std::size_t index, FileOutcome& outcome);

// The report's summary lines of a drawing read to its end, then an empty line.
std::size_t AddSummary(const RunSettings& run, const FileState& state, std::vector<std::string>& lines);

// Converts one file. The observer is asked for the stop flag at the top of every main-loop pass.
// The data file is opened through `guard`, which may refuse it (a report line). Problems of the
// drawing become report lines; an output error fills outcome.fatalError.
// `buffers` is the memory of the job, reused from one file to the next.
void ConvertFile(const RunSettings& run, const FileJob& job, RunObserver& observer,
                 OutputGuard& guard, FileBuffers& buffers, FileOutcome& outcome);

}  // namespace corvane
