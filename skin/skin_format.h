// The binary layout of a compiled skin (".skin"), shared by the loader and
// the skin compiler. All integers are little-endian, every offset counts from
// the first byte of the file and every text is UTF-16LE ending in a zero unit.
//
//   header (92 bytes)       magic, root of the named-node tree, counts, string area
//   string area             picture names, then font descriptions, then strings
//   NodeTreeEntry           left, right, name offset, then the node's record
//   NodeRecord              seven u16 array bounds relative to the record,
//                           child count, child record offsets, then the arrays
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lv::skin_format {

inline constexpr std::array<char16_t, 4> kMagic = {0x0421, 0x043A, 0x0438, 0x043D};

inline constexpr size_t kHeaderSize = 92;
inline constexpr size_t kRootOffset = 72;
inline constexpr size_t kPictureCount = 76;
inline constexpr size_t kFontCount = 80;
inline constexpr size_t kStringAreaOffset = 84;
inline constexpr size_t kStringCount = 88;

inline constexpr size_t kTreeEntrySize = 12;  // left, right, name; the record follows
inline constexpr size_t kRecordHeaderSize = 16;

// The attribute arrays of a record, in the order they follow one another.
enum class AttrType : uint8_t { integer, font, point, string, picture, color };
inline constexpr size_t kAttrTypeCount = 6;

inline constexpr std::array<uint16_t, kAttrTypeCount> kAttrRecordSize = {8, 8, 8, 4, 20, 8};

// The names the source format and the dump use for the attribute types.
inline constexpr std::array<std::string_view, kAttrTypeCount> kAttrTypeName = {
    "int", "font", "point", "string", "picture", "color"};

// The largest span of one record with its arrays (its array bounds are u16).
inline constexpr size_t kMaxRecordSize = 65535;
// Attribute names are found through u16 file offsets.
inline constexpr size_t kAttrNameLimit = 65536;
// Picture indices are one byte.
inline constexpr size_t kMaxPictures = 256;
// String indices are u16.
inline constexpr size_t kMaxStrings = 65536;
// Deepest nesting of child records the loader accepts (named node = depth 1).
inline constexpr int kMaxDepth = 64;

inline constexpr uint16_t read_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline constexpr int32_t read_i32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace lv::skin_format
