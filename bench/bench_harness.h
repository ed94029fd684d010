// A small timing harness for velmora-bench. A benchmark is a function registered with
// VELMORA_BENCHMARK; it prepares its data, then hands the code to time to Run::measure, which
// calls it once untimed and then once per run, and the harness prints median and minimum.
//
//     VELMORA_BENCHMARK(overviewOfATransient)
//     {
//         const auto capture = ...;                        // not timed
//         run.measure([&] { bench::keep(overviewTrace(capture)); });
//     }
//
// Add a benchmark by putting such a function in any file listed in bench/CMakeLists.txt.
#pragma once

#include <functional>
#include <vector>

namespace bench {

class Run
{
public:
    explicit Run(int runs)
        : m_runs(runs)
    {
    }

    // Times `body`: one warm-up call, then `runs` timed calls. Call it once per benchmark.
    void measure(const std::function<void()> &body);

    const std::vector<double> &microseconds() const { return m_microseconds; }

private:
    int m_runs;
    std::vector<double> m_microseconds;
};

using Function = void (*)(Run &run);

struct Registration
{
    Registration(const char *name, Function function);
};

// Keeps the compiler from dropping a result that nothing else uses.
template <typename T> inline void keep(const T &value)
{
    asm volatile("" : : "g"(&value) : "memory");
}

} // namespace bench

#define VELMORA_BENCHMARK(name)                                                                    \
    static void name(bench::Run &run);                                                             \
    static const bench::Registration name##Registration(#name, name);                              \
    static void name(bench::Run &run)
