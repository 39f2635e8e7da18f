// The real platform on a real node in a temporary directory.
#include "nsk/platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nsk/break_key.h"
#include "nsk/fault.h"
#include "nsk/host_errors.h"
#include "tests/support/run_command.h"

namespace nsk {
namespace {

std::string terminal_output;

ssize_t CaptureTerminal(int, const void* data, size_t size) {
  terminal_output.append(static_cast<const char*>(data), size);
  return static_cast<ssize_t>(size);
}

// What the startup procedure was called with.
struct StartupCall {
  int calls = 0;
  int16_t* rucb = nullptr;
  void* passthru = nullptr;
  std::string message;
  int16_t length = 0;
  int16_t match = -1;
} startup_call;

void RecordStartup(int16_t* rucb, void* passthru, const int16_t* message, int16_t length,
                   int16_t match) {
  ++startup_call.calls;
  startup_call.rucb = rucb;
  startup_call.passthru = passthru;
  startup_call.message.assign(reinterpret_cast<const char*>(message), static_cast<size_t>(length));
  startup_call.length = length;
  startup_call.match = match;
}

class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest() {
    ResetBreakForTesting();
    terminal_output.clear();
    startup_call = StartupCall();
    NodeSettings settings;
    settings.node_name = "\\TEST";
    settings.os_version = static_cast<int16_t>((('J' + 10) << 8) | 6);
    settings.os_update = 15;
    EXPECT_TRUE(Catalog::Create(dir_.path() + "/node", settings, CatalogOptions(), &catalog_).ok());
    Create("$DATA.USER.LOG", 2);
    Create("$DATA.USER.KEYED", 3);
    Create("$DATA.USER.SECURED", 2, "SALES.JOE", "AOAA");
    platform_ = MakePlatform(User());
  }
  ~PlatformTest() override {
    InstallFaultPlan(nullptr);
    ResetBreakForTesting();
  }

  void Create(const std::string& name, int16_t type, const std::string& owner = "SUPER.SUPER",
              const std::string& security = "AAAA") {
    FileEntry entry;
    entry.name = name;
    entry.file_type = type;
    entry.owner = owner;
    entry.security = security;
    ASSERT_TRUE(catalog_->CreateFile(entry).ok()) << name;
  }

  std::unique_ptr<Platform> MakePlatform(const User& user) {
    ProcessSettings process;
    process.defaults = NameDefaults{"\\TEST", "$DATA", "USER"};
    process.user = user;
    process.startup = BuildStartupMessage(process.defaults, kHomeTerminal, kHomeTerminal, "A,B");
    process.terminal_write = &CaptureTerminal;
    return std::make_unique<Platform>(catalog_.get(), std::move(process));
  }

  int16_t Open(const std::string& name, int16_t* filenum, Platform* platform = nullptr) {
    return (platform ? platform : platform_.get())
        ->FILE_OPEN_(name.data(), static_cast<int16_t>(name.size()), filenum, {}, {}, {}, {}, {});
  }
  sys::CC Write(int16_t filenum, const std::string& text) {
    return platform_->WRITE(filenum, text.data(), static_cast<int16_t>(text.size()), nullptr, {});
  }
  int16_t LastError(int16_t filenum) {
    int16_t error = -1;
    platform_->FILEINFO(filenum, &error);
    return error;
  }
  std::vector<std::string> Records(const std::string& name) {
    std::vector<std::string> records;
    EXPECT_TRUE(catalog_
                    ->ReadRecords(name,
                                  [&records](const std::string& r) {
                                    records.push_back(r);
                                    return true;
                                  })
                    .ok());
    return records;
  }

  keymend::testing::ScopedTempDir dir_;
  std::unique_ptr<Catalog> catalog_;
  std::unique_ptr<Platform> platform_;
};

TEST_F(PlatformTest, InitializerHandsTheMessageOverOnce) {
  int16_t rucb[4] = {};
  int passthru = 0;
  EXPECT_EQ(platform_->INITIALIZER(rucb, &passthru, &RecordStartup, nullptr, nullptr, {}, {}), 0);
  EXPECT_EQ(startup_call.calls, 1);
  EXPECT_EQ(startup_call.rucb, rucb);
  EXPECT_EQ(startup_call.passthru, &passthru);
  EXPECT_EQ(startup_call.length, 66 + 4);
  EXPECT_EQ(startup_call.message.substr(2, 16), "$DATA   USER    ");
  EXPECT_EQ(startup_call.message.substr(66), std::string("A,B", 4));
  EXPECT_EQ(startup_call.match, 0);

  EXPECT_NE(platform_->INITIALIZER(nullptr, nullptr, &RecordStartup, nullptr, nullptr, {}, {}), 0);
  EXPECT_EQ(startup_call.calls, 1);
}

TEST_F(PlatformTest, FileOpen) {
  struct Case {
    const char* name;
    int16_t error;
  } cases[] = {
      {"$TERM.#HOME", 0},
      {"$term.#home", 0},
      {"\\test.$TERM.#HOME", 0},
      {"LOG", 0},
      {"user.log", 0},
      {"$DATA.USER.LOG", 0},
      {"\\TEST.$DATA.USER.LOG", 0},
      {"", err::kIllegalName},
      {"L*", err::kIllegalName},
      {"$DATA.USER", err::kIllegalName},
      {"1LOG", err::kIllegalName},
      {"\\FAR.$TERM.#HOME", err::kNoSuchDevice},
      {"\\FAR.$DATA.USER.LOG", err::kNoSuchDevice},
      {"$TERM.#OTHER", err::kNoSuchDevice},
      {"$TAPE", err::kNoSuchDevice},
      {"$NOVOL.USER.LOG", err::kNoSuchDevice},
      {"MISSING", err::kNotFound},
      {"KEYED", err::kNotAllowedOnType},
  };
  int16_t expected_number = 1;
  for (const Case& c : cases) {
    int16_t filenum = -7;
    EXPECT_EQ(Open(c.name, &filenum), c.error) << c.name;
    if (c.error == 0) {
      EXPECT_EQ(filenum, expected_number++) << c.name;
    } else {
      EXPECT_EQ(filenum, -1) << c.name;
      EXPECT_EQ(LastError(-1), c.error) << c.name;
    }
  }
}

TEST_F(PlatformTest, OutFileNeedsWriteAccess) {
  int16_t filenum = 0;
  std::unique_ptr<Platform> ann = MakePlatform(User{"SALES", "ANN"});
  EXPECT_EQ(Open("SECURED", &filenum, ann.get()), err::kSecurity);
  EXPECT_EQ(filenum, -1);
  EXPECT_EQ(Open("LOG", &filenum, ann.get()), 0);
  std::unique_ptr<Platform> joe = MakePlatform(User{"SALES", "JOE"});
  EXPECT_EQ(Open("SECURED", &filenum, joe.get()), 0);
  EXPECT_EQ(Open("SECURED", &filenum), 0);  // the super user
}

TEST_F(PlatformTest, TerminalGetsOneLinePerWrite) {
  int16_t term = 0;
  ASSERT_EQ(Open("$TERM.#HOME", &term), 0);
  int16_t written = -1;
  EXPECT_EQ(platform_->WRITE(term, "banner line", 11, &written, {}), sys::CC::kEqual);
  EXPECT_EQ(written, 11);
  EXPECT_EQ(Write(term, ""), sys::CC::kEqual);
  EXPECT_EQ(Write(term, "$DATA.SALES.ORDERS ....... OK"), sys::CC::kEqual);
  EXPECT_EQ(terminal_output, "banner line\n\n$DATA.SALES.ORDERS ....... OK\n");
  EXPECT_EQ(LastError(term), 0);
}

TEST_F(PlatformTest, EntrySequencedOutFileGetsOneRecordPerWrite) {
  int16_t log = 0;
  ASSERT_EQ(Open("LOG", &log), 0);
  EXPECT_EQ(Write(log, "first"), sys::CC::kEqual);
  EXPECT_EQ(Write(log, ""), sys::CC::kEqual);
  EXPECT_EQ(Write(log, std::string("with\nnewline", 12)), sys::CC::kEqual);
  EXPECT_EQ(Records("$DATA.USER.LOG"), (std::vector<std::string>{"first", "", "with\nnewline"}));
  EXPECT_EQ(terminal_output, "");
}

TEST_F(PlatformTest, PendingBreakFailsTheNextWriteWithoutWriting) {
  int16_t log = 0, term = 0;
  ASSERT_EQ(Open("LOG", &log), 0);
  ASSERT_EQ(Open("$TERM.#HOME", &term), 0);
  PressBreak();
  EXPECT_EQ(Write(log, "lost"), sys::CC::kLess);
  EXPECT_EQ(LastError(log), err::kBreak);
  EXPECT_TRUE(Records("$DATA.USER.LOG").empty());
  EXPECT_EQ(Write(log, "kept"), sys::CC::kEqual);

  ResetBreakForTesting();
  PressBreak();
  EXPECT_EQ(Write(term, "lost"), sys::CC::kLess);
  EXPECT_EQ(LastError(term), err::kBreak);
  EXPECT_EQ(terminal_output, "");
}

TEST_F(PlatformTest, StoreFailuresOfAnOutFileAndFileError) {
  int16_t log = 0;
  ASSERT_EQ(Open("LOG", &log), 0);
  FaultPlan plan;
  InstallFaultPlan(&plan);
  struct Case {
    FaultKind kind;
    int16_t error;
    int16_t retry;
  } cases[] = {
      {FaultKind::kBusy, err::kTimedOut, 1},  // another process holds the lock
      {FaultKind::kDiskFull, err::kFileFull, 0},
      {FaultKind::kIoError, err::kDiskIo, 0},
  };
  for (const Case& c : cases) {
    plan.FailNth(1, c.kind);
    EXPECT_EQ(Write(log, "x"), sys::CC::kLess) << c.error;
    EXPECT_EQ(LastError(log), c.error);
    EXPECT_EQ(platform_->FILEERROR(log), c.retry) << c.error;
  }
  plan.Clear();
  EXPECT_EQ(Write(log, "after"), sys::CC::kEqual);
  EXPECT_EQ(Records("$DATA.USER.LOG"), std::vector<std::string>{"after"});

  // A file purged behind the process's back: not curable.
  ASSERT_TRUE(catalog_->PurgeFile("$DATA.USER.LOG").ok());
  EXPECT_EQ(Write(log, "x"), sys::CC::kLess);
  EXPECT_EQ(LastError(log), err::kNotFound);
  EXPECT_EQ(platform_->FILEERROR(log), 0);
}

TEST_F(PlatformTest, ProcessEnds) {
  auto ended = [](const std::function<void()>& body) {
    try {
      body();
    } catch (const sys::ProcessEnded& e) {
      return e;
    }
    ADD_FAILURE() << "the process did not end";
    return sys::ProcessEnded{};
  };
  using How = sys::ProcessEnded::How;
  sys::ProcessEnded e = ended([&] { platform_->STOP(nullptr, {}, nullptr, {}); });
  EXPECT_EQ(e.how, How::kStop);
  EXPECT_EQ(e.completion_code, 0);
  e = ended([&] { platform_->STOP(nullptr, {}, nullptr, 2); });
  EXPECT_EQ(e.completion_code, 2);
  e = ended([&] { platform_->PROCESS_STOP_(nullptr, {}, {}, {}); });
  EXPECT_EQ(e.how, How::kProcessStop);
  EXPECT_EQ(e.completion_code, 0);
  e = ended([&] { platform_->PROCESS_STOP_(nullptr, {}, {}, 1); });
  EXPECT_EQ(e.completion_code, 1);

  ::testing::internal::CaptureStderr();
  e = ended([&] { platform_->ABEND(nullptr, {}, nullptr, {}); });
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "KEYMEND: process abended\n");
  EXPECT_EQ(e.how, How::kAbend);
  EXPECT_EQ(ExitStatusFor(e), 5);

  // Only the calling process can be stopped: naming another one is an
  // abend, never a silent success.
  const int16_t other[4] = {1, 2, 3, 4};
  ::testing::internal::CaptureStderr();
  e = ended([&] { platform_->STOP(other, {}, nullptr, {}); });
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("KEYMEND: process abended"),
            std::string::npos);
  EXPECT_EQ(e.how, How::kAbend);
  ::testing::internal::CaptureStderr();
  e = ended([&] { platform_->PROCESS_STOP_(other, {}, {}, {}); });
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(e.how, How::kAbend);
}

TEST(ExitStatusTest, CompletionCodes) {
  using How = sys::ProcessEnded::How;
  struct Case {
    sys::ProcessEnded ended;
    int status;
  } cases[] = {
      {{How::kStop, 0}, 0},     {{How::kProcessStop, 1}, 1}, {{How::kProcessStop, 2}, 2},
      {{How::kStop, 255}, 255}, {{How::kStop, 256}, 255},    {{How::kStop, -1}, 255},
      {{How::kAbend, 5}, 5},    {{How::kAbend, 0}, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExitStatusFor(c.ended), c.status) << c.ended.completion_code;
  }
}

TEST_F(PlatformTest, SystemInformationFromTheNodeSettings) {
  char name[10];
  int16_t length = 0;
  EXPECT_EQ(platform_->NODENUMBER_TO_NODENAME_({}, name, 10, &length), 0);
  EXPECT_EQ(std::string(name, static_cast<size_t>(length)), "\\TEST");
  const int16_t attributes[] = {sys::kAttributeOsVersion, sys::kAttributeOsUpdate};
  int16_t values[2] = {};
  EXPECT_EQ(platform_->PROCESSOR_GETINFOLIST_(nullptr, {}, {}, attributes, 2, values, 2, &length,
                                              nullptr),
            0);
  EXPECT_EQ(values[0], (('J' + 10) << 8) | 6);
  EXPECT_EQ(values[1], 15);
  char digits[8];
  EXPECT_EQ(platform_->DNUMOUT(digits, 6, 10, 2, {}), 2);
  EXPECT_EQ(std::string(digits, 2), "06");
}

TEST_F(PlatformTest, NamesSearchAndLabelsReachTheNode) {
  char full[40];
  int16_t length = 0;
  EXPECT_EQ(platform_->FILENAME_RESOLVE_("keyed", 5, full, 40, &length, {}, nullptr, {}, nullptr,
                                         {}, nullptr, {}),
            0);
  EXPECT_EQ(std::string(full, static_cast<size_t>(length)), "$DATA.USER.KEYED");

  int16_t id = 0;
  ASSERT_EQ(platform_->FILENAME_FINDSTART_(&id, "*", 1, {}, {}, {}, {}, nullptr, {}), 0);
  std::vector<std::string> names;
  char name[40];
  while (platform_->FILENAME_FINDNEXT_(id, name, 40, &length, nullptr, {}) == 0) {
    names.emplace_back(name, static_cast<size_t>(length));
  }
  EXPECT_EQ(platform_->FILENAME_FINDFINISH_(id), 0);
  EXPECT_EQ(names,
            (std::vector<std::string>{"$DATA.USER.KEYED", "$DATA.USER.LOG", "$DATA.USER.SECURED"}));

  int16_t typeinfo[5] = {};
  EXPECT_EQ(platform_->FILE_GETINFOBYNAME_("LOG", 3, typeinfo, nullptr, {}, {}), 0);
  EXPECT_EQ(typeinfo[0], sys::kDeviceTypeDisk);
  EXPECT_EQ(typeinfo[3], 2);
}

}  // namespace
}  // namespace nsk
