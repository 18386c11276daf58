// The application frame in this process: the window procedure's input
// handling, the hand-over, the emergency-number check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/single_instance.h"
#include "app/win_main.h"
#include "platform/device.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
namespace msg = platform::msg;

// Records what reaches the forms.
class RecordingStack final : public FormStack {
 public:
  struct Log {
    std::vector<PointerEvent> pointers;
    std::vector<KeyEvent> keys;
    std::vector<std::u16string> texts;
  };
  explicit RecordingStack(Log& log) : log_(log) {}
  bool empty() const override { return false; }
  void tick(double) override {}
  bool needs_redraw(bool) override { return false; }
  void set_redraw() override {}
  void render_frame(const FrameTarget&) override {}
  void pointer_move(const PointerEvent&) override {}
  bool pointer_event(const PointerEvent& e) override {
    log_.pointers.push_back(e);
    return true;
  }
  bool text_input(const CharEvent& e) override {
    log_.texts.push_back(e.text);
    return true;
  }
  bool key_event(const KeyEvent& e) override {
    log_.keys.push_back(e);
    return true;
  }

 private:
  Log& log_;
};

class RecordingListener final : public AppListener {
 public:
  void on_other_instance_started(const std::u16string& command_line) override { hand_overs.push_back(command_line); }
  bool on_key(const KeyEvent&) override {
    ++keys_asked;
    return false;
  }
  std::vector<std::u16string> hand_overs;
  int keys_asked = 0;
};

class FrameTest : public testing_support::DeviceTest {
 protected:
  FrameTest() {
    app_ = std::make_unique<Application>(u"Lumivale");
    app_->set_form_stack(std::make_unique<RecordingStack>(forms_));
    app_->set_listener(&listener_);
    window_ = app_->game_base().main_window();
  }
  ~FrameTest() override {
    app_->set_listener(nullptr);
    app_.reset();
  }
  platform::LResult send(uint32_t message, platform::WParam w, platform::LParam l) {
    return platform::send_message(window_, message, w, l);
  }
  // Runs what is queued without waiting.
  void drain() {
    platform::Message m;
    while (platform::peek_message(m)) {
      platform::translate_message(m);
      platform::dispatch_message(m);
    }
  }

  RecordingStack::Log forms_;
  RecordingListener listener_;
  std::unique_ptr<Application> app_;
  platform::WindowHandle window_ = 0;
};

TEST_F(FrameTest, TheMainWindowCarriesTheInstanceClassAndTitle) {
  ASSERT_NE(window_, 0u);
  EXPECT_EQ(platform::window_class_name(window_), u"SkinnerClass_Lumivale");
  EXPECT_EQ(platform::window_text(window_), u"Lumivale");
  EXPECT_EQ(platform::find_window(u"CActiveSkinnerClass_Lumivale") != 0, true);
}

TEST_F(FrameTest, APointerUpReleasesAtItsPositionAndALostCaptureReleasesCancelled) {
  send(msg::pointer_down, 1, platform::pointer_lparam(10, 20));
  send(msg::pointer_up, 0, platform::pointer_lparam(12, 24));
  drain();
  ASSERT_EQ(forms_.pointers.size(), 2u);
  EXPECT_TRUE(forms_.pointers[0].down);
  EXPECT_EQ(forms_.pointers[0].x, 10);
  EXPECT_EQ(forms_.pointers[0].y, 20);
  EXPECT_FALSE(forms_.pointers[1].down);
  EXPECT_FALSE(forms_.pointers[1].cancelled);
  EXPECT_EQ(forms_.pointers[1].x, 12);
  EXPECT_EQ(forms_.pointers[1].y, 24);

  // Another window takes the capture before any pointer-up.
  send(msg::pointer_down, 1, platform::pointer_lparam(-5, 7));  // signed halves
  ASSERT_EQ(forms_.pointers.size(), 3u);
  EXPECT_EQ(forms_.pointers[2].x, -5);
  platform::CreateParams other;
  other.class_name = u"Static";
  const platform::WindowHandle thief = platform::create_window(other);
  ASSERT_NE(thief, 0u);
  platform::set_capture(thief);
  drain();
  ASSERT_EQ(forms_.pointers.size(), 4u);
  EXPECT_FALSE(forms_.pointers[3].down);
  EXPECT_TRUE(forms_.pointers[3].cancelled);
  EXPECT_EQ(forms_.pointers[3].x, kNoPointerUp);
  EXPECT_EQ(forms_.pointers[3].y, kNoPointerUp);
  platform::release_capture();
  platform::destroy_window(thief);
}

TEST_F(FrameTest, KeyMessagesBecomeTheProgramsEvents) {
  send(msg::key_down, 0x1B, 1);                                      // escape: the back key
  send(msg::key_down, 0x77, 1 | platform::key_data_previous_down);  // star, auto-repeat
  send(msg::key_up, 0x77, 1 | platform::key_data_previous_down | platform::key_data_released);
  EXPECT_EQ(listener_.keys_asked, 3);
  send(msg::hot_key, 7, (platform::LParam{0x71} << 16) | platform::mod_key_up);
  EXPECT_EQ(listener_.keys_asked, 3);  // hot keys do not ask the listener
  send(msg::character, 0x0D, 1);
  send(msg::character, u'a', 1);
  ASSERT_EQ(forms_.keys.size(), 4u);
  EXPECT_EQ(forms_.keys[0].code, key_backspace);
  EXPECT_TRUE(forms_.keys[0].down && forms_.keys[0].first);
  EXPECT_EQ(forms_.keys[1].code, key_star);
  EXPECT_TRUE(forms_.keys[1].down);
  EXPECT_FALSE(forms_.keys[1].first);
  EXPECT_FALSE(forms_.keys[2].down);
  EXPECT_TRUE(forms_.keys[2].first);
  EXPECT_EQ(forms_.keys[3].code, key_soft_right);
  EXPECT_FALSE(forms_.keys[3].down);
  EXPECT_TRUE(forms_.keys[3].first);
  EXPECT_EQ(forms_.texts, (std::vector<std::u16string>{u"a"}));  // return gives no character event
}

TEST_F(FrameTest, AHandOverIsQueuedAndActedOnAfterTheSendReturns) {
  for (std::u16string text : {u"run", u"%CommandLineEmpty%", u" run"}) {
    platform::CopyData data{0, static_cast<uint32_t>(text.size() * 2), text.data()};
    send(msg::copy_data, 0, reinterpret_cast<platform::LParam>(&data));
  }
  platform::CopyData tagged{5, 6, u"run"};
  send(msg::copy_data, 0, reinterpret_cast<platform::LParam>(&tagged));  // not a hand-over
  EXPECT_TRUE(listener_.hand_overs.empty());
  drain();
  EXPECT_EQ(listener_.hand_overs, (std::vector<std::u16string>{u"run", u"", u" run"}));
  send(kHandOverMessage, 0, 0);  // nothing queued: nothing happens
  EXPECT_EQ(listener_.hand_overs.size(), 3u);
}

TEST_F(FrameTest, TheCallKeyDialsAnEmergencyNumberTheTypedDigitsEndWith) {
  ASSERT_FALSE(app_->emergency_numbers().empty());
  const std::u16string number = app_->emergency_numbers().front();
  struct Case {
    std::vector<int> keys;
    bool dials;
  };
  auto digit = [](char16_t c) { return key_0 + (c - u'0'); };
  std::vector<int> typed;
  for (char16_t c : number) typed.push_back(digit(c));
  std::vector<int> longer = {digit(u'5')};
  longer.insert(longer.end(), typed.begin(), typed.end());
  std::vector<int> broken = typed;
  broken.insert(broken.end() - 1, key_a);
  const Case cases[] = {{typed, true}, {longer, true}, {broken, false}, {{}, false}};
  size_t calls = 0;
  for (const Case& c : cases) {
    const size_t passed_before = forms_.keys.size();
    for (int code : c.keys) app_->key_event({code, true, true});
    app_->key_event({key_call_make, true, true});
    const auto starts = device_.device().shell().starts();
    if (c.dials) {
      ++calls;
      ASSERT_EQ(starts.size(), calls);
      EXPECT_EQ(starts.back().verb, u"call");
      EXPECT_EQ(starts.back().file, u"tel:" + number);
      EXPECT_TRUE(app_->game_base().is_blocked());
      EXPECT_EQ(forms_.keys.size(), passed_before + c.keys.size());  // the call key was consumed
      send(msg::key_down, 0x25, 1);                                 // any key unblocks the loop
      EXPECT_FALSE(app_->game_base().is_blocked());
    } else {
      EXPECT_EQ(starts.size(), calls);
      EXPECT_EQ(forms_.keys.back().code, key_call_make);  // passed on to the top form
    }
  }
}

using SingleInstanceTest = testing_support::DeviceTest;

// A running instance whose only findable window is its unowned dialog titled
// with the application name is brought to the front; nothing is handed over.
TEST_F(SingleInstanceTest, AnUnownedDialogTitledWithTheNameIsBroughtToTheFront) {
  EXPECT_FALSE(show_running_instance(u"run", u"Lumivale"));
  release_instance_mutex();

  platform::register_class({u"Dialog", platform::default_window_proc, 0});
  auto make = [](const char16_t* title, platform::WindowHandle owner) {
    platform::CreateParams params;
    params.class_name = u"Dialog";
    params.title = title;
    params.style = platform::style_visible;
    params.owner = owner;
    return platform::create_window(params);
  };
  const platform::WindowHandle other = make(u"Other", 0);
  const platform::WindowHandle dialog = make(u"Lumivale", 0);
  const platform::WindowHandle owned = make(u"Lumivale", dialog);
  platform::set_foreground_window(other);
  EXPECT_TRUE(show_running_instance(u"run", u"Lumivale"));
  EXPECT_EQ(platform::get_foreground_window(), dialog);
  release_instance_mutex();
  for (platform::WindowHandle w : {owned, dialog, other}) platform::destroy_window(w);
  platform::unregister_class(u"Dialog");
}

TEST_F(FrameTest, AWebAddressOpensInTheBrowser) {
  ASSERT_TRUE(app_->open_url(u"http://example.org/a b"));
  const auto starts = device_.device().shell().starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].verb, u"open");
  EXPECT_EQ(starts[0].file, u"\\Windows\\iexplore.exe");
  EXPECT_EQ(starts[0].parameters, u"http://example.org/a b");
}

TEST(EmergencyList, TakesNonEmptyEntriesUpToTheDoubleNulAndStaysInItsBound) {
  const char16_t list[] = {u'1', u'1', u'2', 0, u'9', u'1', u'1', 0, 0, u'x', 0, 0};
  EXPECT_EQ(parse_emergency_list(list, std::size(list)), (std::vector<std::u16string>{u"112", u"911"}));
  const char16_t unterminated[] = {u'1', u'1', u'2', 0, u'9', u'9'};
  EXPECT_EQ(parse_emergency_list(unterminated, std::size(unterminated)),
            (std::vector<std::u16string>{u"112", u"99"}));
  EXPECT_TRUE(parse_emergency_list(list + 8, 1).empty());
}

TEST(StartWords, AreComparedExactlyAndInFull) {
  for (const char16_t* word : {u"run", u"lock", u"runsplash"}) EXPECT_TRUE(is_start_word(word));
  for (const char16_t* word : {u"Run", u" run", u"run ", u"lockup", u"", u"RUNSPLASH", u"runs"})
    EXPECT_FALSE(is_start_word(word));
}

}  // namespace

namespace {

std::vector<std::string> kind_calls;
using ElementKindsTest = testing_support::DeviceTest;

TEST_F(ElementKindsTest, TheElementKindsLiveAsLongAsTheApplication) {
  lv::Application::install_element_kinds({[] { kind_calls.push_back("register"); },
                                          [] { kind_calls.push_back("unregister"); }});
  {
    lv::Application application(u"Lumivale");
    EXPECT_EQ(kind_calls, std::vector<std::string>{"register"});
  }
  EXPECT_EQ(kind_calls, (std::vector<std::string>{"register", "unregister"}));
  lv::Application::install_element_kinds({});
}

}  // namespace
