// ADJUSTALTERNATEKEYFILES on any label over the recording fake, with any
// file type, location and list-only flag, and a label read that may report
// a warning. Whatever the label holds, the call reads and writes only its
// own buffers, and when it writes a label back the list is whole: N, the
// key descriptors and M exactly as read, M name lengths from 1 to 36, the
// names back to back to the last byte, each keeping its file id, and
// nothing of the label read is left out.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "adjust/alternate_keys.h"
#include "sys/fake_guardian.h"
#include "sys/guardian.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

namespace {

int Word(const std::vector<uint8_t>& list, size_t at) {
  return static_cast<int16_t>(list[at] | (list[at + 1] << 8));
}

// The part of `name` after its last ".", its file id.
std::string FileId(const std::string& name) { return name.substr(name.rfind('.') + 1); }

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// [\node.]$vol.subvol.fileid, each part of letters and digits after its
// first character.
bool IsFileName(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t dot; (dot = name.find('.', start)) != std::string::npos; start = dot + 1) {
    parts.push_back(name.substr(start, dot - start));
  }
  parts.push_back(name.substr(start));
  size_t first = !parts.empty() && !parts[0].empty() && parts[0][0] == '\\' ? 1 : 0;
  if (parts.size() != first + 3 || parts[first].empty() || parts[first][0] != '$') return false;
  for (size_t i = first; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (p.size() < (i == first ? 2u : 1u) || p.size() > 8 + (i == first)) return false;
    for (size_t k = i == first ? 1 : 0; k < p.size(); ++k) {
      if (!std::isalnum(static_cast<unsigned char>(p[k]))) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  const int16_t type = static_cast<int16_t>(static_cast<int8_t>(in.Byte()) % 5);
  const std::string location = in.Bytes(40);
  const std::string label = in.Rest();
  if (label.size() > 30000) return 0;

  sys::FakeGuardian fake;
  sys::Guardian* previous = sys::install(&fake);
  const std::string name = "$DATA.SALES.ORDERS";
  sys::FakeGuardian::File file;
  file.type = type;
  file.altlist.assign(label.begin(), label.end());
  fake.files[name] = file;
  if (how & 2) fake.ScriptResult("FILE_GETINFOLISTBYNAME_", static_cast<int16_t>(how >> 4));
  if (how & 4) fake.ScriptResult("FILE_ALTERLIST_", static_cast<int16_t>(how >> 3));

  int16_t status = 99;
  keymend::AltFileNameChanges changes;
  const int16_t result = keymend::ADJUSTALTERNATEKEYFILES(
      name.data(), static_cast<int16_t>(name.size()), how & 1 ? location.data() : nullptr,
      static_cast<int16_t>(location.size()), &status,
      how & 8 ? std::optional<int16_t>(-1) : std::nullopt, &changes);

  FUZZ_CHECK(status == -1 || status == 0 || status == 1 || status == 2 || status == 99);
  FUZZ_CHECK(changes.count >= 0 && changes.count <= keymend::kMaxAltFiles);
  const bool wrote = !fake.alterlist_values.empty();
  FUZZ_CHECK(wrote == (status == 1));
  FUZZ_CHECK(!(how & 8) || !wrote);
  if (wrote) {
    FUZZ_CHECK(fake.alterlist_values.size() == 1);
    const std::vector<uint8_t>& out = fake.alterlist_values[0];
    const std::vector<uint8_t> in_list(label.begin(), label.end());
    FUZZ_CHECK(out.size() >= 4);
    const int n = Word(out, 0);
    FUZZ_CHECK(n > 0 && out.size() >= 2 + 12 * static_cast<size_t>(n) + 2);
    const size_t m_at = 2 + 12 * static_cast<size_t>(n);
    FUZZ_CHECK(in_list.size() >= m_at + 2);
    FUZZ_CHECK(std::memcmp(out.data(), in_list.data(), m_at + 2) == 0);
    const int m = Word(out, m_at);
    FUZZ_CHECK(m > 0 && m <= keymend::kMaxAltFiles);
    size_t at = m_at + 2 + 2 * static_cast<size_t>(m);
    FUZZ_CHECK(out.size() >= at);
    size_t old_at = at;
    for (int i = 0; i < m; ++i) {
      const int length = Word(out, m_at + 2 + 2 * i);
      const int old_length = Word(in_list, m_at + 2 + 2 * i);
      // Only a name that was empty already can stay empty.
      FUZZ_CHECK((length >= 1 || old_length == 0) && length <= 36);
      FUZZ_CHECK(old_length >= 0 && old_at + old_length <= in_list.size());
      FUZZ_CHECK(at + length <= out.size());
      const std::string edited(reinterpret_cast<const char*>(out.data() + at), length);
      const std::string old(reinterpret_cast<const char*>(in_list.data() + old_at), old_length);
      // A full file name keeps its file id (or stays as it was, when
      // FILENAME_EDIT_ refused the piece); what becomes of a name that is
      // no file name is for the label write to refuse.
      if (IsFileName(old)) FUZZ_CHECK(edited == old || SameText(FileId(edited), FileId(old)));
      at += length;
      old_at += old_length;
    }
    FUZZ_CHECK(at == out.size());
    // A label with bytes after its names is damaged; writing the rebuilt
    // list would drop them.
    FUZZ_CHECK(old_at == std::min<size_t>(in_list.size(), 10000));
  }
  (void)result;
  sys::install(previous);
  return 0;
}
