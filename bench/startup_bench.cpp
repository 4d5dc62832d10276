// Starts biorhythm_probe and its two floors, bare_window and japanese_window,
// in turn (A B C A B C ...), each the same way: clock reading, fork, exec.
// Collects the probes' timestamps and the peak memory wait4 reports, and
// prints medians side by side with the program's ratio to each floor.
// No Qt here, so the launcher adds nothing to what it measures.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Sample = std::map<std::string, double>;  // key -> value as the probe printed it

struct Options {
  int runs = 15;
  int warmup = 1;
  bool offscreen = false;
  bool verbose = false;
  std::string program;
  std::string baseline;  // another build's probe, started in the same rounds; empty: none
  std::string bare;
  std::string japanese;
};

long long MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::string OwnFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string s(path, static_cast<std::size_t>(n));
  return s.substr(0, s.rfind('/'));
}

[[noreturn]] void Usage(int code) {
  std::fprintf(code ? stderr : stdout,
               "usage: startup_bench [--runs N] [--warmup N] [--offscreen] [--verbose]\n"
               "                     [--program PATH] [--baseline PATH] [--bare PATH]\n"
               "                     [--japanese PATH]\n"
               "Needs DISPLAY (bench/run_startup.sh starts an Xvfb) unless --offscreen.\n");
  std::exit(code);
}

Options Parse(int argc, char** argv) {
  Options o;
  const std::string folder = OwnFolder();
  o.program = folder + "/biorhythm_probe";
  o.bare = folder + "/bare_window";
  o.japanese = folder + "/japanese_window";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) Usage(2);
      return argv[++i];
    };
    if (a == "--runs")
      o.runs = std::atoi(next().c_str());
    else if (a == "--warmup")
      o.warmup = std::atoi(next().c_str());
    else if (a == "--offscreen")
      o.offscreen = true;
    else if (a == "--verbose")
      o.verbose = true;
    else if (a == "--program")
      o.program = next();
    else if (a == "--baseline")
      o.baseline = next();
    else if (a == "--bare")
      o.bare = next();
    else if (a == "--japanese")
      o.japanese = next();
    else if (a == "--help" || a == "-h")
      Usage(0);
    else
      Usage(2);
  }
  if (o.runs < 1 || o.warmup < 0) Usage(2);
  return o;
}

// The environment every probe gets: ours, with the platform pinned so that a
// stray QT_QPA_PLATFORM cannot make the sides differ.
std::vector<std::string> ProbeEnvironment(const Options& o) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("BIO_BENCH_", 0) == 0) continue;
    env.push_back(entry);
  }
  env.emplace_back(o.offscreen ? "QT_QPA_PLATFORM=offscreen" : "QT_QPA_PLATFORM=xcb");
  return env;
}

// One start of `path`; nullopt (with a message) if it failed.
std::optional<Sample> RunOnce(const std::string& path, const std::vector<std::string>& base_env,
                              bool verbose) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    std::perror("pipe2");
    return std::nullopt;
  }
  // Everything exec needs is prepared before the clock is read; only the
  // number itself is written after it.
  std::vector<std::string> env = base_env;
  env.push_back("BIO_BENCH_T0=" + std::string(24, ' '));
  std::vector<char*> envp;
  envp.reserve(env.size() + 1);
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  char* t0_text = envp[envp.size() - 2] + std::strlen("BIO_BENCH_T0=");
  const int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);

  const long long t0 = MonotonicNs();
  std::snprintf(t0_text, 25, "%lld", t0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    if (!verbose && null_fd >= 0)
      dup2(null_fd, STDERR_FILENO);  // Qt's chatter would drown the table
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
  close(out[1]);
  if (null_fd >= 0) close(null_fd);
  if (pid < 0) {
    std::perror("fork");
    close(out[0]);
    return std::nullopt;
  }

  std::string text;
  const long long deadline = t0 + 60'000'000'000LL;
  bool timed_out = false;
  for (;;) {
    const long long left_ms = (deadline - MonotonicNs()) / 1'000'000;
    if (left_ms <= 0) {
      timed_out = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left_ms));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  if (timed_out) kill(pid, SIGKILL);

  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const long long end = MonotonicNs();
  if (timed_out || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "startup_bench: %s %s (status %d); --verbose shows its messages\n",
                 path.c_str(), timed_out ? "timed out" : "failed", status);
    return std::nullopt;
  }

  Sample sample;
  std::istringstream lines(text);
  std::string key;
  double value;
  while (lines >> key >> value) sample[key] = value;
  sample["maxrss_kib"] = static_cast<double>(usage.ru_maxrss);  // Linux: KiB
  sample["exit"] = static_cast<double>(end - t0);
  sample["cpu"] = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e9 +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e3;
  if (sample.count("enter") && sample.count("enter_returned") && sample.count("result_frame")) {
    sample["enter_click"] = sample["enter_returned"] - sample["enter"];
    sample["enter_frame"] = sample["result_frame"] - sample["enter"];
  }
  if (!sample.count("first_frame")) {
    std::fprintf(stderr, "startup_bench: %s printed no first_frame\n", path.c_str());
    return std::nullopt;
  }
  return sample;
}

std::optional<double> Median(const std::vector<Sample>& samples, const std::string& key) {
  std::vector<double> v;
  for (const Sample& s : samples) {
    if (const auto it = s.find(key); it != s.end()) v.push_back(it->second);
  }
  if (v.empty()) return std::nullopt;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Row {
  const char* label;
  const char* key;
  double scale;  // divides the raw value into the shown unit
};

// The probes in the order they are started and shown; the first is the
// program, the others what it is compared with: another build's program
// (--baseline), then the floors, the highest last.
struct Target {
  const char* label;
  std::string path;
};

// One row: each target's median, then the program's ratio to each other
// target and how far it is above the last (the highest) floor; with a
// baseline, also the baseline's ratio to that floor.
void PrintRow(const Row& row, const std::vector<std::vector<Sample>>& results, bool baseline) {
  std::vector<std::optional<double>> m;
  m.reserve(results.size());
  for (const std::vector<Sample>& r : results) m.push_back(Median(r, row.key));
  if (std::none_of(m.begin(), m.end(), [](const auto& v) { return v.has_value(); })) return;
  char cell[32];
  std::string line = "  " + std::string(row.label);
  line.resize(40, ' ');
  for (const auto& v : m) {
    if (v)
      std::snprintf(cell, sizeof cell, " %10.2f", *v / row.scale);
    else
      std::snprintf(cell, sizeof cell, " %10s", "-");
    line += cell;
  }
  const std::optional<double>& a = m.front();
  for (std::size_t k = 1; k < m.size(); ++k) {
    if (a && m[k] && *m[k] != 0)
      std::snprintf(cell, sizeof cell, " %8.2fx", *a / *m[k]);
    else
      std::snprintf(cell, sizeof cell, " %9s", "");
    line += cell;
  }
  if (a && m.back()) {
    std::snprintf(cell, sizeof cell, " %+10.2f", (*a - *m.back()) / row.scale);
    line += cell;
  } else {
    std::snprintf(cell, sizeof cell, " %10s", "");
    line += cell;
  }
  if (baseline && m[1] && m.back() && *m.back() != 0) {
    std::snprintf(cell, sizeof cell, " %8.2fx", *m[1] / *m.back());
    line += cell;
  }
  line.erase(line.find_last_not_of(' ') + 1);
  std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // keep the table in order with --verbose's stderr
  const Options o = Parse(argc, argv);
  if (!o.offscreen && !std::getenv("DISPLAY")) {
    std::fprintf(stderr, "startup_bench: no DISPLAY; use bench/run_startup.sh or --offscreen\n");
    return 2;
  }
  const std::vector<std::string> env = ProbeEnvironment(o);
  const bool baseline = !o.baseline.empty();
  std::vector<Target> targets = {{"program", o.program}};
  if (baseline) targets.push_back({"baseline", o.baseline});
  targets.push_back({"bare", o.bare});
  targets.push_back({"japanese", o.japanese});
  const std::size_t kTargets = targets.size();

  // Warm-up starts fill the page cache and fontconfig's caches and create
  // kojinfl.txt, so every counted start sees the same, steady state.
  for (int i = 0; i < o.warmup; ++i) {
    for (const Target& t : targets) {
      if (!RunOnce(t.path, env, o.verbose)) return 1;
    }
  }
  std::vector<std::vector<Sample>> results(kTargets);
  for (int i = 0; i < o.runs; ++i) {
    for (std::size_t k = 0; k < kTargets; ++k) {
      std::optional<Sample> s = RunOnce(targets[k].path, env, o.verbose);
      if (!s) return 1;
      if (o.verbose) {
        std::fprintf(stderr, "run %2d %-8s first frame %7.2f ms  maxrss %6.0f KiB\n", i + 1,
                     targets[k].label, (*s)["first_frame"] / 1e6, (*s)["maxrss_kib"]);
      }
      results[k].push_back(std::move(*s));
    }
  }

  std::printf("startup_bench: %d runs each, alternated, %d warm-up; platform %s%s%s\n", o.runs,
              o.warmup, o.offscreen ? "offscreen" : "xcb",
              o.offscreen ? "" : " on DISPLAY=", o.offscreen ? "" : std::getenv("DISPLAY"));
  if (baseline) {
    std::printf("  program:  %s\n  baseline: %s\n", o.program.c_str(), o.baseline.c_str());
  }
  std::printf("  %-38s", "median (ms from fork; MiB)");
  for (const Target& t : targets) std::printf(" %10s", t.label);
  for (std::size_t k = 1; k < kTargets; ++k) {
    std::printf(" %9s", ("/" + std::string(targets[k].label)).c_str());
  }
  const char* top_floor = targets[kTargets - 1].label;
  std::printf(" %10s", ("-" + std::string(top_floor)).c_str());
  if (baseline) std::printf(" %9s", ("base/" + std::string(top_floor).substr(0, 4)).c_str());
  std::printf("\n");
  const Row rows[] = {
      {"main() entered", "main", 1e6},
      {"QApplication constructed", "qapplication", 1e6},
      {"bio::Program constructed", "program", 1e6},
      {"input window created (Nurel())", "input_form", 1e6},
      {"show() returned", "shown", 1e6},
      {"first paint event", "first_paint", 1e6},
      {"FIRST FRAME", "first_frame", 1e6},
      {"CPU time to first frame (ms)", "cpu_first_frame", 1e6},
      {"peak RSS at first frame (MiB)", "hwm_first_frame_kib", 1024},
      {"peak RSS whole run, wait4 (MiB)", "maxrss_kib", 1024},
      {"CPU time whole run (ms)", "cpu", 1e6},
      {"process exit seen (ms)", "exit", 1e6},
      {"Enter -> click returned (ms)", "enter_click", 1e6},
      {"Enter -> result window frame (ms)", "enter_frame", 1e6},
  };
  for (const Row& row : rows) PrintRow(row, results, baseline);
  std::printf("  /target: the program's median over that target's; -%s: the program's less %s's\n",
              top_floor, top_floor);
  if (baseline) {
    std::printf("  base/%.4s: the baseline's median over %s's\n", top_floor, top_floor);
  }
  return 0;
}
