#include "tools/skinc.h"

#include <gtest/gtest.h>

#include "tests/app/test_log_reader.h"
#include "tests/skin/skin_fixture.h"

namespace {

using testing_support::SkinSourceDir;

std::string node_with(const std::string& body) { return "<skin>\n<node name=\"n\">\n" + body + "\n</node>\n</skin>\n"; }

std::string many(const std::string& pattern, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    std::string s = pattern;
    for (size_t at; (at = s.find("#")) != std::string::npos;) s.replace(at, 1, std::to_string(i));
    out += s;
  }
  return out;
}

struct Refusal {
  const char* what;
  std::string source;
  const char* code;
  int line;
};

TEST(SkincRefusals, EachProblemHasItsCodeAndLine) {
  const std::string long_name(40000, 'x');
  const Refusal cases[] = {
      {"malformed xml", "<skin>\n<node name=\"n\">\n</skin>\n", "E001", 3},
      {"wrong root", "<skins/>\n", "E002", 1},
      {"named child", node_with("<node name=\"c\"/>"), "E002", 3},
      {"text in a node", node_with("hello"), "E002", 3},
      {"unknown type", node_with("<flaot name=\"x\" value=\"1\"/>"), "E003", 3},
      {"unknown xml attribute", node_with("<int name=\"x\" vlaue=\"1\"/>"), "E004", 3},
      {"missing name", node_with("<int value=\"1\"/>"), "E004", 3},
      {"integer out of range", node_with("<int name=\"x\" value=\"2147483648\"/>"), "E005", 3},
      {"point out of range", node_with("<point name=\"x\" x=\"0\" y=\"40000\"/>"), "E005", 3},
      {"bad colour", node_with("<color name=\"x\" value=\"#12345\"/>"), "E005", 3},
      {"font without size", node_with("<font name=\"x\" value=\"Tahoma\"/>"), "E005", 3},
      {"duplicate node", "<skin>\n<node name=\"n\"/>\n<node name=\"n\"/>\n</skin>\n", "E006", 3},
      {"duplicate attribute", node_with("<int name=\"x\" value=\"1\"/>\n<int name=\"x\" value=\"2\"/>"), "E007", 4},
      {"record too long", node_with(many("<picture name=\"a#\" file=\"button\"/>", 3300)), "E008", 2},
      {"attribute name too far",
       node_with("<int name=\"" + long_name + "\" value=\"1\"/>\n<int name=\"" + long_name + "y\" value=\"1\"/>"),
       "E009", 4},
      {"too many pictures", node_with(many("<picture name=\"p#\" file=\"p#\"/>", 257)), "E010", 3},
      {"nine-patch out of order", node_with("<picture name=\"p\" file=\"button\" points=\"0 0 9 0 8 24 24 24\"/>"),
       "E011", 3},
      {"region outside the picture", node_with("<picture name=\"p\" file=\"button\" rect=\"30 0 24 24\"/>"), "E011", 3},
      {"borders wider than the region", node_with("<picture name=\"p\" file=\"button\" rect=\"0 0 24 24\" border=\"13 0 12 0\"/>"),
       "E011", 3},
      {"missing picture", node_with("<picture name=\"p\" file=\"nothere\"/>"), "E012", 3},
      {"nested too deeply", "<skin><node name=\"n\">" + many("<node>\n", 64) + many("</node>", 64) + "</node></skin>",
       "E013", 64},
      {"bad picture name", node_with("<picture name=\"p\" file=\"../button\"/>"), "E015", 3},
  };
  SkinSourceDir src;
  // The pictures of the "too many pictures" case, all one PNG.
  for (int i = 0; i < 257; ++i) std::filesystem::copy_file(src.dir() / "button.png", src.dir() / ("p" + std::to_string(i) + ".png"));
  for (const Refusal& c : cases) {
    skinc::CompiledSkin skin;
    skinc::Diagnostics diag;
    const auto path = src.write("case", c.source);
    EXPECT_FALSE(skinc::compile_source(path, skin, diag)) << c.what;
    ASSERT_FALSE(diag.empty()) << c.what;
    const skinc::Diagnostic& d = diag.list().front();
    EXPECT_EQ(d.code, c.code) << c.what << ": " << d.text();
    EXPECT_EQ(d.line, c.line) << c.what << ": " << d.text();
    EXPECT_EQ(d.text().rfind(path.string() + ":" + std::to_string(c.line) + ": error[" + c.code + "]: ", 0), 0u)
        << d.text();
  }
}

TEST(Skinc, SameSourceGivesTheSameBytesAndTheLoaderAcceptsIt) {
  SkinSourceDir src;
  const std::string text = node_with(
      "<int name=\"i\" value=\"0x7fffffff\"/><font name=\"f\" value=\"12 1 0 0 Tahoma\"/>"
      "<point name=\"p\" x=\"-32768\" y=\"32767\"/><string name=\"s\" value=\"\xD0\x96 text\"/>"
      "<picture name=\"pic\" file=\"button\" points=\"0 0 8 8 16 16 24 24\" flag=\"255\"/>"
      "<color name=\"c\" value=\"#A0b0C0\"/><node/><node><node/></node>");
  const auto out1 = testing_support::make_temp_dir("lumivale-skinc-a");
  const auto out2 = testing_support::make_temp_dir("lumivale-skinc-b");
  const auto a = src.compile("same", text, out1);
  const auto b = src.compile("same", text, out2);
  EXPECT_EQ(a.skin, b.skin);
  ASSERT_EQ(a.pictures.size(), 1u);
  EXPECT_EQ(skinc::encode_bmp(a.pictures[0]), skinc::encode_bmp(b.pictures[0]));
  for (const char* f : {"same.skin", "same_button.bmp"})
    EXPECT_EQ(testing_support::read_bytes(out1 / f), testing_support::read_bytes(out2 / f)) << f;

  const auto file = lv::SkinFile::open(a.skin);
  ASSERT_TRUE(file);
  const std::string dump = skinc::dump_skin(*file);
  for (const char* line : {"int \"i\" = 2147483647", "point \"p\" = -32768 32767", "color \"c\" = #A0B0C0",
                           "string \"s\" = [0] \"\xD0\x96 text\"", "font \"f\" = [0] \"12 1 0 0 Tahoma\"",
                           "picture \"pic\" = [0] \"same_button\" points 0 0 8 8 16 16 24 24 flag 255",
                           "    child 0\n"})
    EXPECT_NE(dump.find(line), std::string::npos) << line << "\n" << dump;
  std::filesystem::remove_all(out1);
  std::filesystem::remove_all(out2);
}

}  // namespace
