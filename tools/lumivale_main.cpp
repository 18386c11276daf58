// lumivale: the program on the simulated device. Host options come first;
// the one remaining argument is the program's command line, passed on exactly
// as typed.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/single_instance.h"
#include "app/win_main.h"
#include "platform/screen.h"
#include "platform/unicode.h"
#include "tools/cli.h"
#include "ui/kinds.h"

namespace {

constexpr const char* kUsage = R"(Usage: lumivale [OPTIONS] [COMMAND_LINE]

Starts Lumivale on a simulated device. COMMAND_LINE is the program's command
line, one argument, passed on exactly as typed: "run" starts normally, "lock"
starts and locks the phone, "runsplash" starts with the gesture guide when it
was not shown yet. No argument is the empty command line. A start while
Lumivale runs on the device hands its command line to the running program and
ends; a first start with anything else shows "Please run links" and ends.
SIGTERM and SIGINT close the program as closing its window does.

Options (before COMMAND_LINE; "--" ends them):
  --device DIR      the device root (default: $LUMIVALE_DEVICE, else
                    ~/.local/share/lumivale/devices/default); made on first use
  --help            show this help
  --version         show the version
)";

// Blocks the stop signals in every thread (threads started later inherit the
// mask) and turns them into an orderly stop on a thread of their own.
void handle_stop_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    for (;;) {
      int signal_number = 0;
      if (sigwait(&set, &signal_number) == 0) lv::request_stop();
    }
  }).detach();
}

bool is_host_option(const std::string& arg) {
  return arg == "--help" || arg == "-h" || arg == "--version" || arg == "--device" || arg == "--profile" ||
         arg == "--zoom" || arg == "--headless" || arg.rfind("--device=", 0) == 0 ||
         arg.rfind("--profile=", 0) == 0 || arg.rfind("--zoom=", 0) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  handle_stop_signals();
  cli::CommonOptions options;
  std::vector<std::string> display_args;
  std::vector<std::string> rest;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (!is_host_option(arg)) {
      if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
        std::fprintf(stderr, "lumivale: unknown option '%s' (try --help; \"--\" ends the options)\n", arg.c_str());
        return 2;
      }
      break;
    }
    const bool takes_value = arg == "--device" || arg == "--profile" || arg == "--zoom";
    if (takes_value && i + 1 >= argc) {
      std::fprintf(stderr, "lumivale: %s needs a value\n", arg.c_str());
      return 2;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--device") {
      options.device = argv[++i];
    } else if (arg.rfind("--device=", 0) == 0) {
      options.device = arg.substr(9);
    } else {
      display_args.push_back(arg);
      if (takes_value) display_args.push_back(argv[++i]);
    }
  }
  for (; i < argc; ++i) rest.push_back(argv[i]);

  if (options.help) {
    std::fputs(kUsage, stdout);
    std::fputs(platform::display_options_help(), stdout);
    std::fputs("\n", stdout);
    std::fputs(platform::desktop_key_help(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts(cli::version_line("lumivale").c_str());
    return 0;
  }
  if (rest.size() > 1) {
    std::fputs("lumivale: the command line is one argument; quote it (try --help)\n", stderr);
    return 2;
  }
  platform::DisplayOptions display;
  std::string error;
  if (!platform::take_display_options(display_args, display, error)) {
    std::fprintf(stderr, "lumivale: %s\n", error.c_str());
    return 2;
  }
  const auto device = cli::open_device(options, error);
  if (!device) {
    std::fprintf(stderr, "lumivale: %s\n", error.c_str());
    return 1;
  }
  if (!platform::configure_display(display, &error)) {
    std::fprintf(stderr, "lumivale: %s\n", error.c_str());
    return 1;
  }
  const std::u16string command_line = rest.empty() ? std::u16string() : platform::from_utf8(rest.front());
  lv::Application::install_element_kinds({lv::register_toolkit_kinds, lv::unregister_toolkit_kinds});
  return lv::win_main(command_line);
}
