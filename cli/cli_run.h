// corvane-cli as a function: options in, exit status out.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileErrors = 1;  // a file got an error line, or the run was stopped
inline constexpr int kExitUsage = 2;       // usage or configuration error

// Runs the tool with argv[1..]; `stop` is the flag Ctrl-C sets.
int RunCli(const std::vector<std::string>& args, std::atomic<bool>& stop);

}  // namespace corvane
