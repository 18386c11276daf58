#include "skin/choice_menus.h"

#include "app/paths.h"
#include "app/registry.h"
#include "platform/unicode.h"

namespace lv {
namespace {

std::u16string product_registry_key(std::u16string_view product_key) {
  return u"HKEY_CURRENT_USER\\Software\\NELM\\" + std::u16string(product_key);
}

bool same_base_name(std::u16string_view a, std::u16string_view b) {
  return platform::to_lower(base_name(a)) == platform::to_lower(base_name(b));
}

void append_cancel(std::vector<MenuItemDesc>& items, std::u16string_view cancel_node) {
  MenuItemDesc cancel;
  cancel.key = u"Cancel";
  cancel.node_name = std::u16string(cancel_node);
  items.push_back(std::move(cancel));
}

}  // namespace

bool language_menu_step(LanguageTable& language, std::u16string_view product_key, std::u16string_view item_key,
                        std::vector<MenuItemDesc>& items, std::u16string_view cancel_node) {
  constexpr std::u16string_view kPrefix = u"Language#";
  if (item_key == u"Language") {
    for (const auto& path : language_files()) {
      MenuItemDesc item;
      item.key = std::u16string(kPrefix) + base_name(path);
      item.text = base_name(path);
      item.checked = same_base_name(path, language.path());
      items.push_back(std::move(item));
    }
    append_cancel(items, cancel_node);
    return true;
  }
  if (!item_key.starts_with(kPrefix)) return false;
  const std::u16string name(item_key.substr(kPrefix.size()));
  const std::u16string path = u"%app_path%/" + name + u".lng";
  if (paths_equal(path, language.path()) || !language.load(path)) return false;
  reg_write_string(product_registry_key(product_key), u"Language", name);
  return true;
}

bool skin_menu_step(const LanguageTable& language, std::u16string_view current_skin,
                    const std::function<bool(const std::u16string& path)>& load_skin,
                    std::u16string_view product_key, std::u16string_view item_key,
                    std::vector<MenuItemDesc>& items, std::u16string_view cancel_node) {
  constexpr std::u16string_view kPrefix = u"Skin#";
  if (item_key == u"Skin") {
    for (const auto& path : selectable_skins()) {
      MenuItemDesc item;
      item.key = std::u16string(kPrefix) + base_name(path);
      item.text = language.text_or(item.key, base_name(path));
      item.checked = same_base_name(path, current_skin);
      items.push_back(std::move(item));
    }
    append_cancel(items, cancel_node);
    return true;
  }
  if (!item_key.starts_with(kPrefix)) return false;
  const std::u16string name(item_key.substr(kPrefix.size()));
  const std::u16string path = u"%app_path%/skins/bin/" + name + u".skin";
  if (paths_equal(path, current_skin) || !load_skin(path)) return false;
  reg_write_string(product_registry_key(product_key), u"Skin", name);
  return true;
}

}  // namespace lv
