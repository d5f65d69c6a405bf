// The errors the engine raises while it converts a file. Each says how far its damage reaches:
// one file (its report gets a line and the run goes on) or the whole run.
#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// Ends the conversion of one file with a report line "*** Error, <what()> ***"; the run goes on
// with the next file.
struct FileConversionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The drawing could not be read further (an I/O error): like FileConversionError, one file.
struct InputReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A data file cannot be created or written: the run ends, and its report is kept.
struct OutputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace corvane
