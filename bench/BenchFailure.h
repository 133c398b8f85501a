#pragma once
// How a benchmark fails: its cause is printed and goes into the run's
// report (SkipWithError), and nothing more is timed. Google Benchmark
// aborts when a skipped run resumes its timer, which loses the cause, and
// an exception leaving a benchmark ends the whole program without one.
//
//   void BM_X(benchmark::State &st) { benchfail::guard(st, [&] { ...; }); }
//   benchfail::check(rc == SQLITE_OK, "insert", sqlite3_errmsg(db));
//
// Inside the loop, a failure found by a test is reported with
// benchfail::fail(...), which throws; guard() turns it into the skip.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace benchfail {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string &what, const std::string &cause = {})
{
    throw Failure(cause.empty() ? what : what + ": " + cause);
}

inline void check(bool ok, const std::string &what, const std::string &cause = {})
{
    if (!ok)
        fail(what, cause);
}

// Marks the run failed with its cause; the timer stops with it.
inline void skip(benchmark::State &st, const std::string &cause)
{
    std::fprintf(stderr, "benchmark failed: %s\n", cause.c_str());
    std::fflush(stderr);
    if (!st.error_occurred())
        st.SkipWithError(cause.c_str());
}

// Runs a benchmark's body; an exception out of it (ours, the engine's
// vb::Error, std::bad_alloc) ends this benchmark with its cause and lets
// the next one run.
template <class Body>
void guard(benchmark::State &st, Body &&body)
{
    try {
        body();
    } catch (const std::exception &e) {
        skip(st, e.what());
    } catch (...) {
        skip(st, "an unknown exception");
    }
}

} // namespace benchfail

// BENCHMARK(fn) with fn's failures guarded: an exception out of fn ends
// that benchmark with its cause, under fn's own name.
#define BENCHMARK_GUARDED(fn)                                                                              \
    BENCHMARK_PRIVATE_DECLARE(_benchmark_) = (::benchmark::internal::RegisterBenchmarkInternal(          \
        new ::benchmark::internal::FunctionBenchmark(#fn, +[](::benchmark::State &st) {                  \
            ::benchfail::guard(st, [&] { fn(st); });                                                      \
        })))

namespace benchfail {

// benchmark::RegisterBenchmark with fn's failures guarded.
template <class Fn, class... Args>
benchmark::internal::Benchmark *registerGuarded(const char *name, Fn fn, Args... args)
{
    return benchmark::RegisterBenchmark(name, [=](benchmark::State &st) { guard(st, [&] { fn(st, args...); }); });
}

} // namespace benchfail
