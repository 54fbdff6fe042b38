// CPU used by the pump while the program waits: idle on a condition that never holds, and
// waiting on a 100 ms timer. Both must stay well below 2 % of one core.
#include "platform/pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void report(const char *what, double cpu, double wall)
{
    const double percent = 100.0 * cpu / wall;
    std::printf("%-34s %6.3f s CPU in %5.2f s = %6.3f %% of one core (goal < 2 %%): %s\n", what, cpu,
                wall, percent, percent < 2.0 ? "ok" : "TOO HIGH");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int durationMs = 10000;

    {
        QElapsedTimer wall;
        QTimer::singleShot(durationMs, [] { Pump::setEnding(true); });
        const double start = cpuSeconds();
        wall.start();
        Pump::until([] { return false; });
        report("idle wait", cpuSeconds() - start, wall.elapsed() / 1000.0);
        Pump::setEnding(false);
    }
    {
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        QElapsedTimer wall;
        const double start = cpuSeconds();
        wall.start();
        timer.start(100);
        Pump::until([&] { return wall.elapsed() >= durationMs; });
        timer.stop();
        report("waiting on a 100 ms timer", cpuSeconds() - start, wall.elapsed() / 1000.0);
        std::printf("%-34s %d\n", "timer ticks handled", ticks);
    }
    return 0;
}
