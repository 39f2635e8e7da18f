#include "nsk/system_info.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "nsk/host_errors.h"
#include "nsk/name_parts.h"
#include "sys/guardian.h"

namespace nsk {

int16_t NodeNumberToNodeName(const NodeSettings& settings, std::optional<int32_t> nodenumber,
                             char* nodename, int16_t maxlen, int16_t* nodename_length) {
  if (nodenumber && *nodenumber != kLocalNodeNumber) return kErrorNoSuchNode;
  if (nodename == nullptr) return err::kMissingParameter;
  const std::string& name = settings.node_name;
  if (static_cast<int>(name.size()) > maxlen) return err::kBufferTooSmall;
  std::memcpy(nodename, name.data(), name.size());
  if (nodename_length != nullptr) *nodename_length = static_cast<int16_t>(name.size());
  return err::kNone;
}

int16_t ProcessorGetInfoList(const NodeSettings& settings, const char* nodename,
                             std::optional<int16_t> nodename_length, std::optional<int16_t> cpu,
                             const int16_t* attribute_list, int16_t attribute_count,
                             int16_t* values_list, int16_t values_maxlen, int16_t* values_length,
                             int16_t* error_detail) {
  if (nodename != nullptr) {
    const std::string_view asked(nodename, nodename_length.value_or(0) > 0 ? *nodename_length : 0);
    if (!SameIgnoringCase(asked, settings.node_name)) return kErrorNoSuchNode;
  }
  if (cpu && *cpu != 0) return err::kBadParameterValue;
  if (attribute_count < 0) return err::kBadParameterValue;
  if (attribute_list == nullptr || values_list == nullptr) return err::kMissingParameter;
  if (values_maxlen < attribute_count) return err::kBufferTooSmall;

  // Every value is found before any is stored, so that an error leaves the
  // caller's list as it was.
  std::vector<int16_t> values;
  for (int i = 0; i < attribute_count; ++i) {
    switch (attribute_list[i]) {
      case sys::kAttributeOsVersion:
        values.push_back(settings.os_version);
        break;
      case sys::kAttributeOsUpdate:
        values.push_back(settings.os_update);
        break;
      default:
        if (error_detail != nullptr) *error_detail = static_cast<int16_t>(i);
        return kErrorUnknownAttribute;
    }
  }
  std::copy(values.begin(), values.end(), values_list);
  if (values_length != nullptr) *values_length = attribute_count;
  return err::kNone;
}

}  // namespace nsk
