#pragma once

// Measurement hooks shared by the start-up probes. Every timestamp goes to
// stdout as a "key nanoseconds" line, counted from the launcher's clock
// reading just before fork, so startup_bench can compare processes that
// were started the same way.

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QEvent>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

// Under valgrind --tool=callgrind each mark also ends a dump of the counts,
// so one run gives the instructions of every phase (see README.md). Outside
// valgrind the request is a handful of instructions.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define BIO_BENCH_PHASE_END(key) CALLGRIND_DUMP_STATS_AT(key)
#else
#define BIO_BENCH_PHASE_END(key) ((void)(key))
#endif

namespace bench {

inline std::int64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// CLOCK_MONOTONIC is shared by all processes, so the launcher's reading
// before fork (BIO_BENCH_T0) is a valid origin here. Started by hand, the
// origin is the first mark instead.
inline std::int64_t LaunchNs() {
  static const std::int64_t origin = [] {
    const char* text = std::getenv("BIO_BENCH_T0");
    return text ? std::strtoll(text, nullptr, 10) : MonotonicNs();
  }();
  return origin;
}

inline void Value(const char* key, long long value) {
  std::printf("%s %lld\n", key, value);
  std::fflush(stdout);  // the launcher reads a pipe: nothing may wait in a buffer
}

inline void Mark(const char* key) {
  const std::int64_t origin = LaunchNs();
  Value(key, static_cast<long long>(MonotonicNs() - origin));
  BIO_BENCH_PHASE_END(key);
}

// Peak resident set so far (VmHWM), in KiB; -1 if unreadable.
inline long PeakRssKiB() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) {
      kib = std::strtol(line + 6, nullptr, 10);
      break;
    }
  }
  std::fclose(status);
  return kib;
}

// With BIO_BENCH_SMAPS=<file>, copies /proc/self/smaps there, to see which
// mappings make up the resident set.
inline void DumpSmapsIfAsked() {
  const char* target = std::getenv("BIO_BENCH_SMAPS");
  if (!target) return;
  std::FILE* in = std::fopen("/proc/self/smaps", "r");
  std::FILE* out = std::fopen(target, "w");
  if (in && out) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, out);
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
}

// CPU time (user + system, all threads) used so far, in ns: steadier than
// elapsed time when other processes compete for the cores.
inline long long CpuNs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1'000'000'000LL +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1'000LL;
}

// Watches for the first paint of any widget in the top-level window named
// `window_name`. Marks `paint_key` then, and `frame_key` on the next turn
// of the event loop: a window's repaint paints all its widgets and flushes
// the backing store in one go, so by then the whole frame has been handed
// to the window system. Then calls `then` once.
class FirstFrame : public QObject {
 public:
  FirstFrame(QString window_name, const char* paint_key, const char* frame_key,
             std::function<void()> then)
      : name_(std::move(window_name)),
        paint_key_(paint_key),
        frame_key_(frame_key),
        then_(std::move(then)) {
    qApp->installEventFilter(this);
  }

  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() == QEvent::Paint && receiver->isWidgetType() &&
        static_cast<QWidget*>(receiver)->window()->objectName() == name_) {
      Mark(paint_key_);
      qApp->removeEventFilter(this);  // allowed from inside the filter
      QTimer::singleShot(0, this, [this] {
        Mark(frame_key_);
        then_();
      });
    }
    return false;
  }

 private:
  QString name_;
  const char* paint_key_;
  const char* frame_key_;
  std::function<void()> then_;
};

// A probe that never gets a frame must not hang the launcher's run.
inline void ExitIfNoFrameWithin(int milliseconds) {
  QTimer::singleShot(milliseconds, qApp, [] {
    std::fprintf(stderr, "probe: no frame within the time limit\n");
    QCoreApplication::exit(3);
  });
}

}  // namespace bench
