// The bytes of a compiled skin, checked once when they are taken in and then
// read in place: the named-node tree and the sorted attribute arrays are
// searched directly in the file image, nothing is parsed into objects.
//
// Every offset, count and text the file holds is checked against the file's
// bounds before it is used: a damaged or hostile file is refused with a reason
// instead of being read outside the buffer. Cycles and shared records in the
// tree are refused too, so every walk over a checked file ends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_format.h"

namespace lv {

using skin_format::AttrType;

class SkinFile;

// The nine-patch region of one picture attribute, as stored.
struct PictureRecord {
  uint16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
  uint8_t picture = 0;
  uint8_t flag = 0;
};

struct ColorRecord {
  uint8_t red = 0, green = 0, blue = 0;
};

// One element description in a loaded skin: a named node or a child. Valid
// while the skin it came from is loaded; null when a lookup found nothing.
class NodeRecord {
 public:
  NodeRecord() = default;
  explicit operator bool() const { return file_ != nullptr; }

  size_t child_count() const;
  // The child records in child order; `index` < child_count().
  NodeRecord child(size_t index) const;
  size_t attribute_count(AttrType type) const;
  // The file offset of the record (for the dump and diagnostics).
  uint32_t offset() const { return offset_; }

  friend bool operator==(const NodeRecord&, const NodeRecord&) = default;

 private:
  friend class SkinFile;
  NodeRecord(const SkinFile* file, uint32_t offset) : file_(file), offset_(offset) {}
  const SkinFile* file_ = nullptr;
  uint32_t offset_ = 0;
};

// One attribute of a record, found by name or by position.
struct AttributeRef {
  uint32_t offset = 0;  // file offset of the attribute record; 0 = none
  explicit operator bool() const { return offset != 0; }
};

class SkinFile {
 public:
  // Takes the file's bytes. Returns null and sets `reason` when the file is
  // too small, lacks the magic ("" as reason) or is damaged (a description).
  static std::unique_ptr<SkinFile> open(std::vector<uint8_t> bytes, std::string* reason = nullptr);

  const std::vector<uint8_t>& bytes() const { return bytes_; }

  size_t picture_count() const { return picture_count_; }
  size_t font_count() const { return font_count_; }
  size_t string_count() const { return string_count_; }
  std::u16string picture_name(size_t index) const { return text_at(area_[index]); }
  std::u16string font_description(size_t index) const { return text_at(area_[picture_count_ + index]); }
  std::u16string string(size_t index) const { return text_at(area_[picture_count_ + font_count_ + index]); }

  // The record of the named node, or null.
  NodeRecord find_node(std::u16string_view name) const;
  // Every named node with its name, in name order (the tree walked in order).
  std::vector<std::pair<std::u16string, NodeRecord>> named_nodes() const;

  // The attribute of that type and name in the record, or none.
  AttributeRef find_attribute(NodeRecord record, AttrType type, std::u16string_view name) const;
  AttributeRef attribute(NodeRecord record, AttrType type, size_t index) const;
  std::u16string attribute_name(AttributeRef attr) const;

  int32_t integer_value(AttributeRef attr) const;  // also the font index
  std::pair<int16_t, int16_t> point_value(AttributeRef attr) const;
  uint16_t string_index(AttributeRef attr) const;
  PictureRecord picture_value(AttributeRef attr) const;
  ColorRecord color_value(AttributeRef attr) const;

  // The largest right and bottom edge any picture attribute uses, per picture;
  // the loader checks them against the loaded pictures' sizes.
  struct Extent {
    uint16_t width = 0, height = 0;
  };
  const std::vector<Extent>& picture_extents() const { return extents_; }

  // The name comparison of tree and arrays: code units as unsigned values, the
  // first difference decides, a prefix is lower. Negative, 0 or positive.
  int compare_name(std::u16string_view wanted, uint32_t stored_offset) const;

 private:
  friend class NodeRecord;
  class Checker;
  explicit SkinFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  uint16_t u16(size_t offset) const { return skin_format::read_u16(bytes_.data() + offset); }
  int32_t i32(size_t offset) const { return skin_format::read_i32(bytes_.data() + offset); }
  std::u16string text_at(uint32_t offset) const;
  uint32_t array_begin(NodeRecord record, AttrType type) const;

  std::vector<uint8_t> bytes_;
  int32_t root_ = -1;
  size_t picture_count_ = 0, font_count_ = 0, string_count_ = 0;
  std::vector<uint32_t> area_;  // offsets of the P + F + S texts of the string area
  std::vector<Extent> extents_;
};

}  // namespace lv
