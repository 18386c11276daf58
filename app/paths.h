// Path macros and path functions. Every file and folder name the program uses
// goes through expand_path, so nothing depends on where it is installed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lv {

// Expands one macro at the very start of the path ("%app_path%", "%windows%",
// ...) and turns every "/" into "\".
std::u16string expand_path(std::u16string_view path);
// The full path of the program file ("%app_full_name%").
const std::u16string& get_app_path();
// A shell special folder's path, or empty when the device has none.
std::u16string special_folder(int folder_id);

// Text up to and including the last separator; empty when there is none.
std::u16string path_dir(std::u16string_view path);
// Removes one trailing "\" or "/".
std::u16string path_strip_separator(std::u16string_view path);
// Text after the last separator; the whole text when there is none.
std::u16string path_file_name(std::u16string_view path);
// The folder of the path after one trailing separator is stripped.
std::u16string path_parent(std::u16string_view path);
// Position of the last "." when it lies after the last separator.
std::optional<size_t> path_extension_pos(std::u16string_view path);
std::u16string path_to_forward_slashes(std::u16string_view path);
// Expanded, one trailing separator stripped, lower case.
std::u16string path_normalise(std::u16string_view path);
bool paths_equal(std::u16string_view a, std::u16string_view b);

}  // namespace lv
