// Writes the shipped configurations at build time from the readable source in
// config/default_config.cpp: "default.crv", or with "pnezd-blocks" the survey point file's.
#include <cstdio>
#include <cstring>
#include <string>

#include "config/crv_file.h"
#include "config/default_config.h"

int main(int argc, char** argv) {
  // A stray option ("--help") must not become a file of that name.
  const bool pnezd = argc == 3 && std::strcmp(argv[2], "pnezd-blocks") == 0;
  if ((argc != 2 && !pnezd) || argv[1][0] == '-' || argv[1][0] == '\0') {
    std::fputs("usage: corvane-write-default-config FILE [pnezd-blocks]\n", stderr);
    return 2;
  }
  std::string error;
  if (pnezd) {
    const corvane::ConfigWithExtension c = corvane::MakePnezdBlocksConfig();
    error = corvane::WriteConfigFile(argv[1], c.record, c.extension);
  } else {
    error = corvane::WriteConfigFile(argv[1], corvane::MakeDefaultConfig());
  }
  if (!error.empty()) {
    std::fputs((error + ".\n").c_str(), stderr);
    return 1;
  }
  return 0;
}
