// Cost of the engine's day count (and era conversion) per call, next to a
// hand-written loop of the same arithmetic with no struct and no checks, so
// the price of the checks and the shared state can be read off as a ratio.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/day_count.h"
#include "engine/era.h"
#include "engine/shared_state.h"

namespace {

// A power of two, so the index wraps with a mask; large enough that branch
// predictors cannot learn the month pattern, small enough to stay in cache.
constexpr std::size_t kCases = 1024;

struct Case {
  int era;  // index into bio::EraTable
  double era_year, birth_month, birth_day;
  double target_year, target_month, target_day;
};

struct Positions {
  double lived;
  double physical;
  std::int16_t emotion;
  double intellect;
};

// Random but repeatable dates; built at run time so nothing is a constant.
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = [] {
    std::minstd_rand generator;  // default-constructed: the same cases every run
    auto pick = [&generator](int lo, int hi) {
      return static_cast<double>(std::uniform_int_distribution<int>(lo, hi)(generator));
    };
    std::vector<Case> out(kCases);
    for (Case& c : out) {
      c.era = static_cast<int>(pick(0, 4));
      c.era_year = pick(1, 30);
      c.birth_month = pick(1, 12);
      c.birth_day = pick(1, 28);
      c.target_year = pick(1990, 2099);
      c.target_month = pick(1, 12);
      c.target_day = pick(1, 28);
    }
    return out;
  }();
  return cases;
}

std::vector<bio::SharedState> States(bool with_era) {
  std::vector<bio::SharedState> states(kCases);
  for (std::size_t i = 0; i < kCases; ++i) {
    const Case& c = Cases()[i];
    const bio::Era& era = bio::EraTable[static_cast<std::size_t>(c.era)];
    bio::SharedState& s = states[i];
    s.PersonIndex = 1;
    s.EraName = std::string(era.name);
    s.BirthEraYear = c.era_year;
    // Without the era step the Western year must already be there.
    s.BirthYear = with_era ? 0 : c.era_year + era.base_year - 1;
    s.BirthMonth = c.birth_month;
    s.BirthDay = c.birth_day;
    s.TargetYear = c.target_year;
    s.TargetMonth = c.target_month;
    s.TargetDay = c.target_day;
  }
  return states;
}

// The same arithmetic as bio::DayNumber, written out the shortest way.
inline double MinimalDayNumber(double year, double month, double day) {
  const double year_term = (year - 1900.0) * 365.25;
  const double year_days = std::floor(year_term);
  double number = year_days + std::floor((month + 1.0) * 30.6) + day - 126.0;
  if (month <= 2.0) number += (month == 1.0 ? 1.0 : 2.0) + (year_days == year_term ? 0.0 : 1.0);
  return number;
}

// The same arithmetic as bio::CountDays without the slot, range and
// finiteness checks.
inline Positions MinimalCountDays(double by, double bm, double bd, double ty, double tm,
                                  double td) {
  const double lived = MinimalDayNumber(ty, tm, td) - MinimalDayNumber(by, bm, bd);
  Positions p;
  p.lived = lived;
  p.physical = lived - static_cast<double>(static_cast<float>(std::floor(lived / 23.0)) * 23.0f);
  p.emotion = static_cast<std::int16_t>(std::nearbyint(lived - std::floor(lived / 28.0) * 28.0));
  p.intellect = lived - std::floor(lived / 33.0) * 33.0;
  return p;
}

constexpr std::array<double, 5> kEraBase = {1868, 1912, 1926, 1989, 2019};

void BM_CountDays(benchmark::State& st) {
  std::vector<bio::SharedState> states = States(false);
  std::size_t i = 0;
  for (auto _ : st) {
    bio::SharedState& s = states[i++ & (kCases - 1)];
    bio::CountDays(s);
    benchmark::DoNotOptimize(s.PhysicalPosition);
    benchmark::DoNotOptimize(s.EmotionPosition[1]);
    benchmark::DoNotOptimize(s.IntellectPosition);
  }
}

void BM_MinimalCountDays(benchmark::State& st) {
  const std::vector<Case>& cases = Cases();
  std::vector<double> birth_year(kCases);
  for (std::size_t k = 0; k < kCases; ++k) {
    birth_year[k] = cases[k].era_year + kEraBase[static_cast<std::size_t>(cases[k].era)] - 1;
  }
  std::size_t i = 0;
  for (auto _ : st) {
    const std::size_t k = i++ & (kCases - 1);
    const Case& c = cases[k];
    Positions p = MinimalCountDays(birth_year[k], c.birth_month, c.birth_day, c.target_year,
                                   c.target_month, c.target_day);
    benchmark::DoNotOptimize(p);
  }
}

void BM_EraAndCountDays(benchmark::State& st) {
  std::vector<bio::SharedState> states = States(true);
  std::size_t i = 0;
  for (auto _ : st) {
    bio::SharedState& s = states[i++ & (kCases - 1)];
    bio::ConvertEraYear(s);
    bio::CountDays(s);
    benchmark::DoNotOptimize(s.PhysicalPosition);
    benchmark::DoNotOptimize(s.EmotionPosition[1]);
    benchmark::DoNotOptimize(s.IntellectPosition);
  }
}

void BM_MinimalEraAndCountDays(benchmark::State& st) {
  const std::vector<Case>& cases = Cases();
  std::size_t i = 0;
  for (auto _ : st) {
    const Case& c = cases[i++ & (kCases - 1)];
    // The era as an index, not a name: the cheapest form the data could take.
    const double birth_year = c.era_year + kEraBase[static_cast<std::size_t>(c.era)] - 1;
    Positions p = MinimalCountDays(birth_year, c.birth_month, c.birth_day, c.target_year,
                                   c.target_month, c.target_day);
    benchmark::DoNotOptimize(p);
  }
}

BENCHMARK(BM_CountDays);
BENCHMARK(BM_MinimalCountDays);
BENCHMARK(BM_EraAndCountDays);
BENCHMARK(BM_MinimalEraAndCountDays);

// A ratio is only meaningful if both sides compute the same numbers.
bool SameResults() {
  std::vector<bio::SharedState> states = States(true);
  for (std::size_t k = 0; k < kCases; ++k) {
    const Case& c = Cases()[k];
    bio::ConvertEraYear(states[k]);
    bio::CountDays(states[k]);
    const double birth_year = c.era_year + kEraBase[static_cast<std::size_t>(c.era)] - 1;
    const Positions p = MinimalCountDays(birth_year, c.birth_month, c.birth_day, c.target_year,
                                         c.target_month, c.target_day);
    const bio::SharedState& s = states[k];
    if (p.lived != s.DaysLived || p.physical != s.PhysicalPosition ||
        p.emotion != s.EmotionPosition[1] || p.intellect != s.IntellectPosition) {
      std::fprintf(stderr, "engine_bench: case %zu differs from bio::CountDays\n", k);
      return false;
    }
  }
  return true;
}

struct PerCall {
  double real_ns, cpu_ns;
};

// Keeps the console output and remembers each benchmark's time per call
// (the median when repetitions are asked for) for the summary.
class Collector : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;
  std::map<std::string, PerCall> ns;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Iteration || median) {
        if (median || !medians_.count(name)) {
          const double unit = ToNs(run.time_unit);
          ns[name] = {run.GetAdjustedRealTime() * unit, run.GetAdjustedCPUTime() * unit};
        }
        if (median) medians_[name] = true;
      }
    }
  }

 private:
  static double ToNs(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond:
        return 1;
      case benchmark::kMicrosecond:
        return 1e3;
      case benchmark::kMillisecond:
        return 1e6;
      case benchmark::kSecond:
        return 1e9;
    }
    return 1;
  }
  std::map<std::string, bool> medians_;
};

void PrintRow(const Collector& c, const char* label, const char* engine, const char* minimal) {
  const auto e = c.ns.find(engine);
  const auto m = c.ns.find(minimal);
  if (e == c.ns.end() || m == c.ns.end()) return;  // filtered out
  const PerCall& a = e->second;
  const PerCall& b = m->second;
  std::printf("%-28s %9.2f %9.2f %7.2fx   %9.2f %9.2f %7.2fx\n", label, a.real_ns, b.real_ns,
              a.real_ns / b.real_ns, a.cpu_ns, b.cpu_ns, a.cpu_ns / b.cpu_ns);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SameResults()) return 1;

  Collector collector(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                            : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  // CPU time is the steadier figure when other processes share the cores.
  std::printf("\n%-28s %9s %9s %8s   %9s %9s %8s\n", "ns per call", "real", "minimal", "ratio",
              "cpu", "minimal", "ratio");
  PrintRow(collector, "CountDays", "BM_CountDays", "BM_MinimalCountDays");
  PrintRow(collector, "ConvertEraYear + CountDays", "BM_EraAndCountDays",
           "BM_MinimalEraAndCountDays");
  return 0;
}
