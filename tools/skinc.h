// lumivale-skinc: compiles a skin source (XML with PNG pictures beside it)
// into a ".skin" file and its 16-bit ".bmp" pictures, checks sources, and
// dumps compiled skins as text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "skin/skin_file.h"

namespace skinc {

// Stable error codes; docs/skins.md lists them with their meaning.
namespace code {
inline constexpr const char* kXml = "E001";
inline constexpr const char* kStructure = "E002";
inline constexpr const char* kUnknownType = "E003";
inline constexpr const char* kBadXmlAttribute = "E004";
inline constexpr const char* kBadValue = "E005";
inline constexpr const char* kDuplicateNode = "E006";
inline constexpr const char* kDuplicateAttribute = "E007";
inline constexpr const char* kRecordTooLong = "E008";
inline constexpr const char* kNameTooFar = "E009";
inline constexpr const char* kTooManyPictures = "E010";
inline constexpr const char* kNinePatch = "E011";
inline constexpr const char* kMissingPicture = "E012";
inline constexpr const char* kTooDeep = "E013";
inline constexpr const char* kTooManyStrings = "E014";
inline constexpr const char* kPictureName = "E015";
}  // namespace code

struct Diagnostic {
  std::string file;
  int line = 0;
  std::string code;
  std::string message;
  // "file:line: error[CODE]: message"
  std::string text() const;
};

class Diagnostics {
 public:
  void error(const std::string& file, int line, const char* code, std::string message);
  bool empty() const { return list_.empty(); }
  const std::vector<Diagnostic>& list() const { return list_; }

 private:
  std::vector<Diagnostic> list_;
};

// One picture converted to the render surface's pixel conventions.
struct Picture {
  std::string name;  // the file name without ".bmp", as the skin stores it
  int width = 0;
  int height = 0;
  std::vector<uint16_t> pixels;  // rows top-down
};

struct CompiledSkin {
  std::string name;  // NAME of NAME.skin: the source file's stem
  std::vector<uint8_t> skin;
  std::vector<Picture> pictures;
  std::vector<std::filesystem::path> inputs;  // the source and every PNG it read
};

// Reads and checks a source; on success fills `out`. Every problem found is
// added to `diag`; the result is true only when there is none.
bool compile_source(const std::filesystem::path& source, CompiledSkin& out, Diagnostics& diag);

// Writes DIR/NAME.skin and every DIR/<picture>.bmp (each through a temporary
// file renamed into place).
bool write_outputs(const CompiledSkin& skin, const std::filesystem::path& dir, std::string& error);

// A make-style dependency file: "TARGET: SOURCE PNG...".
bool write_depfile(const CompiledSkin& skin, const std::filesystem::path& depfile,
                   const std::filesystem::path& target, std::string& error);

// An RGBA pixel in the render surface's conventions: fully transparent is the
// key colour 0xF81F; opaque pixels carry bit 0x0020; partly transparent ones
// are weighted by their opacity and have bit 0x0020 clear.
uint16_t surface_pixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);

// The 16-bit bottom-up BMP with bit-field masks that the program loads.
std::vector<uint8_t> encode_bmp(const Picture& picture);

// A compiled skin as readable text: header, pictures, fonts, strings and the
// node tree with typed attributes.
std::string dump_skin(const lv::SkinFile& file);

}  // namespace skinc
