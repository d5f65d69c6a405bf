#include "config/config_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "config/entity_options.h"
#include "config/field_tables.h"
#include "config/quoted_text.h"
#include "files/file_io.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

// Codes of the lines of the field-name list and of the custom-item list.
template <typename Row, std::size_t N>
constexpr std::array<std::string_view, N> NamesOf(const std::array<Row, N>& rows) {
  std::array<std::string_view, N> names{};
  for (std::size_t i = 0; i < N; ++i) names[i] = rows[i].name;
  return names;
}
constexpr std::array<std::string_view, kFieldCount> kFieldCodes = NamesOf(kFieldKinds);
constexpr std::array<std::string_view, kCustomItemCount> kCustomCodes = NamesOf(kCustomItems);

// A row shown with this mark before its code is in the list but not ticked.
constexpr char kUntickedMark = '-';

// Error texts show at most this many bytes of a refused value, so a runaway argument
// cannot flood the terminal.
constexpr std::size_t kShownValueLimit = 60;

using Problem = std::optional<std::string>;  // a refusal's text after the field's name

// Blanks and control characters, as the window trims its boxes.
constexpr std::string_view Trim(std::string_view s) { return TrimBlanks(s); }

std::string QuoteShort(std::string_view text) {
  if (text.size() <= kShownValueLimit) return QuoteText(text);
  return QuoteText(text.substr(0, kShownValueLimit)) + "...";
}

// A whole number of optional sign and digits within [low, high] (a range of 32-bit values);
// nothing when it is not one.
std::optional<std::int32_t> ParseInt32InRange(std::string_view text, bool signAllowed, std::int64_t low,
                                              std::int64_t high) {
  if (!signAllowed && !text.empty() && (text[0] == '-' || text[0] == '+')) return std::nullopt;
  const std::optional<std::int32_t> value = ParseInt32(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

std::string RangeText(std::int64_t low, std::int64_t high) {
  return "a whole number from " + DecimalText(low) + " to " + DecimalText(high);
}

std::vector<std::string_view> SplitCommas(std::string_view list) {
  std::vector<std::string_view> items;
  for (;;) {
    const std::size_t comma = list.find(',');
    items.push_back(Trim(list.substr(0, comma)));
    if (comma == std::string_view::npos) return items;
    list.remove_prefix(comma + 1);
  }
}

template <std::size_t N>
std::string JoinNames(const std::array<std::string_view, N>& names) {
  std::string out;
  for (std::string_view name : names) {
    if (!out.empty()) out += ", ";
    out += name;
  }
  return out;
}

template <std::size_t N>
int FindName(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (SameIgnoringAsciiCase(names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

// ---- One descriptor per shown line ---------------------------------------------------------

struct FieldDescriptor {
  std::string_view name;
  std::function<std::string(const TExportConfig&)> show;
  // Changes the record from the value (quotes already undone) or tells why it cannot.
  std::function<Problem(TExportConfig&, std::string_view)> set;
};

enum class TextRule { kAsIs, kTrimmed, kExtension, kForcedZ };

template <std::size_t N>
FieldDescriptor Text(std::string_view name, ShortText<N> TExportConfig::*field,
                     TextRule rule = TextRule::kAsIs) {
  return {
      name, [field](const TExportConfig& c) { return QuoteText((c.*field).view()); },
      [field, rule](TExportConfig& c, std::string_view value) -> Problem {
        if (rule == TextRule::kTrimmed) value = Trim(value);
        if (rule == TextRule::kForcedZ) {
          value = Trim(value);
          // As the window's box: emptied, it stands for a Z of 0.
          if (value.empty()) value = kForcedZWhenEmpty;
          for (char ch : value) {
            if ((ch < '0' || ch > '9') && ch != '.') {
              return " takes digits and \".\" only, not " + QuoteShort(value);
            }
          }
        }
        if (rule == TextRule::kExtension) {
          if (!IsUsableExtension(value)) {
            return " cannot hold \"/\", \"\\\", \":\" or control characters, as in " +
                   QuoteShort(value);
          }
        }
        if (value.size() > N) {
          return " takes at most " + DecimalText(N) + " bytes; " + QuoteShort(value) + " has " +
                 DecimalText(static_cast<long long>(value.size()));
        }
        (c.*field).assign(value);
        return std::nullopt;
      }};
}

// `whenEmpty`: what an emptied box stands for; without it an empty value is refused.
FieldDescriptor Integer(std::string_view name, std::int32_t TExportConfig::*field, bool signAllowed,
                        std::int64_t low, std::int64_t high,
                        std::optional<std::int32_t> whenEmpty = std::nullopt) {
  return {name, [field](const TExportConfig& c) { return DecimalText(c.*field); },
          [=](TExportConfig& c, std::string_view value) -> Problem {
            value = Trim(value);
            if (value.empty() && whenEmpty) {
              c.*field = *whenEmpty;
              return std::nullopt;
            }
            const auto number = ParseInt32InRange(value, signAllowed, low, high);
            if (!number) return " takes " + RangeText(low, high) + ", not " + QuoteShort(value);
            c.*field = *number;
            return std::nullopt;
          }};
}

FieldDescriptor YesNo(std::string_view name, std::uint8_t TExportConfig::*field) {
  return {name, [field](const TExportConfig& c) { return std::string(c.*field ? "yes" : "no"); },
          [field](TExportConfig& c, std::string_view value) -> Problem {
            value = Trim(value);
            static constexpr std::array<std::string_view, 4> kYes = {"yes", "1", "true", "on"};
            static constexpr std::array<std::string_view, 4> kNo = {"no", "0", "false", "off"};
            if (FindName(kYes, value) >= 0) {
              c.*field = 1;
            } else if (FindName(kNo, value) >= 0) {
              c.*field = 0;
            } else {
              return " takes yes or no (or 1/0, true/false, on/off), not " + QuoteShort(value);
            }
            return std::nullopt;
          }};
}

FieldDescriptor Entities() {
  return {"Entities",
          [](const TExportConfig& c) {
            std::string out;
            for (int bit = 0; bit < kEntityOptionCount; ++bit) {
              if (!(c.EntityMask & EntityBitValue(bit))) continue;
              if (!out.empty()) out += ',';
              out += EntityOptionOf(bit).shortName;
            }
            return out.empty() ? std::string("none") : out;
          },
          [](TExportConfig& c, std::string_view value) -> Problem {
            if (Trim(value).empty()) return " needs options separated by commas, or all, or none";
            std::uint32_t mask = 0;
            for (std::string_view item : SplitCommas(value)) {
              if (SameIgnoringAsciiCase(item, "all")) {
                mask |= kAllEntityOptions;
              } else if (!SameIgnoringAsciiCase(item, "none")) {
                const int bit = EntityOptionOfShortName(item);
                if (bit < 0) {
                  return " has no option " + QuoteShort(item) + "; the options are " +
                         EntityShortNames(", ") + ", all, none";
                }
                mask |= EntityBitValue(bit);
              }
            }
            c.EntityMask = mask;
            return std::nullopt;
          }};
}

// A list of rows shown by code: `order[k]` is the code index of row k, `checked[k]` its tick.
template <std::size_t N>
std::string ShowRows(const std::int32_t (&order)[N], const std::uint8_t (&checked)[N],
                     const std::array<std::string_view, N>& codes) {
  std::string out;
  for (std::size_t k = 0; k < N; ++k) {
    if (k > 0) out += ',';
    if (!checked[k]) out += kUntickedMark;
    const std::int32_t index = order[k];
    out += (index >= 0 && static_cast<std::size_t>(index) < N)
               ? std::string(codes[static_cast<std::size_t>(index)])
               : DecimalText(index);
  }
  return out;
}

template <std::size_t N>
Problem SetRows(std::int32_t (&rowOrder)[N], std::uint8_t (&rowChecked)[N],
                const std::array<std::string_view, N>& codes, std::string_view value) {
  const std::string usage = "the codes are " + JoinNames(codes) + ", each at most once, \"" +
                            std::string(1, kUntickedMark) + "\" before a code leaving it unticked";
  if (Trim(value).empty()) return " needs codes separated by commas, or none; " + usage;
  std::array<std::int32_t, N> order{};
  std::array<std::uint8_t, N> checked{};
  std::array<bool, N> placed{};
  std::size_t count = 0;
  auto place = [&](std::size_t index, bool tick) {
    placed[index] = true;
    order[count] = static_cast<std::int32_t>(index);
    checked[count] = tick ? 1 : 0;
    ++count;
  };
  if (!SameIgnoringAsciiCase(Trim(value), "none")) {
    for (std::string_view item : SplitCommas(value)) {
      const bool tick = item.empty() || item.front() != kUntickedMark;
      const std::string_view code = tick ? item : Trim(item.substr(1));
      const int index = FindName(codes, code);
      if (index < 0) return " has no code " + QuoteShort(code) + "; " + usage;
      const auto i = static_cast<std::size_t>(index);
      if (placed[i]) return " lists " + std::string(codes[i]) + " twice; " + usage;
      place(i, tick);
    }
  }
  // The rest keep their present order; a damaged order cannot lose a row.
  for (std::int32_t index : rowOrder) {
    const auto i = static_cast<std::size_t>(index);
    if (index >= 0 && i < N && !placed[i]) place(i, false);
  }
  for (std::size_t i = 0; i < N; ++i) {
    if (!placed[i]) place(i, false);
  }
  std::copy(order.begin(), order.end(), rowOrder);
  std::copy(checked.begin(), checked.end(), rowChecked);
  return std::nullopt;
}

template <std::size_t N>
FieldDescriptor Rows(std::string_view name, std::int32_t (TExportConfig::*order)[N],
                     std::uint8_t (TExportConfig::*checked)[N],
                     const std::array<std::string_view, N>& codes) {
  return {name,
          [=, &codes](const TExportConfig& c) { return ShowRows(c.*order, c.*checked, codes); },
          [=, &codes](TExportConfig& c, std::string_view value) {
            return SetRows(c.*order, c.*checked, codes, value);
          }};
}

const std::vector<FieldDescriptor>& Descriptors() {
  using C = TExportConfig;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  static const std::vector<FieldDescriptor> table = {
      Text("FieldSeparator", &C::FieldSeparator),
      Text("FileExtension", &C::FileExtension, TextRule::kExtension),
      Entities(),
      Text("BlockNames", &C::BlockNames, TextRule::kTrimmed),
      Rows("Fields", &C::FieldOrder, &C::FieldChecked, kFieldCodes),
      Rows("CustomItems", &C::CustomOrder, &C::CustomChecked, kCustomCodes),
      Text("NumberPrefix", &C::NumberPrefix),
      // The window's box keeps digits only and stands for 1 when emptied.
      Integer("StartNumber", &C::StartNumber, false, 0, kMax, 1),
      Text("XPrefix", &C::XPrefix),
      Integer("XDecimals", &C::XDecimals, false, 0, kMaxDecimals),
      Text("YPrefix", &C::YPrefix),
      Integer("YDecimals", &C::YDecimals, false, 0, kMaxDecimals),
      Text("ZPrefix", &C::ZPrefix),
      Integer("ZDecimals", &C::ZDecimals, false, 0, kMaxDecimals),
      YesNo("ForceZ", &C::ForceZ),
      Text("ForcedZValue", &C::ForcedZValue, TextRule::kForcedZ),
      Text("CustomPrefix", &C::CustomPrefix),
      Text("CustomSeparator", &C::CustomSeparator),
      Integer("SequenceStart", &C::SequenceStart, true, kMin, kMax, 0),
      Integer("EntityNumberStart", &C::EntityNumberStart, true, kMin, kMax, 0),
      Text("CustomLabel", &C::CustomLabel),
      YesNo("IncludeHeader", &C::IncludeHeader),
  };
  return table;
}

}  // namespace

std::vector<std::string> DescribeConfig(const TExportConfig& config) {
  std::vector<std::string> lines;
  for (const FieldDescriptor& field : Descriptors()) {
    lines.push_back(std::string(field.name) + " = " + field.show(config));
  }
  return lines;
}

std::vector<std::string> ConfigFieldNames() {
  std::vector<std::string> names;
  for (const FieldDescriptor& field : Descriptors()) names.emplace_back(field.name);
  return names;
}

namespace {

// The name of "Name=value" and the value as given; false with `error` set without "=".
bool SplitAssignment(std::string_view assignment, std::string_view& name, std::string_view& value,
                     std::string& error) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    error = "expected NAME=VALUE, not " + QuoteShort(assignment);
    return false;
  }
  name = Trim(assignment.substr(0, equals));
  value = assignment.substr(equals + 1);
  return true;
}

// The value with its quotes undone; blanks around a quoted value are the paste of a shown line,
// unquoted bytes are the user's. False with `problem` set for a bad escape.
bool UnquoteValue(std::string_view raw, std::string& value, std::string& problem) {
  const std::string_view trimmed = Trim(raw);
  if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
    const auto inside = UnquoteText(trimmed.substr(1, trimmed.size() - 2), problem);
    if (!inside) return false;
    value = *inside;
    return true;
  }
  value = std::string(raw);
  return true;
}

const FieldDescriptor* FindDescriptor(std::string_view name) {
  const FieldDescriptor* field = nullptr;
  for (const FieldDescriptor& candidate : Descriptors()) {
    if (SameIgnoringAsciiCase(candidate.name, name)) field = &candidate;
  }
  return field;
}

const ExtensionOption* FindExtensionOption(std::string_view name) {
  for (const ExtensionOption& option : ExtensionOptions()) {
    if (SameIgnoringAsciiCase(option.name, name)) return &option;
  }
  return nullptr;
}

std::string UnknownFieldText(std::string_view name, const std::vector<std::string>& known) {
  std::string list;
  for (const std::string& n : known) list += (list.empty() ? "" : ", ") + n;
  return "there is no configuration field " + QuoteShort(name) + "; the fields are " + list;
}

bool SetRecordField(TExportConfig& config, const FieldDescriptor& field, std::string_view value,
                    std::string& error) {
  // Changes go to a copy, so a refusal cannot leave half a change behind.
  TExportConfig changed = config;
  if (Problem problem = field.set(changed, value)) {
    error = std::string(field.name) + *problem;
    return false;
  }
  changed.Signature.assign(kConfigSignature);
  NormalizeRecord(changed);
  config = changed;
  return true;
}

}  // namespace

bool SetConfigField(TExportConfig& config, std::string_view assignment, std::string& error) {
  std::string_view name, raw;
  if (!SplitAssignment(assignment, name, raw, error)) return false;
  const FieldDescriptor* field = FindDescriptor(name);
  if (field == nullptr) {
    error = UnknownFieldText(name, ConfigFieldNames());
    return false;
  }
  std::string value, problem;
  if (!UnquoteValue(raw, value, problem)) {
    error = std::string(field->name) + ": " + problem;
    return false;
  }
  return SetRecordField(config, *field, value, error);
}

bool SetConfigField(TExportConfig& config, ConfigExtension& extension, std::string_view assignment,
                    std::string& error) {
  std::string_view name, raw;
  if (!SplitAssignment(assignment, name, raw, error)) return false;
  const FieldDescriptor* field = FindDescriptor(name);
  const ExtensionOption* option = field == nullptr ? FindExtensionOption(name) : nullptr;
  if (field == nullptr && option == nullptr) {
    error = UnknownFieldText(name, AllConfigFieldNames());
    return false;
  }
  const std::string_view shownName = field != nullptr ? field->name : option->name;
  std::string value, problem;
  if (!UnquoteValue(raw, value, problem)) {
    error = std::string(shownName) + ": " + problem;
    return false;
  }
  if (field != nullptr) return SetRecordField(config, *field, value, error);
  if (auto problem = SetExtensionOption(extension, *option, value)) {
    error = std::move(*problem);
    return false;
  }
  return true;
}

std::optional<std::string> SetExtensionOption(ConfigExtension& extension, const ExtensionOption& option,
                                              std::string_view value) {
  const std::string_view trimmed = Trim(value);
  if (option.isSwitch) {
    std::optional<std::string> on = SwitchValueOf(trimmed);
    if (!on) return std::string(option.name) + " takes yes or no (or 1/0, true/false, on/off), not " + QuoteShort(trimmed);
    extension.*option.field = std::move(*on);
    return std::nullopt;
  }
  if (const auto problem = ExtensionTextProblem(trimmed)) return std::string(option.name) + " " + *problem;
  extension.*option.field = std::string(trimmed);
  return std::nullopt;
}

std::vector<std::string> AllConfigFieldNames() {
  std::vector<std::string> names = ConfigFieldNames();
  for (const ExtensionOption& option : ExtensionOptions()) names.emplace_back(option.name);
  return names;
}

std::vector<std::string> DescribeConfig(const TExportConfig& config, const ConfigExtension& extension) {
  std::vector<std::string> lines = DescribeConfig(config);
  for (const ExtensionOption& option : ExtensionOptions()) {
    const std::string& value = extension.*option.field;
    if (!value.empty()) lines.push_back(std::string(option.name) + " = " + QuoteText(value));
  }
  return lines;
}

}  // namespace corvane
