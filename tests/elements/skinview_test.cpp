// lumivale-skinview as a skin author runs it, on the bundled default skin.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/png.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using testing_support::bin_path;
using testing_support::run_process;

class SkinView : public ::testing::Test {
 protected:
  void SetUp() override { root_ = testing_support::make_temp_dir("lumivale-skinview-"); }
  void TearDown() override { std::filesystem::remove_all(root_); }
  testing_support::ProcessResult view(std::vector<std::string> args) {
    args.insert(args.begin(), {bin_path("lumivale-skinview"), "--device", root_.string()});
    return run_process(args);
  }
  std::filesystem::path root_;
};

TEST_F(SkinView, DumpsTheLaidOutTreeAtEitherDensity) {
  const auto small = view({"default", "Divider", "--dump", "--size", "240x320"});
  ASSERT_EQ(small.exit_code, 0) << small.err;
  EXPECT_EQ(small.out, "{} position=0 0 size=240 320 design_size=0 1 rs.size=0 0\n");
  const auto big = view({"default", "Divider", "--dump", "--size", "480x640", "--dpi", "192"});
  ASSERT_EQ(big.exit_code, 0) << big.err;
  EXPECT_EQ(big.out, "{} position=0 0 size=480 640 design_size=0 2 rs.size=0 0\n");
}

TEST_F(SkinView, WritesThePictureOfANode) {
  const auto png = root_ / "panel.png";
  const auto r = view({"default", "Panel", "-o", png.string(), "--size", "120x80"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  platform::RgbaImage image;
  ASSERT_TRUE(platform::read_png_rgba(png, image));
  EXPECT_EQ(image.width, 120);
  EXPECT_EQ(image.height, 80);
}

// A skin author's own skin and language file: the node shows the file's text.
TEST_F(SkinView, ShowsTheNodeInTheGivenLanguage) {
  const auto source = root_ / "texts.xml";
  std::ofstream(source) << R"(<skin><node name="Greeting"><string name="type" value="node"/>
      <node>
        <string name="type" value="text"/>
        <string name="id" value="g"/>
        <string name="text" value="HELLO"/>
        <font name="font" value="12 0 0 0 Tahoma"/>
        <int name="grow" value="1"/>
        <string name="anchor_x" value="MIN_SIDE_NO_SIZE"/>
      </node>
    </node></skin>)";
  const auto out = root_ / "compiled";
  const auto compiled =
      run_process({bin_path("lumivale-skinc"), "compile", source.string(), "-o", out.string()});
  ASSERT_EQ(compiled.exit_code, 0) << compiled.err;
  const auto language = root_ / "long.lng";
  std::ofstream(language, std::ios::binary) << "HELLO = a much longer greeting\r\n";

  // The grown text's width tells which text the node shows: the key itself
  // without a language, the file's text with one.
  const auto skin = (out / "texts.skin").string();
  const auto bare = view({skin, "Greeting", "--dump"});
  const auto translated = view({skin, "Greeting", "--dump", "--language", language.string()});
  ASSERT_EQ(bare.exit_code, 0) << bare.err;
  ASSERT_EQ(translated.exit_code, 0) << translated.err;
  auto width = [](const std::string& dump) {
    const auto line = dump.find("{g}");
    const auto at = line == std::string::npos ? line : dump.find(" size=", line);
    int w = 0, h = 0;
    return at != std::string::npos && std::sscanf(dump.c_str() + at, " size=%d %d", &w, &h) == 2 ? w : -1;
  };
  ASSERT_GT(width(bare.out), 0) << bare.out;
  EXPECT_GT(width(translated.out), 2 * width(bare.out)) << bare.out << translated.out;
  const auto broken = view({skin, "Greeting", "--dump", "--language", (root_ / "missing.lng").string()});
  EXPECT_NE(broken.exit_code, 0);
}

TEST_F(SkinView, RefusesWhatItCannotShow) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"default", "NoSuchNode", "--dump"}, {"no-such-skin", "Panel", "--dump"},
        {"default", "Panel"}, {"default"}, {"default", "Panel", "--size", "0x5", "--dump"}}) {
    const auto r = view(args);
    EXPECT_NE(r.exit_code, 0) << ::testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty());
  }
  const auto help = run_process({bin_path("lumivale-skinview"), "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--dump"), std::string::npos);
}

}  // namespace
