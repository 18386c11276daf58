// From a checked source to the bytes of a ".skin" file.
//
// File layout written here: the header; the attribute names (each stored
// once, first so that their u16 offsets reach them); the node names; the
// string area (pictures, fonts, strings); then, for every named node in name
// order, its tree entry followed by its record and the records of its
// subtree in pre-order. Indices of pictures, fonts and strings follow their
// first use in the source, so the same source always gives the same bytes.
#include <algorithm>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_map>

#include "gfx/bitmap.h"
#include "platform/png.h"
#include "platform/unicode.h"
#include "tools/skinc.h"
#include "tools/skinc_source.h"

namespace skinc {

namespace sf = lv::skin_format;

namespace {

size_t text_bytes(const std::u16string& s) { return 2 * (s.size() + 1); }

class Compiler {
 public:
  Compiler(SkinSource& source, Diagnostics& diag, CompiledSkin& out) : src_(source), diag_(diag), out_(out) {}

  bool run() {
    check_duplicates();
    for (const SourceNode& node : src_.nodes) collect(node);
    if (!diag_.empty()) return false;
    layout();
    if (!diag_.empty()) return false;
    write();
    return true;
  }

 private:
  struct NameUse {
    size_t offset = 0;
    int first_line = 0;
  };
  struct Record {
    size_t offset = 0;
    std::array<std::vector<const SourceAttr*>, sf::kAttrTypeCount> arrays;
    std::array<size_t, sf::kAttrTypeCount + 1> bounds{};
  };

  void error(int line, const char* code, std::string message) {
    diag_.error(src_.file, line, code, std::move(message));
  }

  void check_duplicates() {
    std::map<std::u16string, int> seen;
    for (const SourceNode& node : src_.nodes) {
      const auto [it, fresh] = seen.emplace(node.name, node.line);
      if (!fresh)
        error(node.line, code::kDuplicateNode,
              "node \"" + platform::to_utf8(node.name) + "\" already defined at line " + std::to_string(it->second));
    }
  }

  // Names, pictures, fonts and strings in order of first use; duplicate
  // attribute names within one type of one node.
  void collect(const SourceNode& node) {
    std::map<std::pair<lv::AttrType, std::u16string>, int> seen;
    for (const SourceAttr& a : node.attrs) {
      const auto [it, fresh] = seen.emplace(std::make_pair(a.type, a.name), a.line);
      if (!fresh)
        error(a.line, code::kDuplicateAttribute,
              std::string(sf::kAttrTypeName[static_cast<size_t>(a.type)]) + " attribute \"" +
                  platform::to_utf8(a.name) + "\" already defined at line " + std::to_string(it->second));
      if (!attr_names_.contains(a.name)) {
        attr_names_.emplace(a.name, NameUse{0, a.line});
        attr_name_order_.push_back(a.name);
      }
      switch (a.type) {
        case lv::AttrType::font:
          index_of(fonts_, font_order_, a.text);
          break;
        case lv::AttrType::string:
          if (index_of(strings_, string_order_, a.text) == sf::kMaxStrings)
            error(a.line, code::kTooManyStrings, "more than " + std::to_string(sf::kMaxStrings) + " different strings");
          break;
        case lv::AttrType::picture:
          picture(a);
          break;
        default:
          break;
      }
    }
    for (const SourceNode& child : node.children) collect(child);
  }

  static size_t index_of(std::map<std::u16string, size_t>& map, std::vector<std::u16string>& order,
                         const std::u16string& text) {
    const auto [it, fresh] = map.emplace(text, order.size());
    if (fresh) order.push_back(text);
    return it->second;
  }

  void picture(const SourceAttr& a) {
    auto it = picture_index_.find(a.file);
    if (it == picture_index_.end()) {
      if (out_.pictures.size() == sf::kMaxPictures) {
        error(a.line, code::kTooManyPictures,
              "more than " + std::to_string(sf::kMaxPictures) + " pictures (\"" + a.file + "\" would be the next)");
        return;
      }
      it = picture_index_.emplace(a.file, out_.pictures.size()).first;
      out_.pictures.push_back(load_picture(a));
    }
    const Picture& pic = out_.pictures[it->second];
    if (pic.width == 0 && pic.height == 0) return;  // already reported
    resolve_region(a, pic, static_cast<uint8_t>(it->second));
  }

  Picture load_picture(const SourceAttr& a) {
    Picture pic;
    pic.name = src_.name + "_" + a.file;
    const std::filesystem::path png = src_.dir / (a.file + ".png");
    platform::RgbaImage image;
    std::string why;
    if (!platform::read_png_rgba(png, image, &why)) {
      error(a.line, code::kMissingPicture, "cannot read picture " + png.string() + ": " + why);
      return pic;
    }
    if (image.width > lv::kMaxBitmapSide || image.height > lv::kMaxBitmapSide || image.width == 0 ||
        image.height == 0) {
      error(a.line, code::kMissingPicture,
            "picture " + png.string() + " must be 1 to " + std::to_string(lv::kMaxBitmapSide) + " pixels wide and high");
      return pic;
    }
    out_.inputs.push_back(png);
    pic.width = image.width;
    pic.height = image.height;
    pic.pixels.resize(static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height));
    for (size_t i = 0; i < pic.pixels.size(); ++i) {
      const uint8_t* p = &image.rgba[4 * i];
      pic.pixels[i] = surface_pixel(p[0], p[1], p[2], p[3]);
    }
    return pic;
  }

  void resolve_region(const SourceAttr& a, const Picture& pic, uint8_t index) {
    std::array<int64_t, 8> p{};  // x0 y0 x1 y1 x2 y2 x3 y3
    if (a.has_points) {
      p = a.points;
    } else {
      const auto r = a.has_rect ? a.rect : std::array<int64_t, 4>{0, 0, pic.width, pic.height};
      const auto& b = a.border;  // left top right bottom
      p = {r[0], r[1], r[0] + b[0], r[1] + b[1], r[0] + r[2] - b[2], r[1] + r[3] - b[3], r[0] + r[2], r[1] + r[3]};
    }
    const bool ordered = 0 <= p[0] && p[0] <= p[2] && p[2] <= p[4] && p[4] <= p[6] && p[6] <= pic.width &&
                         0 <= p[1] && p[1] <= p[3] && p[3] <= p[5] && p[5] <= p[7] && p[7] <= pic.height;
    if (!ordered) {
      std::string text;
      for (int64_t v : p) text += (text.empty() ? "" : " ") + std::to_string(v);
      error(a.line, code::kNinePatch,
            "nine-patch points (" + text + ") must satisfy 0 <= x0 <= x1 <= x2 <= x3 <= " + std::to_string(pic.width) +
                " and 0 <= y0 <= y1 <= y2 <= y3 <= " + std::to_string(pic.height) + " (picture \"" + a.file + "\")");
      return;
    }
    lv::PictureRecord rec;
    rec.x0 = static_cast<uint16_t>(p[0]), rec.y0 = static_cast<uint16_t>(p[1]);
    rec.x1 = static_cast<uint16_t>(p[2]), rec.y1 = static_cast<uint16_t>(p[3]);
    rec.x2 = static_cast<uint16_t>(p[4]), rec.y2 = static_cast<uint16_t>(p[5]);
    rec.x3 = static_cast<uint16_t>(p[6]), rec.y3 = static_cast<uint16_t>(p[7]);
    rec.picture = index;
    rec.flag = a.flag;
    regions_[&a] = rec;
  }

  // Offsets of every name, text and record.
  void layout() {
    size_t pos = sf::kHeaderSize;
    for (const std::u16string& name : attr_name_order_) {
      NameUse& use = attr_names_[name];
      use.offset = pos;
      if (pos >= sf::kAttrNameLimit)
        error(use.first_line, code::kNameTooFar,
              "attribute name \"" + platform::to_utf8(name) + "\" would lie beyond the first 65,536 bytes of the file");
      pos += text_bytes(name);
    }
    for (const SourceNode& node : src_.nodes) {
      node_name_offset_[&node] = pos;
      pos += text_bytes(node.name);
    }
    string_area_ = pos;
    for (const Picture& pic : out_.pictures) pos += text_bytes(platform::from_utf8(pic.name));
    for (const std::u16string& s : font_order_) pos += text_bytes(s);
    for (const std::u16string& s : string_order_) pos += text_bytes(s);
    pos = (pos + 3) & ~size_t{3};

    sorted_.resize(src_.nodes.size());
    std::iota(sorted_.begin(), sorted_.end(), size_t{0});
    std::sort(sorted_.begin(), sorted_.end(),
              [&](size_t a, size_t b) { return src_.nodes[a].name < src_.nodes[b].name; });
    for (size_t i : sorted_) {
      entry_offset_.push_back(pos);
      pos += sf::kTreeEntrySize;
      pos = layout_record(src_.nodes[i], pos);
    }
    size_ = pos;
    if (size_ > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      error(0, code::kRecordTooLong, "the skin would be larger than 2 GiB");
  }

  size_t layout_record(const SourceNode& node, size_t pos) {
    Record& rec = records_[&node];
    rec.offset = pos;
    for (const SourceAttr& a : node.attrs) rec.arrays[static_cast<size_t>(a.type)].push_back(&a);
    size_t size = sf::kRecordHeaderSize + 4 * node.children.size();
    for (size_t t = 0; t < sf::kAttrTypeCount; ++t) {
      auto& list = rec.arrays[t];
      std::stable_sort(list.begin(), list.end(), [](const SourceAttr* a, const SourceAttr* b) { return a->name < b->name; });
      rec.bounds[t] = size;
      size += list.size() * sf::kAttrRecordSize[t];
    }
    rec.bounds[sf::kAttrTypeCount] = size;
    if (size > sf::kMaxRecordSize)
      error(node.line, code::kRecordTooLong,
            "node record would be " + std::to_string(size) + " bytes; at most 65,535 fit (" +
                std::to_string(node.attrs.size()) + " attributes, " + std::to_string(node.children.size()) +
                " children)");
    if (node.children.size() > 0xFFFF) error(node.line, code::kRecordTooLong, "more than 65,535 children");
    pos += size;
    for (const SourceNode& child : node.children) pos = layout_record(child, pos);
    return pos;
  }

  void put16(size_t at, uint32_t v) {
    bytes_[at] = static_cast<uint8_t>(v);
    bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  void put32(size_t at, int64_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
  }
  size_t put_text(size_t at, const std::u16string& s) {
    for (char16_t c : s) put16(at, c), at += 2;
    put16(at, 0);
    return at + 2;
  }

  void write() {
    bytes_.assign(size_, 0);
    for (size_t i = 0; i < sf::kMagic.size(); ++i) put16(2 * i, sf::kMagic[i]);
    for (const auto& [name, use] : attr_names_) put_text(use.offset, name);
    for (const SourceNode& node : src_.nodes) put_text(node_name_offset_[&node], node.name);
    size_t pos = string_area_;
    for (const Picture& pic : out_.pictures) pos = put_text(pos, platform::from_utf8(pic.name));
    for (const std::u16string& s : font_order_) pos = put_text(pos, s);
    for (const std::u16string& s : string_order_) pos = put_text(pos, s);
    put32(sf::kRootOffset, build_tree(0, sorted_.size()));
    put32(sf::kPictureCount, static_cast<int64_t>(out_.pictures.size()));
    put32(sf::kFontCount, static_cast<int64_t>(font_order_.size()));
    put32(sf::kStringAreaOffset, static_cast<int64_t>(string_area_));
    put32(sf::kStringCount, static_cast<int64_t>(string_order_.size()));
    for (const auto& [node, rec] : records_) write_record(*node, rec);
    out_.skin = std::move(bytes_);
  }

  // A balanced tree over the sorted nodes [lo, hi); returns the root entry.
  int64_t build_tree(size_t lo, size_t hi) {
    if (lo >= hi) return -1;
    const size_t mid = lo + (hi - lo) / 2;
    const size_t entry = entry_offset_[mid];
    put32(entry, build_tree(lo, mid));
    put32(entry + 4, build_tree(mid + 1, hi));
    put32(entry + 8, static_cast<int64_t>(node_name_offset_[&src_.nodes[sorted_[mid]]]));
    return static_cast<int64_t>(entry);
  }

  void write_record(const SourceNode& node, const Record& rec) {
    const size_t base = rec.offset;
    for (size_t t = 0; t <= sf::kAttrTypeCount; ++t) put16(base + 2 * t, static_cast<uint32_t>(rec.bounds[t]));
    put16(base + 14, static_cast<uint32_t>(node.children.size()));
    for (size_t k = 0; k < node.children.size(); ++k)
      put32(base + sf::kRecordHeaderSize + 4 * k, static_cast<int64_t>(records_.at(&node.children[k]).offset));
    for (size_t t = 0; t < sf::kAttrTypeCount; ++t) {
      size_t at = base + rec.bounds[t];
      for (const SourceAttr* a : rec.arrays[t]) {
        write_attribute(at, *a);
        at += sf::kAttrRecordSize[t];
      }
    }
  }

  void write_attribute(size_t at, const SourceAttr& a) {
    put16(at, static_cast<uint32_t>(attr_names_.at(a.name).offset));
    switch (a.type) {
      case lv::AttrType::integer:
        put32(at + 4, a.integer);
        break;
      case lv::AttrType::font:
        put32(at + 4, static_cast<int64_t>(fonts_.at(a.text)));
        break;
      case lv::AttrType::point:
        put16(at + 4, static_cast<uint16_t>(a.x));
        put16(at + 6, static_cast<uint16_t>(a.y));
        break;
      case lv::AttrType::string:
        put16(at + 2, static_cast<uint32_t>(strings_.at(a.text)));
        break;
      case lv::AttrType::picture: {
        const lv::PictureRecord& r = regions_.at(&a);
        const uint16_t v[8] = {r.x0, r.y0, r.x1, r.y1, r.x2, r.y2, r.x3, r.y3};
        for (size_t i = 0; i < 8; ++i) put16(at + 2 + 2 * i, v[i]);
        bytes_[at + 18] = r.picture;
        bytes_[at + 19] = r.flag;
        break;
      }
      case lv::AttrType::color:
        bytes_[at + 4] = a.color.red;
        bytes_[at + 5] = a.color.green;
        bytes_[at + 6] = a.color.blue;
        break;
    }
  }

  SkinSource& src_;
  Diagnostics& diag_;
  CompiledSkin& out_;
  std::map<std::u16string, NameUse> attr_names_;
  std::vector<std::u16string> attr_name_order_;
  std::map<std::u16string, size_t> fonts_, strings_;
  std::vector<std::u16string> font_order_, string_order_;
  std::map<std::string, size_t> picture_index_;
  std::unordered_map<const SourceAttr*, lv::PictureRecord> regions_;
  std::unordered_map<const SourceNode*, size_t> node_name_offset_;
  std::unordered_map<const SourceNode*, Record> records_;
  std::vector<size_t> sorted_, entry_offset_;
  size_t string_area_ = 0, size_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace

bool compile_source(const std::filesystem::path& source, CompiledSkin& out, Diagnostics& diag) {
  out = CompiledSkin{};
  SkinSource src;
  if (!parse_source(source, src, diag)) return false;
  out.name = src.name;
  out.inputs.push_back(source);
  return Compiler(src, diag, out).run();
}

}  // namespace skinc
