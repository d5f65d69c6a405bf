// Composing data lines and the header line from the run's selected fields and custom items.
#pragma once

#include <string>
#include <string_view>

#include "engine/run_state.h"

namespace corvane {

// Fills SelectedFields, SelectedCustomItems and their resolved forms, the separators, the block
// patterns and HeaderLine of `run` from run.config and the field rows' first characters.
// `fieldRowCodes` holds, in displayed order, the text of every ticked field row.
// `customItemNames` is the custom-item list (header titles).
std::string BuildHeaderLine(const RunSettings& run, const std::vector<std::string>& customItemNames);

// Sets run.lineRoom and run.textCopies from the resolved fields and custom items and the separators.
void SizeDataLines(RunSettings& run);

// Composes one data line from the texts a reader collected and appends it, with CR LF, to the
// file's data file. Throws FileConversionError when a selected coordinate is not a number.
void WriteDataLine(FileState& file, CoordText XText, CoordText YText, CoordText ZText,
                   std::string_view Handle, std::string_view Layer, std::string_view EntityName,
                   std::string_view BlockName, std::string_view TextValue);

}  // namespace corvane
