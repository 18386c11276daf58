// lumivale-ctl as a user runs it: a real process on a temporary device.
#include <gtest/gtest.h>

#include "tests/app/test_log_reader.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using testing_support::bin_path;
using testing_support::ProcessResult;
using testing_support::run_process;

class Ctl : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testing_support::make_temp_dir("lumivale-ctl-"); }
  void TearDown() override { std::filesystem::remove_all(root_); }
  ProcessResult ctl(std::vector<std::string> args) {
    args.insert(args.begin(), {bin_path("lumivale-ctl"), "--device", root_.string()});
    return run_process(args);
  }
  std::filesystem::path root_;
};

TEST_F(Ctl, HelpAndVersionGoToStandardOutput) {
  for (const char* flag : {"--help", "--version"}) {
    const auto r = run_process({bin_path("lumivale-ctl"), flag});
    EXPECT_EQ(r.exit_code, 0) << flag;
    EXPECT_FALSE(r.out.empty()) << flag;
    EXPECT_TRUE(r.err.empty()) << flag;
  }
  const auto r = ctl({"reg", "--help"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("reg set KEY NAME VALUE"), std::string::npos);
}

TEST_F(Ctl, ErrorsGoToStandardErrorWithAFailureCode) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"reg", "get", "HKEY_NOWHERE\\x", "a"},
      {"reg", "set", "HKEY_CURRENT_USER\\x", "a", "dword:-1"},
      {"reg", "set", "HKEY_CURRENT_USER\\x", "a", "dword:4294967296"},
      {"reg", "set", "HKEY_CURRENT_USER\\x", "a", "binary:abc"},
      {"reg", "set", "HKEY_CURRENT_USER\\x", "a", "text"},
      {"reg", "get", "HKEY_CURRENT_USER\\x", "missing"},
      {"reg", "list", "HKEY_CURRENT_USER\\missing"},
  };
  for (const auto& args : bad) {
    const auto r = ctl(args);
    EXPECT_NE(r.exit_code, 0) << ::testing::PrintToString(args);
    EXPECT_TRUE(r.out.empty()) << ::testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty()) << ::testing::PrintToString(args);
  }
}

TEST_F(Ctl, RegistryValuesRoundTrip) {
  const std::string key = "HKEY_CURRENT_USER\\Software\\NELM\\Lumivale";
  ASSERT_EQ(ctl({"reg", "set", key, "Count", "dword:0x10"}).exit_code, 0);
  ASSERT_EQ(ctl({"reg", "set", key, "Skin", "string:Ночь"}).exit_code, 0);
  ASSERT_EQ(ctl({"reg", "set", key, "Blob", "binary:00ff10"}).exit_code, 0);
  EXPECT_EQ(ctl({"reg", "get", key, "count"}).out, "dword:16\n");
  EXPECT_EQ(ctl({"reg", "get", key, "Skin"}).out, "string:Ночь\n");
  EXPECT_EQ(ctl({"reg", "list", "HKEY_CURRENT_USER\\Software\\NELM"}).out, "[Lumivale]\nLog=dword:0\n");
  EXPECT_EQ(ctl({"reg", "list", key}).out, "Blob=binary:00ff10\nCount=dword:16\nSkin=string:Ночь\n");
  EXPECT_EQ(ctl({"reg", "delete", key, "Blob"}).exit_code, 0);
  EXPECT_NE(ctl({"reg", "delete", key, "Blob"}).exit_code, 0);
  EXPECT_EQ(ctl({"reg", "delete", key}).exit_code, 0);
  EXPECT_NE(ctl({"reg", "get", key, "Count"}).exit_code, 0);
}

TEST_F(Ctl, TheLogSwitchTakesEffectOnTheNextRun) {
  ASSERT_EQ(ctl({"reg", "set", "HKEY_CURRENT_USER\\Software\\NELM", "Log", "dword:1"}).exit_code, 0);
  ASSERT_EQ(ctl({"reg", "get", "HKEY_CURRENT_USER\\Software\\NELM", "Log"}).exit_code, 0);
  const auto log = root_ / "fs" / "Temp" / "lumivale-ctl.exe.txt";
  const std::string bytes = testing_support::read_bytes(log);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_NE(testing_support::log_text(log).find("lumivale-ctl reg get"), std::string::npos);
}

}  // namespace
