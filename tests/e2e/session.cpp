#include "session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

// What the program wrote to the console. A Windows console program writes text mode:
// CR LF line ends, read here as LF.
std::string consoleText(const fs::path& file) {
  std::string text = fileContents(file);
  if (!UNDER_WINE) return text;
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  return lf;
}

double seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

}  // namespace

Session::Session() : config_(dir_.path() / "config"), work_(dir_.path() / "work") {
  fs::create_directories(portsDir());
  fs::create_directories(work_);
}

pid_t Session::start(std::string_view input, const std::string& tz, bool linuxBuild) const {
  const int id = runs_++;
  const fs::path in = dir_.path() / ("stdin" + std::to_string(id));
  std::ofstream(in, std::ios::binary) << input;

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const auto redirect = [](const fs::path& file, int flags, int target) {
      int fd = open(file.c_str(), flags, 0644);
      if (fd < 0 || dup2(fd, target) < 0) _exit(126);
      close(fd);
    };
    redirect(in, O_RDONLY, STDIN_FILENO);
    redirect(dir_.path() / ("stdout" + std::to_string(id)), O_WRONLY | O_CREAT | O_TRUNC,
             STDOUT_FILENO);
    redirect(dir_.path() / ("stderr" + std::to_string(id)), O_WRONLY | O_CREAT | O_TRUNC,
             STDERR_FILENO);
    if (chdir(work_.c_str()) != 0) _exit(126);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    setenv("TZ", tz.c_str(), 1);
    if (UNDER_WINE && !linuxBuild) {
      setenv("WINEPREFIX", DATALOG_WINEPREFIX, 1);
      setenv("WINEDEBUG", "-all", 1);
      // msvcrt reads a TZ variable with United States rules only; a Windows program takes
      // its zone from the system, which wine sets from TZ. So TZ is cleared on the Windows
      // side only.
      std::string command = std::string("set TZ=&& Z:") + DATALOG_BINARY;
      std::replace(command.begin(), command.end(), '/', '\\');
      execlp("wine", "wine", "cmd", "/c", command.c_str(), static_cast<char*>(nullptr));
    } else {
      execl(linuxBuild ? DATALOG_LINUX_BINARY : DATALOG_BINARY, "datalog",
            static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  ids_[pid] = id;
  return pid;
}

Outcome Session::finish(pid_t pid, std::chrono::seconds limit) const {
  const auto began = std::chrono::steady_clock::now();
  Outcome outcome;
  int status = 0;
  rusage usage{};
  for (;;) {
    pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - began > limit) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  outcome.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  outcome.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const int id = ids_.at(pid);
  outcome.out = consoleText(dir_.path() / ("stdout" + std::to_string(id)));
  outcome.err = consoleText(dir_.path() / ("stderr" + std::to_string(id)));
  return outcome;
}

fs::path Session::portLink(int com) const {
  if (UNDER_WINE)
    return fs::path(DATALOG_WINEPREFIX) / "dosdevices" / ("com" + std::to_string(com));
  return portsDir() / ("COM" + std::to_string(com));
}

Outcome Session::run(std::string_view input, const std::string& tz,
                     std::chrono::seconds limit) const {
  return finish(start(input, tz), limit);
}

Outcome Session::runLinuxBuild(std::string_view input, const std::string& tz) const {
  return finish(start(input, tz, true));
}

std::string withPortList(std::string out, int com) {
  static const std::regex heading(
      "^The following serial ports are available on your computer:\n\t((COM[0-9]+ )*)\n");
  std::smatch match;
  if (!std::regex_search(out, match, heading)) return "port list not found in: " + out;
  const std::string list = match[1];
  if ((" " + list).find(" COM" + std::to_string(com) + " ") == std::string::npos)
    return "COM" + std::to_string(com) + " not listed in: " + list;
  const auto at = static_cast<std::size_t>(match.position(1));
  return out.replace(at, list.size(), "{PORTS}");
}

std::string fileContents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
