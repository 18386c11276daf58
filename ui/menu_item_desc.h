// One entry of the list a menu provider returns.
#pragma once

#include <string>

namespace lv {

struct MenuItemDesc {
  std::u16string key;        // identifies the item to the provider; also its text's language key
  std::u16string text;       // shown text; when empty, the language text of key
  std::u16string data;       // carried for the provider
  std::u16string node_name;  // skin node of the item; empty: the menu's default item node
  bool enabled = true;
  bool separator = false;
  bool checked = false;
};

}  // namespace lv
