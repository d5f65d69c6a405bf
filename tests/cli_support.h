// Running corvane-cli from a test: the program the build made, in a temporary folder, its
// standard output and error captured.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/test_support.h"

#ifndef CORVANE_CLI_PATH
#define CORVANE_CLI_PATH "corvane-cli"
#endif

namespace corvane::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// Runs corvane-cli in `dir`; standard output goes to `stdoutTo` (a shell redirection target)
// when given, else it is captured.
inline CliRun RunCliProgram(const TempDir& dir, const std::string& arguments, const std::string& stdoutTo = "") {
  const std::string out = (dir.path() / "stdout.log").string();
  const std::string err = (dir.path() / "stderr.log").string();
  const std::string command = "cd " + Quote(dir.Str()) + " && " + Quote(CORVANE_CLI_PATH) + " " +
                              arguments + " >" + (stdoutTo.empty() ? Quote(out) : stdoutTo) + " 2>" +
                              Quote(err) + " </dev/null";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

}  // namespace corvane::test
