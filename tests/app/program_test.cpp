// The program as real processes on one test device: the single-instance
// hand-over, refused command lines, the orderly stop on SIGTERM, keys from
// lumivale-ctl reaching the key handling.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/registry.h"
#include "tests/app/test_log_reader.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace std::chrono_literals;
using testing_support::bin_path;
using testing_support::run_process;

// A program started in the background, output to a file, stopped by SIGTERM.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 1);
      dup2(fd, 2);
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
  }
  ~BackgroundProcess() {
    if (pid_ > 0 && !exit_code_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit code after `signal`, or -1 when it did not end within 30 s.
  int stop(int signal = SIGTERM) {
    kill(pid_, signal);
    for (int i = 0; i < 3000; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return *exit_code_;
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exit_code_;
};

class ProgramTest : public testing_support::DeviceTest {
 protected:
  ProgramTest() { EXPECT_TRUE(lv::reg_write_dword(lv::kFrameKey, u"Log", 1)); }

  std::vector<std::string> lumivale(const std::string& command_line) const {
    return {bin_path("lumivale"), "--device", device_.root().string(), "--headless", command_line};
  }
  // The log as text; every process of the program writes the one file.
  std::string log() const { return testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt")); }
  bool wait_for_log(const std::string& needle) const {
    for (int i = 0; i < 2000; ++i) {
      if (log().find(needle) != std::string::npos) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  std::string messages() const { return testing_support::read_bytes(device_.root() / "system" / "messages.log"); }
};

TEST_F(ProgramTest, ASecondStartHandsItsCommandLineOverAndEnds) {
  BackgroundProcess first(lumivale("run"), device_.root() / "first.out");
  ASSERT_TRUE(wait_for_log("WinMain 4\n")) << log();

  const auto second = run_process(lumivale("run"));
  EXPECT_EQ(second.exit_code, 0) << second.err;
  EXPECT_TRUE(wait_for_log("AppListener::on_other_instance_started cmd_line=run\n")) << log();
  // The second start joined the log instead of wiping the running one's.
  EXPECT_NE(log().find("Application::EnumProc window found 2\n"), std::string::npos) << log();
  EXPECT_NE(log().find(" GameBase 5\n"), std::string::npos) << log();

  const auto third = run_process(lumivale(""));  // the empty command line
  EXPECT_EQ(third.exit_code, 0) << third.err;
  EXPECT_TRUE(wait_for_log("AppListener::on_other_instance_started cmd_line=\n")) << log();
  EXPECT_EQ(messages(), "");  // neither was refused

  // SIGTERM closes the window: the loop ends and the frame is torn down.
  EXPECT_EQ(first.stop(SIGTERM), 0);
  EXPECT_NE(log().find("Application::~Application()\n"), std::string::npos) << log();
}

TEST_F(ProgramTest, AFirstStartWithoutAStartWordIsRefused) {
  for (const char* command_line : {"lockup", "Run", " run", ""}) {
    const auto result = run_process(lumivale(command_line));
    EXPECT_EQ(result.exit_code, 0) << command_line << result.err;
    EXPECT_EQ(result.out, "[Lumivale] Please run links\n") << command_line;
    EXPECT_NE(log().find("WinMain 5\n"), std::string::npos) << command_line;
  }
  std::string expected;
  for (int i = 0; i < 4; ++i) expected += "Lumivale\tPlease run links\\n\n";
  EXPECT_EQ(messages(), expected);
}

TEST_F(ProgramTest, SigintStopsTheProgramInOrder) {
  BackgroundProcess program(lumivale("lock"), device_.root() / "program.out");
  ASSERT_TRUE(wait_for_log("WinMain 4\n")) << log();
  EXPECT_EQ(program.stop(SIGINT), 0);
  EXPECT_NE(log().find("Application::~Application()\n"), std::string::npos) << log();
}

TEST_F(ProgramTest, AKeyPressedWithLumivaleCtlReachesTheKeyHandling) {
  BackgroundProcess program(lumivale("run"), device_.root() / "program.out");
  ASSERT_TRUE(wait_for_log("WinMain 4\n")) << log();
  const auto key = run_process({bin_path("lumivale-ctl"), "--device", device_.root().string(), "key", "SOFT_LEFT"});
  if (key.err.find("unknown command 'key'") != std::string::npos) GTEST_SKIP() << "lumivale-ctl has no key command";
  EXPECT_EQ(key.exit_code, 0) << key.err;
  EXPECT_TRUE(wait_for_log("WM_KEYDOWN = 112(SOFT_LEFT) lParam=")) << log();
  EXPECT_TRUE(wait_for_log("WM_KEYUP = 112(SOFT_LEFT) lParam=")) << log();
  EXPECT_EQ(program.stop(), 0);
}

TEST(ProgramOptions, HelpListsTheDesktopKeysAndBadOptionsFail) {
  const auto help = run_process({bin_path("lumivale"), "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("COMMAND_LINE"), std::string::npos);
  EXPECT_NE(help.out.find("--headless"), std::string::npos);
  const auto extra = run_process({bin_path("lumivale"), "--headless", "run", "lock"});
  EXPECT_EQ(extra.exit_code, 2);
  EXPECT_NE(extra.err.find("one argument"), std::string::npos);
  const auto unknown = run_process({bin_path("lumivale"), "--bogus", "run"});
  EXPECT_EQ(unknown.exit_code, 2);
}

}  // namespace
