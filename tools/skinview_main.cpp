// lumivale-skinview: builds one node of a skin as an element tree at a screen
// size and density, lays it out and writes it as a PNG, or prints the tree.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/paths.h"
#include "gfx/png_writer.h"
#include "platform/files.h"
#include "platform/unicode.h"
#include "skin/element.h"
#include "skin/node_errors.h"
#include "skin/properties.h"
#include "tools/cli.h"
#include "ui/kinds.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelp = R"(Usage: lumivale-skinview [--device DIR] SKIN NODE [options] (-o OUT.png | --dump)

Builds the skin node NODE as an element tree, lays it out on a screen of the
given size and density, and writes what it draws as a PNG or prints the tree.

SKIN is a compiled skin: a host path to NAME.skin (its .bmp pictures beside
it), or the name of a skin installed on the device ("default").

Options:
  --size WxH       the screen in pixels (default 240x320)
  --dpi N          the screen density (default 96; above 191 doubles the skin,
                   above 383 quadruples it)
  --language FILE  a language file (host path) for the node's texts
  -o OUT.png       write the drawn node
  --dump           print the laid-out tree: {id} position, size, design size
  --device DIR     the device to load installed skins from
  --help, --version
)";

int fail(const std::string& message, int code = 1) {
  std::fprintf(stderr, "lumivale-skinview: %s\n", message.c_str());
  return code;
}

// Copies a host file onto the device, for the loaders that read device paths.
bool copy_to_device(const fs::path& host, const std::u16string& device_path) {
  std::error_code ec;
  const auto size = fs::file_size(host, ec);
  if (ec) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  FILE* f = std::fopen(host.c_str(), "rb");
  if (!f) return false;
  const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return n == bytes.size() && platform::write_whole_file(device_path, bytes.data(), bytes.size());
}

// A host skin goes to \Temp\skinview on the device with its pictures.
std::optional<std::u16string> stage_skin(const std::string& skin) {
  const fs::path host(skin);
  if (!fs::is_regular_file(host)) return u"%app_path%/skins/bin/" + platform::from_utf8(skin) + u".skin";
  const std::u16string dir = u"\\Temp\\skinview";
  platform::create_directory(dir);
  for (const auto& entry : fs::directory_iterator(host.parent_path())) {
    if (entry.path().extension() != ".bmp" && entry.path() != host) continue;
    if (!copy_to_device(entry.path(), dir + u"\\" + platform::from_utf8(entry.path().filename().string())))
      return std::nullopt;
  }
  return dir + u"\\" + platform::from_utf8(host.filename().string());
}

}  // namespace

int main(int argc, char** argv) {
  cli::CommonOptions options;
  std::string error;
  if (!cli::parse_common(argc, argv, options, error)) return fail(error, 2);
  if (options.help) return std::fputs(kHelp, stdout), 0;
  if (options.version) return std::puts(cli::version_line("lumivale-skinview").c_str()), 0;

  std::vector<std::string> positional;
  std::string out, language;
  int width = 240, height = 320, dpi = 96;
  bool dump = false;
  for (size_t i = 0; i < options.rest.size(); ++i) {
    const std::string& a = options.rest[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= options.rest.size()) return std::nullopt;
      return options.rest[++i];
    };
    if (a == "-o") {
      const auto v = value();
      if (!v) return fail("-o needs a file", 2);
      out = *v;
    } else if (a == "--size") {
      const auto v = value();
      if (!v || std::sscanf(v->c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
          width > 4096 || height > 4096)
        return fail("--size takes WxH, e.g. 240x320", 2);
    } else if (a == "--dpi") {
      const auto v = value();
      if (!v || (dpi = std::atoi(v->c_str())) <= 0) return fail("--dpi takes a positive number", 2);
    } else if (a == "--language") {
      const auto v = value();
      if (!v) return fail("--language needs a file", 2);
      language = *v;
    } else if (a == "--dump") {
      dump = true;
    } else if (!a.empty() && a[0] == '-') {
      return fail("unknown option " + a + " (try --help)", 2);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return fail("expected SKIN and NODE (try --help)", 2);
  if (out.empty() && !dump) return fail("say -o OUT.png or --dump", 2);

  const auto device = cli::open_device(options, error);
  if (!device) return fail(error);
  const auto skin_path = stage_skin(positional[0]);
  if (!skin_path) return fail("cannot copy " + positional[0] + " onto the device");

  lv::Properties properties;
  if (!properties.load_skin(*skin_path, lv::scale_shift_for_dpi(dpi)))
    return fail("cannot load the skin " + positional[0]);
  if (!language.empty()) {
    if (!copy_to_device(language, u"\\Temp\\skinview.lng")) return fail("cannot read " + language);
    if (!properties.language().load(u"\\Temp\\skinview.lng")) return fail("cannot load " + language);
  }
  lv::register_toolkit_kinds();
  lv::Element root;
  try {
    if (!root.load_from_skin(properties, platform::from_utf8(positional[1])))
      return fail("the skin has no node " + positional[1]);
  } catch (const quarde::NodeNotRegistered& e) {
    return fail("the node uses the element kind \"" + platform::to_utf8(e.type_name()) +
                "\", which this build does not know");
  }
  lv::layout_root(root, width, height);
  if (dump) std::fputs(platform::to_utf8(lv::describe_tree(root)).c_str(), stdout);
  if (!out.empty()) {
    lv::RenderSurface screen(lv::Size{width, height});
    lv::fill(screen, {0, 0, width, height}, 0, 0, 0);
    lv::draw_element(root, screen, {0, 0});
    if (!lv::write_png(screen, out, &error)) return fail(error);
  }
  return 0;
}
