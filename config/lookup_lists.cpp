#include "config/lookup_lists.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "files/file_io.h"
#include "files/path_text.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::string LinesText(std::size_t count) {
  return DecimalText(static_cast<long long>(count)) + (count == 1 ? " line" : " lines");
}

// The count rule of one file: exactly `needed` lines, or at least `needed` when `at_least`.
std::optional<std::string> CheckCount(const std::string& path, std::size_t count,
                                      std::size_t needed, bool at_least) {
  if (at_least ? count >= needed : count == needed) return std::nullopt;
  return "The file \"" + path + "\" holds " + LinesText(count) + "; it needs " +
         (at_least ? "at least " : "exactly ") + DecimalText(static_cast<long long>(needed));
}

std::optional<std::string> CheckDistinct(const std::string& path,
                                         const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      if (SameIgnoringAsciiCase(names[i], names[j])) {
        return "The file \"" + path + "\" holds the name \"" + names[j] + "\" on lines " +
               DecimalText(static_cast<long long>(i + 1)) + " and " +
               DecimalText(static_cast<long long>(j + 1)) +
               "; every name must differ from the others, letter case ignored";
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

LookupListResult LoadLookupList(const std::string& path) {
  std::string reason;
  std::FILE* file = OpenRegularFile(PathFromText(path), reason);
  if (file == nullptr) return {false, CannotOpenMessage(path, reason), {}};
  std::string bytes;
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) return {false, CannotOpenMessage(path, SystemReason(error)), {}};
  return {true, "", SplitLines(bytes)};
}

std::string LoadLookupLists(const std::string& programFolder, LookupLists& out) {
  struct Wanted {
    const char* name;
    std::size_t lines;
    bool at_least;
    bool names_distinct;
    std::vector<std::string> LookupLists::*list;
  };
  static constexpr Wanted kFiles[] = {
      {kFieldNameFile, kFieldNameLines, false, true, &LookupLists::fieldNames},
      {kCustomItemFile, kCustomItemLines, false, true, &LookupLists::customItems},
      {kHintFile, kHintLines, true, false, &LookupLists::hints},
  };

  LookupLists loaded;
  for (const Wanted& wanted : kFiles) {
    const std::string path = TextOfPath(PathFromText(programFolder) / wanted.name);
    LookupListResult result = LoadLookupList(path);
    if (!result.ok) return result.message;
    if (auto problem = CheckCount(path, result.lines.size(), wanted.lines, wanted.at_least))
      return *problem;
    if (wanted.names_distinct) {
      if (auto problem = CheckDistinct(path, result.lines)) return *problem;
    }
    loaded.*wanted.list = std::move(result.lines);
  }
  out = std::move(loaded);
  return "";
}

}  // namespace corvane
