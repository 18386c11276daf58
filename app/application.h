// The application object every part of the program reaches through
// Application::instance(): it owns the game base (window, loop, scheduler),
// the form stack, the listener and the emergency-number list, and forwards
// time and input to the forms.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_listener.h"
#include "app/events.h"
#include "app/form_stack.h"
#include "app/game_base.h"

namespace lv {

class Application {
 public:
  // The element kinds of the toolkit, registered in this order at
  // construction and unregistered in reverse order at destruction.
  static constexpr std::u16string_view kElementKinds[] = {
      u"node",   u"text",  u"color",    u"image",      u"edit", u"htable", u"vtable",
      u"button", u"vlist", u"multinode", u"progress", u"label_edit", u"clip", u"richtext"};

  // The element kinds come from the toolkit, above this layer: the program
  // installs the registration before it makes the application. Without it
  // (the frame's own tests) no kinds are registered.
  struct ElementKinds {
    void (*register_all)() = nullptr;    // registers kElementKinds in order
    void (*unregister_all)() = nullptr;  // in reverse order
  };
  static void install_element_kinds(const ElementKinds& kinds) { element_kinds_ = kinds; }

  explicit Application(std::u16string name);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* instance() { return instance_; }

  GameBase& game_base() { return *game_base_; }
  const std::u16string& name() const { return name_; }

  // Null restores the default listener.
  void set_listener(AppListener* listener) { listener_ = listener ? listener : &default_listener_; }
  AppListener& listener() { return *listener_; }
  // The toolkit installs its form stack here; null restores the empty one.
  void set_form_stack(std::unique_ptr<FormStack> stack);
  FormStack& form_stack() { return *form_stack_; }

  // Forwarded to the game base.
  void run() { game_base_->run(); }
  void pump() { game_base_->pump(); }
  void frame(bool only_if_time_passed) { game_base_->frame(only_if_time_passed); }
  void bring_to_front() { game_base_->bring_to_front(); }
  void minimise() { game_base_->minimise(); }
  void set_game_input(bool on) { game_base_->set_game_input(on); }
  void set_windowed(bool taskbar_shown) { game_base_->set_windowed(taskbar_shown); }
  void open_display(int orientation) { game_base_->open_display(orientation); }
  platform::Rect client_rect() const { return game_base_->client_rect(); }
  void apply_layout() { game_base_->apply_layout(); }
  void resolution_changed() { game_base_->resolution_changed(); }
  void set_soft_key_bar_visible(bool visible) { game_base_->set_soft_key_bar_visible(visible); }
  bool is_windowed() const { return game_base_->is_windowed(); }
  OverlayEdit* active_edit() const { return game_base_->active_edit(); }
  void set_active_edit(OverlayEdit* edit, bool create_window) { game_base_->set_active_edit(edit, create_window); }
  void block_loop() { game_base_->block_loop(); }

  // The form stack's entry points.
  void tick(double seconds) { form_stack_->tick(seconds); }
  bool needs_redraw(bool count_previous) { return form_stack_->needs_redraw(count_previous); }
  void set_redraw() { form_stack_->set_redraw(); }
  void render_frame(const FrameTarget& target) { form_stack_->render_frame(target); }
  void pointer_move(const PointerEvent& event) { form_stack_->pointer_move(event); }
  bool pointer_event(const PointerEvent& event) { return form_stack_->pointer_event(event); }
  bool text_input(const CharEvent& event) { return form_stack_->text_input(event); }
  // Watches the digits typed for an emergency number and dials it on the
  // call key from any screen; everything else goes to the top form.
  bool key_event(const KeyEvent& event);

  const std::vector<std::u16string>& emergency_numbers() const { return emergency_numbers_; }
  const std::u16string& typed_digits() const { return typed_digits_; }

  // Places a call; true when the phone accepted it.
  bool make_call(std::u16string_view number);
  // Opens a web address in the browser; true when it started.
  bool open_url(std::u16string_view text);
  static bool is_smartphone();

 private:
  void read_emergency_numbers();

  static inline Application* instance_ = nullptr;

  std::u16string name_;
  AppListener default_listener_;
  AppListener* listener_ = &default_listener_;
  std::unique_ptr<FormStack> form_stack_;
  static ElementKinds element_kinds_;
  std::u16string typed_digits_;
  std::vector<std::u16string> emergency_numbers_;
  std::unique_ptr<GameBase> game_base_;
};

// The emergency numbers in a double-NUL-terminated list of at most
// `max_chars` characters: the non-empty entries, in order. A list without its
// final terminator ends at the bound.
std::vector<std::u16string> parse_emergency_list(const char16_t* list, size_t max_chars);

}  // namespace lv
