// KEYMEND: the main procedure, the only entry point of the process.
//
// It fixes the order of everything the program does:
//   1. LIBVERSION
//   2. INITIALIZER, which hands the startup message to GETSTARTUP
//   3. open the OUT file (when the message names one)
//   4. PRINTBANNER
//   5. a first token of -H or -HELP, in any case: the help text, then stop
//   6. GETUSERVALUES, then ACTIONLOOP
//   7. ACTIONLOOP returns only when the template was rejected: stop with
//      completion code 2
// It never returns: the process ends in it or in a procedure it calls.
#ifndef KEYMEND_DRIVER_KEYMEND_H_
#define KEYMEND_DRIVER_KEYMEND_H_

namespace keymend {

[[noreturn]] void KEYMEND();

// The thirteen lines of the help text, in order.
extern const char* const kHelpLines[13];

}  // namespace keymend

#endif  // KEYMEND_DRIVER_KEYMEND_H_
