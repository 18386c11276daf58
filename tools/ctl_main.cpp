// lumivale-ctl: works a simulated device from outside.
#include <cstdio>
#include <string>

#include "app/log.h"
#include "platform/shell.h"
#include "platform/unicode.h"
#include "tools/cli.h"
#include "tools/ctl.h"

namespace {

constexpr const char* kHelp = R"(Usage: lumivale-ctl [--device DIR] COMMAND [ARGS]

Works a simulated Lumivale device from outside.

Commands:
  reg get KEY NAME          print a registry value as dword:N, string:TEXT or binary:HEX
  reg set KEY NAME VALUE    write a value; VALUE is dword:N (decimal or 0x hex),
                            string:TEXT or binary:HEX (pairs of hex digits)
  reg delete KEY [NAME]     delete a value, or the key with everything below it
  reg list KEY              list a key's subkeys ([Name]) and values (Name=VALUE)
  profiles                  list the device profiles (the current one marked *)
  windows                   list the device's top-level windows:
                            HANDLE PROCESS visible|hidden CLASS TITLE
  tap X Y                   tap the screen at X, Y
  drag X1 Y1 X2 Y2 [MS]     press at X1, Y1, move to X2, Y2 in MS ms (300), release
  key NAME [--down|--up]    press and release a phone key (or only one half);
                            NAME is a key name: SOFT_LEFT SOFT_RIGHT CALL_MAKE
                            CALL_END Backspace Enter Left Right Up Down 0-9 * #
                            VOLUME_UP VOLUME_DOWN A-Z Space ...
  screenshot FILE.png       save the device screen of the running program

KEY is a textual key path such as "HKEY_CURRENT_USER\Software\NELM"; the roots
are HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_USER.

Options:
  --device DIR   the device root (default: $LUMIVALE_DEVICE, else
                 ~/.local/share/lumivale/devices/default); made on first use
  --help         show this help
  --version      show the version

Example: switch the program's log on
  lumivale-ctl reg set "HKEY_CURRENT_USER\Software\NELM" Log dword:1
)";

}  // namespace

int main(int argc, char** argv) {
  // A program of its own on the device, so its log never truncates Lumivale's.
  platform::set_module_file_name(u"\\Windows\\lumivale-ctl.exe");
  cli::CommonOptions options;
  std::string error;
  if (!cli::parse_common(argc, argv, options, error)) {
    std::fprintf(stderr, "lumivale-ctl: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (options.version) {
    std::puts(cli::version_line("lumivale-ctl").c_str());
    return 0;
  }
  if (options.rest.empty()) {
    std::fputs("lumivale-ctl: missing command (try --help)\n", stderr);
    return 2;
  }
  const std::string command = options.rest.front();
  const std::vector<std::string> args(options.rest.begin() + 1, options.rest.end());
  if (command != "reg" && !ctl::is_device_command(command)) {
    std::fprintf(stderr, "lumivale-ctl: unknown command '%s' (try --help)\n", command.c_str());
    return 2;
  }
  const auto device = cli::open_device(options, error);
  if (!device) {
    std::fprintf(stderr, "lumivale-ctl: %s\n", error.c_str());
    return 1;
  }
  std::string line = "lumivale-ctl " + command;
  for (const auto& a : args) line += " " + a;
  lv::log() << platform::from_utf8(line) << u"\n";
  if (command != "reg") return ctl::run_device_command(command, args);
  return ctl::run_reg(args);
}
