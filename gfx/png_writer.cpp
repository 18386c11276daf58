#include "gfx/png_writer.h"

#include "platform/png.h"

namespace lv {

bool write_png(const Bitmap& bitmap, const std::filesystem::path& host_file, std::string* error) {
  if (bitmap.width() <= 0 || bitmap.height() <= 0) {
    if (error) *error = "nothing to write: the bitmap is empty";
    return false;
  }
  return platform::write_png_rgb565(host_file, bitmap.row(0), bitmap.width(), bitmap.height(),
                                    static_cast<size_t>(bitmap.pitch()), error);
}

bool write_png(const RenderSurface& surface, const std::filesystem::path& host_file, std::string* error) {
  if (const Bitmap* bitmap = surface.target()) return write_png(*bitmap, host_file, error);
  if (error) *error = "nothing to write: the surface has no bitmap";
  return false;
}

}  // namespace lv
