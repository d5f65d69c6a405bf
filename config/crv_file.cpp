#include "config/crv_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/atomic_file.h"
#include "files/file_io.h"
#include "files/path_text.h"

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

ConfigFileResult ReadConfigFile(const std::string& path, TExportConfig& working, TExportConfig& saved,
                                ConfigExtension& workingExtension, ConfigExtension& savedExtension) {
  std::string reason;
  std::FILE* file = OpenRegularFile(PathFromText(path), reason);
  if (file == nullptr) {
    return {false, CannotOpenMessage(path, reason), ConfigReadStatus::kCannotOpen};
  }
  // The record, the options behind it, and one byte more to tell a block that is too long.
  std::string image(kExportConfigSize + kMaxExtensionBytes + 1, '\0');
  const std::size_t count = std::fread(image.data(), 1, image.size(), file);
  // A folder opens for reading on some systems and fails only here.
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    return {false, CannotOpenMessage(path, SystemReason(error)), ConfigReadStatus::kCannotOpen};
  }
  image.resize(count);

  if (count < sizeof kSignatureBytes ||
      std::memcmp(image.data(), kSignatureBytes, sizeof kSignatureBytes) != 0) {
    return {false, kNotConfigFileMessage, ConfigReadStatus::kNotConfigFile};
  }

  // A short file replaces only the start of the record; it is judged as the record it gives.
  TExportConfig candidate = working;
  std::memcpy(&candidate, image.data(), std::min(count, kExportConfigSize));
  if (auto problem = ValidateConfig(candidate)) {
    return {false, "The configuration file \"" + path + "\" is damaged: " + *problem,
            ConfigReadStatus::kDamaged};
  }
  ConfigExtension extension;
  if (count > kExportConfigSize) {
    const std::string_view behind = std::string_view(image).substr(kExportConfigSize);
    if (auto problem = DecodeConfigExtension(behind, extension)) {
      return {false, "The configuration file \"" + path + "\" is damaged: " + *problem,
              ConfigReadStatus::kDamaged};
    }
  }
  // Both programs hold the record as the window's controls can show it; bits that mean nothing
  // are no change the user should be asked to save.
  NormalizeRecord(candidate);
  working = candidate;
  saved = candidate;
  workingExtension = extension;
  savedExtension = std::move(extension);
  return {true, "", ConfigReadStatus::kAccepted};
}

ConfigFileResult ReadConfigFile(const std::string& path, TExportConfig& working,
                                TExportConfig& saved) {
  ConfigExtension extension, savedExtension;
  return ReadConfigFile(path, working, saved, extension, savedExtension);
}

std::string WriteConfigFile(const std::string& path, const TExportConfig& working,
                            const ConfigExtension& extension) {
  std::string bytes(reinterpret_cast<const char*>(&working), kExportConfigSize);
  bytes += EncodeConfigExtension(extension);
  return WriteFileAtomically(path, bytes, SpecialFiles::kRefuse);
}

std::string WriteConfigFile(const std::string& path, const TExportConfig& working) {
  return WriteConfigFile(path, working, ConfigExtension{});
}

}  // namespace corvane
