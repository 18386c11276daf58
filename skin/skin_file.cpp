#include "skin/skin_file.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace lv {

namespace sf = skin_format;

namespace {

constexpr size_t type_index(AttrType type) { return static_cast<size_t>(type); }

}  // namespace

// Walks everything a file holds once and refuses it at the first offset,
// count or text that leaves the file.
class SkinFile::Checker {
 public:
  explicit Checker(SkinFile& file) : f_(file), size_(file.bytes_.size()) {}

  bool run(std::string& reason) {
    if (!check_header() || !check_string_area() || !check_tree()) {
      reason = std::move(reason_);
      return false;
    }
    return true;
  }

 private:
  bool fail(std::string why) {
    reason_ = std::move(why);
    return false;
  }

  bool inside(int64_t offset, int64_t length) const {
    return offset >= 0 && length >= 0 && static_cast<uint64_t>(offset) + static_cast<uint64_t>(length) <= size_;
  }

  // Whether a zero-terminated text starts at `offset`. One backward pass over
  // the file answers every later question in constant time.
  bool text_ok(int64_t offset) {
    if (!inside(offset, 2)) return false;
    if (terminated_.empty()) {
      terminated_.assign(size_, 0);
      for (size_t i = size_ - 1; i-- > 0;) {  // i + 1 < size_
        const bool zero = f_.u16(i) == 0;
        terminated_[i] = zero || (i + 3 < size_ && terminated_[i + 2]);
      }
    }
    return terminated_[static_cast<size_t>(offset)] != 0;
  }

  bool check_header() {
    f_.root_ = f_.i32(sf::kRootOffset);
    const int32_t pictures = f_.i32(sf::kPictureCount);
    const int32_t fonts = f_.i32(sf::kFontCount);
    const int32_t strings = f_.i32(sf::kStringCount);
    if (pictures < 0 || fonts < 0 || strings < 0) return fail("negative count in the header");
    f_.picture_count_ = static_cast<size_t>(pictures);
    f_.font_count_ = static_cast<size_t>(fonts);
    f_.string_count_ = static_cast<size_t>(strings);
    return true;
  }

  bool check_string_area() {
    const uint64_t total = static_cast<uint64_t>(f_.picture_count_) + f_.font_count_ + f_.string_count_;
    if (total == 0) return true;
    int64_t pos = f_.i32(sf::kStringAreaOffset);
    // Every text takes at least its two-byte terminator.
    if (!inside(pos, 0) || total > (size_ - static_cast<uint64_t>(pos)) / 2)
      return fail("string area outside the file");
    f_.area_.reserve(total);
    for (uint64_t i = 0; i < total; ++i) {
      if (!text_ok(pos)) return fail("string " + std::to_string(i) + " runs past the end of the file");
      f_.area_.push_back(static_cast<uint32_t>(pos));
      while (f_.u16(static_cast<size_t>(pos)) != 0) pos += 2;
      pos += 2;
    }
    return true;
  }

  bool check_tree() {
    f_.extents_.assign(f_.picture_count_, Extent{});
    if (f_.root_ == -1) return true;
    std::vector<int32_t> pending = {f_.root_};
    while (!pending.empty()) {
      const int32_t entry = pending.back();
      pending.pop_back();
      const std::string at = " at " + std::to_string(entry);
      if (!inside(entry, sf::kTreeEntrySize + sf::kRecordHeaderSize)) return fail("node tree entry outside the file" + at);
      if (!entries_.insert(entry).second) return fail("node tree entry reached twice" + at);
      const int32_t name = f_.i32(static_cast<size_t>(entry) + 8);
      if (!text_ok(name)) return fail("node name outside the file" + at);
      for (size_t side : {0u, 4u}) {
        const int32_t next = f_.i32(static_cast<size_t>(entry) + side);
        if (next != -1) pending.push_back(next);
      }
      if (!check_records(static_cast<int64_t>(entry) + static_cast<int64_t>(sf::kTreeEntrySize))) return false;
    }
    return true;
  }

  // The record and every record below it, without recursion.
  bool check_records(int64_t top) {
    std::vector<std::pair<int64_t, int>> pending = {{top, 1}};
    while (!pending.empty()) {
      const auto [record, depth] = pending.back();
      pending.pop_back();
      const std::string at = " at " + std::to_string(record);
      if (depth > sf::kMaxDepth) return fail("nodes nested too deeply" + at);
      if (!inside(record, sf::kRecordHeaderSize)) return fail("node record outside the file" + at);
      if (!records_.insert(record).second) return fail("node record reached twice" + at);
      const auto base = static_cast<size_t>(record);
      const size_t children = f_.u16(base + 14);
      if (!inside(record, static_cast<int64_t>(sf::kRecordHeaderSize + 4 * children)))
        return fail("child list outside the file" + at);
      for (size_t k = 0; k < children; ++k) {
        const int32_t child = f_.i32(base + sf::kRecordHeaderSize + 4 * k);
        pending.emplace_back(child, depth + 1);
      }
      if (!check_arrays(base, at)) return false;
    }
    return true;
  }

  bool check_arrays(size_t record, const std::string& at) {
    for (size_t t = 0; t < sf::kAttrTypeCount; ++t) {
      const size_t begin = f_.u16(record + 2 * t);
      const size_t end = f_.u16(record + 2 * t + 2);
      if (end < begin || (end - begin) % sf::kAttrRecordSize[t] != 0)
        return fail("bad " + std::string(sf::kAttrTypeName[t]) + " array bounds" + at);
      if (!inside(static_cast<int64_t>(record + begin), static_cast<int64_t>(end - begin)))
        return fail(std::string(sf::kAttrTypeName[t]) + " array outside the file" + at);
      for (size_t a = record + begin; a < record + end; a += sf::kAttrRecordSize[t])
        if (!check_attribute(static_cast<AttrType>(t), a, at)) return false;
    }
    return true;
  }

  bool check_attribute(AttrType type, size_t attr, const std::string& at) {
    const uint16_t name = f_.u16(attr);
    if (!names_.contains(name)) {
      if (!text_ok(name)) return fail("attribute name outside the file" + at);
      names_.insert(name);
    }
    switch (type) {
      case AttrType::font: {
        const int32_t font = f_.i32(attr + 4);
        if (font < 0 || static_cast<size_t>(font) >= f_.font_count_) return fail("font index out of range" + at);
        break;
      }
      case AttrType::string:
        if (f_.u16(attr + 2) >= f_.string_count_) return fail("string index out of range" + at);
        break;
      case AttrType::picture: {
        const PictureRecord p = f_.picture_value(AttributeRef{static_cast<uint32_t>(attr)});
        if (p.picture >= f_.picture_count_) return fail("picture index out of range" + at);
        if (!(p.x0 <= p.x1 && p.x1 <= p.x2 && p.x2 <= p.x3 && p.y0 <= p.y1 && p.y1 <= p.y2 && p.y2 <= p.y3))
          return fail("picture region out of order" + at);
        Extent& e = f_.extents_[p.picture];
        e.width = std::max(e.width, p.x3);
        e.height = std::max(e.height, p.y3);
        break;
      }
      default:
        break;
    }
    return true;
  }

  SkinFile& f_;
  const size_t size_;
  std::string reason_;
  std::vector<uint8_t> terminated_;
  std::unordered_set<int64_t> entries_, records_;
  std::unordered_set<uint16_t> names_;
};

std::unique_ptr<SkinFile> SkinFile::open(std::vector<uint8_t> bytes, std::string* reason) {
  if (reason) reason->clear();
  if (bytes.size() < sf::kHeaderSize) return nullptr;
  for (size_t i = 0; i < sf::kMagic.size(); ++i)
    if (sf::read_u16(bytes.data() + 2 * i) != sf::kMagic[i]) return nullptr;
  std::unique_ptr<SkinFile> file(new SkinFile(std::move(bytes)));
  std::string why;
  if (!Checker(*file).run(why)) {
    if (reason) *reason = std::move(why);
    return nullptr;
  }
  return file;
}

std::u16string SkinFile::text_at(uint32_t offset) const {
  std::u16string text;
  for (size_t p = offset; u16(p) != 0; p += 2) text.push_back(static_cast<char16_t>(u16(p)));
  return text;
}

int SkinFile::compare_name(std::u16string_view wanted, uint32_t stored_offset) const {
  size_t p = stored_offset;
  for (char16_t w : wanted) {
    const uint16_t s = u16(p);
    if (s == 0) return 1;  // the stored name is a prefix of the wanted one
    if (w != s) return static_cast<uint16_t>(w) < s ? -1 : 1;
    p += 2;
  }
  return u16(p) == 0 ? 0 : -1;
}

NodeRecord SkinFile::find_node(std::u16string_view name) const {
  int32_t entry = root_;
  while (entry != -1) {
    const auto base = static_cast<size_t>(entry);
    const int c = compare_name(name, static_cast<uint32_t>(i32(base + 8)));
    if (c == 0) return NodeRecord(this, static_cast<uint32_t>(base + sf::kTreeEntrySize));
    entry = i32(base + (c < 0 ? 0 : 4));
  }
  return {};
}

std::vector<std::pair<std::u16string, NodeRecord>> SkinFile::named_nodes() const {
  std::vector<std::pair<std::u16string, NodeRecord>> out;
  std::vector<int32_t> stack;
  int32_t entry = root_;
  while (entry != -1 || !stack.empty()) {
    while (entry != -1) {
      stack.push_back(entry);
      entry = i32(static_cast<size_t>(entry));
    }
    entry = stack.back();
    stack.pop_back();
    const auto base = static_cast<size_t>(entry);
    out.emplace_back(text_at(static_cast<uint32_t>(i32(base + 8))),
                     NodeRecord(this, static_cast<uint32_t>(base + sf::kTreeEntrySize)));
    entry = i32(base + 4);
  }
  return out;
}

uint32_t SkinFile::array_begin(NodeRecord record, AttrType type) const {
  return record.offset_ + u16(record.offset_ + 2 * type_index(type));
}

AttributeRef SkinFile::find_attribute(NodeRecord record, AttrType type, std::u16string_view name) const {
  if (!record) return {};
  const uint32_t begin = array_begin(record, type);
  const size_t z = sf::kAttrRecordSize[type_index(type)];
  size_t lo = 0, hi = record.attribute_count(type);
  while (lo != hi) {
    const size_t mid = (lo + hi) / 2;
    const auto at = static_cast<uint32_t>(begin + mid * z);
    const int c = compare_name(name, u16(at));
    if (c == 0) return AttributeRef{at};
    if (c < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return {};
}

AttributeRef SkinFile::attribute(NodeRecord record, AttrType type, size_t index) const {
  return AttributeRef{static_cast<uint32_t>(array_begin(record, type) + index * sf::kAttrRecordSize[type_index(type)])};
}

std::u16string SkinFile::attribute_name(AttributeRef attr) const { return text_at(u16(attr.offset)); }

int32_t SkinFile::integer_value(AttributeRef attr) const { return i32(attr.offset + 4); }

std::pair<int16_t, int16_t> SkinFile::point_value(AttributeRef attr) const {
  return {static_cast<int16_t>(u16(attr.offset + 4)), static_cast<int16_t>(u16(attr.offset + 6))};
}

uint16_t SkinFile::string_index(AttributeRef attr) const { return u16(attr.offset + 2); }

PictureRecord SkinFile::picture_value(AttributeRef attr) const {
  const size_t a = attr.offset;
  PictureRecord p;
  p.x0 = u16(a + 2), p.y0 = u16(a + 4), p.x1 = u16(a + 6), p.y1 = u16(a + 8);
  p.x2 = u16(a + 10), p.y2 = u16(a + 12), p.x3 = u16(a + 14), p.y3 = u16(a + 16);
  p.picture = bytes_[a + 18];
  p.flag = bytes_[a + 19];
  return p;
}

ColorRecord SkinFile::color_value(AttributeRef attr) const {
  const size_t a = attr.offset;
  return ColorRecord{bytes_[a + 4], bytes_[a + 5], bytes_[a + 6]};
}

size_t NodeRecord::child_count() const { return file_ ? file_->u16(offset_ + 14) : 0; }

NodeRecord NodeRecord::child(size_t index) const {
  return NodeRecord(file_, static_cast<uint32_t>(file_->i32(offset_ + sf::kRecordHeaderSize + 4 * index)));
}

size_t NodeRecord::attribute_count(AttrType type) const {
  if (!file_) return 0;
  const size_t t = type_index(type);
  return (file_->u16(offset_ + 2 * t + 2) - file_->u16(offset_ + 2 * t)) / sf::kAttrRecordSize[t];
}

}  // namespace lv
