#include "app/log.h"

#include <cstdio>
#include <memory>
#include <mutex>

#include "app/file.h"
#include "app/paths.h"
#include "app/registry.h"
#include "platform/device.h"
#include "platform/mutex.h"

namespace lv {
namespace {

class NullSink final : public LogSink {
 public:
  void write(std::u16string_view) override {}
  void flush() override {}
};

class FileSink final : public LogSink {
 public:
  FileSink() {
    // Every start of the program logs to the same file. A start while
    // another process of the device has it open (the running instance a
    // second start hands over to) joins it instead of wiping it.
    const std::u16string path = log_file_path();
    bool shared = false;
    users_ = platform::NamedMutex::open(u"log " + path, &shared);
    file_.open(path, shared ? FileMode::append : FileMode::write);
    if (file_.is_open() && file_.size() == 0) file_.write("\xFF\xFE", 2);  // UTF-16LE mark
  }
  void write(std::u16string_view text) override {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    const std::lock_guard guard(lock_);
    // At the end each time, so that the lines of several processes follow
    // one another instead of overwriting each other.
    file_.seek(0, platform::SeekOrigin::end);
    file_.write(bytes.data(), bytes.size());  // a sink that cannot write stays silent
  }
  void flush() override {
    const std::lock_guard guard(lock_);
    file_.flush();
  }

 private:
  std::unique_ptr<platform::NamedMutex> users_;  // marks the file as in use on the device
  File file_;
  std::mutex lock_;
};

std::unique_ptr<LogSink> current_sink;
bool current_is_file = false;
uint64_t current_device_serial = 0;  // the device whose Temp folder holds the file

}  // namespace

std::u16string log_file_path() { return u"/Temp/" + expand_path(u"%app_name%.txt"); }

LogSink& log() {
  bool on = false;
  reg_read_bool(u"HKEY_CURRENT_USER\\Software\\NELM", u"Log", on);
  platform::Device* device = platform::Device::current();
  const uint64_t serial = device ? device->serial() : 0;
  if (!current_sink || current_is_file != on || (on && serial != current_device_serial)) {
    current_sink.reset();  // closes the old file before a new one truncates it
    if (on)
      current_sink = std::make_unique<FileSink>();
    else
      current_sink = std::make_unique<NullSink>();
    current_is_file = on;
    current_device_serial = serial;
  }
  return *current_sink;
}

LogSink& operator<<(LogSink& sink, std::u16string_view text) {
  sink.write(text);
  return sink;
}
LogSink& operator<<(LogSink& sink, const char16_t* text) { return sink << std::u16string_view(text ? text : u""); }
LogSink& operator<<(LogSink& sink, const std::u16string& text) { return sink << std::u16string_view(text); }

LogSink& operator<<(LogSink& sink, std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return sink << std::u16string_view(wide);
}
LogSink& operator<<(LogSink& sink, const char* text) { return sink << std::string_view(text ? text : ""); }

LogSink& operator<<(LogSink& sink, char16_t c) { return sink << std::u16string_view(&c, 1); }
LogSink& operator<<(LogSink& sink, char c) { return sink << std::string_view(&c, 1); }

LogSink& operator<<(LogSink& sink, bool value) { return sink << (value ? u"true" : u"false"); }

LogSink& operator<<(LogSink& sink, double value) {
  char buf[400];  // "%f" of the largest double needs 317
  std::snprintf(buf, sizeof buf, "%f", value);
  return sink << std::string_view(buf);
}

LogSink& operator<<(LogSink& sink, long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", value);
  return sink << std::string_view(buf);
}

LogSink& operator<<(LogSink& sink, unsigned long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llu", value);
  return sink << std::string_view(buf);
}

}  // namespace lv
