// The launcher: what happens between the host starting `keymend` and the
// program's main procedure, and after it.
//
//   1. Read the command line (keymend [/OUT name/] [words ...]) and the
//      environment (NSK_DEFAULTS, NSK_USER, and NSK_FAULT, a test's fault
//      for one store operation: nsk/fault.h).
//   2. Open the node of the environment. It is never created here: without
//      one, the process never starts.
//   3. Build the startup message: the process's default volume and
//      subvolume, IN the home terminal, OUT the home terminal or the /OUT
//      file, the parameter string.
//   4. Install the platform behind sys::, the BREAK handler, and SIGPIPE
//      ignored.
//   5. Call the main procedure. It ends the process with STOP,
//      PROCESS_STOP_ or ABEND; returning counts as a STOP with code 0.
//   6. Give back the exit status.
//
// Exit status: the completion code of STOP or PROCESS_STOP_ (0 normal,
// 1 warnings, 2 fatal errors), 5 after ABEND, 4 when the process never
// started (one line on standard error says why: bad command line, bad
// environment, no node or a damaged one), 130 when a second Ctrl-C ended
// it at once.
#ifndef KEYMEND_NSK_LAUNCHER_H_
#define KEYMEND_NSK_LAUNCHER_H_

namespace nsk {

constexpr int kNeverStartedExitStatus = 4;

// Runs `main_procedure` as a Guardian process, as described above, and
// returns the exit status for main() to return.
int RunProgram(int argc, char** argv, void (*main_procedure)());

}  // namespace nsk

#endif  // KEYMEND_NSK_LAUNCHER_H_
