#include "config/config_extension.h"

#include <algorithm>
#include <cstring>

#include "files/file_io.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

constexpr std::string_view kSignature = "CRVX";
constexpr std::size_t kHeadBytes = 8;   // signature, version, entry count
constexpr std::size_t kEntryHead = 6;   // option number, value length

enum : std::uint16_t {
  kOptionNumberAttribute = 1,
  kOptionZAttribute = 2,
  kOptionTextAttributes = 3,
  kOptionLayers = 4,
  kOptionLayersLeftOut = 5,
  kOptionWorldCoordinates = 6,
  kOptionBlockContents = 7,
};

const std::array<ExtensionOption, kExtensionOptionCount> kOptions = {{
    {kOptionNumberAttribute, "NumberAttribute", "Point number from attribute",
     &ConfigExtension::NumberAttribute},
    {kOptionZAttribute, "ZAttribute", "Z from attribute", &ConfigExtension::ZAttribute},
    {kOptionTextAttributes, "TextAttributes", "Text value from attributes",
     &ConfigExtension::TextAttributes},
    {kOptionLayers, "Layers", "Layers to export", &ConfigExtension::Layers},
    {kOptionLayersLeftOut, "LayersLeftOut", "Layers to leave out", &ConfigExtension::LayersLeftOut},
    {kOptionWorldCoordinates, "WorldCoordinates", "World coordinates", &ConfigExtension::WorldCoordinates, true},
    {kOptionBlockContents, "BlockContents", "Points inside blocks", &ConfigExtension::BlockContents, true},
}};

void PutU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint16_t GetU16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t GetU32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

const ExtensionOption* OptionOfNumber(std::uint16_t number) {
  for (const ExtensionOption& option : kOptions) {
    if (option.number == number) return &option;
  }
  return nullptr;
}

void PutEntry(std::string& out, std::uint16_t number, std::string_view value) {
  PutU16(out, number);
  PutU32(out, static_cast<std::uint32_t>(value.size()));
  out.append(value);
}

}  // namespace

bool ConfigExtension::Empty() const {
  for (const ExtensionOption& option : kOptions) {
    if (!(this->*option.field).empty()) return false;
  }
  return unknown.empty();
}

const std::array<ExtensionOption, kExtensionOptionCount>& ExtensionOptions() { return kOptions; }

std::optional<std::string> ExtensionTextProblem(std::string_view value) {
  if (value.size() > kExtensionTextCapacity) {
    return "takes at most " + DecimalText(static_cast<long long>(kExtensionTextCapacity)) + " bytes, not " +
           DecimalText(static_cast<long long>(value.size()));
  }
  for (char c : value) {
    if (IsControlCharacter(c)) return std::string("holds a control character");
  }
  return std::nullopt;
}

std::optional<std::string> SwitchValueOf(std::string_view typed) {
  typed = TrimBlanks(typed);
  for (std::string_view yes : {"yes", "1", "true", "on"}) {
    if (SameIgnoringAsciiCase(typed, yes)) return std::string(kSwitchOn);
  }
  for (std::string_view no : {"", "no", "0", "false", "off"}) {
    if (SameIgnoringAsciiCase(typed, no)) return std::string();
  }
  return std::nullopt;
}

std::string EncodeConfigExtension(const ConfigExtension& extension) {
  if (extension.Empty()) return {};
  std::string out(kSignature);
  PutU16(out, kExtensionVersion);
  std::uint16_t count = 0;
  const std::size_t countAt = out.size();
  PutU16(out, 0);
  for (const ExtensionOption& option : kOptions) {
    const std::string& value = extension.*option.field;
    if (value.empty()) continue;
    PutEntry(out, option.number, value);
    ++count;
  }
  for (const ExtensionEntry& entry : extension.unknown) {
    PutEntry(out, entry.option, entry.value);
    ++count;
  }
  out[countAt] = static_cast<char>(count & 0xFF);
  out[countAt + 1] = static_cast<char>(count >> 8);
  return out;
}

namespace {

// What is wrong with the block's head (its size, version or entry count), if anything.
std::optional<std::string> HeadProblem(std::string_view bytes) {
  if (bytes.size() > kMaxExtensionBytes) {
    return "the options after the record take " + DecimalText(static_cast<long long>(bytes.size())) +
           " bytes, more than " + DecimalText(static_cast<long long>(kMaxExtensionBytes));
  }
  if (bytes.size() < kHeadBytes) return std::string("the options after the record are cut short");
  const std::uint16_t version = GetU16(bytes, 4);
  if (version != kExtensionVersion) {
    return "the options after the record have the version " + DecimalText(version) +
           ", which this Corvane does not know (it reads version " + DecimalText(kExtensionVersion) + ")";
  }
  const std::uint16_t count = GetU16(bytes, 6);
  // Every entry takes its head at the least: a count beyond that is no count at all.
  if (static_cast<std::size_t>(count) * kEntryHead > bytes.size() - kHeadBytes) {
    return "the options after the record are cut short: " + DecimalText(count) + " entries do not fit in " +
           DecimalText(static_cast<long long>(bytes.size() - kHeadBytes)) + " bytes";
  }
  return std::nullopt;
}

// Reads the entry at `at` into `read` and moves `at` past it; what is wrong with it otherwise.
std::optional<std::string> DecodeEntry(std::string_view bytes, std::size_t& at, std::vector<std::uint16_t>& seen,
                                       ConfigExtension& read) {
  if (bytes.size() - at < kEntryHead) return std::string("the options after the record are cut short");
  const std::uint16_t number = GetU16(bytes, at);
  const std::uint32_t length = GetU32(bytes, at + 2);
  at += kEntryHead;
  if (length > bytes.size() - at) {
    return "the option " + DecimalText(number) + " after the record is cut short: it needs " +
           DecimalText(length) + " bytes, " + DecimalText(static_cast<long long>(bytes.size() - at)) + " are left";
  }
  const std::string_view value = bytes.substr(at, length);
  at += length;
  if (std::find(seen.begin(), seen.end(), number) != seen.end()) {
    return "the option " + DecimalText(number) + " after the record is given twice";
  }
  seen.push_back(number);
  if (const ExtensionOption* option = OptionOfNumber(number)) {
    if (const auto problem = ExtensionTextProblem(value)) return std::string(option->name) + " " + *problem;
    if (value.empty() || TrimBlanks(value).size() != value.size()) {
      return std::string(option->name) + " is empty or has blanks around it";
    }
    if (option->isSwitch && value != kSwitchOn) {
      return std::string(option->name) + " holds something other than " + std::string(kSwitchOn);
    }
    read.*option->field = std::string(value);
  } else if (number & kExtensionRequiredBit) {
    return "the option " + DecimalText(number) + " after the record needs a newer Corvane";
  } else {
    read.unknown.push_back({number, std::string(value)});
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DecodeConfigExtension(std::string_view bytes, ConfigExtension& extension) {
  if (bytes.empty()) {
    extension = ConfigExtension{};
    return std::nullopt;
  }
  const std::size_t signatureSeen = std::min(bytes.size(), kSignature.size());
  if (bytes.substr(0, signatureSeen) != kSignature.substr(0, signatureSeen)) {
    // Not an extension: whatever a hand or another program left behind the record.
    extension = ConfigExtension{};
    return std::nullopt;
  }
  if (auto problem = HeadProblem(bytes)) return problem;
  const std::uint16_t count = GetU16(bytes, 6);
  ConfigExtension read;
  std::size_t at = kHeadBytes;
  std::vector<std::uint16_t> seen;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (auto problem = DecodeEntry(bytes, at, seen, read)) return problem;
  }
  if (at != bytes.size()) {
    return "the options after the record are followed by " + DecimalText(static_cast<long long>(bytes.size() - at)) +
           " bytes that belong to none";
  }
  extension = std::move(read);
  return std::nullopt;
}

AttributeTags AttributeTagsOf(const ConfigExtension& extension) {
  AttributeTags tags;
  tags.number = extension.NumberAttribute;
  tags.z = extension.ZAttribute;
  const std::string_view text = TrimBlanks(extension.TextAttributes);
  if (text == "*") {
    tags.allText = true;
  } else if (!text.empty()) {
    std::string_view rest = text;
    for (;;) {
      const std::size_t comma = rest.find(',');
      tags.text.emplace_back(TrimBlanks(rest.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return tags;
}

}  // namespace corvane
