#include "skin/skin_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/skin/skin_fixture.h"

namespace {

using namespace lv;
namespace sf = lv::skin_format;

std::string many_nodes(int count) {
  std::string text = "<skin>\n";
  for (int i = 0; i < count; ++i) {
    text += "<node name=\"node" + std::to_string(i * 7919 % 1000) + "\">";
    // Attributes out of order in the source; the file keeps them sorted.
    text += "<int name=\"z\" value=\"1\"/><int name=\"m\" value=\"2\"/><int name=\"A\" value=\"3\"/>";
    text += "<string name=\"id\" value=\"n" + std::to_string(i) + "\"/>";
    text += "<picture name=\"p\" file=\"button\" rect=\"0 0 24 24\"/>";
    text += "<node><color name=\"c\" value=\"#010203\"/></node></node>\n";
  }
  return text + "</skin>\n";
}

class SkinFileTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> compile(const std::string& text) {
    skinc::CompiledSkin skin;
    skinc::Diagnostics diag;
    EXPECT_TRUE(skinc::compile_source(src_.write("t", text), skin, diag));
    for (const auto& d : diag.list()) ADD_FAILURE() << d.text();
    return skin.skin;
  }
  testing_support::SkinSourceDir src_;
};

int tree_height(const std::vector<uint8_t>& b, int32_t entry) {
  if (entry == -1) return 0;
  const auto at = static_cast<size_t>(entry);
  return 1 + std::max(tree_height(b, sf::read_i32(&b[at])), tree_height(b, sf::read_i32(&b[at + 4])));
}

TEST_F(SkinFileTest, NamedNodesFormABalancedTreeAndArraysAreSorted) {
  const auto bytes = compile(many_nodes(100));
  EXPECT_EQ(tree_height(bytes, sf::read_i32(&bytes[sf::kRootOffset])), 7);  // ceil(log2(101))
  const auto file = SkinFile::open(bytes);
  ASSERT_TRUE(file);
  const auto nodes = file->named_nodes();
  ASSERT_EQ(nodes.size(), 100u);
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(nodes[i - 1].first, nodes[i].first);
    }
    EXPECT_EQ(file->find_node(nodes[i].first), nodes[i].second);
    const NodeRecord r = nodes[i].second;
    ASSERT_EQ(r.attribute_count(AttrType::integer), 3u);
    EXPECT_EQ(file->attribute_name(file->attribute(r, AttrType::integer, 0)), u"A");
    EXPECT_EQ(file->attribute_name(file->attribute(r, AttrType::integer, 1)), u"m");
    EXPECT_EQ(file->attribute_name(file->attribute(r, AttrType::integer, 2)), u"z");
  }
  // Names, pictures and strings are stored once.
  EXPECT_EQ(file->picture_count(), 1u);
  EXPECT_EQ(file->string_count(), 100u);
  const std::string text(bytes.begin(), bytes.end());
  const std::string z("z\0\0\0", 4);
  EXPECT_EQ(text.find(z), text.rfind(z));
}

TEST_F(SkinFileTest, DamagedFilesAreRefusedWithoutReadingOutside) {
  const auto good = compile(many_nodes(20));
  ASSERT_TRUE(SkinFile::open(good));
  // Every truncation fails cleanly: the last record ends the file.
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(n));
    std::string reason;
    EXPECT_FALSE(SkinFile::open(cut, &reason)) << n;
    if (n >= sf::kHeaderSize) {
      EXPECT_FALSE(reason.empty()) << n;
    }
  }
  // Header fields pointing anywhere.
  for (size_t field : {sf::kRootOffset, sf::kPictureCount, sf::kFontCount, sf::kStringAreaOffset, sf::kStringCount})
    for (uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, static_cast<uint32_t>(good.size()), 1000000u}) {
      auto bad = good;
      for (int i = 0; i < 4; ++i) bad[field + i] = static_cast<uint8_t>(v >> (8 * i));
      std::string reason;
      EXPECT_FALSE(SkinFile::open(bad, &reason)) << field << " " << v;
      EXPECT_FALSE(reason.empty());
    }
  // A tree entry pointing back at the root is a cycle.
  {
    auto bad = good;
    const int32_t root = sf::read_i32(&bad[sf::kRootOffset]);
    for (int i = 0; i < 4; ++i) bad[static_cast<size_t>(root) + i] = bad[sf::kRootOffset + i];
    std::string reason;
    EXPECT_FALSE(SkinFile::open(bad, &reason));
    EXPECT_NE(reason.find("twice"), std::string::npos) << reason;
  }
  // Random damage: whatever opens must answer lookups without faults.
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    auto bad = good;
    for (int k = 0; k < 1 + round % 8; ++k)
      bad[sf::kHeaderSize + random() % (bad.size() - sf::kHeaderSize)] = static_cast<uint8_t>(random());
    const auto file = SkinFile::open(bad);
    if (!file) continue;
    for (const auto& [name, record] : file->named_nodes()) {
      (void)file->find_node(name);
      for (size_t t = 0; t < sf::kAttrTypeCount; ++t)
        (void)file->find_attribute(record, static_cast<AttrType>(t), u"id");
      for (size_t c = 0; c < record.child_count(); ++c) (void)record.child(c).child_count();
    }
  }
}

}  // namespace
