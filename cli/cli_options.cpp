#include "cli/cli_options.h"

#include <charconv>

namespace corvane {

const char* const kCliUsage =
    "Usage: corvane-cli [OPTIONS] INPUT...\n"
    "Converts DXF drawings into point lists: one data file per drawing, and a run report.\n"
    "\n"
    "INPUT is a DXF file, or a folder standing for all its *.dxf files (any letter case),\n"
    "taken in name order.\n"
    "\n"
    "Options:\n"
    "  -c, --config FILE.crv  export configuration (default: default.crv beside the program)\n"
    "  -d, --dest DIR         folder for the data files (default: the folder of each drawing)\n"
    "  -r, --report FILE      also write the run report to FILE\n"
    "  -j, --jobs N           convert up to N files at once (default 1); output is identical\n"
    "  -q, --quiet            print only errors\n"
    "  -h, --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "Exit status: 0 all files converted, 1 a file got an error or the run was stopped,\n"
    "2 usage or configuration error. Ctrl-C stops the run: the file in hand keeps its lines\n"
    "and the report is completed.\n";

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions o;
  bool onlyInputs = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyInputs || a.empty() || a[0] != '-' || a == "-") {
      o.inputs.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyInputs = true;
      continue;
    }
    // "--name=value" and "--name value" both work for the options that take a value.
    std::string name = a;
    std::optional<std::string> inlineValue;
    if (a.rfind("--", 0) == 0) {
      const std::size_t eq = a.find('=');
      if (eq != std::string::npos) {
        name = a.substr(0, eq);
        inlineValue = a.substr(eq + 1);
      }
    }
    auto value = [&](std::string& into) -> bool {
      if (inlineValue) {
        into = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (name == "-c" || name == "--config") {
      if (!value(o.configPath)) return std::nullopt;
    } else if (name == "-d" || name == "--dest") {
      if (!value(o.destFolder)) return std::nullopt;
    } else if (name == "-r" || name == "--report") {
      if (!value(o.reportPath)) return std::nullopt;
    } else if (name == "-j" || name == "--jobs") {
      std::string text;
      if (!value(text)) return std::nullopt;
      int jobs = 0;
      const auto r = std::from_chars(text.data(), text.data() + text.size(), jobs);
      if (r.ec != std::errc() || r.ptr != text.data() + text.size() || jobs < 1 || jobs > 256) {
        error = "--jobs needs a whole number from 1 to 256, not \"" + text + "\"";
        return std::nullopt;
      }
      o.jobs = jobs;
    } else if (name == "-q" || name == "--quiet") {
      o.quiet = true;
    } else if (name == "-h" || name == "--help") {
      o.help = true;
    } else if (name == "--version") {
      o.version = true;
    } else {
      error = "unknown option " + a;
      return std::nullopt;
    }
    if (inlineValue && (name == "-q" || name == "--quiet" || name == "--help" || name == "--version")) {
      error = "option " + name + " takes no value";
      return std::nullopt;
    }
  }
  if (!o.help && !o.version && o.inputs.empty()) {
    error = "no INPUT given";
    return std::nullopt;
  }
  return o;
}

}  // namespace corvane
