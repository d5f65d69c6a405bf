// The export configuration as readable "Name = value" lines, and single-field changes given
// as "Name=value" texts: the command-line tool's way to show, build and adjust a record
// without the desktop program. A change is held to the same rules as the main window's
// controls, so a record built here converts exactly as one built in the window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_extension.h"
#include "config/export_config.h"

namespace corvane {

// One line per record field, in record order, as "Name = value" with one blank either side of
// "=". Signature and reserved bytes are not shown. The values:
//  - texts in double quotes, escaped by QuoteText (config/quoted_text.h): a tab separator
//    reads "\t"; bytes above 127 stay as they are;
//  - numbers in decimal; ForceZ and IncludeHeader as yes or no;
//  - "Entities = points,lines,..." for EntityMask: the ticked options by short name in bit
//    order, "none" when none is ticked (bits 17 to 31 mean nothing and are not shown);
//  - "Fields = N,X,Y,Z,-C" for FieldOrder and FieldChecked: every row in displayed order by its
//    code, an unticked row marked with "-"; "CustomItems = type,layer,-handle,..." likewise.
// Given back to SetConfigField, the lines of any record the window could have made rebuild it
// over any other record: the result is shown the same. The record need not be valid: an order
// index outside the lists is shown as its number (which SetConfigField then refuses).
std::vector<std::string> DescribeConfig(const TExportConfig& config);

// Applies one "Name=value" text. The name is matched with "a" to "z" and "A" to "Z" alike and
// may have blanks around it. The value is taken byte for byte, except that a value enclosed in
// double quotes (blanks outside the quotes ignored) has the escapes above decoded, so a line
// of DescribeConfig can be given back as it stands. Each field takes what its window control
// can store: texts up to their capacity (never cut), BlockNames trimmed, FileExtension without
// "/", "\", ":" or control characters, StartNumber digits only (empty: 1), ForcedZValue digits
// and "." only (empty: "0.00"), SequenceStart and EntityNumberStart signed 32-bit (empty: 0),
// decimals 0 to 14, ForceZ and IncludeHeader yes/no, 1/0, true/false or on/off. Numbers, yes/no
// values and lists ignore blanks around them. Lists:
//  - Entities: short names separated by commas, or "all", or "none"; sets bits 0 to 16 only.
//  - Fields, CustomItems: codes separated by commas, each at most once, optionally marked
//    with "-"; the listed rows come first in that order (ticked unless marked), the rows not
//    listed follow unticked in their present order; "none" unticks every row.
// On success Signature becomes "CRV200" and bits 17 to 31 of EntityMask are cleared, as when
// the window copies itself into the record, and true is returned. On refusal the record keeps
// every byte and `error` gets one line naming the field and the rule.
bool SetConfigField(TExportConfig& config, std::string_view assignment, std::string& error);

// The names SetConfigField accepts, in the order DescribeConfig shows them.
std::vector<std::string> ConfigFieldNames();

// The record's lines, then one "Name = "value"" line for each option beyond the record that is
// set (none when none is: a configuration without them is shown as ever).
std::vector<std::string> DescribeConfig(const TExportConfig& config, const ConfigExtension& extension);

// SetConfigField for the record's fields and the options beyond it (ExtensionOptions' names): a
// text of at most kExtensionTextCapacity bytes, trimmed, without control characters; empty turns
// the option off. On refusal both keep every byte.
bool SetConfigField(TExportConfig& config, ConfigExtension& extension, std::string_view assignment,
                    std::string& error);

// Sets one option beyond the record from a text as a box or --set gives it: trimmed, at most
// kExtensionTextCapacity bytes, no control characters; empty turns it off. On refusal the
// extension keeps its value and the result says why, starting with the option's name.
std::optional<std::string> SetExtensionOption(ConfigExtension& extension, const ExtensionOption& option,
                                              std::string_view value);

// Every name the two-record SetConfigField accepts: the record's, then the options beyond it.
std::vector<std::string> AllConfigFieldNames();

}  // namespace corvane
