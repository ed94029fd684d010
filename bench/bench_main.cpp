// velmora-bench: runs the registered benchmarks and prints median and minimum per run.
//
//     velmora-bench [--runs N] [--list] [name-part...]
//
// Name parts select the benchmarks whose names contain any of them (case-insensitive).
#include "bench_harness.h"
#include "ui/process_setup.h"

#include <QApplication>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace bench {
namespace {

std::vector<std::pair<const char *, Function>> &registry()
{
    static std::vector<std::pair<const char *, Function>> benchmarks;
    return benchmarks;
}

} // namespace

Registration::Registration(const char *name, Function function)
{
    registry().emplace_back(name, function);
}

void Run::measure(const std::function<void()> &body)
{
    using Clock = std::chrono::steady_clock;
    body();
    m_microseconds.clear();
    for (int i = 0; i < m_runs; ++i) {
        const auto start = Clock::now();
        body();
        const auto end = Clock::now();
        m_microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
}

} // namespace bench

int main(int argc, char *argv[])
{
    // Window-level benchmarks draw and build widgets; no display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpUiProcess();

    int runs = 51;
    bool listOnly = false;
    QStringList filters;
    const QStringList arguments = app.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--list")) {
            listOnly = true;
        } else if (arguments[i] == QLatin1String("--runs") && i + 1 < arguments.size()) {
            runs = std::max(1, arguments[++i].toInt());
        } else if (arguments[i].startsWith(QLatin1String("-"))) {
            std::fprintf(stderr, "usage: velmora-bench [--runs N] [--list] [name-part...]\n");
            return 2;
        } else {
            filters << arguments[i];
        }
    }

    auto benchmarks = bench::registry();
    std::sort(benchmarks.begin(), benchmarks.end(),
        [](const auto &a, const auto &b) { return qstrcmp(a.first, b.first) < 0; });
#ifndef NDEBUG
    std::fprintf(
        stderr, "warning: an unoptimised build; configure with -DCMAKE_BUILD_TYPE=Release\n");
#endif
    if (!listOnly)
        std::printf("%-40s %6s %12s %12s\n", "benchmark", "runs", "median us", "min us");

    int failures = 0;
    for (const auto &[name, function] : benchmarks) {
        const QString title = QString::fromLatin1(name);
        const bool selected = filters.isEmpty()
            || std::any_of(filters.cbegin(), filters.cend(),
                [&](const QString &part) { return title.contains(part, Qt::CaseInsensitive); });
        if (!selected)
            continue;
        if (listOnly) {
            std::printf("%s\n", name);
            continue;
        }
        bench::Run run(runs);
        function(run);
        std::vector<double> times = run.microseconds();
        if (times.empty()) {
            std::printf("%-40s measured nothing\n", name);
            ++failures;
            continue;
        }
        std::sort(times.begin(), times.end());
        std::printf("%-40s %6zu %12.1f %12.1f\n", name, times.size(), times[times.size() / 2],
            times.front());
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
