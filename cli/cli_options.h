// The command line of corvane-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct CliOptions {
  std::string configPath;  // empty: default.crv beside the program
  std::string destFolder;  // empty: beside each drawing
  std::string reportPath;  // empty: the report goes to standard output only
  int jobs = 1;
  bool quiet = false;
  bool help = false;
  bool version = false;
  bool showConfig = false;
  bool plot = false;  // an SVG picture beside each data file
  std::vector<std::string> settings;  // NAME=VALUE, in the order given
  std::string saveConfigPath;         // empty: the configuration is not saved
  std::vector<std::string> inputs;
};

// Parses argv[1..]. Short options may be bundled ("-qj2") and take their value attached ("-j2")
// or as the next argument; long ones as "--name=value" or "--name value". An option whose value
// is empty is an error, so an unset shell variable never silently means "the default". On a
// usage error returns nothing and sets `error` to a one-line message.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kCliUsage;

}  // namespace corvane
