#include "config/export_config.h"

#include <cstring>
#include <string>
#include <type_traits>

#include "files/text_rules.h"

namespace corvane {

static_assert(std::is_trivially_copyable_v<TExportConfig>,
              "the record is copied and compared as a plain block of bytes");

bool SameConfig(const TExportConfig& a, const TExportConfig& b) {
  return std::memcmp(&a, &b, kExportConfigSize) == 0;
}

void InvalidateSavedConfig(TExportConfig& saved) {
  // Length 5 and "error": the seventh signature byte is left alone on purpose, so only the
  // six bytes that make the signature unequal to "CRV200" change.
  static constexpr unsigned char kError[6] = {0x05, 0x65, 0x72, 0x72, 0x6F, 0x72};
  std::memcpy(&saved, kError, sizeof kError);
}

void NormalizeRecord(TExportConfig& config) {
  config.EntityMask &= kAllEntityOptions;
  // Block names are typed into a box whose blanks and control characters at either end mean
  // nothing; a hand-made file may still hold them. The text moves to the field's start as a
  // typed one would, and the bytes past it stay as they were.
  const std::string_view names = config.BlockNames.view();
  const std::string_view trimmed = TrimBlanks(names);
  if (trimmed.size() != names.size()) {
    const std::string kept(trimmed);
    config.BlockNames.assign(kept);
  }
}

TExportConfig ZeroConfig() {
  TExportConfig config;
  std::memset(&config, 0, kExportConfigSize);
  return config;
}

}  // namespace corvane
