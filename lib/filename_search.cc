#include "lib/filename_search.h"

#include <cstring>

#include "lib/string_match.h"
#include "lib/template_translate.h"
#include "sys/guardian.h"

namespace keymend {

namespace {

constexpr int16_t kSystemPatternSize = 60;
constexpr int16_t kInternalPatternSize = 230;
constexpr int16_t kNameSize = 36;  // a qualified pattern or a found name

bool HasNodePart(const char* name, int16_t length) { return length > 0 && name[0] == '\\'; }

// Reduces `name` in place to its part from the volume on.
void DropNodePart(char* name, int16_t* length) {
  sys::FILENAME_DECOMPOSE_(name, *length, name, kNameSize, length, 0, 1);
}

// A length as the system reported it, kept within the buffer it was given,
// so that a faulty report cannot make us read or copy past it.
int16_t WithinBuffer(int16_t length) {
  return length < 0 ? 0 : (length > kNameSize ? kNameSize : length);
}

}  // namespace

int16_t NRX_FILENAME_FINDSTART_(int16_t* searchid, const char* searchpattern,
                                std::optional<int16_t> patternlen,
                                std::optional<int16_t> resolvelevel,
                                std::optional<int16_t> devicetype,
                                std::optional<int16_t> devicesubtype,
                                std::optional<int16_t> options, const char* startafter,
                                std::optional<int16_t> startafterlen) {
  if (searchid == nullptr) return kNoSearchId;
  if ((searchpattern != nullptr && !patternlen) || (startafter != nullptr && !startafterlen)) {
    return kMissingParameter;
  }

  char pattern[kSystemPatternSize];
  int16_t length = 0;
  if (searchpattern != nullptr) {
    int16_t error =
        TranslateToSystem(searchpattern, *patternlen, pattern, kSystemPatternSize, &length);
    if (error == 0 && length > 0) error = CheckSystemPattern(pattern, length);
    if (error != 0) return error;
  }

  const bool with_pattern = searchpattern != nullptr;
  return sys::FILENAME_FINDSTART_(searchid, with_pattern ? pattern : nullptr,
                                  with_pattern ? std::optional<int16_t>(length) : std::nullopt,
                                  resolvelevel, devicetype, devicesubtype, options, startafter,
                                  startafter != nullptr ? startafterlen : std::nullopt);
}

int16_t NRX_FILENAME_FINDNEXT_(std::optional<int16_t> searchid, char* name,
                               std::optional<int16_t> maxlen, int16_t* namelen, int16_t* entityinfo,
                               std::optional<int32_t> tag, const char* searchpattern,
                               std::optional<int16_t> patternlen) {
  if (!searchid) return kNoSearchId;

  if (searchpattern == nullptr) {
    return sys::FILENAME_FINDNEXT_(*searchid, name, name != nullptr ? maxlen : std::nullopt,
                                   namelen, entityinfo, tag);
  }

  if (!patternlen || (name != nullptr && namelen == nullptr)) return kMissingParameter;

  char pattern[kInternalPatternSize];
  int16_t patlen = 0;
  if (int16_t error =
          TranslateToInternal(searchpattern, *patternlen, pattern, kInternalPatternSize, &patlen);
      error != 0) {
    return error;
  }
  if (int16_t error = sys::FILENAME_RESOLVE_(pattern, patlen, pattern, kNameSize, &patlen);
      error != 0) {
    return error;
  }
  patlen = WithinBuffer(patlen);

  char found[kNameSize];
  int16_t foundlen = 0;
  for (;;) {
    if (int16_t error =
            sys::FILENAME_FINDNEXT_(*searchid, found, kNameSize, &foundlen, entityinfo, tag);
        error != 0) {
      return error;
    }
    foundlen = WithinBuffer(foundlen);

    // The system search delivers a node part exactly when its pattern has
    // one, and FILENAME_RESOLVE_ may add one or not; compare like with like.
    const bool found_node = HasNodePart(found, foundlen);
    const bool pattern_node = HasNodePart(pattern, patlen);
    if (found_node && !pattern_node) {
      DropNodePart(found, &foundlen);
      foundlen = WithinBuffer(foundlen);
    } else if (pattern_node && !found_node) {
      DropNodePart(pattern, &patlen);
      patlen = WithinBuffer(patlen);
    }

    if (STRINGMATCHX(found, foundlen, pattern, patlen, std::nullopt, -1) == kMatch) break;
  }

  if (name != nullptr) {
    if (maxlen && *maxlen < foundlen) return kBufferTooSmall;
    std::memcpy(name, found, foundlen);
    *namelen = foundlen;
  }
  return 0;
}

int16_t NRX_FILENAME_FINDFINISH_(int16_t searchid) { return sys::FILENAME_FINDFINISH_(searchid); }

}  // namespace keymend
