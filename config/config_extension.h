// Export choices that the 576-byte record has no room for: a block's attributes as the point's
// number, Z and text value, the layers to export or leave out, points in world coordinates and
// the points inside inserted blocks. In a ".crv" file they follow the
// record in an extension block, written only when one of them is set, so a configuration without
// them keeps its 576 bytes, and a program that reads only the record still loads the file.
//
// The block, after byte 576 (integers little-endian):
//   4 bytes  "CRVX"
//   2 bytes  version of the block's layout: 1
//   2 bytes  number of entries
//   entries, one after another up to the end of the file, each
//     2 bytes  option number (kExtensionOption*); from 0x8000 up: an option a reader must know,
//              since ignoring it would change what the run writes
//     4 bytes  length of the value in bytes
//     the value (texts: their bytes, without a length byte)
// A later option gets a number of its own; numbers below 0x8000 that a reader does not know are
// kept as they came and written back, so a file passed through an older program loses nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr std::size_t kExtensionTextCapacity = 1000;
// Beyond this, a file is no configuration anyone wrote: it is refused before it is read whole.
inline constexpr std::size_t kMaxExtensionBytes = 64 * 1024;
inline constexpr std::uint16_t kExtensionVersion = 1;
inline constexpr std::uint16_t kExtensionRequiredBit = 0x8000;

// An entry the program does not know, kept for writing back.
struct ExtensionEntry {
  std::uint16_t option = 0;
  std::string value;
  bool operator==(const ExtensionEntry&) const = default;
};

// Each text is trimmed and holds no control character; empty means the option is off.
struct ConfigExtension {
  std::string NumberAttribute;  // tag of the attribute that gives the "N" field
  std::string ZAttribute;       // tag of the attribute that gives Z
  std::string TextAttributes;   // tags, comma-separated, or "*": the custom item "text value"
  std::string Layers;           // layer patterns to export (empty: every layer)
  std::string LayersLeftOut;    // layer patterns to leave out
  // Switches: "yes" when on, empty when off.
  std::string WorldCoordinates;  // points stored in an entity's own plane are written in world coordinates
  std::string BlockContents;     // an insertion also writes the points of its block's entities
  std::vector<ExtensionEntry> unknown;

  bool Empty() const;
  bool operator==(const ConfigExtension&) const = default;
};

// The options by name, in the order they are shown (--show-config, the report, the window).
struct ExtensionOption {
  std::uint16_t number;                 // option number in the file
  std::string_view name;                // --set and --show-config name
  std::string_view label;               // the report's and the window's caption
  std::string ConfigExtension::*field;
  bool isSwitch = false;                // on ("yes") or off (empty) rather than a text
};
inline constexpr std::size_t kExtensionOptionCount = 7;
// The value a switch holds when on.
inline constexpr std::string_view kSwitchOn = "yes";
const std::array<ExtensionOption, kExtensionOptionCount>& ExtensionOptions();

// The block as it follows the record: empty when no option is set and nothing unknown was kept.
std::string EncodeConfigExtension(const ConfigExtension& extension);

// Reads the bytes behind the record. Bytes that do not begin with the signature are not an
// extension (older files may carry anything there) and give an empty one; a prefix of the
// signature is a block cut short. On a damaged block, returns the reason (naming no file) and
// leaves `extension` as it was.
std::optional<std::string> DecodeConfigExtension(std::string_view bytes, ConfigExtension& extension);

// Why `value` cannot be the text of an option (too long, a control character), or nothing.
std::optional<std::string> ExtensionTextProblem(std::string_view value);

// The value a switch stores for what a user typed: "yes" for yes, 1, true or on, empty for no, 0,
// false, off or nothing; nothing at all for any other text.
std::optional<std::string> SwitchValueOf(std::string_view typed);

inline bool WorldCoordinatesOn(const ConfigExtension& extension) { return !extension.WorldCoordinates.empty(); }
inline bool BlockContentsOn(const ConfigExtension& extension) { return !extension.BlockContents.empty(); }

// The layers to export and to leave out, and whether attribute tags are asked for: the three
// tags as given, and the text value's tags split at commas ("*" alone: every attribute).
struct AttributeTags {
  std::string number, z;
  std::vector<std::string> text;
  bool allText = false;
  bool Any() const { return !number.empty() || !z.empty() || allText || !text.empty(); }
};
AttributeTags AttributeTagsOf(const ConfigExtension& extension);

}  // namespace corvane
