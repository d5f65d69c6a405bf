// Converting one DXF file into its data file, with the report lines it earns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/byte_buffer.h"
#include "engine/output_files.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"

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
  bool stoppedInside = false;      // the stop flag ended the main loop
  bool stopAfter = false;          // the stop flag was set when the file was done
  std::string fatalError;          // a data file could not be created or written: the run ends
};

enum class DrawingEnd { kComplete, kNotDxf, kStopped };

// The conversion of one drawing once its input and data file are open: the header line when
// asked for, the scan for the ENTITIES section, then the main loop to the end of the input.
// With an observer, progress is reported for file `index` and the stop flag is asked at the top
// of every pass. Throws FileConversionError, InputReadError and OutputError.
DrawingEnd ConvertDrawing(FileState& state, RunObserver* observer, std::size_t index);

// Converts one file. The observer is asked for the stop flag at the top of every main-loop pass.
// The data file is opened through `guard`, which may refuse it (a report line). Problems of the
// drawing become report lines; an output error fills outcome.fatalError.
// `buffers` is the memory of the job, reused from one file to the next.
void ConvertFile(const RunSettings& run, const FileJob& job, RunObserver& observer,
                 OutputGuard& guard, FileBuffers& buffers, FileOutcome& outcome);

}  // namespace corvane
