// corvane-cli: converts DXF drawings into point lists from a shell.
#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

#include "cli/cli_run.h"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

#if defined(_WIN32)
std::atomic<bool> g_finished{false};

// Ctrl-C, Ctrl-Break and closing the console stop the run as "Stop process" does; a second one
// lets Windows end the program at once. Windows ends the process when the close handler
// returns, so that one waits a little for the report to be written.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (g_stop.exchange(true)) return FALSE;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    for (int i = 0; i < 450 && !g_finished.load(); ++i) Sleep(10);
  }
  return TRUE;
}

void CatchStopSignals() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }
void RunEnded() { g_finished.store(true); }
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The first Ctrl-C, SIGTERM or SIGHUP stops the run as "Stop process" does: the file in hand
// ends after a whole line and the report is completed. A second one ends the program at once.
extern "C" void OnStopSignal(int) {
  g_stop.store(true);
  for (int s : kStopSignals) std::signal(s, SIG_DFL);
}

void CatchStopSignals() {
  for (int s : kStopSignals) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
  // A closed pipe on standard output must become a write error the exit status reports, not a
  // silent death.
  std::signal(SIGPIPE, SIG_IGN);
}
void RunEnded() {}
#endif

}  // namespace

int main(int argc, char** argv) {
  // Only dates follow the user's locale; numbers never depend on it.
  std::setlocale(LC_TIME, "");
  CatchStopSignals();
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int status = 1;
  try {
    status = corvane::RunCli(args, g_stop);
  } catch (const std::bad_alloc&) {
    std::fputs("corvane-cli: there is not enough memory.\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane-cli: %s.\n", e.what());
  }
  RunEnded();
  return status;
}
