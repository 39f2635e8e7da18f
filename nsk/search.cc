#include "nsk/search.h"

#include <cstring>

#include "nsk/host_errors.h"
#include "nsk/pattern.h"

namespace nsk {

int16_t FileSearches::Start(int16_t* searchid, const char* searchname,
                            std::optional<int16_t> length, std::optional<int16_t> /*resolvelevel*/,
                            std::optional<int16_t> devicetype,
                            std::optional<int16_t> /*devicesubtype*/,
                            std::optional<int16_t> /*options*/, const char* startafter,
                            std::optional<int16_t> startafter_length) {
  if (searchid == nullptr) return err::kMissingParameter;
  if ((searchname != nullptr && !length) || (startafter != nullptr && !startafter_length)) {
    return err::kMissingParameter;
  }
  Search search;
  if (searchname != nullptr && *length != 0) {
    if (MakeFilePattern(searchname, *length, *rules_, &search.pattern, &search.node) != 0) {
      return err::kIllegalName;
    }
    if (!search.node.empty() && !MatchPart(search.node, catalog_->settings().node_name)) {
      return err::kNoSuchDevice;
    }
    // Names are handed out with the node's own name, not the pattern's.
    if (!search.node.empty()) search.node = catalog_->settings().node_name + ".";
  }
  if (devicetype && *devicetype != kDeviceTypeDisk) search.finds_nothing = true;
  if (startafter != nullptr && *startafter_length != 0) {
    char full[128];
    int16_t full_length = 0;
    NameParts parts;
    if (rules_->Resolve(startafter, *startafter_length, full, sizeof full, &full_length, {},
                        nullptr, {}, nullptr, {}, nullptr, {}) != 0 ||
        SplitName(full, full_length, NameMode::kExact, &parts) != 0 || parts.volume.empty() ||
        parts.subvolume.empty() || parts.file.empty() || parts.subvolume[0] == '#') {
      return err::kIllegalName;
    }
    search.last = FileKey{parts.volume, parts.subvolume, parts.file};
  }
  if (searches_.size() >= kMaxSearches) return err::kNoControlBlock;

  int16_t id = last_id_;
  do {
    id = id >= INT16_MAX ? 1 : static_cast<int16_t>(id + 1);
  } while (searches_.count(id) != 0);
  last_id_ = id;
  searches_.emplace(id, std::move(search));
  *searchid = id;
  return err::kNone;
}

int16_t FileSearches::Next(int16_t searchid, char* name, std::optional<int16_t> maxlen,
                           int16_t* namelen, int16_t* entityinfo, std::optional<int32_t> /*tag*/) {
  auto it = searches_.find(searchid);
  if (it == searches_.end()) return err::kBadParameterValue;
  if (name != nullptr && !maxlen) return err::kMissingParameter;
  Search& s = it->second;
  if (s.finds_nothing) return err::kEndOfFile;

  for (;;) {
    if (s.next == s.page.size()) {
      if (s.exhausted) return err::kEndOfFile;
      std::vector<FileKey> page;
      Error e = catalog_->NextFiles(s.pattern, s.last ? &*s.last : nullptr, kPage, &page);
      if (!e.ok()) return e.code;
      s.exhausted = page.size() < static_cast<size_t>(kPage);
      if (!page.empty()) s.last = page.back();
      s.page = std::move(page);
      s.next = 0;
      if (s.page.empty()) return err::kEndOfFile;
    }
    const FileKey& key = s.page[s.next];
    FileEntry entry;
    if (entityinfo != nullptr) {
      Error e = catalog_->GetFile(key.Name(), &entry);
      if (e.code == err::kNotFound) {  // purged since its page was read
        ++s.next;
        continue;
      }
      if (!e.ok()) return e.code;
    }
    ++s.next;
    const std::string found = s.node + key.Name();
    if (name != nullptr) {
      if (*maxlen < 0 || found.size() > static_cast<size_t>(*maxlen)) return err::kBufferTooSmall;
      std::memcpy(name, found.data(), found.size());
    }
    if (namelen != nullptr) *namelen = static_cast<int16_t>(found.size());
    if (entityinfo != nullptr) {
      const int16_t info[5] = {kDeviceTypeDisk, 0, 0, entry.file_type, entry.file_code};
      std::memcpy(entityinfo, info, sizeof info);
    }
    return err::kNone;
  }
}

int16_t FileSearches::Finish(int16_t searchid) {
  return searches_.erase(searchid) != 0 ? err::kNone : err::kBadParameterValue;
}

}  // namespace nsk
