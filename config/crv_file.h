// Reading and writing ".crv" configuration files: the raw 576-byte image of TExportConfig.
// Nothing here shows a message; the desktop program puts the texts in message boxes and the
// command-line tool prints them.
#pragma once

#include <optional>
#include <string>

#include "config/config_extension.h"
#include "config/export_config.h"

namespace corvane {

enum class ConfigReadStatus {
  kAccepted,
  kCannotOpen,     // the file could not be opened or read; message from CannotOpenMessage
  kNotConfigFile,  // wrong or missing signature; message is kNotConfigFileMessage
  kDamaged,        // signature right, but the record it gives fails ValidateConfig
};

struct ConfigFileResult {
  bool accepted = false;
  // The exact user text when not accepted, without a final full stop. The error box adds the
  // full stop to kCannotOpen and kDamaged texts; kNotConfigFile is shown as it stands.
  std::string message;
  ConfigReadStatus status = ConfigReadStatus::kAccepted;
};

inline constexpr const char* kNotConfigFileMessage =
    "This is not a Corvane 2.0 configuration file";

// The first problem of the record in field order, as a sentence that starts with the field's
// name (e.g. "FieldOrder holds 0, 1, 1, 3, 4; it must be a permutation of 0 to 4"), or nothing
// when every length byte is within its capacity, both orders are permutations and every
// decimals count is 0 to 14. Booleans, the entity mask and reserved bytes are not judged.
std::optional<std::string> ValidateConfig(const TExportConfig& config);

// Accepts a file whose first 7 bytes are 06 "CRV200". Its first 576 bytes (fewer when the
// file is shorter; the rest of the record keeps its bytes) are laid over a copy of `working`;
// when that copy validates, it is normalised (NormalizeRecord) and becomes both `working` and `saved`.
// On any refusal both records keep every byte.
ConfigFileResult ReadConfigFile(const std::string& path, TExportConfig& working,
                                TExportConfig& saved);

// The same with the options that follow the record (config/config_extension.h): a damaged
// extension refuses the whole file (kDamaged, naming the file), so that neither the record nor
// the options are half loaded; a file without one gives empty options. On any refusal all four
// keep every byte.
ConfigFileResult ReadConfigFile(const std::string& path, TExportConfig& working, TExportConfig& saved,
                                ConfigExtension& workingExtension, ConfigExtension& savedExtension);

// Writes the 576 bytes of `working` to `path`, replacing any file there. The bytes go to a
// temporary file in the same folder that is then renamed over the target, so a failed save
// leaves the previous file as it was. Only a regular file is saved: a FIFO or a device there is
// refused, never written to (it would hold up the program and could not be read back). Returns
// "" on success, else the "Cannot create file" message. `saved` is the caller's business: it copies the record once the save is recorded.
std::string WriteConfigFile(const std::string& path, const TExportConfig& working);

// The record followed by the extension block when an option beyond the record is set; with none
// set, exactly the 576 bytes above.
std::string WriteConfigFile(const std::string& path, const TExportConfig& working,
                            const ConfigExtension& extension);

}  // namespace corvane
