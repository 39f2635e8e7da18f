// Reads a fuzzer's input as a sequence of choices: bytes, words, strings.
// Every read succeeds; past the end it gives zeros and empty strings, so a
// target never needs to test the length itself.
#ifndef KEYMEND_TESTS_FUZZ_FUZZ_INPUT_H_
#define KEYMEND_TESTS_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace keymend::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  int16_t Word() {
    const int low = Byte();
    const int high = Byte();
    return static_cast<int16_t>(low | (high << 8));
  }

  // A string of up to `max` bytes, its length read first.
  std::string Bytes(size_t max) {
    size_t n = static_cast<uint16_t>(Word()) % (max + 1);
    const size_t left = at_ < size_ ? size_ - at_ : 0;
    if (n > left) n = left;
    std::string out(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return out;
  }

  // Everything not read yet.
  std::string Rest() {
    std::string out;
    if (at_ < size_) out.assign(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Stops the fuzzer with a message when a property of the code under test
// does not hold; libFuzzer keeps the input that did it.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

}  // namespace keymend::fuzz

#endif  // KEYMEND_TESTS_FUZZ_FUZZ_INPUT_H_
