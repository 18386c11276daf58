// Compiling small skin sources for the tests: the source text is written to a
// folder with PNGs copied from the bundled skins, then compiled in-process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/testing/temp_device.h"
#include "tools/skinc.h"

namespace testing_support {

inline std::filesystem::path asset(const char* relative) {
  return std::filesystem::path(LUMIVALE_SOURCE_DIR) / "assets" / "skins" / relative;
}

// A folder holding NAME.xml with `text` and the PNGs "button" (48x24, with
// translucent edges) and "wallpaper" (240x320, opaque).
class SkinSourceDir {
 public:
  SkinSourceDir() : dir_(make_temp_dir("lumivale-skin-src")) {
    std::filesystem::copy_file(asset("default/button.png"), dir_ / "button.png");
    std::filesystem::copy_file(asset("default/wallpaper.png"), dir_ / "wallpaper.png");
  }
  ~SkinSourceDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::filesystem::path& dir() const { return dir_; }

  std::filesystem::path write(const std::string& name, const std::string& text) const {
    const auto path = dir_ / (name + ".xml");
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Compiles and writes into `out`; fails the test on any diagnostic.
  skinc::CompiledSkin compile(const std::string& name, const std::string& text,
                              const std::filesystem::path& out) const {
    skinc::CompiledSkin skin;
    skinc::Diagnostics diag;
    const bool ok = skinc::compile_source(write(name, text), skin, diag);
    for (const auto& d : diag.list()) ADD_FAILURE() << d.text();
    EXPECT_TRUE(ok);
    std::string error;
    if (ok) {
      EXPECT_TRUE(skinc::write_outputs(skin, out, error)) << error;
    }
    return skin;
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace testing_support
