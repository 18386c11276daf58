#include "platform/png.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/testing/temp_device.h"

namespace {

TEST(Png, Rgb565RoundTripsThroughAFile) {
  const auto dir = testing_support::make_temp_dir("lumivale-png-");
  // Rows padded to 4 bytes, as bitmaps keep them.
  const int w = 3, h = 2;
  const size_t stride = 8;
  std::vector<uint16_t> px(stride / 2 * h, 0xDEAD);  // padding must not leak in
  const uint16_t colors[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x8410};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[y * stride / 2 + x] = colors[y * w + x];
  ASSERT_TRUE(platform::write_png_rgb565(dir / "a.png", px.data(), w, h, stride));
  platform::RgbaImage img;
  ASSERT_TRUE(platform::read_png_rgba(dir / "a.png", img));
  ASSERT_EQ(img.width, w);
  ASSERT_EQ(img.height, h);
  const uint8_t expect[][3] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}, {132, 130, 132}};
  for (int i = 0; i < w * h; ++i) {
    EXPECT_EQ(img.rgba[i * 4 + 0], expect[i][0]) << i;
    EXPECT_EQ(img.rgba[i * 4 + 1], expect[i][1]) << i;
    EXPECT_EQ(img.rgba[i * 4 + 2], expect[i][2]) << i;
    EXPECT_EQ(img.rgba[i * 4 + 3], 255) << i;
  }
  std::filesystem::remove_all(dir);
}

TEST(Png, DamagedOrHugeFilesAreRefused) {
  const auto dir = testing_support::make_temp_dir("lumivale-png-");
  platform::RgbaImage img;
  std::string error;
  EXPECT_FALSE(platform::read_png_rgba(dir / "missing.png", img, &error));
  std::ofstream(dir / "bad.png", std::ios::binary) << "\x89PNG\r\n\x1a\n garbage";
  EXPECT_FALSE(platform::read_png_rgba(dir / "bad.png", img, &error));
  EXPECT_FALSE(error.empty());
  const uint16_t px[4] = {};
  ASSERT_TRUE(platform::write_png_rgb565(dir / "ok.png", px, 2, 2, 4));
  EXPECT_FALSE(platform::read_png_rgba(dir / "ok.png", img, &error, 3));
  EXPECT_NE(error.find("too large"), std::string::npos);
  EXPECT_FALSE(platform::write_png_rgb565(dir / "no/such/dir.png", px, 2, 2, 4));
  std::filesystem::remove_all(dir);
}

}  // namespace
