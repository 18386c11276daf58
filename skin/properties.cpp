#include "skin/properties.h"

#include <algorithm>

#include "app/file.h"
#include "app/log.h"
#include "app/paths.h"
#include "app/registry.h"
#include "platform/files.h"
#include "platform/clock.h"
#include "platform/unicode.h"

namespace lv {

namespace {

// Larger files are refused before anything is allocated for them; the
// bundled skins are a few kilobytes.
constexpr uint64_t kMaxSkinFileSize = 64ull * 1024 * 1024;

// The skin's fonts come from the shared font cache unless something else
// (a test) installs its own factory.
FontRef cached_font(std::u16string_view description, int scale_shift) {
  return get_font(parse_font_desc(description, 1 << scale_shift));
}

SkinFontFactory& font_factory() {
  static SkinFontFactory factory = cached_font;
  return factory;
}

void log_record_sizes() {
  LogSink& out = log();
  out << u"sizeof(Node*4)=" << 8 << u"\n";
  out << u"sizeof(IntegerNode*4)=" << 32 << u"\n";
  out << u"sizeof(PointNode*4)=" << 32 << u"\n";
  out << u"sizeof(Node)=" << 2 << u"\n";
  out << u"sizeof(IntegerNode)=" << 8 << u"\n";
  out << u"IntegerNode::Size=" << 8 << u"\n";
  out << u"sizeof(PointNode)=" << 8 << u"\n";
  out << u"PointNode::Size=" << 8 << u"\n";
  out << u"sizeof(ColorNode)=" << 8 << u"\n";
  out << u"ColorNode::Size=" << 8 << u"\n";
  out << u"sizeof(StringNode)=" << 4 << u"\n";
  out << u"StringNode::Size=" << 4 << u"\n";
  out << u"sizeof(PictureNode)=" << 20 << u"\n";
  out << u"PictureNode::Size=" << 20 << u"\n";
}

// The skin path with one trailing separator removed, cut before its last
// "\" or "/"; empty when it has none.
std::u16string picture_directory(std::u16string_view path) {
  if (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, cut));
}

int shift_left(int value, int shift) {
  if (shift >= 32) return 0;
  return static_cast<int>(static_cast<uint32_t>(value) << std::max(shift, 0));
}

}  // namespace

double LapTimer::lap() {
  const uint32_t now = platform::tick_count();
  const double seconds = static_cast<uint32_t>(now - start_) / 1000.0;
  start_ = now;
  return seconds;
}

LapTimer::LapTimer() : start_(platform::tick_count()) {}

void set_skin_font_factory(SkinFontFactory factory) {
  font_factory() = factory ? std::move(factory) : SkinFontFactory(cached_font);
}

PropertiesImpl::PropertiesImpl(std::u16string_view path, int scale_shift) : scale_shift_(scale_shift) {
  log_record_sizes();
  const std::u16string expanded = expand_path(path);
  File in(expanded, FileMode::read);
  const uint64_t size = in.is_open() ? in.size() : 0;
  if (size > kMaxSkinFileSize) {
    log() << u"PropertiesImpl::PropertiesImpl skin too large [" << expanded << u"] " << size << u"\n";
    return;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  const size_t got = bytes.empty() ? 0 : in.read(bytes.data(), bytes.size());
  if (!in.is_open() || got != bytes.size()) {
    log() << u"Error: skin [" << expanded << u"] failed to load\n";
    bytes.resize(got);
  }
  std::string reason;
  std::unique_ptr<SkinFile> file = SkinFile::open(std::move(bytes), &reason);
  if (!file) {
    // Too small or without the magic: refused quietly. Anything else is damage.
    if (!reason.empty())
      log() << u"PropertiesImpl::PropertiesImpl damaged skin [" << expanded << u"]: " << reason << u"\n";
    return;
  }
  file_ = std::move(file);
  LapTimer timer;
  if (!load_pictures(picture_directory(expanded), timer)) {
    file_.reset();
    return;
  }
  const SkinFontFactory& make_font = font_factory();
  fonts_.reserve(file_->font_count());
  for (size_t j = 0; j < file_->font_count(); ++j)
    fonts_.push_back(make_font ? make_font(file_->font_description(j), scale_shift_) : nullptr);
  strings_.reserve(file_->string_count());
  for (size_t s = 0; s < file_->string_count(); ++s) strings_.push_back(file_->string(s));
  log() << u"PropertiesImpl::PropertiesImpl fonts create time=" << timer.lap() << u"\n";
}

bool PropertiesImpl::load_pictures(const std::u16string& directory, LapTimer& timer) {
  pictures_.reserve(file_->picture_count());
  for (size_t i = 0; i < file_->picture_count(); ++i) {
    const std::u16string name = file_->picture_name(i);
    PictureView view = load_565(directory.empty() ? name : directory + u"\\" + name);
    const Size size = view.picture->size();
    if (size.width == 0 && size.height == 0) {
      log() << u"PropertiesImpl::PropertiesImpl picture failed to load {" << name << u"}\n";
      return false;
    }
    // A region reaching past the picture would make drawing read outside it.
    const SkinFile::Extent used = file_->picture_extents()[i];
    if (used.width > size.width || used.height > size.height) {
      log() << u"PropertiesImpl::PropertiesImpl picture region outside the picture {" << name << u"}\n";
      return false;
    }
    log() << u"PropertiesImpl::PropertiesImpl picture load time=" << timer.lap() << u" {" << name << u"}\n";
    pictures_.push_back(std::move(view));
  }
  return true;
}

ReloadListener::ReloadListener(Properties& properties) : properties_(&properties) { properties.add_listener(this); }

ReloadListener::~ReloadListener() {
  if (properties_) properties_->remove_listener(this);
}

Properties::Properties() = default;

Properties::~Properties() {
  for (ReloadListener* l : listeners_)
    if (l) l->properties_ = nullptr;
}

bool Properties::load_skin(std::u16string_view path, int scale_shift) {
  log() << u"Properties::load_skin 1\n";
  auto fresh = std::make_unique<PropertiesImpl>(path, scale_shift);
  log() << u"Properties::load_skin 2\n";
  if (!fresh->loaded()) return false;
  skin_ = std::move(fresh);
  path_ = std::u16string(path);
  log() << u"Properties::load_skin 3\n";
  return true;
}

NodeRecord Properties::find_node(std::u16string_view name) const {
  return skin_ ? skin_->file_->find_node(name) : NodeRecord{};
}

int32_t Properties::get_integer(NodeRecord node, std::u16string_view name, int32_t fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::integer, name);
  return a ? skin_->file_->integer_value(a) : fallback;
}

Point Properties::get_point(NodeRecord node, std::u16string_view name, Point fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::point, name);
  if (!a) return fallback;
  const auto [x, y] = skin_->file_->point_value(a);
  return {shift_left(x, skin_->scale_shift_), shift_left(y, skin_->scale_shift_)};
}

const std::u16string& Properties::get_string(NodeRecord node, std::u16string_view name,
                                             const std::u16string& fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::string, name);
  return a ? skin_->strings_[skin_->file_->string_index(a)] : fallback;
}

Color Properties::get_color(NodeRecord node, std::u16string_view name, Color fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::color, name);
  if (!a) return fallback;
  const ColorRecord c = skin_->file_->color_value(a);
  return Color{c.red, c.green, c.blue, 255};
}

PictureView Properties::get_picture(NodeRecord node, std::u16string_view name, const PictureView& fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::picture, name);
  if (!a) return fallback;
  const PictureRecord r = skin_->file_->picture_value(a);
  const int s = skin_->scale_shift_;
  PictureView view;
  view.picture = skin_->pictures_[r.picture].picture;
  view.p0 = {shift_left(r.x0, s), shift_left(r.y0, s)};
  view.p1 = {shift_left(r.x1, s), shift_left(r.y1, s)};
  view.p2 = {shift_left(r.x2, s), shift_left(r.y2, s)};
  view.p3 = {shift_left(r.x3, s), shift_left(r.y3, s)};
  view.level = s;
  view.flag = r.flag;
  return view;
}

FontRef Properties::get_font(NodeRecord node, std::u16string_view name, FontRef fallback) const {
  if (!skin_ || !node) return fallback;
  const AttributeRef a = skin_->file_->find_attribute(node, AttrType::font, name);
  return a ? skin_->fonts_[static_cast<size_t>(skin_->file_->integer_value(a))] : fallback;
}

void Properties::send_reload_skin() {
  LapTimer timer;
  const bool outer = !dispatching_;
  dispatching_ = true;
  // By index: listeners may come and go while they are told.
  for (size_t i = 0; i < listeners_.size(); ++i)
    if (listeners_[i]) listeners_[i]->reload_skin(*this);
  if (outer) {
    dispatching_ = false;
    std::erase(listeners_, nullptr);
  }
  log() << u"PropertiesImpl::send_reload_skin the rest time=" << timer.lap() << u"\n";
}

void Properties::add_listener(ReloadListener* listener) { listeners_.push_back(listener); }

void Properties::remove_listener(ReloadListener* listener) {
  const auto it = std::find(listeners_.begin(), listeners_.end(), listener);
  if (it == listeners_.end()) return;
  if (dispatching_)
    *it = nullptr;
  else
    listeners_.erase(it);
}

bool load_user_skin(Properties& properties, int scale_shift, std::u16string_view base) {
  std::u16string name;
  reg_read_string(kProductKey, u"Skin", name);
  const std::u16string bin = std::u16string(base) + u"/skins/bin";
  if (properties.load_skin(bin + u"/" + name + u".skin", scale_shift)) return true;
  if (properties.load_skin(bin + u"/default.skin", scale_shift)) return true;
  for (const platform::FindData& found : platform::find_files(expand_path(bin + u"/*.skin"))) {
    if (found.is_directory) continue;
    if (properties.load_skin(bin + u"/" + found.name, scale_shift)) return true;
  }
  return false;
}

}  // namespace lv
