#include "nsk/break_key.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace nsk {
namespace {

// Lock-free atomics are the only shared state a signal handler may touch.
std::atomic<int> presses{0};
std::atomic<bool> pending{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) { PressBreak(); }

}  // namespace

void InstallBreakHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);

  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

void PressBreak() {
  if (presses.fetch_add(1) >= 1) _exit(kBreakExitStatus);
  pending.store(true);
}

bool TakeBreak() { return pending.exchange(false); }

bool BreakPending() { return pending.load(); }

void ResetBreakForTesting() {
  presses.store(0);
  pending.store(false);
}

}  // namespace nsk
