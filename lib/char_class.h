// The character classes of the matchers: the ASCII letters and digits. Every
// other byte, all bytes above 0x7F included, is neither and only ever equals
// itself.
#ifndef KEYMEND_LIB_CHAR_CLASS_H_
#define KEYMEND_LIB_CHAR_CLASS_H_

namespace keymend {

inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when `a` and `b` are the same letter in the two cases.
inline bool OtherCase(char a, char b) { return (a ^ b) == 0x20 && IsLetter(a) && IsLetter(b); }

}  // namespace keymend

#endif  // KEYMEND_LIB_CHAR_CLASS_H_
