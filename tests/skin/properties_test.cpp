#include "skin/properties.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/registry.h"
#include "gfx/row_op.h"
#include "tests/app/test_log_reader.h"
#include "tests/skin/skin_fixture.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;
using testing_support::SkinSourceDir;

const char* kRoundTrip = R"(<skin>
  <node name="abc">
    <int name="value" value="-7"/>
    <string name="value" value="text of abc"/>
    <point name="pos" x="-3" y="5"/>
    <color name="tint" value="#102030"/>
    <font name="font" value="12 1 0 0 Tahoma"/>
    <font name="small" value="9"/>
    <picture name="frame" file="button" rect="24 0 24 24" border="8 6 4 2" flag="3"/>
    <picture name="whole" file="wallpaper"/>
    <int name="B" value="1"/><int name="a" value="2"/><int name="ab" value="3"/><int name="abc" value="4"/>
    <node><string name="id" value="first"/><node><string name="id" value="grandchild"/></node></node>
    <node><string name="id" value="second"/></node>
  </node>
  <node name="ab"><int name="value" value="1"/></node>
  <node name="B"><int name="value" value="2"/></node>
  <node name="a"><int name="value" value="3"/></node>
</skin>
)";

class PropertiesTest : public DeviceTest {
 protected:
  // Device folder of the compiled test skins.
  static constexpr std::u16string_view kBin = u"\\Skins";

  std::filesystem::path bin() const { return device_.host(kBin); }
  void compile(const std::string& name, const std::string& text) { src_.compile(name, text, bin()); }
  std::u16string skin_path(const char16_t* name) const { return std::u16string(kBin) + u"\\" + name + u".skin"; }
  std::string log() const { return testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt")); }
  void switch_log_on() { ASSERT_TRUE(reg_write_dword(kFrameKey, u"Log", 1)); }

  SkinSourceDir src_;
};

TEST_F(PropertiesTest, RoundTripOfEveryAttributeTypeAndTheTree) {
  compile("round", kRoundTrip);
  std::vector<std::pair<std::u16string, int>> fonts_made;
  int markers[8] = {};
  set_skin_font_factory([&](std::u16string_view description, int shift) {
    const size_t i = fonts_made.size();
    fonts_made.emplace_back(std::u16string(description), shift);
    // Never dereferenced: a distinct pointer per font slot.
    return FontRef(std::shared_ptr<void>(), reinterpret_cast<FontRep*>(&markers[i]));
  });
  Properties skin;
  ASSERT_TRUE(skin.load_skin(skin_path(u"round"), 1));
  set_skin_font_factory(nullptr);
  EXPECT_EQ(skin.scale_shift(), 1);

  for (const auto& [name, value] : {std::pair{u"ab", 1}, {u"B", 2}, {u"a", 3}}) {
    const NodeRecord node = skin.find_node(name);
    ASSERT_TRUE(node);
    EXPECT_EQ(skin.get_integer(node, u"value", 0), value);
  }
  EXPECT_FALSE(skin.find_node(u"abcd"));
  EXPECT_FALSE(skin.find_node(u""));

  const NodeRecord abc = skin.find_node(u"abc");
  ASSERT_TRUE(abc);
  // Names sort by code unit: "B" < "a" < "ab" < "abc"; all found.
  EXPECT_EQ(skin.get_integer(abc, u"B", 0), 1);
  EXPECT_EQ(skin.get_integer(abc, u"a", 0), 2);
  EXPECT_EQ(skin.get_integer(abc, u"ab", 0), 3);
  EXPECT_EQ(skin.get_integer(abc, u"abc", 0), 4);
  EXPECT_EQ(skin.get_integer(abc, u"b", 99), 99);
  // Each type is its own namespace.
  EXPECT_EQ(skin.get_integer(abc, u"value", 0), -7);
  EXPECT_EQ(skin.get_string(abc, u"value", u""), u"text of abc");
  const std::u16string fallback = u"fallback";
  EXPECT_EQ(&skin.get_string(abc, u"pos", fallback), &fallback);
  EXPECT_EQ(skin.get_integer(abc, u"tint", 5), 5);

  // Points scale; the fallback does not.
  EXPECT_EQ(skin.get_point(abc, u"pos", {}), (Point{-6, 10}));
  EXPECT_EQ(skin.get_point(abc, u"none", {7, 7}), (Point{7, 7}));
  EXPECT_EQ(skin.get_color(abc, u"tint", {}), (Color{0x10, 0x20, 0x30, 255}));
  EXPECT_EQ(skin.get_color(abc, u"none", {1, 2, 3, 4}), (Color{1, 2, 3, 4}));

  const PictureView frame = skin.get_picture(abc, u"frame", {});
  EXPECT_EQ(frame.picture->size(), (Size{48, 24}));
  EXPECT_EQ(frame.p0, (Point{48, 0}));   // (24, 0) << 1
  EXPECT_EQ(frame.p1, (Point{64, 12}));  // (32, 6) << 1
  EXPECT_EQ(frame.p2, (Point{88, 44}));  // (44, 22) << 1
  EXPECT_EQ(frame.p3, (Point{96, 48}));  // (48, 24) << 1
  EXPECT_EQ(frame.level, 1);
  EXPECT_EQ(frame.flag, 3);
  const PictureView whole = skin.get_picture(abc, u"whole", {});
  EXPECT_EQ(whole.p3, (Point{480, 640}));
  EXPECT_EQ(whole.picture->size(), (Size{240, 320}));
  EXPECT_TRUE(skin.get_picture(abc, u"none", {}).is_empty());

  ASSERT_EQ(fonts_made.size(), 2u);
  EXPECT_EQ(fonts_made[0], (std::pair<std::u16string, int>{u"12 1 0 0 Tahoma", 1}));
  EXPECT_EQ(fonts_made[1], (std::pair<std::u16string, int>{u"9", 1}));
  EXPECT_EQ(skin.get_font(abc, u"font", nullptr).get(), reinterpret_cast<FontRep*>(&markers[0]));
  EXPECT_EQ(skin.get_font(abc, u"small", nullptr).get(), reinterpret_cast<FontRep*>(&markers[1]));
  EXPECT_EQ(skin.get_font(abc, u"none", nullptr), nullptr);

  ASSERT_EQ(abc.child_count(), 2u);
  EXPECT_EQ(skin.get_string(abc.child(0), u"id", u""), u"first");
  EXPECT_EQ(skin.get_string(abc.child(1), u"id", u""), u"second");
  ASSERT_EQ(abc.child(0).child_count(), 1u);
  EXPECT_EQ(skin.get_string(abc.child(0).child(0), u"id", u""), u"grandchild");
  EXPECT_EQ(abc.attribute_count(AttrType::integer), 5u);
  EXPECT_EQ(abc.attribute_count(AttrType::picture), 2u);
  EXPECT_EQ(abc.child(1).attribute_count(AttrType::point), 0u);
}

TEST_F(PropertiesTest, EmptySkinAndGettersOfNullRecordsGiveDefaults) {
  Properties skin;
  EXPECT_FALSE(skin.find_node(u"x"));
  EXPECT_EQ(skin.get_integer({}, u"x", 5), 5);
  // The smallest skin: header only, no nodes.
  std::vector<uint8_t> bytes(92, 0);
  const char16_t magic[4] = {0x0421, 0x043A, 0x0438, 0x043D};
  for (int i = 0; i < 4; ++i) bytes[2 * i] = magic[i] & 0xFF, bytes[2 * i + 1] = magic[i] >> 8;
  for (int i = 72; i < 76; ++i) bytes[i] = 0xFF;
  std::filesystem::create_directories(bin());
  std::ofstream(bin() / "min.skin", std::ios::binary).write(reinterpret_cast<char*>(bytes.data()), 92);
  std::ofstream(bin() / "short.skin", std::ios::binary).write(reinterpret_cast<char*>(bytes.data()), 91);
  EXPECT_FALSE(skin.load_skin(skin_path(u"short"), 0));
  ASSERT_TRUE(skin.load_skin(skin_path(u"min"), 0));
  EXPECT_FALSE(skin.find_node(u"Splash"));
}

TEST_F(PropertiesTest, LogsTheLoadAndAFailedLoadKeepsTheOldSkin) {
  compile("good", kRoundTrip);
  compile("bad", R"(<skin><node name="n"><picture name="p" file="button"/></node></skin>)");
  // A 24-bit picture in place of the 16-bit one.
  std::ofstream(bin() / "bad_button.bmp", std::ios::binary | std::ios::trunc) << std::string(70, 'B');

  switch_log_on();
  Properties skin;
  ASSERT_TRUE(skin.load_skin(skin_path(u"good"), 0));
  const std::string text = log();
  EXPECT_NE(text.find("Properties::load_skin 1\nsizeof(Node*4)=8\nsizeof(IntegerNode*4)=32\n"), std::string::npos) << text;
  EXPECT_NE(text.find("PictureNode::Size=20\n"), std::string::npos);
  EXPECT_NE(text.find("PropertiesImpl::PropertiesImpl picture load time="), std::string::npos);
  EXPECT_NE(text.find(" {good_button}\n"), std::string::npos);
  EXPECT_NE(text.find("PropertiesImpl::PropertiesImpl fonts create time="), std::string::npos);
  EXPECT_NE(text.find("Properties::load_skin 2\nProperties::load_skin 3\n"), std::string::npos);

  EXPECT_FALSE(skin.load_skin(skin_path(u"bad"), 1));
  EXPECT_NE(log().find("PropertiesImpl::PropertiesImpl picture failed to load {bad_button}\n"), std::string::npos);
  EXPECT_EQ(skin.path(), skin_path(u"good"));
  EXPECT_EQ(skin.scale_shift(), 0);
  EXPECT_EQ(skin.get_integer(skin.find_node(u"a"), u"value", 0), 3);
  EXPECT_EQ(skin.get_picture(skin.find_node(u"abc"), u"frame", {}).p3, (Point{48, 24}));
}

TEST_F(PropertiesTest, UserSkinCandidatesInOrder) {
  const std::u16string base = u"\\App";
  const auto skins = device_.host(u"\\App\\skins\\bin");
  const char* one = R"(<skin><node name="which"><int name="v" value="1"/></node></skin>)";
  Properties skin;
  EXPECT_FALSE(load_user_skin(skin, 0, base));

  src_.compile("zeta", R"(<skin><node name="which"><int name="v" value="26"/></node></skin>)", skins);
  src_.compile("beta", R"(<skin><node name="which"><int name="v" value="2"/></node></skin>)", skins);
  ASSERT_TRUE(load_user_skin(skin, 0, base));  // no name, no default: the first listed
  EXPECT_EQ(skin.get_integer(skin.find_node(u"which"), u"v", 0), 2);

  src_.compile("default", one, skins);
  ASSERT_TRUE(load_user_skin(skin, 0, base));
  EXPECT_EQ(skin.get_integer(skin.find_node(u"which"), u"v", 0), 1);

  // A damaged skin of the user's choice falls back to the default one.
  std::ofstream(skins / "broken.skin", std::ios::binary) << std::string(200, '\x21');
  ASSERT_TRUE(reg_write_string(kProductKey, u"Skin", u"broken"));
  ASSERT_TRUE(load_user_skin(skin, 0, base));
  EXPECT_EQ(skin.get_integer(skin.find_node(u"which"), u"v", 0), 1);

  ASSERT_TRUE(reg_write_string(kProductKey, u"Skin", u"zeta"));
  ASSERT_TRUE(load_user_skin(skin, 0, base));
  EXPECT_EQ(skin.get_integer(skin.find_node(u"which"), u"v", 0), 26);
}

static_assert(scale_shift_for_dpi(96) == 0 && scale_shift_for_dpi(191) == 0 && scale_shift_for_dpi(192) == 1 &&
              scale_shift_for_dpi(383) == 1 && scale_shift_for_dpi(384) == 2);

TEST_F(PropertiesTest, BundledSkinsLoadFromTheDeviceImage) {
  Properties skin;
  ASSERT_TRUE(skin.load_skin(u"%app_path%/skins/bin/splash.skin", 0));
  const NodeRecord splash = skin.find_node(u"Splash");
  ASSERT_TRUE(splash);
  bool found_wait = false;
  for (size_t i = 0; i < splash.child_count(); ++i)
    if (skin.get_string(splash.child(i), u"id", u"") == u"iphoneWait") {
      found_wait = true;
      EXPECT_EQ(skin.get_string(splash.child(i), u"type", u""), u"multinode");
      EXPECT_EQ(skin.get_integer(splash.child(i), u"movie", 0), 1);
      EXPECT_GT(splash.child(i).child_count(), 1u);
    }
  EXPECT_TRUE(found_wait);
  EXPECT_TRUE(load_user_skin(skin, 0));
  EXPECT_TRUE(skin.find_node(u"Button"));
}

struct Recorder : ReloadListener {
  Recorder(Properties& p, std::vector<int>& calls, int id) : ReloadListener(p), calls_(calls), id_(id) {}
  void reload_skin(Properties&) override {
    calls_.push_back(id_);
    if (on_reload) on_reload();
  }
  std::vector<int>& calls_;
  int id_;
  std::function<void()> on_reload;
};

TEST_F(PropertiesTest, ReloadListenersInRegistrationOrderAndUnregisterOnDestruction) {
  switch_log_on();
  Properties skin;
  std::vector<int> calls;
  Recorder first(skin, calls, 1);
  auto second = std::make_unique<Recorder>(skin, calls, 2);
  Recorder third(skin, calls, 3);
  skin.send_reload_skin();
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
  EXPECT_NE(log().find("PropertiesImpl::send_reload_skin the rest time="), std::string::npos);

  // A listener destroyed while the others are told is skipped, not called.
  calls.clear();
  first.on_reload = [&] { second.reset(); };
  skin.send_reload_skin();
  EXPECT_EQ(calls, (std::vector<int>{1, 3}));
  calls.clear();
  first.on_reload = nullptr;
  skin.send_reload_skin();
  EXPECT_EQ(calls, (std::vector<int>{1, 3}));
}

TEST(SkinPictureConversion, TranslucentPixelsBlendOverTheBackground) {
  EXPECT_EQ(skinc::surface_pixel(10, 20, 30, 0), kKeyColor);
  EXPECT_EQ(skinc::surface_pixel(255, 0, 255, 255), 0xF81F | kOpaqueBit);
  for (uint8_t alpha : {1, 77, 128, 200, 254})
    EXPECT_NE(skinc::surface_pixel(255, 0, 255, alpha), kKeyColor) << int(alpha);

  // Half-transparent pixels drawn with the matching level (dst weight 1/2).
  const auto op = translucency_op(128);
  for (const auto& [fg, bg] : {std::pair<Color, Color>{{200, 100, 50}, {40, 80, 120}},
                               {{255, 255, 255}, {0, 0, 0}},
                               {{0, 0, 0}, {255, 255, 255}},
                               {{30, 240, 90}, {250, 10, 160}}}) {
    const Pixel src = skinc::surface_pixel(fg.red, fg.green, fg.blue, 128);
    EXPECT_EQ(src & kOpaqueBit, 0);
    Pixel dst = bg.to_rgb565();
    op->straight(&dst, 1, &src, 0, 0);
    const auto channel = [](Pixel p, int shift, int bits) { return ((p >> shift) & ((1 << bits) - 1)) << (8 - bits); };
    const auto expect = [](int f, int b) { return (f * 128 + b * 127) / 255; };
    EXPECT_NEAR(channel(dst, 11, 5), expect(fg.red, bg.red), 16);
    EXPECT_NEAR(channel(dst, 5, 6), expect(fg.green, bg.green), 12);
    EXPECT_NEAR(channel(dst, 0, 5), expect(fg.blue, bg.blue), 16);
  }
  // Opaque pixels replace the background.
  const Pixel opaque = skinc::surface_pixel(200, 100, 50, 255);
  Pixel dst = 0x1234;
  op->straight(&dst, 1, &opaque, 0, 0);
  EXPECT_EQ(dst, opaque);
}

}  // namespace
