// The user's wait while the program polls and logs: the real program (qlv2, beside this bench)
// on an X server of the bench's own (Xvfb, with openbox as the window manager). Alt+F is typed
// through the server (XTEST), as the keyboard does, and timed until the File menu's window is
// mapped, as seen through the server; then Escape closes it. Samples are spread at uneven
// moments, so they fall on every part of the poll cycle.
//
// Lines, each with the program started afresh, logging from the start as Data > Log does:
//  - 31 answering controllers, replies paced at 38400 baud;
//  - 31 answering, paced at 9600;
//  - one controller switched off (silent) among six;
//  - no controller answering (a pulled cable, a wrong port);
//  - a poll cycle longer than the program's cycle pacing: four of eight controllers silent.
// The controllers are simulated in this process; their replies leave at the line's speed, 10
// bits a byte, the acknowledgment first and each channel line after it.
//
// Goal in every line: 90 % of the waits under 50 ms and the longest under 100 ms. A missed goal
// says MISSED and makes the exit status non-zero. A key not acted on within the sample's limit
// counts as the limit.
//
//   bench_user_wait [samples per line, default 20]
#include "benchsupport.h"
#include "platform/serialport.h"
#include "programbench.h"
#include "xdesktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdio>
#include <functional>

namespace {

constexpr double P90Goal = 50;   // ms
constexpr double WorstGoal = 100; // ms
// A sample's wait is not timed beyond this. Long enough for a key held back to show its effect
// before the next sample, which it would otherwise seem to answer.
constexpr int LimitMs = 5000;
constexpr int Interval = 2;       // seconds between records

struct LineSetup {
    const char *name;
    int baud;
    int controllers;
    QList<int> silent; // identification numbers of the controllers switched off
};

// Waits until the condition holds or the time is up, serving the line meanwhile.
bool waitFor(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() >= ms)
            return false;
        waitMs(5);
    }
    return true;
}

struct Result {
    QList<double> waits; // ms; LimitMs for a key not acted on in time
    int notActedOn = 0;
    int records = 0;
    bool ran = false;
    QString trouble;
};

// The program's main window: its normal window whose title carries the program's name.
quint32 mainWindowOf(XUser &user, qint64 pid)
{
    for (const XUser::Window &w : user.clientWindows())
        if (w.pid == pid && w.normal && w.title.contains(QStringLiteral("QLV-2")))
            return w.id;
    return 0;
}

Result measureLine(const LineSetup &setup, int samples, const XDesktop &desktop, XUser &user)
{
    Result result;
    Sim::Simulator sim;
    if (!sim.start()) {
        result.trouble = QStringLiteral("no pseudo-terminal");
        return result;
    }
    addControllers(sim, setup.controllers);
    for (int idno : setup.silent)
        sim.find(idno)->behaviour = Sim::Behaviour::Silent;
    sim.setBaud(setup.baud);
    ProgramSettings settings;
    settings.baud = setup.baud;
    settings.interval = Interval;
    SerialPortTable::bind(settings.port, sim.devicePath());
    QFile::remove(ProgramHome::dataFile());
    if (!writeProgramSettings(sim, settings, ProgramHome::settingsFile())) {
        result.trouble = QStringLiteral("cannot write the settings file");
        return result;
    }

    QProcess qlv2;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.remove(QStringLiteral("XAUTHORITY"));
    qlv2.setProcessEnvironment(env);
    qlv2.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    qlv2.start(ProgramHome::program(), {});
    if (!qlv2.waitForStarted()) {
        result.trouble = QStringLiteral("cannot start %1").arg(ProgramHome::program());
        return result;
    }
    const qint64 pid = qlv2.processId();
    quint32 window = 0;
    waitFor([&] { return (window = mainWindowOf(user, pid)) != 0; }, 30000);
    if (!window) {
        result.trouble = QStringLiteral("the program showed no main window in 30 s");
    } else {
        // Settle: the racks open and the first cycles run; then the user brings the window to
        // the front, as a click on it would.
        waitMs(4000);
        user.activate(window);
        waitFor([&] { return user.activeWindow() == window; }, 2000);

        quint32 menu = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 mappedNs = -1;
        QObject::connect(&user, &XUser::popupMapped, &qlv2, [&](quint32 w) {
            mappedNs = clock.nsecsElapsed();
            menu = w;
        });
        QObject::connect(&user, &XUser::popupUnmapped, &qlv2, [&](quint32 w) {
            if (w == menu)
                menu = 0;
        });
        auto *rng = QRandomGenerator::global();
        // The first menu the program ever shows is built then: it is not counted.
        for (int i = -1; i < samples && qlv2.state() == QProcess::Running; ++i) {
            // A menu that a key held back still opens: close it before the next sample.
            if (menu) {
                user.key(XUser::Escape);
                waitFor([&] { return menu == 0; }, 5000);
            }
            waitMs(150 + int(rng->bounded(500)));
            mappedNs = -1;
            const qint64 sentNs = clock.nsecsElapsed();
            user.key('f', {XUser::Alt});
            const bool shown = waitFor([&] { return mappedNs >= 0; }, i < 0 ? 10000 : LimitMs);
            if (i >= 0) {
                result.waits << (shown ? double(mappedNs - sentNs) / 1e6 : double(LimitMs));
                result.notActedOn += shown ? 0 : 1;
            }
            // Escape closes the menu, and a second one leaves the menu bar.
            user.key(XUser::Escape);
            if (shown)
                waitFor([&] { return menu == 0; }, LimitMs);
            user.key(XUser::Escape);
        }
        QObject::disconnect(&user, nullptr, &qlv2, nullptr);
        result.ran = qlv2.state() == QProcess::Running;
        if (!result.ran)
            result.trouble = QStringLiteral("the program ended while it was measured");
        result.records = int(readRecords(ProgramHome::dataFile()).stamps.size());
    }
    // SIGTERM: the program closes as at a system shutdown.
    qlv2.terminate();
    if (!qlv2.waitForFinished(15000)) {
        qlv2.kill();
        qlv2.waitForFinished();
    }
    SerialPortTable::unbind(settings.port);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    ProgramHome home;
    QCoreApplication app(argc, argv);
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    XDesktop desktop;
    if (!desktop.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(desktop.error()));
        return 1;
    }
    XUser user(desktop.display());
    if (!user.connected()) {
        std::fprintf(stderr, "cannot type into %s (no XTEST)\n", qPrintable(desktop.display()));
        return 1;
    }

    const LineSetup lines[] = {
        {"31 answering, paced at 38400", 38400, 31, {}},
        {"31 answering, paced at 9600", 9600, 31, {}},
        {"one silent of 6, paced at 9600", 9600, 6, {3}},
        {"none answering (4 configured), 9600", 9600, 4, {1, 2, 3, 4}},
        {"cycle longer than the pacing: 4 of 8 silent, 9600", 9600, 8, {2, 4, 6, 8}},
    };
    std::printf("The program (%s) on an X server with openbox (%s); Alt+F until the File menu "
                "is mapped, %d samples a line, logging every %d s\n",
                qPrintable(ProgramHome::program()), qPrintable(desktop.display()), samples,
                Interval);
    std::printf("load average of the machine at the start: %s over %ld cores\n",
                qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("goal in every line: 90 %% under %.0f ms, worst under %.0f ms; a key not acted "
                "on within %d ms counts as %d ms\n",
                P90Goal, WorstGoal, LimitMs, LimitMs);
    std::fflush(stdout);
    Goals goals;
    for (const LineSetup &line : lines) {
        const Result r = measureLine(line, samples, desktop, user);
        if (!r.trouble.isEmpty())
            std::printf("%-52s %s\n", line.name, qPrintable(r.trouble));
        if (r.waits.isEmpty()) {
            std::printf("%-52s no samples: %s\n", line.name, goals.judge(false));
            continue;
        }
        const double p90 = percentile(r.waits, 0.9);
        const double worst = *std::max_element(r.waits.begin(), r.waits.end());
        std::printf("%-52s median %7.1f ms, 90 %% %7.1f ms, worst %7.1f ms; %d of %d not acted "
                    "on within %d ms; %d records logged: %s\n",
                    line.name, percentile(r.waits, 0.5), p90, worst, r.notActedOn,
                    int(r.waits.size()), LimitMs, r.records,
                    goals.judge(r.ran && r.waits.size() == samples && p90 < P90Goal
                                && worst < WorstGoal));
        std::fflush(stdout); // each line as it is measured: the whole run takes minutes
    }
    std::printf("%s\n", goals.allMet() ? "All goals met." : "MISSED (see above).");
    return goals.status();
}
