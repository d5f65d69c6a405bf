#include "files/output_guard.h"

#include <cstdio>

#include "files/file_io.h"
#include "files/in_place_file.h"
#include "files/path_text.h"

namespace corvane {

std::string DataFileRefusalText(const std::string& dataPath, ProtectedKind why, std::string_view noun) {
  const std::string head = "the " + std::string(noun) + " " + dataPath;
  if (why == ProtectedKind::kDataFile && noun != kDataFileNoun) {
    return head + " would replace a file written earlier in this run";
  }
  switch (why) {
    case ProtectedKind::kDrawing: return head + " would replace a DXF file";
    case ProtectedKind::kReport: return head + " would replace the report file";
    case ProtectedKind::kConfiguration: return head + " would replace the configuration file in use";
    case ProtectedKind::kProgramFile: return head + " would replace a file of the program";
    case ProtectedKind::kDataFile: return head + " was already written for an earlier file of this run";
  }
  return head;
}

std::string NotARegularFileText(const std::string& dataPath, std::string_view noun) {
  return "the " + std::string(noun) + " " + dataPath + " is not a regular file";
}

std::string OtherNamesText(const std::string& dataPath, std::string_view noun) {
  return "the " + std::string(noun) + " " + dataPath +
         " has other names (hard links), which would lose their content with it";
}

void OutputGuard::Protect(const std::string& path, ProtectedKind kind) {
  Protect(ResolveTarget(path), kind);
}

void OutputGuard::Protect(FileTarget target, ProtectedKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  AddLocked(std::move(target), kind);
}

void OutputGuard::AddLocked(FileTarget target, ProtectedKind kind) {
  index_.Add(target, entries_.size());
  entries_.push_back(Entry{std::move(target), kind});
}

std::optional<ProtectedKind> OutputGuard::Check(const std::string& path,
                                                const FileTarget& target) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return CheckLocked(path, target);
}

std::optional<ProtectedKind> OutputGuard::CheckLocked(const std::string& path,
                                                      const FileTarget& t) const {
  if (NamesDxfFile(path) || NamesDxfFile(t.path)) return ProtectedKind::kDrawing;
  if (const auto first = index_.FindFirst(t)) return entries_[*first].kind;
  return std::nullopt;
}

OpenedDataFile OutputGuard::OpenDataFile(const std::string& path, std::string_view noun) {
  OpenedDataFile result;
  const FileTarget before = resolver_.ResolveNow(path);
  if (auto why = Check(path, before)) {
    result.refusal = DataFileRefusalText(path, *why, noun);
    return result;
  }
  if (before.exists && !before.regular) {
    result.refusal = NotARegularFileText(path, noun);
    return result;
  }

  InPlaceFile file;
  switch (OpenInPlace(path, file)) {
    case InPlaceOpen::kOpened: break;
    case InPlaceOpen::kCannotCreate:
      result.error = CannotCreateMessage(path, SystemReason(file.error));
      return result;
    case InPlaceOpen::kNotRegular:
      result.refusal = NotARegularFileText(path, noun);
      return result;
    case InPlaceOpen::kOtherNames:
      result.refusal = OtherNamesText(path, noun);
      return result;
  }
  FileTarget opened = before;
  opened.exists = true;
  opened.regular = true;
  opened.identity = file.identity;
  if (auto why = KeepIfNotProtected(path, opened)) {
    CloseInPlace(file);
    result.refusal = DataFileRefusalText(path, *why, noun);
    return result;
  }

  result.file = EmptyInPlace(file);
  if (result.file == nullptr) {
    result.error = CannotCreateMessage(path, SystemReason(file.error));
    return result;
  }
  // The writer hands over whole blocks; a stdio buffer would only cost an allocation and a look at
  // the file per data file.
  std::setvbuf(result.file, nullptr, _IONBF, 0);
  return result;
}

// What was opened is judged once more, by its identity: a link changed since the check, a file that
// appeared, or another job that reached the same file first. The judgement and the record of the
// file as written are one step, so of two jobs that opened one file only one keeps it, and nothing
// of it is lost before that is settled. (The opening itself is left outside, where two jobs
// creating files at the same time do not wait for each other here.)
std::optional<ProtectedKind> OutputGuard::KeepIfNotProtected(const std::string& path,
                                                             const FileTarget& opened) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto why = CheckLocked(path, opened)) return why;
  AddLocked(opened, ProtectedKind::kDataFile);
  return std::nullopt;
}

}  // namespace corvane
