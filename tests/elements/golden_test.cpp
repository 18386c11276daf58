// Nodes of the bundled default skin, drawn at 96 and 192 dpi.
#include <gtest/gtest.h>

#include "platform/unicode.h"
#include "skin/properties.h"
#include "tests/testing/golden.h"
#include "tests/testing/temp_device.h"
#include "ui/kinds.h"

namespace {

using namespace lv;

struct NodeCase {
  const char* node;
  int width, height;  // at 96 dpi
};

class DefaultSkinGolden : public testing_support::DeviceTest,
                          public ::testing::WithParamInterface<std::tuple<NodeCase, int>> {
 protected:
  void SetUp() override { register_toolkit_kinds(); }
  void TearDown() override { unregister_toolkit_kinds(); }
};

TEST_P(DefaultSkinGolden, MatchesTheCheckedInPicture) {
  const auto [c, dpi] = GetParam();
  const int shift = scale_shift_for_dpi(dpi);
  Properties properties;
  ASSERT_TRUE(properties.load_skin(u"%app_path%/skins/bin/default.skin", shift));
  Element root;
  ASSERT_TRUE(root.load_from_skin(properties, platform::from_utf8(c.node)));
  root.set_text(u"#text", u"Открыть files");
  const Size size{c.width << shift, c.height << shift};
  layout_root(root, size.width, size.height);
  RenderSurface screen(size);
  fill(screen, {0, 0, size.width, size.height}, 30, 60, 90);
  draw_element(root, screen, {0, 0});
  testing_support::expect_matches_golden(
      screen, std::filesystem::path(LUMIVALE_SOURCE_DIR) / "tests/elements/golden" /
                  (std::string(c.node) + "-" + std::to_string(dpi) + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Nodes, DefaultSkinGolden,
                         ::testing::Combine(::testing::Values(NodeCase{"Button", 96, 28}, NodeCase{"Panel", 80, 48},
                                                              NodeCase{"Divider", 60, 8}),
                                            ::testing::Values(96, 192)),
                         [](const auto& param_info) {
                           return std::string(std::get<0>(param_info.param).node) + "_" +
                                  std::to_string(std::get<1>(param_info.param));
                         });

}  // namespace
