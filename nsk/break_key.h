// BREAK: the terminal's break key, which on this platform is Ctrl-C.
//
// The first SIGINT of a process is held as a pending BREAK; the next WRITE
// takes it and fails with error 111 without writing anything, which lets
// the program stop in its own way. A second SIGINT means the program did
// not stop (or the user will not wait): the process ends at once with exit
// status kBreakExitStatus. That is safe, because every label write is one
// store transaction and the catalog survives a process that vanishes.
//
// The state is process-wide, as signals are.
#ifndef KEYMEND_NSK_BREAK_KEY_H_
#define KEYMEND_NSK_BREAK_KEY_H_

namespace nsk {

// 128 + SIGINT, what a shell reports for a process ended by Ctrl-C.
constexpr int kBreakExitStatus = 130;

// Installs the SIGINT handler (without SA_RESTART, so that a write that
// blocks on a full pipe returns EINTR and can see the BREAK). Also ignores
// SIGPIPE, so that a write to a closed pipe fails with EPIPE instead of
// killing the process.
void InstallBreakHandler();

// What a SIGINT does: the first press makes a BREAK pending, the second
// ends the process with kBreakExitStatus. Async-signal-safe.
void PressBreak();

// True, once, when a BREAK is pending: the caller reports it and it is no
// longer pending.
bool TakeBreak();

// True when a BREAK is pending, without taking it.
bool BreakPending();

// Forgets every press. For tests only.
void ResetBreakForTesting();

}  // namespace nsk

#endif  // KEYMEND_NSK_BREAK_KEY_H_
