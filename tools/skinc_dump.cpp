// A compiled skin as text, for review and diffs. Offsets are left out so that
// a change in one node does not show up as a change everywhere after it.
#include <cstdio>

#include "platform/unicode.h"
#include "tools/skinc.h"

namespace skinc {

namespace {

std::string quoted(const std::u16string& text) {
  std::string out = "\"";
  for (char c : platform::to_utf8(text)) {
    if (c == '"' || c == '\\') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out.push_back(c);
  }
  return out + "\"";
}

class Dumper {
 public:
  explicit Dumper(const lv::SkinFile& file) : f_(file) {}

  std::string run() {
    line("skin: " + std::to_string(f_.bytes().size()) + " bytes");
    line("pictures: " + std::to_string(f_.picture_count()));
    for (size_t i = 0; i < f_.picture_count(); ++i)
      line("  [" + std::to_string(i) + "] " + quoted(f_.picture_name(i)));
    line("fonts: " + std::to_string(f_.font_count()));
    for (size_t i = 0; i < f_.font_count(); ++i)
      line("  [" + std::to_string(i) + "] " + quoted(f_.font_description(i)));
    line("strings: " + std::to_string(f_.string_count()));
    for (size_t i = 0; i < f_.string_count(); ++i) line("  [" + std::to_string(i) + "] " + quoted(f_.string(i)));
    const auto nodes = f_.named_nodes();
    line("nodes: " + std::to_string(nodes.size()));
    for (const auto& [name, record] : nodes) {
      line("node " + quoted(name));
      record_body(record, 1);
    }
    return std::move(out_);
  }

 private:
  void line(const std::string& text, int depth = 0) {
    out_.append(2 * static_cast<size_t>(depth), ' ');
    out_ += text;
    out_ += '\n';
  }

  void record_body(lv::NodeRecord record, int depth) {
    for (size_t t = 0; t < lv::skin_format::kAttrTypeCount; ++t) {
      const auto type = static_cast<lv::AttrType>(t);
      for (size_t i = 0; i < record.attribute_count(type); ++i)
        line(attribute(type, f_.attribute(record, type, i)), depth);
    }
    for (size_t c = 0; c < record.child_count(); ++c) {
      line("child " + std::to_string(c), depth);
      record_body(record.child(c), depth + 1);
    }
  }

  std::string attribute(lv::AttrType type, lv::AttributeRef a) {
    std::string text = std::string(lv::skin_format::kAttrTypeName[static_cast<size_t>(type)]) + " " +
                       quoted(f_.attribute_name(a)) + " = ";
    switch (type) {
      case lv::AttrType::integer:
        return text + std::to_string(f_.integer_value(a));
      case lv::AttrType::font: {
        const auto index = static_cast<size_t>(f_.integer_value(a));
        return text + "[" + std::to_string(index) + "] " + quoted(f_.font_description(index));
      }
      case lv::AttrType::point: {
        const auto [x, y] = f_.point_value(a);
        return text + std::to_string(x) + " " + std::to_string(y);
      }
      case lv::AttrType::string: {
        const size_t index = f_.string_index(a);
        return text + "[" + std::to_string(index) + "] " + quoted(f_.string(index));
      }
      case lv::AttrType::picture: {
        const lv::PictureRecord p = f_.picture_value(a);
        std::string pts;
        for (int v : {p.x0, p.y0, p.x1, p.y1, p.x2, p.y2, p.x3, p.y3}) pts += " " + std::to_string(v);
        return text + "[" + std::to_string(p.picture) + "] " + quoted(f_.picture_name(p.picture)) + " points" + pts +
               " flag " + std::to_string(p.flag);
      }
      case lv::AttrType::color: {
        const lv::ColorRecord c = f_.color_value(a);
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", c.red, c.green, c.blue);
        return text + hex;
      }
    }
    return text;
  }

  const lv::SkinFile& f_;
  std::string out_;
};

}  // namespace

std::string dump_skin(const lv::SkinFile& file) { return Dumper(file).run(); }

}  // namespace skinc
