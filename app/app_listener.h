// How the application reports window events to the object that runs the
// program (the starter). The defaults keep a program without one usable: a
// hand-over brings the window to the front, closing is allowed, keys are not
// intercepted.
#pragma once

#include <string>

#include "app/events.h"

namespace lv {

class Form;

class AppListener {
 public:
  virtual ~AppListener() = default;
  // A command line handed over by another start (message 0x0422).
  virtual void on_other_instance_started(const std::u16string& command_line);
  // Closing was requested; true lets the window be destroyed.
  virtual bool can_close() { return true; }
  virtual void on_form_pushed(Form* /*form*/) {}
  virtual void on_form_removed(Form* /*form*/, bool /*animated*/) {}
  virtual void on_resolution_changed() {}
  virtual void on_help() {}
  virtual void on_deactivate() {}
  virtual void on_activate() {}
  // Before a key goes to the forms; true consumes it.
  virtual bool on_key(const KeyEvent& /*event*/) { return false; }
};

}  // namespace lv
