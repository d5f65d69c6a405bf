// corvane-cli: converts DXF drawings into point lists from a shell.
#include <atomic>
#include <clocale>
#include <csignal>
#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

// The first Ctrl-C stops the run as "Stop process" does; a second one ends the program at once.
extern "C" void OnInterrupt(int) {
  g_stop.store(true);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

int main(int argc, char** argv) {
  // Only dates follow the user's locale; numbers never depend on it.
  std::setlocale(LC_TIME, "");
  std::signal(SIGINT, OnInterrupt);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return corvane::RunCli(args, g_stop);
}
