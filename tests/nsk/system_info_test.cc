#include "nsk/system_info.h"

#include <gtest/gtest.h>

#include <string>

#include "nsk/host_errors.h"
#include "sys/guardian.h"

namespace nsk {
namespace {

NodeSettings Settings() {
  NodeSettings settings;
  settings.node_name = "\\PROD42";
  settings.os_version = static_cast<int16_t>((('J' + 10) << 8) | 6);
  settings.os_update = 15;
  return settings;
}

TEST(NodeNameTest, LocalNodeWithItsBackslash) {
  char name[10] = {};
  int16_t length = -1;
  EXPECT_EQ(NodeNumberToNodeName(Settings(), std::nullopt, name, 10, &length), 0);
  EXPECT_EQ(std::string(name, static_cast<size_t>(length)), "\\PROD42");
  length = -1;
  EXPECT_EQ(NodeNumberToNodeName(Settings(), kLocalNodeNumber, name, 7, &length), 0);
  EXPECT_EQ(length, 7);
}

TEST(NodeNameTest, Errors) {
  struct Case {
    const char* what;
    std::optional<int32_t> node;
    int16_t maxlen;
    int16_t error;
  } errors[] = {
      {"other node", 3, 10, kErrorNoSuchNode},
      {"negative node", -1, 10, kErrorNoSuchNode},
      {"buffer too small", std::nullopt, 6, err::kBufferTooSmall},
      {"no room at all", std::nullopt, 0, err::kBufferTooSmall},
  };
  for (const Case& c : errors) {
    char name[10] = "untouched";
    int16_t length = -1;
    EXPECT_EQ(NodeNumberToNodeName(Settings(), c.node, name, c.maxlen, &length), c.error) << c.what;
    EXPECT_STREQ(name, "untouched") << c.what;
    EXPECT_EQ(length, -1) << c.what;
  }
}

TEST(ProcessorInfoTest, VersionAndUpdate) {
  const int16_t attributes[] = {sys::kAttributeOsVersion, sys::kAttributeOsUpdate};
  int16_t values[2] = {};
  int16_t count = -1;
  EXPECT_EQ(ProcessorGetInfoList(Settings(), nullptr, std::nullopt, std::nullopt, attributes, 2,
                                 values, 2, &count, nullptr),
            0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(values[0] >> 8, 'J' + 10);
  EXPECT_EQ(values[0] & 0xFF, 6);
  EXPECT_EQ(values[1], 15);

  // The local node by name, in any case, and processor 0.
  const int16_t update_only[] = {sys::kAttributeOsUpdate};
  EXPECT_EQ(ProcessorGetInfoList(Settings(), "\\prod42", 7, 0, update_only, 1, values, 2, &count,
                                 nullptr),
            0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(values[0], 15);
}

TEST(ProcessorInfoTest, Errors) {
  struct Case {
    const char* what;
    const char* node;
    std::optional<int16_t> cpu;
    int16_t attributes[2];
    int16_t count;
    int16_t maxlen;
    int16_t error;
    int16_t detail;
  } errors[] = {
      {"unknown attribute", nullptr, std::nullopt, {3, 7}, 2, 2, kErrorUnknownAttribute, 1},
      {"other node", "\\FAR", std::nullopt, {3, 60}, 2, 2, kErrorNoSuchNode, -1},
      {"other cpu", nullptr, 1, {3, 60}, 2, 2, err::kBadParameterValue, -1},
      {"values list too short", nullptr, std::nullopt, {3, 60}, 2, 1, err::kBufferTooSmall, -1},
      {"negative count", nullptr, std::nullopt, {3, 60}, -1, 2, err::kBadParameterValue, -1},
  };
  for (const Case& c : errors) {
    int16_t values[2] = {-7, -7};
    int16_t count = -1;
    int16_t detail = -1;
    const std::optional<int16_t> node_length =
        c.node ? std::optional<int16_t>(static_cast<int16_t>(std::string(c.node).size()))
               : std::nullopt;
    EXPECT_EQ(ProcessorGetInfoList(Settings(), c.node, node_length, c.cpu, c.attributes, c.count,
                                   values, c.maxlen, &count, &detail),
              c.error)
        << c.what;
    EXPECT_EQ(detail, c.detail) << c.what;
    EXPECT_EQ(values[0], -7) << c.what;
    EXPECT_EQ(count, -1) << c.what;
  }
}

}  // namespace
}  // namespace nsk
