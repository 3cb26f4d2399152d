// datalog-bench: how close a download comes to the limit of the wire, what it costs
// while it waits, and how fast the pure parts are. Prints one table.
//
//   datalog-bench [--full]      quick: 3000 readings; full: 33000 (a full logger)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "download/csv.h"
#include "download/dump.h"
#include "logger_emulator.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

namespace {

constexpr int COM = 7;
constexpr double BYTE_SECONDS = 10.0 / 9600;  // start bit, 8 data bits, stop bit

// ---- Running datalog with a scripted input, time-stamping what it prints ----------

struct Transcript {
  std::vector<std::pair<Clock::time_point, std::size_t>> arrivals;  // time, output size then
  std::string out;
  Clock::time_point began, ended;
  rusage usage{};
  int status = -1;

  // When the output first held `marker` (searched from `from`); ended when never.
  Clock::time_point when(const std::string& marker, std::size_t from = 0) const {
    const auto at = out.find(marker, from);
    if (at == std::string::npos) return ended;
    for (const auto& [time, size] : arrivals)
      if (size >= at + marker.size()) return time;
    return ended;
  }
  double cpuSeconds() const {
    auto s = [](const timeval& tv) {
      return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return s(usage.ru_utime) + s(usage.ru_stime);
  }
};

class Sandbox {
 public:
  Sandbox() {
    std::string pattern = (fs::temp_directory_path() / "datalog-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::create_directories(root_ / "work");
  }
  ~Sandbox() { fs::remove_all(root_); }
  fs::path work() const { return root_ / "work"; }
  fs::path config() const { return root_ / "config"; }
  fs::path portLink() const { return config() / "datalog/ports" / ("COM" + std::to_string(COM)); }

  Transcript run(const std::string& input) const {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
    Transcript run;
    run.began = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      if (chdir(work().c_str()) != 0) _exit(126);
      setenv("XDG_CONFIG_HOME", config().c_str(), 1);
      setenv("TZ", "UTC", 1);
      execl(DATALOG_BINARY, "datalog", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
      throw std::runtime_error("cannot give datalog its input");
    close(in[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
      run.out.append(buffer, static_cast<std::size_t>(n));
      run.arrivals.emplace_back(Clock::now(), run.out.size());
    }
    close(out[0]);
    int status = 0;
    wait4(pid, &status, 0, &run.usage);
    run.ended = Clock::now();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

 private:
  fs::path root_;
};

std::string typedPeriod(std::size_t readings) {
  // One reading every ten minutes from 1 January 2026.
  const long minutes = static_cast<long>(readings + 1) * 10;
  std::tm end{};
  end.tm_year = 126;
  end.tm_mday = 1;
  end.tm_min = static_cast<int>(minutes);
  std::time_t t = timegm(&end);
  gmtime_r(&t, &end);
  std::ostringstream s;
  s << "1\n1\n2026\n0\n0\n"
    << end.tm_mon + 1 << '\n'
    << end.tm_mday << '\n'
    << end.tm_year + 1900 << '\n'
    << end.tm_hour << '\n'
    << end.tm_min << '\n';
  return s.str();
}

// Readings in ./data.csv that are missing or differ from what the logger sent.
std::size_t readingsLost(const fs::path& csv, const std::vector<int>& sent) {
  std::ifstream in(csv);
  std::size_t matched = 0;
  for (std::string row; std::getline(in, row) && matched < sent.size();) {
    const auto comma = row.find(", ");
    if (comma == std::string::npos || std::atoi(row.c_str() + comma + 2) != sent[matched] % 256)
      break;
    ++matched;
  }
  return sent.size() - matched;
}

struct DownloadFigures {
  double seconds = 0;      // "p" received by the logger to the summary printed
  double wireSeconds = 0;  // the dump's bytes at 9600 baud 8N1
  double cpuShare = 0;     // CPU time of datalog over its wall time
  long peakKiB = 0;
  std::size_t lost = 0;
  bool ok = false;
};

DownloadFigures download(std::size_t count, bool paced) {
  emulator::Options options;
  options.readings = emulator::generatedReadings(count);
  options.paced = paced;
  Sandbox sandbox;
  emulator::LoggerEmulator logger(options);
  logger.pin(sandbox.portLink());

  const Transcript run = sandbox.run("7\n2\n" + typedPeriod(count) + "99\n");
  DownloadFigures f;
  const auto received = logger.received();
  if (run.status != 0 || received.empty() || received.front().byte != 'p') return f;
  const auto summary = run.when("Datapoints = ");
  f.seconds = Seconds(summary - received.front().at).count();
  f.wireSeconds = static_cast<double>(emulator::dumpText(options).size()) * BYTE_SECONDS;
  f.cpuShare = run.cpuSeconds() / Seconds(run.ended - run.began).count();
  f.peakKiB = run.usage.ru_maxrss;
  f.lost = readingsLost(sandbox.work() / "data.csv", options.readings);
  f.ok = true;
  return f;
}

struct PacingFigures {
  double interval = 0, mode = 0;  // seconds
  bool ok = false;
};

PacingFigures pacing() {
  Sandbox sandbox;
  emulator::LoggerEmulator logger({});
  logger.pin(sandbox.portLink());
  const Transcript run = sandbox.run("7\n1\n2.5\n3\n99\n");
  PacingFigures f;
  if (run.status != 0 || logger.received().size() != 12) return f;
  const std::string question = "To enter 2.5 seconds, enter 2.5\n> ";
  const std::string menuEnd = "99. Quit\n> ";
  const auto asked = run.out.find(question);
  const auto menuAfterInterval = run.out.find(menuEnd, asked);
  f.interval = Seconds(run.when(" 1. Set", asked) - run.when(question)).count();
  f.mode = Seconds(run.when(" 1. Set", menuAfterInterval) - run.when(menuEnd, asked)).count();
  f.ok = true;
  return f;
}

// ---- Micro-benchmarks of the pure parts -------------------------------------------

std::string dumpOf(std::size_t count) {
  emulator::Options options;
  options.readings = emulator::generatedReadings(count);
  return emulator::dumpText(options);
}

void BM_DumpParser(benchmark::State& state) {
  const std::string dump = dumpOf(33000);
  std::vector<std::uint8_t> readings;
  readings.reserve(33000);
  for (auto _ : state) {
    readings.clear();
    DumpParser parser;
    for (char c : dump)
      if (dumpFeed(parser, c, readings) == DumpEvent::End) break;
    benchmark::DoNotOptimize(readings.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 33000);
}
BENCHMARK(BM_DumpParser);

void BM_RowWriter(benchmark::State& state) {
  const std::vector<std::uint8_t> readings(33000, 123);
  const fs::path file =
      fs::temp_directory_path() / ("datalog-bench-" + std::to_string(getpid()) + ".csv");
  for (auto _ : state) {
    if (writeCsv(file.string(), readings, rowClock(1767225600, 33001 * 600, readings.size())))
      state.SkipWithError("cannot write the file");
  }
  fs::remove(file);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 33000);
}
BENCHMARK(BM_RowWriter)->Unit(benchmark::kMillisecond);

// Keeps the items per second of each benchmark instead of printing them.
class Collector : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      auto it = run.counters.find("items_per_second");
      if (it != run.counters.end()) perSecond[run.benchmark_name()] = it->second;
    }
  }
  std::map<std::string, double> perSecond;
};

// ---- The table -----------------------------------------------------------------------

void row(const std::string& what, const std::string& value, const std::string& target = "",
         int met = -1) {
  std::printf("| %-44s | %-30s | %-8s | %-3s |\n", what.c_str(), value.c_str(), target.c_str(),
              met < 0 ? ""
              : met   ? "yes"
                      : "NO");
}

std::string format(const char* f, double a, double b = 0, double c = 0) {
  char text[128];
  std::snprintf(text, sizeof text, f, a, b, c);
  return text;
}

std::string machine() {
  std::string cpu = "unknown processor";
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; std::getline(info, line);)
    if (line.starts_with("model name")) {
      cpu = line.substr(line.find(':') + 2);
      break;
    }
  utsname u{};
  uname(&u);
  return cpu + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + u.sysname + " " +
         u.release;
}

}  // namespace

int main(int argc, char** argv) {
  const bool full = argc > 1 && std::string(argv[1]) == "--full";
  const std::size_t count = full ? 33000 : 3000;
  setenv("TZ", "UTC", 1);  // as datalog runs here; the row writer converts every row's time

  int benchArgc = 1;
  char* benchArgv[] = {argv[0], nullptr};
  benchmark::Initialize(&benchArgc, benchArgv);
  Collector micro;
  benchmark::RunSpecifiedBenchmarks(&micro);

  const DownloadFigures paced = download(count, true);
  const DownloadFigures unpaced = download(count, false);
  const PacingFigures commands = pacing();
  if (!paced.ok || !unpaced.ok || !commands.ok) {
    std::fputs("datalog-bench: a run did not complete\n", stderr);
    return 1;
  }

  char today[32];
  const std::time_t now = std::time(nullptr);
  std::strftime(today, sizeof today, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  std::printf("datalog benchmark, %s mode (%zu readings), %s\n%s\n\n", full ? "full" : "quick",
              count, today, machine().c_str());
  row("measure", "value", "target", -1);
  std::puts(
      "|----------------------------------------------|--------------------------------|----------|"
      "-----|");
  const double ratio = paced.seconds / paced.wireSeconds;
  row("paced download: wall / wire time",
      format("%.4f (%.2f s / %.2f s)", ratio, paced.seconds, paced.wireSeconds), "<= 1.01",
      ratio <= 1.01);
  row("paced download: readings lost", std::to_string(paced.lost) + " of " + std::to_string(count),
      "0", paced.lost == 0);
  row("paced download: CPU / wall of datalog", format("%.3f %%", paced.cpuShare * 100), "< 1 %",
      paced.cpuShare < 0.01);
  row("unpaced download: readings per second",
      format("%.0f", static_cast<double>(count) / unpaced.seconds));
  row("  the same after the 250 ms pause that follows p",
      format("%.0f", static_cast<double>(count) / (unpaced.seconds - 0.25)));
  row("unpaced download: readings lost",
      std::to_string(unpaced.lost) + " of " + std::to_string(count), "0", unpaced.lost == 0);
  row("set_interval time / 2.5 s",
      format("%.4f (%.3f s)", commands.interval / 2.5, commands.interval), "<= 1.02",
      commands.interval / 2.5 <= 1.02);
  row("set_mode time / 1.25 s", format("%.4f (%.3f s)", commands.mode / 1.25, commands.mode),
      "<= 1.02", commands.mode / 1.25 <= 1.02);
  row("peak resident memory of datalog (paced run)",
      format("%.1f MiB", static_cast<double>(paced.peakKiB) / 1024.0));
  row("dump parser (micro)", format("%.1f M readings/s", micro.perSecond["BM_DumpParser"] / 1e6));
  const double rowsPerSecond = micro.perSecond["BM_RowWriter"];
  row("row writer (micro)", format("%.2f M rows/s", rowsPerSecond / 1e6));
  row("  writing 33000 rows to data.csv", format("%.1f ms", 33000 / rowsPerSecond * 1e3));
  return 0;
}
