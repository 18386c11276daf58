// Reading a skin source: <skin> holds named <node>s; a node holds typed
// attribute elements and unnamed child <node>s, in tree order.
#include "tools/skinc_source.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <pugixml.hpp>
#include <sstream>
#include <string_view>

#include "platform/unicode.h"

namespace skinc {

namespace sf = lv::skin_format;

std::string Diagnostic::text() const {
  return file + ":" + std::to_string(line) + ": error[" + code + "]: " + message;
}

void Diagnostics::error(const std::string& file, int line, const char* code, std::string message) {
  list_.push_back(Diagnostic{file, line, code, std::move(message)});
}

namespace {

class SourceReader {
 public:
  SourceReader(const std::string& file, const std::string& text, Diagnostics& diag) : file_(file), diag_(diag) {
    line_starts_.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') line_starts_.push_back(i + 1);
  }

  int line_of(ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), static_cast<size_t>(offset));
    return static_cast<int>(it - line_starts_.begin());
  }
  int line_of(const pugi::xml_node& node) const { return line_of(node.offset_debug()); }

  void error(int line, const char* code, std::string message) { diag_.error(file_, line, code, std::move(message)); }

  void read_skin(const pugi::xml_node& root, std::vector<SourceNode>& out) {
    allowed(root, {});
    for (const pugi::xml_node& child : root.children()) {
      if (!is_element(child)) continue;
      if (std::string_view(child.name()) != "node") {
        error(line_of(child), code::kStructure,
              "expected <node> under <skin>, found <" + std::string(child.name()) + ">");
        continue;
      }
      SourceNode node;
      node.line = line_of(child);
      const pugi::xml_attribute name = child.attribute("name");
      if (!name || !*name.value())
        error(node.line, code::kBadXmlAttribute, "a node under <skin> needs a non-empty name");
      node.name = platform::from_utf8(name.value());
      read_node(child, node, 1);
      out.push_back(std::move(node));
    }
  }

 private:
  // Element children only; text between elements is a mistake in a source.
  bool is_element(const pugi::xml_node& node) {
    if (node.type() == pugi::node_element) return true;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      // The text node starts at the whitespace before the text; point at the text.
      const std::string_view text = node.value();
      const size_t lead = std::min(text.find_first_not_of(" \t\r\n"), text.size());
      error(line_of(node.offset_debug() + static_cast<ptrdiff_t>(lead)), code::kStructure, "unexpected text");
    }
    return false;
  }

  void allowed(const pugi::xml_node& element, std::initializer_list<std::string_view> names) {
    for (const pugi::xml_attribute& a : element.attributes()) {
      if (std::find(names.begin(), names.end(), std::string_view(a.name())) == names.end())
        error(line_of(element), code::kBadXmlAttribute,
              "unknown XML attribute '" + std::string(a.name()) + "' on <" + element.name() + ">");
    }
  }

  void read_node(const pugi::xml_node& element, SourceNode& node, int depth) {
    allowed(element, depth == 1 ? std::initializer_list<std::string_view>{"name"}
                                : std::initializer_list<std::string_view>{});
    if (depth > sf::kMaxDepth)
      error(node.line, code::kTooDeep, "nodes nested deeper than " + std::to_string(sf::kMaxDepth) + " levels");
    for (const pugi::xml_node& child : element.children()) {
      if (!is_element(child)) continue;
      const std::string_view tag = child.name();
      if (tag == "node") {
        SourceNode sub;
        sub.line = line_of(child);
        if (child.attribute("name"))
          error(sub.line, code::kStructure, "child nodes are unnamed; only nodes under <skin> have a name");
        read_node(child, sub, depth + 1);
        node.children.push_back(std::move(sub));
        continue;
      }
      const auto type = std::find(sf::kAttrTypeName.begin(), sf::kAttrTypeName.end(), tag);
      if (type == sf::kAttrTypeName.end()) {
        error(line_of(child), code::kUnknownType, "unknown attribute type <" + std::string(tag) + ">");
        continue;
      }
      SourceAttr attr;
      attr.type = static_cast<lv::AttrType>(type - sf::kAttrTypeName.begin());
      attr.line = line_of(child);
      if (read_attribute(child, attr)) node.attrs.push_back(std::move(attr));
    }
  }

  bool read_attribute(const pugi::xml_node& e, SourceAttr& attr) {
    const pugi::xml_attribute name = e.attribute("name");
    if (!name || !*name.value()) {
      error(attr.line, code::kBadXmlAttribute, "<" + std::string(e.name()) + "> needs a non-empty name");
      return false;
    }
    attr.name = platform::from_utf8(name.value());
    switch (attr.type) {
      case lv::AttrType::integer: {
        allowed(e, {"name", "value"});
        int64_t v = 0;
        if (!number(e, "value", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
          return false;
        attr.integer = static_cast<int32_t>(v);
        return true;
      }
      case lv::AttrType::point: {
        allowed(e, {"name", "x", "y"});
        int64_t x = 0, y = 0;
        const bool x_ok = number(e, "x", -32768, 32767, x);
        const bool ok = number(e, "y", -32768, 32767, y) && x_ok;
        attr.x = static_cast<int16_t>(x);
        attr.y = static_cast<int16_t>(y);
        return ok;
      }
      case lv::AttrType::font:
      case lv::AttrType::string: {
        allowed(e, {"name", "value"});
        const pugi::xml_attribute value = e.attribute("value");
        if (!value) {
          error(attr.line, code::kBadXmlAttribute, "<" + std::string(e.name()) + "> needs a value");
          return false;
        }
        if (attr.type == lv::AttrType::font && !font_ok(value.value())) {
          error(attr.line, code::kBadValue,
                "font description must start with a size: \"" + std::string(value.value()) + "\"");
          return false;
        }
        attr.text = platform::from_utf8(value.value());
        return true;
      }
      case lv::AttrType::color:
        allowed(e, {"name", "value"});
        return color(e, attr);
      case lv::AttrType::picture:
        allowed(e, {"name", "file", "rect", "border", "points", "flag"});
        return picture(e, attr);
    }
    return false;
  }

  static bool parse_int(std::string_view s, int64_t& out) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
      negative = s[0] == '-';
      s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
      base = 16;
      s.remove_prefix(2);
    }
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v > (1ull << 40)) return false;
    out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
  }

  bool number(const pugi::xml_node& e, const char* key, int64_t lo, int64_t hi, int64_t& out) {
    const pugi::xml_attribute a = e.attribute(key);
    const int line = line_of(e);
    if (!a) {
      error(line, code::kBadXmlAttribute, "<" + std::string(e.name()) + "> needs " + key);
      return false;
    }
    if (!parse_int(a.value(), out) || out < lo || out > hi) {
      error(line, code::kBadValue,
            std::string(key) + " must be an integer from " + std::to_string(lo) + " to " + std::to_string(hi) +
                ", not \"" + a.value() + "\"");
      return false;
    }
    return true;
  }

  // A list of `count` whitespace-separated integers in [lo, hi].
  template <size_t N>
  bool numbers(const pugi::xml_node& e, const char* key, int64_t lo, int64_t hi, std::array<int64_t, N>& out) {
    std::istringstream in(e.attribute(key).value());
    std::string word;
    size_t n = 0;
    bool ok = true;
    while (in >> word) {
      int64_t v = 0;
      if (n >= N || !parse_int(word, v) || v < lo || v > hi) {
        ok = false;
        break;
      }
      out[n++] = v;
    }
    if (!ok || n != N) {
      error(line_of(e), code::kBadValue,
            std::string(key) + " must be " + std::to_string(N) + " integers from " + std::to_string(lo) + " to " +
                std::to_string(hi) + ", not \"" + e.attribute(key).value() + "\"");
      return false;
    }
    return true;
  }

  static bool font_ok(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string size;
    int64_t v = 0;
    return (in >> size) && parse_int(size, v);
  }

  bool color(const pugi::xml_node& e, SourceAttr& attr) {
    const std::string_view v = e.attribute("value").value();
    uint32_t rgb = 0;
    const bool ok = v.size() == 7 && v[0] == '#' &&
                    std::from_chars(v.data() + 1, v.data() + 7, rgb, 16).ptr == v.data() + 7 &&
                    std::all_of(v.begin() + 1, v.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    if (!ok) {
      error(attr.line, code::kBadValue, "colour must be written #RRGGBB, not \"" + std::string(v) + "\"");
      return false;
    }
    attr.color = lv::ColorRecord{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                 static_cast<uint8_t>(rgb)};
    return true;
  }

  bool picture(const pugi::xml_node& e, SourceAttr& attr) {
    attr.file = e.attribute("file").value();
    const bool name_ok = !attr.file.empty() && attr.file.size() <= 64 &&
                         std::all_of(attr.file.begin(), attr.file.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
                         });
    if (!name_ok) {
      error(attr.line, code::kPictureName,
            "picture file must be the stem of a PNG beside the source (letters, digits, '_', '-'), not \"" +
                attr.file + "\"");
      return false;
    }
    bool ok = true;
    attr.has_rect = static_cast<bool>(e.attribute("rect"));
    attr.has_border = static_cast<bool>(e.attribute("border"));
    attr.has_points = static_cast<bool>(e.attribute("points"));
    if (attr.has_points && (attr.has_rect || attr.has_border)) {
      error(attr.line, code::kBadXmlAttribute, "points cannot be combined with rect or border");
      ok = false;
    }
    if (attr.has_rect) ok &= numbers(e, "rect", 0, 65535, attr.rect);
    if (attr.has_border) ok &= numbers(e, "border", 0, 65535, attr.border);
    if (attr.has_points) ok &= numbers(e, "points", 0, 65535, attr.points);
    if (e.attribute("flag")) {
      int64_t flag = 0;
      ok &= number(e, "flag", 0, 255, flag);
      attr.flag = static_cast<uint8_t>(flag);
    }
    return ok;
  }

  std::string file_;
  Diagnostics& diag_;
  std::vector<size_t> line_starts_;
};

}  // namespace

bool parse_source(const std::filesystem::path& path, SkinSource& out, Diagnostics& diag) {
  out.file = path.string();
  out.dir = path.parent_path();
  out.name = path.stem().string();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    diag.error(out.file, 0, code::kXml, "cannot read the source");
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SourceReader reader(out.file, text, diag);
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    reader.error(reader.line_of(parsed.offset), code::kXml, parsed.description());
    return false;
  }
  const pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "skin") {
    reader.error(reader.line_of(root), code::kStructure, "the root element must be <skin>");
    return false;
  }
  const size_t before = diag.list().size();
  reader.read_skin(root, out.nodes);
  return diag.list().size() == before;
}

}  // namespace skinc
