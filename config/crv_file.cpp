#include "config/crv_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "config/file_io.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr unsigned char kSignatureBytes[7] = {0x06, 'C', 'R', 'V', '2', '0', '0'};

template <std::size_t N>
std::optional<std::string> CheckText(const char* name, const ShortText<N>& field) {
  if (field.length <= N) return std::nullopt;
  return std::string(name) + " has the length " + DecimalText(field.length) +
         "; its capacity is " + DecimalText(N);
}

template <std::size_t N>
std::optional<std::string> CheckPermutation(const char* name, const std::int32_t (&order)[N]) {
  bool seen[N] = {};
  bool valid = true;
  for (std::int32_t index : order) {
    if (index < 0 || static_cast<std::size_t>(index) >= N || seen[index]) {
      valid = false;
      break;
    }
    seen[index] = true;
  }
  if (valid) return std::nullopt;
  std::string values;
  for (std::int32_t index : order) {
    if (!values.empty()) values += ", ";
    values += DecimalText(index);
  }
  return std::string(name) + " holds " + values + "; it must be a permutation of 0 to " +
         DecimalText(N - 1);
}

std::optional<std::string> CheckDecimals(const char* name, std::int32_t decimals) {
  if (decimals >= 0 && decimals <= kMaxDecimals) return std::nullopt;
  return std::string(name) + " is " + DecimalText(decimals) + "; it must be 0 to " +
         DecimalText(kMaxDecimals);
}

// Unique enough to make a clash unlikely; exclusive creation settles the rest.
std::string TemporarySuffix() {
  static std::atomic<unsigned> counter{0};
  const auto ticks = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  unsigned long long mixed = ticks * 0x9E3779B97F4A7C15ull + counter.fetch_add(1);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string suffix = ".";
  for (int i = 0; i < 12; ++i, mixed >>= 4) suffix += kHex[mixed & 0xF];
  return suffix + ".tmp";
}

// Writes the whole image and closes the file; false with errno's value in `error` when any
// write, the flush or the close fails.
bool WriteAndClose(std::FILE* file, const TExportConfig& record, int& error) {
  bool ok = std::fwrite(&record, 1, kExportConfigSize, file) == kExportConfigSize;
  if (!ok) error = errno;
  if (std::fflush(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok;
}

}  // namespace

std::optional<std::string> ValidateConfig(const TExportConfig& c) {
  const std::optional<std::string> checks[] = {
      CheckText("Signature", c.Signature),
      CheckText("FieldSeparator", c.FieldSeparator),
      CheckText("FileExtension", c.FileExtension),
      CheckText("BlockNames", c.BlockNames),
      CheckPermutation("FieldOrder", c.FieldOrder),
      CheckPermutation("CustomOrder", c.CustomOrder),
      CheckText("NumberPrefix", c.NumberPrefix),
      CheckText("XPrefix", c.XPrefix),
      CheckDecimals("XDecimals", c.XDecimals),
      CheckText("YPrefix", c.YPrefix),
      CheckDecimals("YDecimals", c.YDecimals),
      CheckText("ZPrefix", c.ZPrefix),
      CheckDecimals("ZDecimals", c.ZDecimals),
      CheckText("ForcedZValue", c.ForcedZValue),
      CheckText("CustomPrefix", c.CustomPrefix),
      CheckText("CustomSeparator", c.CustomSeparator),
      CheckText("CustomLabel", c.CustomLabel),
  };
  for (const auto& problem : checks) {
    if (problem) return problem;
  }
  return std::nullopt;
}

ConfigFileResult ReadConfigFile(const std::string& path, TExportConfig& working,
                                TExportConfig& saved) {
  std::FILE* file = OpenFile(fs::path(path), "rb");
  if (file == nullptr) {
    return {false, CannotOpenMessage(path, SystemReason(errno)), ConfigReadStatus::kCannotOpen};
  }
  unsigned char image[kExportConfigSize];
  const std::size_t count = std::fread(image, 1, sizeof image, file);
  // A folder opens for reading on some systems and fails only here.
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    return {false, CannotOpenMessage(path, SystemReason(error)), ConfigReadStatus::kCannotOpen};
  }

  if (count < sizeof kSignatureBytes ||
      std::memcmp(image, kSignatureBytes, sizeof kSignatureBytes) != 0) {
    return {false, kNotConfigFileMessage, ConfigReadStatus::kNotConfigFile};
  }

  // A short file replaces only the start of the record; it is judged as the record it gives.
  TExportConfig candidate = working;
  std::memcpy(&candidate, image, count);
  if (auto problem = ValidateConfig(candidate)) {
    return {false, "The configuration file \"" + path + "\" is damaged: " + *problem,
            ConfigReadStatus::kDamaged};
  }
  working = candidate;
  saved = candidate;
  return {true, "", ConfigReadStatus::kAccepted};
}

std::string WriteConfigFile(const std::string& path, const TExportConfig& working) {
  const fs::path target(path);
  fs::path temporary;
  std::FILE* file = nullptr;
  int error = 0;
  for (int attempt = 0; attempt < 8 && file == nullptr; ++attempt) {
    temporary = target;
    temporary += TemporarySuffix();
    file = OpenFile(temporary, "wbx");
    if (file == nullptr) {
      error = errno;
      if (error != EEXIST) break;
    }
  }
  if (file == nullptr) return CannotCreateMessage(path, SystemReason(error));

  std::error_code ignored;
  if (!WriteAndClose(file, working, error)) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, SystemReason(error));
  }

  // A replaced file keeps its permissions rather than taking the defaults of a new one.
  const fs::file_status old_status = fs::status(target, ignored);
  if (fs::is_regular_file(old_status)) {
    fs::permissions(temporary, old_status.permissions(), ignored);
  }

  std::error_code renamed;
  fs::rename(temporary, target, renamed);
  if (renamed) {
    fs::remove(temporary, ignored);
    return CannotCreateMessage(path, renamed.message());
  }
  return "";
}

}  // namespace corvane
