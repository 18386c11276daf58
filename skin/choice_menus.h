// The menu steps through which the user picks another language or skin. A
// menu provider calls them with the key of the chosen item: the bare key
// ("Language", "Skin") lists the choices, "Language#name" / "Skin#name"
// switches to one and records it in the product's registry key.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/language.h"
#include "ui/menu_item_desc.h"

namespace lv {

bool language_menu_step(LanguageTable& language, std::u16string_view product_key, std::u16string_view item_key,
                        std::vector<MenuItemDesc>& items, std::u16string_view cancel_node);

// `current_skin` is the path of the skin in use; `load_skin` loads another
// skin by path and reports whether it took.
bool skin_menu_step(const LanguageTable& language, std::u16string_view current_skin,
                    const std::function<bool(const std::u16string& path)>& load_skin,
                    std::u16string_view product_key, std::u16string_view item_key,
                    std::vector<MenuItemDesc>& items, std::u16string_view cancel_node);

}  // namespace lv
