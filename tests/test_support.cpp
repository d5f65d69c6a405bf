#include "tests/test_support.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "files/path_text.h"

#ifndef CORVANE_SOURCE_DIR
#define CORVANE_SOURCE_DIR "."
#endif

namespace corvane::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  path_ = fs::temp_directory_path() /
          ("corvane-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

namespace {

// A test may take permissions away from folders inside (a read-only destination) and fail
// before it gives them back: every folder is opened up again, so that nothing stays behind.
// Links are left alone, as they may lead out of the folder.
void OpenUpFolders(const fs::path& folder) {
  std::error_code ec;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (fs::is_directory(it->symlink_status(ec))) OpenUpFolders(it->path());
  }
}

}  // namespace

TempDir::~TempDir() {
  OpenUpFolders(path_);
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, std::string_view content) const {
  const fs::path p = path_ / name;
  WriteFile(p, content);
  return p.string();
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, std::string_view content) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::vector<std::string> SplitCrLf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t at = text.find("\r\n", start);
    if (at == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, at - start));
    start = at + 2;
  }
  return lines;
}

namespace {
std::vector<std::string> ShippedList(const char* name) {
  const std::string text = ReadFile(fs::path(CORVANE_SOURCE_DIR) / "data" / name);
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}
}  // namespace

std::vector<std::string> ShippedFieldNames() { return ShippedList("corvane2.dat"); }
std::vector<std::string> ShippedCustomItems() { return ShippedList("corvane.dat"); }
std::vector<std::string> ShippedHints() { return ShippedList("hints.dat"); }

TExportConfig TestConfig(bool withCustom) {
  TExportConfig c = ZeroConfig();
  c.Signature.assign("CRV200");
  c.FieldSeparator.assign(",");
  c.FileExtension.assign("txt");
  c.EntityMask = kAllEntityOptions & ~EntityBitValue(entity_bit::kThreePointsOnly);
  for (int k = 0; k < kFieldCount; ++k) {
    c.FieldOrder[k] = k;
    c.FieldChecked[k] = 1;
  }
  c.FieldChecked[4] = withCustom ? 1 : 0;
  for (int k = 0; k < kCustomItemCount; ++k) c.CustomOrder[k] = k;
  c.CustomChecked[0] = 1;
  c.CustomChecked[1] = 1;
  c.StartNumber = 1;
  c.XDecimals = c.YDecimals = c.ZDecimals = 3;
  c.ForcedZValue.assign("0.00");
  c.CustomSeparator.assign("/");
  return c;
}

std::vector<FieldRow> FieldRowsOf(const TExportConfig& config) {
  return FieldRowsFromConfig(config, ShippedFieldNames());
}

RunRequest RequestFor(const TExportConfig& config, const std::vector<std::string>& dxfPaths,
                      const std::string& destFolder) {
  RunRequest request;
  for (const std::string& p : dxfPaths) {
    const fs::path path = PathFromText(p);
    InputFile f;
    f.dxfFolder = TextOfPath(path.parent_path());
    f.name = TextOfPath(path.filename());
    f.destFolder = destFolder.empty() ? f.dxfFolder : destFolder;
    request.files.push_back(f);
  }
  request.lists.fieldRows = FieldRowsOf(config);
  request.lists.customItemNames = ShippedCustomItems();
  request.lists.hintLines = ShippedHints();
  return request;
}

bool TestObserver::StopRequested() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopInFile < 0 || currentFile_ < stopInFile) return false;
  return ++passes_ > stopAfterPasses;
}

void TestObserver::FileStarted(std::size_t index, std::string_view stepText) {
  std::lock_guard<std::mutex> lock(mutex_);
  currentFile_ = static_cast<int>(index);
  passes_ = 0;
  steps.emplace_back(stepText);
}

void TestObserver::ProgressMaximum(std::size_t, std::uint64_t units) {
  std::lock_guard<std::mutex> lock(mutex_);
  maxima.push_back(units);
}

void TestObserver::ProgressPosition(std::size_t, std::uint64_t units) {
  std::lock_guard<std::mutex> lock(mutex_);
  lastPosition = units;
}

Conversion ConvertText(std::string_view dxf, const TExportConfig& config) {
  return ConvertText(dxf, config, ConfigExtension{});
}

Conversion ConvertText(std::string_view dxf, const TExportConfig& config, const ConfigExtension& extension) {
  TempDir dir;
  const std::string path = dir.Write("drawing.dxf", dxf);
  TestObserver observer;
  Conversion c;
  RunRequest request = RequestFor(config, {path});
  request.extension = extension;
  c.result = RunConversion(config, request, observer);
  c.report = c.result.report;
  const fs::path data = dir.path() / ("drawing." + std::string(config.FileExtension.view()));
  if (fs::exists(data)) c.data = ReadFile(data);
  c.dataLines = SplitCrLf(c.data);
  return c;
}

std::string DxfWithEntities(std::string_view entities) {
  std::string s =
      "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n"
      "  0\nSECTION\n  2\nENTITIES\n";
  s += entities;
  s += "  0\nENDSEC\n  0\nEOF\n";
  return s;
}

std::string Pairs(std::initializer_list<std::string_view> items) {
  std::string s;
  bool isCode = true;
  for (std::string_view item : items) {
    if (isCode && item.size() < 3) s.append(3 - item.size(), ' ');
    s += item;
    s += '\n';
    isCode = !isCode;
  }
  return s;
}

std::vector<std::string> FileBody(const Conversion& c) {
  std::vector<std::string> body;
  // Behind the head lines (and the options beyond the record, when set): the drawing's block.
  std::size_t start = 7;
  for (std::size_t i = 0; i < c.report.size(); ++i) {
    if (c.report[i].rfind("Data File : ", 0) == 0) {
      start = i + 2;
      break;
    }
  }
  for (std::size_t i = start; i < c.report.size() && !c.report[i].empty(); ++i) body.push_back(c.report[i]);
  return body;
}

std::uint64_t LineNumberOf(std::string_view text, std::string_view line) {
  std::uint64_t number = 1;
  for (std::size_t start = 0; start <= text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (text.substr(start, end - start) == line) return number;
    start = end + 1;
  }
  return 0;
}

std::vector<std::string> ReportBlock(const RunResult& r, const std::string& dxfPath) {
  std::vector<std::string> block;
  auto at = std::find(r.report.begin(), r.report.end(), "DXF File  : " + dxfPath);
  if (at == r.report.end()) return block;
  for (++at; at < r.report.end() && at->rfind("DXF File  : ", 0) != 0; ++at) {
    if (!at->empty()) block.push_back(*at);
  }
  return block;
}

}  // namespace corvane::test
