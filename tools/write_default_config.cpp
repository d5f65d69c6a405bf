// Writes "default.crv" at build time from the readable source in config/default_config.cpp.
#include <cstdio>
#include <string>

#include "config/crv_file.h"
#include "config/default_config.h"

int main(int argc, char** argv) {
  // A stray option ("--help") must not become a file of that name.
  if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
    std::fputs("usage: corvane-write-default-config FILE\n", stderr);
    return 2;
  }
  const std::string error = corvane::WriteConfigFile(argv[1], corvane::MakeDefaultConfig());
  if (!error.empty()) {
    std::fputs((error + ".\n").c_str(), stderr);
    return 1;
  }
  return 0;
}
