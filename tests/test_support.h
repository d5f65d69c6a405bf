// Shared helpers of the tests: temporary folders, whole-file reads, a configuration to start
// from, and a one-call conversion of a DXF text held in the test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"
#include "engine/conversion_run.h"
#include "engine/run_observer.h"

namespace corvane::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end,
// also folders inside that a test made read-only or unreadable.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string Str() const { return path_.string(); }
  // The full path of `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // How many files and folders it holds: a save that left a temporary file behind shows.
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
  }
  // Writes `content` to the file `name` inside the folder and returns its full path.
  std::string Write(const std::string& name, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view content);

// Splits data file or report text into lines at CR LF (the only terminator the engine writes).
std::vector<std::string> SplitCrLf(std::string_view text);

// The number, from 1, of the first line of `text` (LF line ends) that is exactly `line`; 0 if none.
std::uint64_t LineNumberOf(std::string_view text, std::string_view line);

// The non-empty report lines after a file's "DXF File" line, up to the next file's.
std::vector<std::string> ReportBlock(const RunResult& r, const std::string& dxfPath);

// The lookup lists shipped in data/.
std::vector<std::string> ShippedFieldNames();
std::vector<std::string> ShippedCustomItems();
std::vector<std::string> ShippedHints();

// A configuration for tests: fields N X Y Z ticked in that order, C ticked too when
// withCustom; comma separator, 3 decimals, extension "txt", start number 1, every entity option
// on except 3 points only; custom items 0 (type) and 1 (layer) ticked, "/" between them.
TExportConfig TestConfig(bool withCustom = false);

// The field rows of a configuration, as the main window hands them over.
std::vector<FieldRow> FieldRowsOf(const TExportConfig& config);

// A request for the given DXF files (full paths) with the shipped lookup lists; data files go to
// `destFolder`, or beside each drawing when it is empty.
RunRequest RequestFor(const TExportConfig& config, const std::vector<std::string>& dxfPaths,
                      const std::string& destFolder = "");

// An observer with a fixed date, that stops when asked to after a given number of files or
// main-loop passes. Safe for runs with several jobs, as the observer contract asks.
class TestObserver : public RunObserver {
 public:
  std::string ReportDateTime() override { return "07/12/2026 10:00:00"; }
  bool StopRequested() override;
  void FileStarted(std::size_t index, std::string_view stepText) override;
  void ProgressMaximum(std::size_t index, std::uint64_t units) override;
  void ProgressPosition(std::size_t index, std::uint64_t units) override;

  int stopInFile = -1;      // stop when this file (by index) has started
  long stopAfterPasses = 0;  // ... and after this many stop checks in it
  std::vector<std::string> steps;
  std::vector<std::uint64_t> maxima;
  std::uint64_t lastPosition = 0;

 private:
  std::mutex mutex_;
  int currentFile_ = -1;
  long passes_ = 0;
};

// Converts one DXF text with `config` in a temporary folder; returns the data file's text
// (empty when none was written) and the report.
struct Conversion {
  std::string data;
  std::vector<std::string> dataLines;
  std::vector<std::string> report;
  RunResult result;
};
Conversion ConvertText(std::string_view dxf, const TExportConfig& config);
// The same with options beyond the record.
Conversion ConvertText(std::string_view dxf, const TExportConfig& config, const ConfigExtension& extension);

// The smallest DXF text around some entity text: a header section, then an ENTITIES section
// holding `entities` (pairs, each line ending in LF), then ENDSEC and EOF.
std::string DxfWithEntities(std::string_view entities);

// Group pairs as DXF writes them: codes right-aligned in three columns, one line per item.
std::string Pairs(std::initializer_list<std::string_view> items);

// The report lines of a single-file conversion between its "Data File" block and its closing
// empty line: the error and summary lines.
std::vector<std::string> FileBody(const Conversion& c);

inline constexpr std::string_view kTruncated =
    "*** Error, the file ends inside an entity and may be truncated ***";

}  // namespace corvane::test
