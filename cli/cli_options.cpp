#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "config/config_extension.h"
#include "config/entity_options.h"
#include "config/field_tables.h"

namespace corvane {

namespace {

const char* const kUsageBeforeEntities =
    "Usage: corvane-cli [OPTIONS] INPUT...\n"
    "Converts DXF drawings into point lists: one data file per drawing, and a run report.\n"
    "\n"
    "INPUT is a DXF file, or a folder standing for its *.dxf files (any letter case, hidden\n"
    "files left out), taken in name order.\n"
    "\n"
    "Options:\n"
    "  -c, --config FILE.crv    export configuration (default: default.crv beside the program)\n"
    "  -d, --dest DIR           folder for the data files (default: the folder of each drawing)\n"
    "  -r, --report FILE        also write the run report to FILE\n"
    "  -j, --jobs N             convert up to N files at once (default 1); output is identical\n"
    "  -q, --quiet              print only errors\n"
    "      --plot               also draw each drawing's exported points as an SVG picture\n"
    "                           beside its data file (same name, extension .svg): marks\n"
    "                           coloured by entity type (a density raster above 50,000\n"
    "                           points), a legend with the report's counts, the extent. It\n"
    "                           never replaces a drawing, the report, a configuration in\n"
    "                           use, a file of the program or a file of the run; a picture\n"
    "                           that fails is named in the report and leaves no file\n"
    "      --show-config        print the configuration (after any --set) as Name = value\n"
    "                           lines, and exit\n"
    "      --set NAME=VALUE     change one configuration field for this run; repeatable, applied\n"
    "                           in order; names as --show-config prints them, any letter case\n"
    "      --save-config FILE.crv  save the configuration (after any --set) to FILE.crv, a\n"
    "                           regular file that is no drawing, report, data file or\n"
    "                           picture of the run, nor a file of the program\n"
    "  -h, --help               show this help\n"
    "      --version            show the version\n"
    "\n"
    "Examples of --set:\n";

// The entity options' names, as many on a line as fit, from the options' table.
std::string EntitiesHelp() {
  constexpr std::size_t kWidth = 92;
  std::string text, line = "  Entities=points,lines,...  options:";
  for (const EntityOption& option : kEntityOptions) {
    if (line.size() + 1 + option.shortName.size() > kWidth) {
      text += line + "\n";
      line = std::string(28, ' ');
    }
    line += ' ';
    line += option.shortName;
  }
  return text + line + ", or all, or none\n";
}

const char* const kUsageAfterEntities =
    "  Fields=N,X,Y,Z,C           exported fields in this order (N number, X, Y, Z, C custom\n"
    "                             data); \"-CODE\" keeps a row unticked; fields not listed are\n"
    "                             not exported\n"
    ;
// The options beyond the record, from their table.
std::string ExtensionHelp() {
  std::string text =
      "  Survey point blocks, layers, world coordinates and the points inside blocks (saved\n"
      "  after the record in the .crv, only when set):\n";
  for (const ExtensionOption& option : ExtensionOptions()) {
    std::string line = "  " + std::string(option.name) + "=";
    line.resize(std::max<std::size_t>(line.size() + 1, 29), ' ');
    text += line + std::string(option.label) + "\n";
  }
  return text +
         "                             (attribute tags, e.g. PNT, ELEV, DESC,CODE or *; layer lists\n"
         "                             as BlockNames; empty: off; WorldCoordinates and\n"
         "                             BlockContents take yes or no, default no)\n";
}

const char* const kUsageAfterCustomItems =
    "  XDecimals=2   FieldSeparator=;   IncludeHeader=yes   BlockNames=TREE*,POLE?\n"
    "  A value in double quotes may use \\t \\n \\r \\\" \\\\ \\xHH; quote it for the shell too:\n"
    "  --set 'FieldSeparator=\"\\t\"'\n"
    "\n"
    "With --save-config and no INPUT the configuration is saved and nothing is converted.\n"
    "\n"
    "Exit status: 0 all files converted, 1 a file got an error, the run was stopped or its\n"
    "report could not be written, 2 usage or configuration error. Ctrl-C (or SIGTERM, SIGHUP)\n"
    "stops the run: the file in hand keeps its lines and the report is completed; a second\n"
    "one ends the program at once.\n"
    "\n"
    "Files:\n"
    "  corvane-cli writes the data files (beside each drawing, or in --dest) and a report only\n"
    "  where --report says. A data file or picture whose file has other names (hard links) is\n"
    "  not written: those names would change with it; the drawing gets an error line. Where the desktop program corvane keeps its files depends on the\n"
    "  copy:\n"
    "\n"
    "  A portable copy (a build folder, an unpacked zip) keeps everything in its own folder:\n"
    "  the lookup lists corvane2.dat, corvane.dat and hints.dat, default.crv and the help page\n"
    "  help_corvane2.html, the run report CorvaneLog.txt, and the configurations folder\n"
    "  configurations/.\n"
    "\n"
#if defined(_WIN32)
    "  An installed copy (a file named \"installed\" beside the program; the installer puts\n"
    "  the program in %LOCALAPPDATA%\\Programs\\Corvane\\) keeps the lookup lists, default.crv\n"
    "  and the help page beside the program, and the report and the configurations in the\n"
    "  user's data folder:\n"
    "\n"
    "    report           %LOCALAPPDATA%\\Tessoran\\corvane2\\CorvaneLog.txt\n"
    "    configurations   %LOCALAPPDATA%\\Tessoran\\corvane2\\configurations\\\n"
    "\n"
    "  The desktop program's first start creates that configurations folder and copies the\n"
    "  shipped configurations into it, never replacing a file of the user's. Its settings are\n"
    "  kept in the registry under HKEY_CURRENT_USER\\Software\\Tessoran\\corvane2.\n";
#else
    "  An installed copy (a file named \"installed\" beside the program; the Debian package\n"
    "  puts the program in /usr/lib/corvane/) keeps the lookup lists, default.crv and the help\n"
    "  page beside the program, and the report and the configurations in the user's data\n"
    "  folder ($XDG_DATA_HOME, or ~/.local/share when it is not set or not absolute):\n"
    "\n"
    "    report           ~/.local/share/Tessoran/corvane2/CorvaneLog.txt\n"
    "    configurations   ~/.local/share/Tessoran/corvane2/configurations/\n"
    "\n"
    "  The desktop program's first start creates that configurations folder and copies the\n"
    "  shipped configurations into it, never replacing a file of the user's. Its settings are\n"
    "  in $XDG_CONFIG_HOME/Tessoran/corvane2.conf (~/.config when it is not set).\n";
#endif

std::string CustomItemsHelp() {
  std::string line = "  CustomItems=type,layer    ";
  for (const CustomItem& item : kCustomItems) {
    line += ' ';
    line += item.name;
  }
  return line + ", likewise\n";
}

const std::string kUsageText = kUsageBeforeEntities + EntitiesHelp() + kUsageAfterEntities +
                               CustomItemsHelp() + ExtensionHelp() + kUsageAfterCustomItems;

}  // namespace

const char* const kCliUsage = kUsageText.c_str();

namespace {

enum class Takes { kNothing, kValue };

struct OptionSpec {
  char shortName;  // 0: long only
  const char* longName;
  Takes takes;
};

constexpr OptionSpec kOptions[] = {
    {'c', "config", Takes::kValue},      {'d', "dest", Takes::kValue},
    {'r', "report", Takes::kValue},      {'j', "jobs", Takes::kValue},
    {'q', "quiet", Takes::kNothing},     {'h', "help", Takes::kNothing},
    {0, "version", Takes::kNothing},     {0, "show-config", Takes::kNothing},
    {0, "set", Takes::kValue},           {0, "save-config", Takes::kValue},
    {0, "plot", Takes::kNothing},
};

const OptionSpec* FindLong(const std::string& name) {
  for (const OptionSpec& o : kOptions) {
    if (name == o.longName) return &o;
  }
  return nullptr;
}

const OptionSpec* FindShort(char c) {
  for (const OptionSpec& o : kOptions) {
    if (o.shortName != 0 && o.shortName == c) return &o;
  }
  return nullptr;
}

std::string Shown(const OptionSpec& o) { return std::string("--") + o.longName; }

bool Apply(const OptionSpec& o, const std::string& value, CliOptions& out, std::string& error) {
  const std::string name = o.longName;
  if (o.takes == Takes::kValue && value.empty()) {
    error = "option " + Shown(o) + " needs a non-empty value";
    return false;
  }
  if (name == "config") {
    out.configPath = value;
  } else if (name == "dest") {
    out.destFolder = value;
  } else if (name == "report") {
    out.reportPath = value;
  } else if (name == "jobs") {
    int jobs = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), jobs);
    if (r.ec != std::errc() || r.ptr != value.data() + value.size() || jobs < 1 || jobs > 256) {
      error = "--jobs needs a whole number from 1 to 256, not \"" + value + "\"";
      return false;
    }
    out.jobs = jobs;
  } else if (name == "quiet") {
    out.quiet = true;
  } else if (name == "help") {
    out.help = true;
  } else if (name == "version") {
    out.version = true;
  } else if (name == "plot") {
    out.plot = true;
  } else if (name == "show-config") {
    out.showConfig = true;
  } else if (name == "set") {
    if (value.find('=') == std::string::npos) {
      error = "--set needs NAME=VALUE, not \"" + value + "\"";
      return false;
    }
    out.settings.push_back(value);
  } else if (name == "save-config") {
    out.saveConfigPath = value;
  }
  return true;
}

}  // namespace

namespace {

// The arguments in hand, for an option that takes the next one as its value.
struct Arguments {
  const std::vector<std::string>& args;
  std::size_t i = 0;
  bool NextValue(const OptionSpec& known, std::string& into, std::string& error) {
    if (i + 1 >= args.size()) {
      error = "option " + Shown(known) + " needs a value";
      return false;
    }
    into = args[++i];
    return true;
  }
};

// "--name", "--name=value" or "--name value".
bool ParseLong(Arguments& in, const std::string& a, CliOptions& o, std::string& error) {
  const std::size_t eq = a.find('=');
  const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
  const OptionSpec* known = FindLong(name);
  if (known == nullptr) {
    error = "unknown option --" + name;
    return false;
  }
  std::string value;
  if (known->takes == Takes::kNothing) {
    if (eq != std::string::npos) {
      error = "option " + Shown(*known) + " takes no value";
      return false;
    }
  } else if (eq != std::string::npos) {
    value = a.substr(eq + 1);
  } else if (!in.NextValue(*known, value, error)) {
    return false;
  }
  return Apply(*known, value, o, error);
}

// A bundle of short options: flags, then at most one option with a value, which takes the rest
// of the bundle or the next argument.
bool ParseShortBundle(Arguments& in, const std::string& a, CliOptions& o, std::string& error) {
  for (std::size_t k = 1; k < a.size(); ++k) {
    const OptionSpec* known = FindShort(a[k]);
    if (known == nullptr) {
      error = std::string("unknown option -") + a[k];
      return false;
    }
    std::string value;
    if (known->takes == Takes::kValue) {
      if (k + 1 < a.size()) {
        value = a.substr(k + 1);
      } else if (!in.NextValue(*known, value, error)) {
        return false;
      }
      return Apply(*known, value, o, error);
    }
    if (!Apply(*known, value, o, error)) return false;
  }
  return true;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions o;
  bool onlyInputs = false;
  Arguments in{args};
  for (; in.i < args.size(); ++in.i) {
    const std::string& a = args[in.i];
    if (onlyInputs || a.empty() || a[0] != '-' || a == "-") {
      o.inputs.push_back(a);
    } else if (a == "--") {
      onlyInputs = true;
    } else if (a.rfind("--", 0) == 0 ? !ParseLong(in, a, o, error) : !ParseShortBundle(in, a, o, error)) {
      return std::nullopt;
    }
  }
  const bool needsInput = !o.help && !o.version && !o.showConfig && o.saveConfigPath.empty();
  if (needsInput && o.inputs.empty()) {
    error = "no INPUT given";
    return std::nullopt;
  }
  return o;
}

}  // namespace corvane
