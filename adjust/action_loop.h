// ACTIONLOOP: visit every disk file that matches TEMPLATE, adjust it with
// ADJUSTALTERNATEKEYFILES to DEFAULTLOCATION, and report it in one line:
//
//     <name laid over ". . . . . . . . . . . . . . . . . . .  "><outcome>
//
// The 39-byte filler keeps its dots at even columns, so the outcome always
// starts in column 40, whatever the name's length (at most 36 bytes):
//     "OK"                    the label was already right
//     "modified"              the label was written back
//     "to be modified"        LISTONLY: the label would be written back; one
//                             line "    <old> -> <new>" per name follows
//     " in error: <n>"        the examination failed with error n
// A file that is not a head file gets no line.
//
// The process ends in here, with PROCESS_STOP_:
//     completion code 0   every head file was OK or modified
//     completion code 1   at least one line said " in error: "
//     completion code 2   the search failed part-way (one line names the
//                         error and the template)
// It returns only when the search cannot start (a rejected template); it has
// then written "File name template invalid: <template>" and "No action so
// far: Operation terminated.". BREAK during a write ends the run in TWRITE.
#ifndef KEYMEND_ADJUST_ACTION_LOOP_H_
#define KEYMEND_ADJUST_ACTION_LOOP_H_

namespace keymend {

void ACTIONLOOP();

}  // namespace keymend

#endif  // KEYMEND_ADJUST_ACTION_LOOP_H_
