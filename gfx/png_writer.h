// Screenshots and golden images: a surface's pixels as a PNG file on the host.
// For tools and tests; the program itself never writes PNG.
#pragma once

#include <filesystem>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/render_surface.h"

namespace lv {

// False (with `error` filled) when there is nothing to write or the file
// cannot be written.
bool write_png(const Bitmap& bitmap, const std::filesystem::path& host_file, std::string* error = nullptr);
bool write_png(const RenderSurface& surface, const std::filesystem::path& host_file,
               std::string* error = nullptr);

}  // namespace lv
