#include "config/config_text.h"

#include <optional>

#include "config/config_field_table.h"
#include "config/quoted_text.h"
#include "files/text_rules.h"

namespace corvane {

std::vector<std::string> DescribeConfig(const TExportConfig& config) {
  std::vector<std::string> lines;
  for (const ConfigFieldDescriptor& field : ConfigFieldDescriptors()) {
    lines.push_back(std::string(field.name) + " = " + field.show(config));
  }
  return lines;
}

std::vector<std::string> ConfigFieldNames() {
  std::vector<std::string> names;
  for (const ConfigFieldDescriptor& field : ConfigFieldDescriptors()) names.emplace_back(field.name);
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
  name = TrimBlanks(assignment.substr(0, equals));
  value = assignment.substr(equals + 1);
  return true;
}

// The value with its quotes undone; blanks around a quoted value are the paste of a shown line,
// unquoted bytes are the user's. False with `problem` set for a bad escape.
bool UnquoteValue(std::string_view raw, std::string& value, std::string& problem) {
  const std::string_view trimmed = TrimBlanks(raw);
  if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
    const auto inside = UnquoteText(trimmed.substr(1, trimmed.size() - 2), problem);
    if (!inside) return false;
    value = *inside;
    return true;
  }
  value = std::string(raw);
  return true;
}

const ConfigFieldDescriptor* FindDescriptor(std::string_view name) {
  const ConfigFieldDescriptor* field = nullptr;
  for (const ConfigFieldDescriptor& candidate : ConfigFieldDescriptors()) {
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

bool SetRecordField(TExportConfig& config, const ConfigFieldDescriptor& field, std::string_view value,
                    std::string& error) {
  // Changes go to a copy, so a refusal cannot leave half a change behind.
  TExportConfig changed = config;
  if (std::optional<std::string> problem = field.set(changed, value)) {
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
  const ConfigFieldDescriptor* field = FindDescriptor(name);
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
  const ConfigFieldDescriptor* field = FindDescriptor(name);
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
  const std::string_view trimmed = TrimBlanks(value);
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
