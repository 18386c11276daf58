#include "gfx/bmp.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/log.h"
#include "app/registry.h"
#include "gfx/picture.h"
#include "tests/app/test_log_reader.h"
#include "tests/gfx/bmp_builder.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using gfx_test::BmpLayout;
using gfx_test::make_bmp;

std::unique_ptr<Bitmap> read(const std::string& bytes) {
  MemorySource source(bytes.data(), bytes.size());
  return read_bmp_565(source);
}

TEST(ReadBmp, BottomUpRowsAreSwappedTopDownKeptInFileOrder) {
  const std::vector<std::vector<uint16_t>> rows = {{0x1111, 0x2222}, {0x3333, 0x4444}};
  auto up = read(make_bmp({}, rows));
  ASSERT_TRUE(up);
  EXPECT_EQ(up->size(), (Size{2, 2}));
  EXPECT_EQ(up->at(0, 0), 0x3333);
  EXPECT_EQ(up->at(1, 1), 0x2222);
  BmpLayout top_down;
  top_down.height = -2;
  auto down = read(make_bmp(top_down, rows));
  ASSERT_TRUE(down);
  EXPECT_EQ(down->at(0, 0), 0x1111);
  EXPECT_EQ(down->at(1, 1), 0x4444);
}

TEST(ReadBmp, SkipsPaddingAndExtraHeaderBytes) {
  BmpLayout layout;
  layout.width = 3;  // 6 bytes a row, padded to 8
  layout.height = -2;
  layout.extra = 30;
  layout.info_size = 56;
  layout.truncate_last_padding = true;  // some writers end the file early
  auto b = read(make_bmp(layout, {{1, 2, 3}, {4, 5, 6}}));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->at(2, 0), 3);
  EXPECT_EQ(b->at(0, 1), 4);
  EXPECT_EQ(b->at(2, 1), 6);
}

TEST(ReadBmp, RefusesDamagedAndHostileFiles) {
  const std::string good = make_bmp({}, {{1, 2}, {3, 4}});
  auto patched = [&](size_t offset, uint32_t value, int bytes) {
    std::string s = good;
    for (int i = 0; i < bytes; ++i) s[offset + i] = static_cast<char>(value >> (8 * i));
    return s;
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"headers cut", good.substr(0, 40)},
      {"rows cut", good.substr(0, good.size() - 5)},
      {"not BM", patched(0, 'X', 1)},
      {"24 bits", patched(28, 24, 2)},
      {"zero width", patched(18, 0, 4)},
      {"negative width", patched(18, 0xFFFFFFFE, 4)},
      {"zero height", patched(22, 0, 4)},
      {"most negative height", patched(22, 0x80000000, 4)},
      {"huge width", patched(18, 100000, 4)},
      {"huge but plausible size", patched(18, 8000, 4)},
      {"pixel offset inside the headers", patched(10, 20, 4)},
      {"pixel offset past the end", patched(10, 0xFFFFFF00, 4)},
      {"small information header", patched(14, 12, 4)},
      {"information header past the offset", patched(14, 0x10000, 4)},
  };
  for (const Case& c : cases) EXPECT_FALSE(read(c.bytes)) << c.what;
}

class LoadTest : public testing_support::DeviceTest {
 protected:
  void put_file(std::u16string_view path, const std::string& bytes) {
    std::ofstream(device_.host(path), std::ios::binary) << bytes;
  }
};

TEST_F(LoadTest, LoadsTheWholePictureAsAViewAndLogsFailures) {
  ASSERT_TRUE(reg_write_dword(kFrameKey, u"Log", 1));
  put_file(u"\\Temp\\ok.bmp", make_bmp({}, {{1, 2}, {3, 4}}));
  BmpLayout deep;
  deep.bits = 24;
  put_file(u"\\Temp\\deep.bmp", make_bmp(deep, {{1, 2}, {3, 4}}));

  const PictureView view = load_565(u"\\Temp\\ok");
  EXPECT_EQ(view.picture->size(), (Size{2, 2}));
  EXPECT_EQ(view.picture->bitmap()->at(0, 0), 3);
  EXPECT_EQ(view.p0, (Point{0, 0}));
  EXPECT_EQ(view.p1, (Point{0, 0}));
  EXPECT_EQ(view.p2, (Point{2, 2}));
  EXPECT_EQ(view.p3, (Point{2, 2}));
  EXPECT_EQ(view.level, 0);
  EXPECT_NE(view, PictureView{});

  const PictureView deep_view = load_565(u"\\Temp\\deep");
  EXPECT_EQ(deep_view, PictureView{});
  EXPECT_EQ(deep_view.picture, Picture::empty());
  EXPECT_EQ(deep_view.size(), (Size{0, 0}));
  EXPECT_EQ(load_565(u"\\Temp\\missing"), PictureView{});
  log().flush();
  const std::string text = testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt"));
  EXPECT_NE(text.find("load_565 \\Temp\\deep is not 16bit bitmap\n"), std::string::npos) << text;
  EXPECT_NE(text.find("load_565 \\Temp\\missing is not 16bit bitmap\n"), std::string::npos) << text;
}

struct StringSink : ByteSink {
  std::string bytes;
  size_t limit = SIZE_MAX;
  size_t write(const void* data, size_t size) override {
    const size_t n = std::min(size, limit - std::min(limit, bytes.size()));
    bytes.append(static_cast<const char*>(data), n);
    return n;
  }
};

uint32_t u32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}

TEST(WriteBmp, WritesHeadersAndBottomUpPaddedRowsThatReadBack) {
  auto b = MemoryBitmap::create({3, 2});
  const Pixel px[2][3] = {{0xF800, 0x07E0, 0x001F}, {0x1234, 0x5678, 0x9ABC}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b->set(x, y, px[y][x]);
  StringSink sink;
  ASSERT_TRUE(write_bmp(*b, sink));
  const std::string& s = sink.bytes;
  ASSERT_EQ(s.size(), 70u + 16u);
  EXPECT_EQ(s.substr(0, 2), "BM");
  const std::pair<size_t, uint32_t> fields[] = {{2, 86},     {6, 0},     {10, 70},     {14, 40},   {18, 3},
                                                {22, 2},     {30, 3},    {34, 16},     {38, 2834}, {42, 2834},
                                                {46, 0},     {50, 0},    {54, 0xF800}, {58, 0x07E0},
                                                {62, 0x001F}, {66, 0}};
  for (auto [at, value] : fields) EXPECT_EQ(u32(s, at), value) << "offset " << at;
  EXPECT_EQ(static_cast<uint8_t>(s[26]), 1);
  EXPECT_EQ(static_cast<uint8_t>(s[28]), 16);
  // The bottom row first, each padded with zeros to 8 bytes.
  EXPECT_EQ(static_cast<uint8_t>(s[70]), 0x34);
  EXPECT_EQ(s.substr(76, 2), std::string(2, '\0'));
  auto back = read(s);
  ASSERT_TRUE(back);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(back->at(x, y), px[y][x]);
}

TEST(WriteBmp, ReportsAShortRowWrite) {
  auto b = MemoryBitmap::create({4, 4});
  StringSink sink;
  sink.limit = 70 + 8 * 3 + 2;
  EXPECT_FALSE(write_bmp(*b, sink));
  sink.bytes.clear();
  sink.limit = 10;  // the headers are not checked, the first row is
  EXPECT_FALSE(write_bmp(*b, sink));
}

}  // namespace
