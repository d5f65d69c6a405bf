// Composing data lines and the header line from the run's selected fields and custom items.
#pragma once

#include <string>
#include <string_view>

#include "engine/run_state.h"

namespace corvane {

// The header line of a data file: the titles of run.SelectedFields in order, the custom field
// titled by the names of run.SelectedCustomItems. `customItemNames` is the custom-item list.
std::string BuildHeaderLine(const RunSettings& run, const std::vector<std::string>& customItemNames);

// Lays out run.linePlan and sets run.lineRoom and run.textCopies from the resolved fields and custom
// items, the separators and the configuration; once per run, before the first data line.
void PrepareDataLines(RunSettings& run);

// The forced Z value as every data line would write it is a number: an empty value is 0, as DXF
// takes a missing coordinate, and anything FormatCoordinate cannot format ("1.2.3") is not.
bool ForcedZIsNumber(std::string_view forcedZ);
// What the report says, between "*** Error, " and " ***", of a forced Z value that is not a number;
// the run's refusal says the same with a capital letter.
std::string ForcedZNotANumberText(std::string_view forcedZ);

// Composes one data line from the texts a reader collected and appends it, with CR LF, to the
// file's data file. Throws FileConversionError when a selected coordinate is not a number.
void WriteDataLine(FileState& file, const CoordText& XText, const CoordText& YText, const CoordText& ZText,
                   std::string_view Handle, std::string_view Layer, std::string_view EntityName,
                   std::string_view BlockName, std::string_view TextValue);

// The same for a point of the entity being read: its X and Y, the given Z, and the texts in
// file.values. The part of the line that only changes from entity to entity is composed for the
// entity's first point and reused for the rest.
void ExportPoint(FileState& file, const CoordText& ZText, std::string_view entityName);

// The same for the point of an entity that has only one: its line is composed straight into the
// data file, without keeping the entity's part for further points.
void ExportLonePoint(FileState& file, const CoordText& ZText, std::string_view entityName);

// The same with a point number of its own (a block attribute's value): a non-empty `ownNumber`
// goes into the "N" field instead of the counter, which then does not move.
void ExportNumberedPoint(FileState& file, const CoordText& ZText, std::string_view entityName,
                         std::string_view ownNumber);

}  // namespace corvane
