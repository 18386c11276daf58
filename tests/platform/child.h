// A program of the device running beside a test: its standard output is
// read line by line; it is killed when the test ends.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class Child {
 public:
  explicit Child(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The next line of output, or nullopt after `timeout_ms` or at its end.
  std::optional<std::string> line(int timeout_ms = 5000);
  // Reads lines until one starts with `prefix`; returns it, or nullopt.
  std::optional<std::string> wait_for(const std::string& prefix, int timeout_ms = 5000);
  void kill(int signal);
  int wait();  // exit code, 128 + signal when killed
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
  bool reaped_ = false;
};

}  // namespace testing_support
