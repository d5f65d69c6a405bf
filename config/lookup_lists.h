// The three lookup list files beside the program: field names, custom-item names and hints.
// Each is a list of lines addressed by index from 0; the bytes are kept as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr const char* kFieldNameFile = "corvane2.dat";
inline constexpr const char* kCustomItemFile = "corvane.dat";
inline constexpr const char* kHintFile = "hints.dat";

inline constexpr std::size_t kFieldNameLines = 5;    // exactly
inline constexpr std::size_t kCustomItemLines = 8;   // exactly
inline constexpr std::size_t kHintLines = 36;        // at least: title and text of c0 to c17

struct LookupLists {
  std::vector<std::string> fieldNames;   // line i names field i: N, X, Y, Z, C
  std::vector<std::string> customItems;  // line i names custom item i
  std::vector<std::string> hints;        // line 2n title, 2n+1 text of c<n>; 2i is also a label
};

struct LookupListResult {
  bool ok = false;
  std::string message;  // when not ok, the "Cannot open file" text
  std::vector<std::string> lines;
};

// Splits at CR LF, CR or LF. A final line break does not start another line, so "" gives no
// line and "a\r\n" one.
std::vector<std::string> SplitLines(std::string_view bytes);

LookupListResult LoadLookupList(const std::string& path);

// Loads the three files from the program folder. A file that cannot be opened, holds the
// wrong number of lines, or names the same field or custom item twice (letter case of "a" to
// "z" ignored) gives a message naming the file and the fault, and `out` is left unchanged;
// "" on success. Duplicate names are refused because the main window turns a row back into
// its index by the first line of that name, which would save an order that no longer loads.
std::string LoadLookupLists(const std::string& programFolder, LookupLists& out);

}  // namespace corvane
