// lumivale-skinc as a command: usage, exit codes, messages, depfile, dump.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/app/test_log_reader.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using testing_support::bin_path;
using testing_support::run_process;

const std::string kSplash = std::string(LUMIVALE_SOURCE_DIR) + "/assets/skins/splash/splash.xml";

TEST(SkincCommand, HelpVersionAndUsageErrors) {
  const auto help = run_process({bin_path("lumivale-skinc"), "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("compile SOURCE.xml -o DIR"), std::string::npos);
  const auto version = run_process({bin_path("lumivale-skinc"), "--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("lumivale-skinc ", 0), 0u);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"compile", kSplash}, {"check"}, {"dump"}, {"compile", kSplash, "-o"}}) {
    std::vector<std::string> argv = {bin_path("lumivale-skinc")};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto r = run_process(argv);
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("lumivale-skinc: "), std::string::npos);
  }
}

TEST(SkincCommand, CompileWritesSkinPicturesAndDepfileAndDumpReadsIt) {
  const auto dir = testing_support::make_temp_dir("lumivale-skinc-cmd");
  const auto out = dir / "out dir";
  const auto r = run_process({bin_path("lumivale-skinc"), "compile", kSplash, "-o", out.string(), "--depfile",
                              (dir / "splash.d").string()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(out / "splash.skin"));
  EXPECT_TRUE(std::filesystem::exists(out / "splash_wait.bmp"));
  const std::string dep = testing_support::read_bytes(dir / "splash.d");
  EXPECT_NE(dep.find("out\\ dir/splash.skin:"), std::string::npos) << dep;
  EXPECT_NE(dep.find("splash/wait.png"), std::string::npos) << dep;

  const auto dump = run_process({bin_path("lumivale-skinc"), "dump", (out / "splash.skin").string()});
  EXPECT_EQ(dump.exit_code, 0) << dump.err;
  EXPECT_NE(dump.out.find("node \"Splash\"\n"), std::string::npos);
  EXPECT_NE(dump.out.find("string \"id\" = [4] \"iphoneWait\""), std::string::npos) << dump.out;

  std::ofstream(dir / "junk.skin", std::ios::binary) << std::string(200, 'x');
  const auto junk = run_process({bin_path("lumivale-skinc"), "dump", (dir / "junk.skin").string()});
  EXPECT_EQ(junk.exit_code, 1);
  EXPECT_NE(junk.err.find("not a skin file"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(SkincCommand, CheckReportsEveryErrorAsFileLineCode) {
  const auto dir = testing_support::make_temp_dir("lumivale-skinc-check");
  const auto source = dir / "bad.xml";
  std::ofstream(source) << "<skin>\n<node name=\"a\">\n<bogus/>\n<int name=\"i\" value=\"x\"/>\n</node>\n</skin>\n";
  const auto r = run_process({bin_path("lumivale-skinc"), "check", source.string()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find(source.string() + ":3: error[E003]: unknown attribute type <bogus>"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(source.string() + ":4: error[E005]: "), std::string::npos) << r.err;
  EXPECT_EQ(run_process({bin_path("lumivale-skinc"), "check", kSplash}).exit_code, 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
