// Configuration files come from other people's machines: any bytes, any length, through
// ReadConfigFile, the options block behind the record included. Never a crash or a read out of
// bounds; an accepted record and its options written back and read again give the same record and
// options; a refused file leaves the records and options in hand as they were.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/crv_file.h"
#include "config/default_config.h"

namespace {

// Files in memory where the system has such a folder: the round trip saves through a temporary
// file and flushes it to disk, which on a real disk would dominate the run.
std::string ScratchFolder() {
  std::error_code ec;
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
  const std::filesystem::path dir = base / ("corvane-fuzz-crv-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir.string();
}

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_crv_file: %s\n", what);
  std::abort();
}

bool SameBytes(const corvane::TExportConfig& a, const corvane::TExportConfig& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = ScratchFolder();
  static const std::string input = folder + "/input.crv";
  static const std::string copy = folder + "/copy.crv";

  std::FILE* f = std::fopen(input.c_str(), "wb");
  if (f == nullptr) Fail("cannot write the scratch file");
  if (size > 0 && std::fwrite(data, 1, size, f) != size) Fail("cannot write the scratch file");
  std::fclose(f);

  // A record in hand that differs from anything a short file could leave behind unnoticed.
  corvane::TExportConfig working = corvane::MakeDefaultConfig();
  working.XDecimals = 7;
  corvane::TExportConfig saved = corvane::MakeDefaultConfig();
  const corvane::TExportConfig workingBefore = working;
  const corvane::TExportConfig savedBefore = saved;
  corvane::ConfigExtension extension, savedExtension;
  extension.Layers = "IN HAND";
  const corvane::ConfigExtension extensionBefore = extension;

  const corvane::ConfigFileResult read = corvane::ReadConfigFile(input, working, saved, extension, savedExtension);
  if (!read.accepted) {
    if (!SameBytes(working, workingBefore) || !SameBytes(saved, savedBefore)) {
      Fail("a refused file changed the records in hand");
    }
    if (!(extension == extensionBefore) || !savedExtension.Empty()) Fail("a refused file changed the options in hand");
    if (read.message.empty()) Fail("a refusal without a message");
    return 0;
  }
  if (!SameBytes(working, saved)) Fail("an accepted file left the saved record behind");
  if (!(extension == savedExtension)) Fail("an accepted file left the saved options behind");
  if (corvane::ValidateConfig(working)) Fail("an accepted record does not validate");
  corvane::TExportConfig normal = working;
  corvane::NormalizeRecord(normal);
  if (!SameBytes(normal, working)) Fail("an accepted record is not the normalised one");

  const std::string error = corvane::WriteConfigFile(copy, working, extension);
  if (!error.empty()) Fail("the accepted record could not be written back");
  corvane::TExportConfig again = corvane::MakeDefaultConfig();
  corvane::TExportConfig againSaved = again;
  corvane::ConfigExtension againExtension, againSavedExtension;
  if (!corvane::ReadConfigFile(copy, again, againSaved, againExtension, againSavedExtension).accepted) {
    Fail("the written record was refused");
  }
  if (!SameBytes(again, working)) Fail("the written record reads back different");
  if (!(againExtension == extension)) Fail("the written options read back different");
  return 0;
}
