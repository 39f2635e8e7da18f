// System information: the node's name and the operating-system version, as
// NODENUMBER_TO_NODENAME_ and PROCESSOR_GETINFOLIST_ give them.
//
// The node is a single system with one processor. Its node number is
// kLocalNodeNumber; no other node exists. Its processors report the version
// from the node settings:
//   attribute 3    OS version word: high byte the series letter + 10
//                  ('H' + 10 for H-series), low byte the release (6 for H06)
//   attribute 60   the update number (29 for H06.29)
//
// Error numbers; on error no output is written but *error_detail:
//   NODENUMBER_TO_NODENAME_   18 node number of no node; 563 name longer
//                             than maxlen; 29 nodename missing
//   PROCESSOR_GETINFOLIST_    2 an attribute code not supported
//                             (*error_detail: its index in the list, from
//                             0); 18 a node name other than the local one;
//                             590 a processor other than 0, or a negative
//                             count; 563 values_maxlen smaller than the
//                             count; 29 a list missing
#ifndef KEYMEND_NSK_SYSTEM_INFO_H_
#define KEYMEND_NSK_SYSTEM_INFO_H_

#include <cstdint>
#include <optional>

#include "nsk/catalog.h"

namespace nsk {

constexpr int32_t kLocalNodeNumber = 0;
constexpr int16_t kErrorNoSuchNode = 18;
constexpr int16_t kErrorUnknownAttribute = 2;

int16_t NodeNumberToNodeName(const NodeSettings& settings, std::optional<int32_t> nodenumber,
                             char* nodename, int16_t maxlen, int16_t* nodename_length);

int16_t ProcessorGetInfoList(const NodeSettings& settings, const char* nodename,
                             std::optional<int16_t> nodename_length, std::optional<int16_t> cpu,
                             const int16_t* attribute_list, int16_t attribute_count,
                             int16_t* values_list, int16_t values_maxlen, int16_t* values_length,
                             int16_t* error_detail);

}  // namespace nsk

#endif  // KEYMEND_NSK_SYSTEM_INFO_H_
