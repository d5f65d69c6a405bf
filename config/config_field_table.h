// The record's fields as "Name = value" lines show them and "Name=value" texts change them: one
// descriptor per shown line, in record order, each holding its field's rules.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"

namespace corvane {

struct ConfigFieldDescriptor {
  std::string_view name;
  std::function<std::string(const TExportConfig&)> show;
  // Changes the record from the value (quotes already undone) or tells why it cannot: the
  // refusal's text after the field's name.
  std::function<std::optional<std::string>(TExportConfig&, std::string_view)> set;
};

const std::vector<ConfigFieldDescriptor>& ConfigFieldDescriptors();

// A refused value as error texts quote it: cut after a few dozen bytes, so a runaway argument
// cannot flood the terminal.
std::string QuoteShort(std::string_view text);

}  // namespace corvane
