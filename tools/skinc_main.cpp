// lumivale-skinc: the skin compiler.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/cli.h"
#include "tools/skinc.h"

namespace {

constexpr const char* kHelp = R"(Usage: lumivale-skinc COMMAND [ARGS]

Compiles Lumivale skin sources (XML with PNG pictures beside it) into the
binary ".skin" files and 16-bit ".bmp" pictures the program loads.

Commands:
  compile SOURCE.xml -o DIR [--depfile FILE]
                       write DIR/NAME.skin (NAME is the source's file name
                       without ".xml") and DIR/NAME_<picture>.bmp; --depfile
                       writes a make-style list of the files the skin was
                       made from
  check SOURCE.xml     check the source without writing anything
  dump FILE.skin       print a compiled skin as text: header, pictures, fonts,
                       strings and the node tree with typed attributes

Errors are printed as "file:line: error[CODE]: message"; docs/skins.md lists
the codes. Exit status: 0 success, 1 errors in the input, 2 wrong usage.

Options:
  --help               show this help
  --version            show the version
)";

int usage(const std::string& message) {
  std::fprintf(stderr, "lumivale-skinc: %s (try --help)\n", message.c_str());
  return 2;
}

int report(const skinc::Diagnostics& diag) {
  for (const auto& d : diag.list()) std::fprintf(stderr, "%s\n", d.text().c_str());
  return 1;
}

int compile(const std::vector<std::string>& args, bool write) {
  std::string source, out_dir, depfile;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (write && (a == "-o" || a == "--depfile")) {
      if (i + 1 == args.size()) return usage(a + " needs a value");
      (a == "-o" ? out_dir : depfile) = args[++i];
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else if (source.empty()) {
      source = a;
    } else {
      return usage("more than one source");
    }
  }
  if (source.empty()) return usage("missing SOURCE.xml");
  if (write && out_dir.empty()) return usage("compile needs -o DIR");
  skinc::CompiledSkin skin;
  skinc::Diagnostics diag;
  if (!skinc::compile_source(source, skin, diag)) return report(diag);
  if (!write) return 0;
  std::string error;
  if (!skinc::write_outputs(skin, out_dir, error) ||
      (!depfile.empty() &&
       !skinc::write_depfile(skin, depfile, std::filesystem::path(out_dir) / (skin.name + ".skin"), error))) {
    std::fprintf(stderr, "lumivale-skinc: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int dump(const std::vector<std::string>& args) {
  if (args.size() != 1) return usage("dump takes one FILE.skin");
  std::ifstream in(args[0], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "lumivale-skinc: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string reason;
  const auto file = lv::SkinFile::open(std::move(bytes), &reason);
  if (!file) {
    std::fprintf(stderr, "lumivale-skinc: %s: %s\n", args[0].c_str(),
                 reason.empty() ? "not a skin file (too small or wrong magic)" : ("damaged skin: " + reason).c_str());
    return 1;
  }
  std::fputs(skinc::dump_skin(*file).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--version") {
      std::puts(cli::version_line("lumivale-skinc").c_str());
      return 0;
    }
  }
  if (args.empty()) return usage("missing command");
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "compile") return compile(args, true);
  if (command == "check") return compile(args, false);
  if (command == "dump") return dump(args);
  return usage("unknown command '" + command + "'");
}
