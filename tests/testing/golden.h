// Comparing a drawn surface with a checked-in PNG, pixel for pixel.
// LUMIVALE_UPDATE_GOLDEN=1 rewrites the PNG instead (and skips the check).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "gfx/png_writer.h"
#include "platform/png.h"
#include "tests/testing/temp_device.h"

namespace testing_support {

inline void expect_matches_golden(const lv::RenderSurface& surface, const std::filesystem::path& golden) {
  if (const char* update = std::getenv("LUMIVALE_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    std::string error;
    ASSERT_TRUE(lv::write_png(surface, golden, &error)) << error;
    GTEST_SKIP() << "rewrote " << golden;
  }
  const auto dir = make_temp_dir("lumivale-golden-");
  const auto actual = dir / golden.filename();
  ASSERT_TRUE(lv::write_png(surface, actual));
  platform::RgbaImage want, got;
  ASSERT_TRUE(platform::read_png_rgba(golden, want)) << "missing " << golden << " (LUMIVALE_UPDATE_GOLDEN=1 makes it)";
  ASSERT_TRUE(platform::read_png_rgba(actual, got));
  ASSERT_EQ(want.width, got.width);
  ASSERT_EQ(want.height, got.height);
  size_t differing = 0;
  for (size_t i = 0; i < want.rgba.size(); i += 4) differing += std::memcmp(&want.rgba[i], &got.rgba[i], 4) != 0;
  EXPECT_EQ(differing, 0u) << "pixels differ from " << golden << "; this run's picture is " << actual;
  if (differing == 0) std::filesystem::remove_all(dir);
}

}  // namespace testing_support
