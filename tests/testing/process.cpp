#include "tests/testing/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace testing_support {

std::string bin_path(const std::string& name) {
  // The build's own bin folder, unless the environment points elsewhere.
  const char* dir = std::getenv("LUMIVALE_BIN_DIR");
  return std::string(dir && *dir ? dir : LUMIVALE_BIN_DIR) + "/" + name;
}

ProcessResult run_process(const std::vector<std::string>& argv) {
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  ProcessResult result;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_fds = 2;
  while (open_fds > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (auto& f : fds) {
      if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = read(f.fd, buf, sizeof buf);
      if (n <= 0) {
        close(f.fd);
        f.fd = -1;
        --open_fds;
      } else {
        (f.fd == out_pipe[0] ? result.out : result.err).append(buf, static_cast<size_t>(n));
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace testing_support
