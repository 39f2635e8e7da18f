// Terminal output: how every line of the program is built and written.
//
// A line is built in LINEBUFFER from LINESTART on; LINENEXT marks the byte
// after the last one placed; the line goes out as one record with
//     TWRITE(OUTFNUM, LINEBUFFER, LINENEXT - LINESTART)
// No line terminator is added: one WRITE is one line. Each line overwrites
// the one before.
//
// TWRITE decides what a failed write means: BREAK (errors 110 and 111)
// finishes the running file-name search and stops the process; any other
// error is retried for as long as FILEERROR says so, and ends the process
// with ABEND when it says no. With no OUT file (fnum -1) output is dropped.
#ifndef KEYMEND_DRIVER_TERMINAL_OUTPUT_H_
#define KEYMEND_DRIVER_TERMINAL_OUTPUT_H_

#include <cstdint>

namespace keymend {

// Writes `length` bytes at `buffer` as one record to `fnum`. Always returns
// 0; on BREAK or an unrecoverable error it does not return at all.
int16_t TWRITE(int16_t fnum, const char* buffer, int16_t length);

// Line-building helpers. They follow the convention above and never place a
// byte outside LINEBUFFER: what would not fit is left off.
void StartLine();                                   // LINENEXT = LINESTART
void PutText(const char* bytes, int length);        // copy at LINENEXT, advance
void PutText(const char* text);                     // a NUL-terminated literal
int RoomLeft();                                     // bytes free after LINENEXT
void WriteLine();                                   // TWRITE the line built

// Builds `text` as a whole line and writes it.
void WriteTextLine(const char* text);

}  // namespace keymend

#endif  // KEYMEND_DRIVER_TERMINAL_OUTPUT_H_
