// A fresh node in a temporary directory, with short verbs for the tests of
// the store (catalog, search, labels).
#ifndef KEYMEND_TESTS_NSK_STORE_FIXTURE_H_
#define KEYMEND_TESTS_NSK_STORE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nsk/catalog.h"
#include "tests/support/run_command.h"

namespace nsk {

// Items 100 to 104 as stored: little-endian words, then the names.
inline std::string AltList(int keys, const std::vector<std::string>& files) {
  std::string out;
  auto word = [&out](int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  word(keys);
  for (int k = 0; k < keys; ++k) {
    for (int w : {('A' << 8) | static_cast<char>('A' + k), 4, 2 * k, k, 0, 0}) word(w);
  }
  word(static_cast<int>(files.size()));
  for (const std::string& f : files) word(static_cast<int>(f.size()));
  for (const std::string& f : files) out += f;
  return out;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path() + "/node";
    NodeSettings settings;
    settings.node_name = "\\TEST";
    CatalogOptions options;
    options.busy_timeout_ms = 100;
    Error e = Catalog::Create(root_, settings, options, &catalog_);
    ASSERT_TRUE(e.ok()) << e.message;
    for (const char* v : {"$D1", "$D2", "$D10"}) ASSERT_TRUE(catalog_->AddVolume(v).ok());
  }

  // Creates a file; fails the test when it cannot.
  void MakeFile(const std::string& name, int16_t type = 3, const std::string& altlist = "",
                const std::string& owner = "SUPER.SUPER", const std::string& security = "AAAA") {
    FileEntry entry;
    entry.name = name;
    entry.file_type = type;
    entry.owner = owner;
    entry.security = security;
    entry.altlist = altlist;
    Error e = catalog_->CreateFile(entry);
    ASSERT_TRUE(e.ok()) << name << ": " << e.message;
  }

  std::string Label(const std::string& name) {
    FileEntry entry;
    Error e = catalog_->GetFile(name, &entry);
    EXPECT_TRUE(e.ok()) << name << ": " << e.message;
    return entry.altlist;
  }

  keymend::testing::ScopedTempDir dir_;
  std::string root_;
  std::unique_ptr<Catalog> catalog_;
};

}  // namespace nsk

#endif  // KEYMEND_TESTS_NSK_STORE_FIXTURE_H_
