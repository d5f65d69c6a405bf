#include "config/entity_options.h"

#include "files/text_rules.h"

namespace corvane {

int EntityOptionOfTypeName(std::string_view typeName) {
  for (const EntityOption& option : kEntityOptions) {
    for (std::string_view name : option.typeNames) {
      if (!name.empty() && name == typeName) return option.bit;
    }
  }
  return -1;
}

int EntityOptionOfShortName(std::string_view shortName) {
  for (const EntityOption& option : kEntityOptions) {
    if (SameIgnoringAsciiCase(option.shortName, shortName)) return option.bit;
  }
  return -1;
}

std::string EntityShortNames(std::string_view separator) {
  std::string names;
  for (const EntityOption& option : kEntityOptions) {
    if (!names.empty()) names += separator;
    names += option.shortName;
  }
  return names;
}

}  // namespace corvane
