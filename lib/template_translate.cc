#include "lib/template_translate.h"

namespace keymend {

namespace {

// A pattern being written into a fixed buffer.
class Output {
 public:
  Output(char* buffer, int16_t capacity) : buffer_(buffer), capacity_(capacity) {}

  // False when the buffer is full.
  bool Append(char c) {
    if (size_ >= capacity_) return false;
    buffer_[size_++] = c;
    return true;
  }

  // Appends `c` unless the pattern already ends with it.
  bool AppendMerged(char c) { return EndsWith(c) || Append(c); }

  bool EndsWith(char c) const { return size_ > 0 && buffer_[size_ - 1] == c; }
  int16_t size() const { return size_; }

 private:
  char* buffer_;
  int16_t capacity_;
  int16_t size_ = 0;
};

bool IsRunToken(char c) { return c == '*' || c == '-' || c == '+'; }

// The third character of a "..x" token that starts at text[k] and lies wholly
// within the template, or 0.
char DotDotToken(const char* text, int16_t length, int16_t k) {
  if (k + 2 >= length || text[k] != '.' || text[k + 1] != '.') return 0;
  return text[k + 2];
}

// The two translations differ only in what they write for a group token and
// for a run token outside groups; this walks the template and the braces for
// both. `group` handles one group token at text[*k] (advancing *k past a
// three-character token) and `plain` one character outside groups; each
// returns 0 or an error.
template <typename Group, typename Plain>
int16_t Translate(const char* text, int16_t length, Group group, Plain plain) {
  bool in_group = false;
  for (int16_t k = 0; k < length; ++k) {
    const char c = text[k];
    if (c == '{') {
      if (in_group) return kBraceError;
      in_group = true;
    } else if (c == '}') {
      if (!in_group) return kBraceError;
      in_group = false;
    } else if (in_group) {
      if (int16_t error = group(&k); error != 0) return error;
    } else {
      if (int16_t error = plain(c); error != 0) return error;
    }
  }
  return in_group ? kBraceError : 0;
}

}  // namespace

int16_t TranslateToInternal(const char* text, int16_t length, char* out, int16_t capacity,
                            int16_t* outlen) {
  Output pattern(out, capacity);
  auto put = [](bool ok) -> int16_t { return ok ? 0 : kPatternTooLong; };

  auto group = [&](int16_t* k) -> int16_t {
    const char c = text[*k];
    switch (c) {
      case '?':
        return put(pattern.Append('?'));
      case 'a':
      case 'A':
        return put(pattern.Append('\''));
      case 'n':
      case 'N':
        return put(pattern.Append('~'));
      case '*':
        return put(pattern.AppendMerged('*'));
    }
    char run = 0;
    switch (DotDotToken(text, length, *k)) {
      case '*':
        run = '*';
        break;
      case 'a':
      case 'A':
        run = '-';
        break;
      case 'n':
      case 'N':
        run = '+';
        break;
      default:
        return kBadGroupToken;
    }
    *k += 2;
    return put(pattern.AppendMerged(run));
  };

  auto plain = [&](char c) -> int16_t {
    return put(IsRunToken(c) ? pattern.AppendMerged(c) : pattern.Append(c));
  };

  const int16_t error = Translate(text, length, group, plain);
  if (error == 0) *outlen = pattern.size();
  return error;
}

int16_t TranslateToSystem(const char* text, int16_t length, char* out, int16_t capacity,
                          int16_t* outlen) {
  Output pattern(out, capacity);
  auto put = [](bool ok) -> int16_t { return ok ? 0 : kPatternTooLong; };

  auto group = [&](int16_t* k) -> int16_t {
    switch (text[*k]) {
      case '?':
      case 'a':
      case 'A':
      case 'n':
      case 'N':
        return put(pattern.Append('?'));
      case '*':
        return put(pattern.AppendMerged('*'));
    }
    switch (DotDotToken(text, length, *k)) {
      case '*':
      case 'a':
      case 'A':
      case 'n':
      case 'N':
        *k += 2;
        return put(pattern.AppendMerged('*'));
      default:
        return kBadGroupToken;
    }
  };

  auto plain = [&](char c) -> int16_t {
    return put(IsRunToken(c) ? pattern.AppendMerged('*') : pattern.Append(c));
  };

  const int16_t error = Translate(text, length, group, plain);
  if (error == 0) *outlen = pattern.size();
  return error;
}

int16_t CheckSystemPattern(const char* pattern, int16_t length) {
  int dots = 0;
  int counted = 0;  // characters of the current part
  for (int16_t k = 0; k < length; ++k) {
    const char c = pattern[k];
    if (c == '.') {
      if (++dots == 4) return kBadNameShape;
      counted = 0;
    } else if (c != '*') {
      if (++counted == 9) return kBadNameShape;
    }
  }
  return 0;
}

}  // namespace keymend
