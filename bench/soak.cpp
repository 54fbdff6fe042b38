// The real program (qlv2, beside this bench in the build folder) over a long run, as a user leaves
// it: 31 answering controllers paced at 9600 baud, logging every second, with four graph windows
// open beside the table, on an X server of its own (started by the bench without a DISPLAY).
// Every minute it prints the program's CPU time in that minute, its resident memory (VmRSS), the
// records written and the X server's CPU time in that minute.
//
// Goals:
//  - CPU: every one of the last 10 minutes within 1.5 times the mean of minutes 5 to 15. Work
//    that grows with the length of the run, or with what it has gathered, fails it.
//  - Resident memory flat: over the second half of the run it grows by less than 2 MB, the
//    allocator's own steps, plus 100 bytes per controller for each record written in that half,
//    as the table keeps every record by design (its store takes about 90 bytes per row).
//  - Every record of the data file holds all 31 readings, and the program runs to the end.
// A shorter run scales the stretches: minutes 5M/60 to 15M/60 against the last 10M/60 minutes
// (rounded, at least one minute each; the first minute, with the program's start, never counts).
// A missed goal says MISSED and makes the exit status non-zero.
//
//   bench_soak [minutes, default 60, at least 3]
#include "benchsupport.h"
#include "platform/serialport.h"
#include "programbench.h"
#include "xdesktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Baud = 9600;
constexpr int Graphs = 4;
constexpr double CpuGoal = 1.5;           // times the mean of the early stretch
constexpr double MemorySteps = 2 * 1048576.0; // bytes
constexpr double RowBytes = 100;          // per controller and record

// The resident memory of a process in bytes, from /proc/<pid>/status (0 once it has ended).
qint64 residentOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

struct Minute {
    double cpu = 0;       // the program's, in seconds
    qint64 resident = 0;  // at its end, in bytes
    int records = 0;      // in the data file at its end
    double serverCpu = 0; // the X server's, in seconds
};

// Minutes first..last, 1-based, of the run.
struct Stretch {
    int first = 0;
    int last = 0;
    QString text() const { return QStringLiteral("minutes %1 to %2").arg(first).arg(last); }
};

int scaled(int minutes, int ofAnHour) { return int(std::lround(minutes * ofAnHour / 60.0)); }

} // namespace

int main(int argc, char *argv[])
{
    ProgramHome home;
    QCoreApplication app(argc, argv);
    const int minutes = argc > 1 ? std::max(3, std::atoi(argv[1])) : 60;
    const QString program = ProgramHome::program();

    XDesktop desktop;
    QProcessEnvironment env;
    if (!programEnvironment(desktop, env))
        return 1;
    const qint64 serverPid = desktop.display().isEmpty() ? 0 : desktop.serverPid();

    Sim::Simulator sim;
    if (!startControllers(sim, Baud))
        return 1;
    ProgramSettings setup;
    setup.baud = Baud;
    setup.graphs = Graphs;
    SerialPortTable::bind(setup.port, sim.devicePath());
    if (!writeProgramSettings(sim, setup, ProgramHome::settingsFile()))
        return 1;
    const QString dataFile = ProgramHome::dataFile();

    const Stretch early{std::max(2, scaled(minutes, 5)),
                        std::max(std::max(2, scaled(minutes, 5)), scaled(minutes, 15))};
    const Stretch late{minutes - std::max(1, scaled(minutes, 10)) + 1, minutes};
    std::printf("The program (%s) on an X server (%s) for %d minutes: 31 controllers paced at %d "
                "baud, logging every %d s, %d graph windows open\n",
                qPrintable(program), qPrintable(env.value("DISPLAY")), minutes, Baud,
                setup.interval, Graphs);
    std::printf("load average of the machine at the start: %s over %ld cores\n",
                qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("CPU of %s against the mean of %s\n\n", qPrintable(late.text()),
                qPrintable(early.text()));

    QProcess qlv2;
    qlv2.setProcessEnvironment(env);
    qlv2.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    qlv2.start(program, {});
    if (!qlv2.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return 1;
    }
    const qint64 pid = qlv2.processId();
    Goals goals;
    QList<Minute> run;
    QElapsedTimer clock;
    clock.start();
    double cpuBefore = 0, serverBefore = serverPid > 0 ? processCpu(serverPid) : 0;
    std::printf("minute   CPU s   resident MB   records   X server CPU s\n");
    while (int(run.size()) < minutes && qlv2.state() == QProcess::Running) {
        waitMs(int(std::max<qint64>(1, 60'000LL * (run.size() + 1) - clock.elapsed())));
        if (qlv2.state() != QProcess::Running)
            break;
        Minute m;
        const double cpu = processCpu(pid);
        m.cpu = cpu - cpuBefore;
        cpuBefore = cpu;
        m.resident = residentOf(pid);
        m.records = int(readRecords(dataFile).stamps.size());
        if (serverPid > 0) {
            const double server = processCpu(serverPid);
            m.serverCpu = server - serverBefore;
            serverBefore = server;
        }
        run << m;
        std::printf("%6d   %5.2f   %11.1f   %7d   %14.2f\n", int(run.size()), m.cpu,
                    m.resident / 1048576.0, m.records, m.serverCpu);
        std::fflush(stdout);
    }
    const bool ranThrough = int(run.size()) == minutes && qlv2.state() == QProcess::Running;
    // Read before the program ends, so the stop record it then writes is not among them.
    const Records records = readRecords(dataFile, channelsOf(sim));
    qlv2.terminate();
    if (!qlv2.waitForFinished(10000)) {
        qlv2.kill();
        qlv2.waitForFinished();
    }

    std::printf("\n");
    std::printf("the program ran all %d minutes: %s\n", minutes, goals.judge(ranThrough));
    if (!ranThrough) {
        std::printf("it ended after %d minutes (exit status %d%s)\nMISSED (see above).\n",
                    int(run.size()), qlv2.exitCode(),
                    qlv2.exitStatus() == QProcess::CrashExit ? ", crashed" : "");
        return 1;
    }
    const auto minute = [&](int n) { return run[n - 1]; };
    double earlyMean = 0;
    for (int n = early.first; n <= early.last; ++n)
        earlyMean += minute(n).cpu;
    earlyMean /= early.last - early.first + 1;
    double lateWorst = 0, lateMean = 0;
    for (int n = late.first; n <= late.last; ++n) {
        lateWorst = std::max(lateWorst, minute(n).cpu);
        lateMean += minute(n).cpu;
    }
    lateMean /= late.last - late.first + 1;
    std::printf("CPU per minute: %s mean %.2f s; %s mean %.2f s, worst %.2f s = %.2f times the "
                "early mean (goal <= %.1f): %s\n",
                qPrintable(early.text()), earlyMean, qPrintable(late.text()), lateMean, lateWorst,
                earlyMean > 0 ? lateWorst / earlyMean : 0, CpuGoal,
                goals.judge(earlyMean > 0 && lateWorst <= CpuGoal * earlyMean));

    const int half = minutes / 2;
    const double grown = double(minute(minutes).resident - minute(half).resident);
    const int halfRecords = minute(minutes).records - minute(half).records;
    const double allowance = MemorySteps + RowBytes * MaxToestellen * halfRecords;
    std::printf("resident memory: %.1f MB at minute %d, %.1f MB at minute %d: grown %.2f MB over "
                "%d records (allowance %.2f MB): %s\n",
                minute(half).resident / 1048576.0, half, minute(minutes).resident / 1048576.0,
                minutes, grown / 1048576.0, halfRecords, allowance / 1048576.0,
                goals.judge(minute(minutes).resident > 0 && grown < allowance));

    bool everyReading = false;
    const QString readings = readingsText(records, &everyReading);
    std::printf("readings of all 31 controllers: %s: %s\n", qPrintable(readings),
                goals.judge(everyReading));
    std::printf("%s\n", goals.allMet() ? "All goals met." : "MISSED (see above).");
    return goals.status();
}
