#include "app/application.h"

#include <array>
#include <cstdint>

#include "app/fatal.h"
#include "app/log.h"
#include "platform/device.h"
#include "platform/library.h"
#include "platform/phone.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace lv {

Application::ElementKinds Application::element_kinds_;

Application::Application(std::u16string name) : name_(std::move(name)) {
  if (instance_) fatal_report(u"Application::Application", u"instance != 0");
  instance_ = this;
  if (element_kinds_.register_all) element_kinds_.register_all();
  form_stack_ = std::make_unique<EmptyFormStack>();
  game_base_ = std::make_unique<GameBase>(*this, name_);
  log() << u"Application::Application() this=" << reinterpret_cast<uintptr_t>(this) << u"\n";
  read_emergency_numbers();
}

Application::~Application() {
  log() << u"Application::~Application()\n";
  typed_digits_.clear();
  emergency_numbers_.clear();
  game_base_.reset();
  form_stack_.reset();
  if (element_kinds_.unregister_all) element_kinds_.unregister_all();
  instance_ = nullptr;
}

void Application::set_form_stack(std::unique_ptr<FormStack> stack) {
  form_stack_ = stack ? std::move(stack) : std::make_unique<EmptyFormStack>();
}

std::vector<std::u16string> parse_emergency_list(const char16_t* list, size_t max_chars) {
  std::vector<std::u16string> out;
  std::u16string entry;
  for (size_t i = 0; i < max_chars; ++i) {
    if (list[i] != 0) {
      entry += list[i];
      continue;
    }
    if (entry.empty()) break;  // the second NUL ends the list
    out.push_back(std::move(entry));
    entry.clear();
  }
  if (!entry.empty()) out.push_back(std::move(entry));
  return out;
}

void Application::read_emergency_numbers() {
  std::array<char16_t, 2048> buffer{};  // 4096 bytes, zeroed
  if (!platform::emergency_number_list(buffer.data(), buffer.size() * sizeof(char16_t))) return;
  emergency_numbers_ = parse_emergency_list(buffer.data(), 2047);
}

bool Application::key_event(const KeyEvent& event) {
  if (event.down) {
    if (is_digit_key(event.code))
      typed_digits_ += *key_name(event.code);
    else if (event.code > key_none && event.code != key_call_make)
      typed_digits_.clear();
    if (event.code == key_call_make) {
      log() << u"try call " << typed_digits_ << u"\n";
      for (const std::u16string& number : emergency_numbers_) {
        if (number.size() > typed_digits_.size()) continue;
        if (typed_digits_.compare(typed_digits_.size() - number.size(), number.size(), number) != 0) continue;
        typed_digits_.clear();
        log() << u"emergency call " << number << u"\n";
        block_loop();
        make_call(number);
        return true;
      }
    }
  }
  return form_stack_->key_event(event);
}

bool Application::make_call(std::u16string_view number) {
  const auto phone = platform::Library::load(u"phone.dll");
  if (!phone) return false;
  const auto make_call = reinterpret_cast<platform::PhoneMakeCallFunction>(phone->find("PhoneMakeCall"));
  if (!make_call) return false;
  const std::u16string destination(number);
  platform::MakeCallInfo info;
  info.size = platform::kMakeCallInfoSize;
  info.flags = platform::make_call_default;
  info.destination = destination.c_str();
  return make_call(&info) == platform::phone_ok;
}

bool Application::open_url(std::u16string_view text) {
  platform::Device* device = platform::Device::current();
  return device && device->shell().execute(u"open", u"\\Windows\\iexplore.exe", text);
}

bool Application::is_smartphone() {
  static const bool answer = [] {
    const std::u16string type = platform::platform_type().substr(0, 200);
    log() << u"static_capability_is_smartphone=" << type << u"\n";
    return platform::to_lower(type) == u"smartphone";
  }();
  return answer;
}

}  // namespace lv
