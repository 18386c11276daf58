// The single-instance rule: a second start of the program hands its command
// line to the running instance and ends. The instance identity (command
// line, application name, window class name, the mutex) lives for the whole
// process.
#pragma once

#include <string>
#include <string_view>

#include "platform/window.h"

namespace lv {

inline constexpr std::u16string_view kApplicationName = u"Lumivale";
inline constexpr std::u16string_view kClassPrefix = u"SkinnerClass_";
// Stands for the empty command line in a hand-over.
inline constexpr std::u16string_view kCommandLineEmpty = u"%CommandLineEmpty%";
// Posted by the running instance to itself after a hand-over arrived.
inline constexpr uint32_t kHandOverMessage = 0x0422;  // WM_USER + 34

// True when another instance exists and was given the command line (this
// process must then end). Holds the single-instance mutex from here until the
// main window exists.
bool show_running_instance(std::u16string_view command_line, std::u16string_view name);
// The window enumeration step: false (stop) when it found the running instance.
bool EnumProc(const platform::TopLevelWindow& window);

// "SkinnerClass_" + the application name, once show_running_instance ran.
const std::u16string& instance_class_name();
// Releases and closes the mutex (the main window exists now).
void release_instance_mutex();

// An orderly stop asked from outside (SIGTERM, SIGINT), callable from any
// thread: the main window is closed as if the user closed it; asked before
// the window exists, it is closed as soon as it does, and a start still
// waiting for the running instance gives up.
void request_stop();
bool stop_requested();
// The window request_stop closes.
void set_stop_window(platform::WindowHandle window);

}  // namespace lv
