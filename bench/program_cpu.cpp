// What the real program (qlv2, beside this bench in the build folder) costs on an X server:
//  - idle: 31 controllers configured, none switched on;
//  - 31 answering controllers polled at the loop's own pace, logging every second;
// as CPU time in % of one core, and while polling also per poll cycle and per record; and the
// time from the end of each reply on the line to the next poll frame, against the wire time of
// one exchange at 38400 baud.
//
// The controllers are simulated in this process, their replies paced at 38400 baud as a real
// line carries them: 10 bits a byte, a reply once its frame has crossed, the acknowledgment first
// and each channel line after it. Between them and the program sits a tap that passes every byte
// on at once and timestamps frames and replies. The program's CPU time is read from
// /proc/<pid>/stat (all threads, ended ones too). Without a DISPLAY the bench starts Xvfb itself,
// on a display number the server picks as free.
//
// This process only waits on its descriptors and timers while it measures, so that it takes no
// core from the program it measures; its own CPU time is reported beside the program's.
//
// Beside the polling program, over the same window, a bare loop of the bench's own polls a second
// set of the same 31 simulated controllers, on a line of its own set up as the program's is (same
// pacing, same tap): in a process of its own, it sends each poll frame, reads the reply with
// select() until all its lines are in or 1.5 s have passed, and goes on to the next controller,
// starting a cycle at most every 2 s as the program does. It does nothing else, so it is the
// least a poll costs on this machine: the program is judged at no more than twice its share of a
// core. Both are reported per exchange and per batch of bytes the tap handed on (the simulated
// port hands bytes on in groups of 8), counted the same way on both lines. Every record of the
// program's data file must hold all 31 readings.
//
// Poll cycles are counted from the frames each simulated controller received; records are the
// data file's lines, and the spacing of their time stamps is checked against the log interval.
// A missed goal or a failed check says MISSED and makes the exit status non-zero.
//
//   bench_program_cpu [seconds per phase, default 30]
#include "benchsupport.h"
#include "platform/serialport.h"
#include "programbench.h"
#include "xdesktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <optional>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <pty.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Baud = 38400;
// Seconds between records, as the goal has it. At 38400 baud the reply time-out is 1.5 s, and a
// poll cycle starts at most once per whole seconds beyond it: every 2 s. A record waits for a
// cycle that ended since the one before it, so records come every 1 or 2 s, never further apart.
constexpr int Interval = 1;
constexpr int CyclePace = 2;
constexpr double IdleGoal = 0.1;    // % of one core
// The program polling, against the bare loop beside it: at most this many times its share.
constexpr double BareLoopGoal = 2.0;
constexpr int ReplyTimeoutMs = 1500; // at 38400 baud
// A frame waits for a quiet line: 3.5 character times (3 ms at least) after the last bytes,
// and 8 character times and 3 ms more after a batch of a receive-buffer group or more, as the
// paced line mostly hands them on. Beyond that gap, 90 % of the gaps take at most this share
// of the wire time of one exchange.
constexpr double ShortQuietMs = 3.0;
constexpr double GroupQuietMs = (3.5 + 8) * 10 * 1000.0 / 38400 + 3.0;
constexpr double GapGoal = 1.0;

double wireMs(qsizetype bytes) { return double(bytes) * 10.0 * 1000.0 / Baud; }

void makeRaw(int fd)
{
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// The two ends a tapped line joins, raw: a pseudo-terminal whose slave the poller opens, and the
// simulator's own. Nothing, after saying so, when no pseudo-terminal was left.
struct LineEnds {
    int side = -1, slave = -1, controllers = -1;
};
std::optional<LineEnds> openLineEnds(const Sim::Simulator &sim, const char *line)
{
    LineEnds ends;
    if (openpty(&ends.side, &ends.slave, nullptr, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal for %s\n", line);
        return std::nullopt;
    }
    makeRaw(ends.side);
    makeRaw(ends.slave);
    ends.controllers = ::open(qPrintable(sim.devicePath()), O_RDWR | O_NOCTTY);
    makeRaw(ends.controllers);
    return ends;
}

// This process's own CPU time, all threads, in seconds.
double ownCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// What crossed the line. Gaps between the end of a reply and the next frame, in milliseconds:
// within a poll cycle, and before a cycle's first frame (the loop's pacing between cycles).
struct Traffic {
    QList<double> withinCycle;
    QList<double> betweenCycles;
    QList<double> exchangeWireMs;
    QMap<QByteArray, int> framesTo; // per address
    int frames = 0;  // every one starts an exchange
    int batches = 0; // of reply bytes handed on to the poller
};

// The tap between the program and the simulated controllers, which pace their replies
// themselves: it passes every byte on as it comes and notes the times.
class Line : public QObject {
public:
    // cycleStart: the address of the controller each poll cycle begins with.
    Line(int programSide, int controllerSide, const QByteArray &cycleStart)
        : m_program(programSide), m_controllers(controllerSide), m_cycleStart(cycleStart)
    {
        m_clock.start();
        m_fromProgram = new QSocketNotifier(m_program, QSocketNotifier::Read, this);
        m_fromControllers = new QSocketNotifier(m_controllers, QSocketNotifier::Read, this);
        connect(m_fromProgram, &QSocketNotifier::activated, this, [this] { fromProgram(); });
        connect(m_fromControllers, &QSocketNotifier::activated, this, [this] { fromControllers(); });
    }
    Traffic traffic;
    void reset()
    {
        traffic = {};
        m_lastReplyEnd = -1;
        m_exchangeBytes = 0;
    }

private:
    void fromProgram()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_program, buffer, sizeof buffer);
        if (n <= 0)
            return;
        const double now = m_clock.nsecsElapsed() / 1e6;
        m_frame.append(buffer, n);
        if (::write(m_controllers, buffer, size_t(n)) != n)
            std::fprintf(stderr, "line: short write to the controllers\n");
        qsizetype end;
        while ((end = m_frame.indexOf("\r\n")) >= 0) {
            const QByteArray frame = m_frame.left(end + 2);
            m_frame.remove(0, end + 2);
            const QByteArray address = frame.left(4);
            ++traffic.framesTo[address];
            ++traffic.frames;
            // The exchange before ends with this frame: its frame and all reply bytes since.
            if (m_lastReplyEnd >= 0) {
                (address == m_cycleStart ? traffic.betweenCycles : traffic.withinCycle)
                    << now - m_lastReplyEnd;
                traffic.exchangeWireMs << wireMs(m_exchangeBytes);
            }
            m_lastReplyEnd = -1;
            m_exchangeBytes = frame.size();
        }
    }
    void fromControllers()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_controllers, buffer, sizeof buffer);
        if (n <= 0)
            return;
        if (::write(m_program, buffer, size_t(n)) != n)
            std::fprintf(stderr, "line: short write to the program\n");
        ++traffic.batches;
        m_lastReplyEnd = m_clock.nsecsElapsed() / 1e6;
        m_exchangeBytes += n;
    }

    int m_program;
    int m_controllers;
    QByteArray m_cycleStart;
    QElapsedTimer m_clock;
    QSocketNotifier *m_fromProgram;
    QSocketNotifier *m_fromControllers;
    QByteArray m_frame;
    double m_lastReplyEnd = -1;
    qsizetype m_exchangeBytes = 0;
};

// The bare loop's counts, in memory it shares with the bench.
struct BareCounts {
    std::atomic<long> replies{0};  // every line in
    std::atomic<long> timeOuts{0}; // not in 1.5 s
};

// What the bare loop sends a controller, and the lines of its reply.
struct BarePoll {
    QByteArray frame;
    int lines = 0;
};

// The polls of the simulator's controllers, in slot order: the poll command with the checksum
// byte where the model wants one, and the acknowledgment and channel lines it answers with.
std::vector<BarePoll> barePolls(const Sim::Simulator &sim)
{
    std::vector<BarePoll> polls;
    for (const auto &c : sim.controllers()) {
        QByteArray frame = c->address() + "\t>?";
        if (c->checksumModel())
            frame += char(Sim::checksum(">?"));
        polls.push_back({frame + "\r\n", 1 + int(c->channelLines().size())});
    }
    return polls;
}

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The least a poll cycle can cost: a loop in a process of its own that writes each frame and
// waits in select() for the reply's lines, and does nothing else.
class BareLoop {
public:
    ~BareLoop() { stop(); }
    // Starts the loop on the descriptor of its end of the line.
    bool start(int fd, const std::vector<BarePoll> &polls)
    {
        void *shared = mmap(nullptr, sizeof(BareCounts), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (shared == MAP_FAILED)
            return false;
        m_counts = new (shared) BareCounts;
        m_pid = fork();
        if (m_pid == 0) {
            // Ends with the bench, however that ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            run(fd, polls, *m_counts);
        }
        return m_pid > 0;
    }
    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    qint64 pid() const { return m_pid; }
    long replies() const { return m_counts ? m_counts->replies.load() : 0; }
    long timeOuts() const { return m_counts ? m_counts->timeOuts.load() : 0; }

private:
    // As the program: a frame goes out once no byte has come for the quiet gap (the short one:
    // this loop knows its replies end with their last line).
    static void waitForQuiet(int fd)
    {
        for (;;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(fd, &readable);
            timeval wait{0, long(ShortQuietMs * 1000)};
            if (select(fd + 1, &readable, nullptr, nullptr, &wait) <= 0)
                return;
            char buffer[512];
            if (::read(fd, buffer, sizeof buffer) <= 0)
                return;
        }
    }
    // The child: only system calls on what was made before the fork, until it is ended.
    [[noreturn]] static void run(int fd, const std::vector<BarePoll> &polls, BareCounts &counts)
    {
        constexpr qint64 Pace = CyclePace * 1'000'000'000LL;
        qint64 cycleStart = monotonicNs();
        for (;;) {
            for (const BarePoll &poll : polls) {
                waitForQuiet(fd);
                if (::write(fd, poll.frame.constData(), size_t(poll.frame.size())) < 0)
                    _exit(1);
                const qint64 deadline = monotonicNs() + ReplyTimeoutMs * 1'000'000LL;
                int lines = 0;
                while (lines < poll.lines) {
                    const qint64 left = deadline - monotonicNs();
                    fd_set readable;
                    FD_ZERO(&readable);
                    FD_SET(fd, &readable);
                    timeval wait{left > 0 ? left / 1'000'000'000 : 0,
                                 left > 0 ? (left % 1'000'000'000) / 1000 : 0};
                    if (left <= 0 || select(fd + 1, &readable, nullptr, nullptr, &wait) <= 0)
                        break;
                    char buffer[512];
                    const ssize_t n = ::read(fd, buffer, sizeof buffer);
                    for (ssize_t i = 0; i < n; ++i)
                        lines += buffer[i] == '\n';
                }
                (lines >= poll.lines ? counts.replies : counts.timeOuts)++;
            }
            cycleStart += Pace;
            const qint64 rest = cycleStart - monotonicNs();
            if (rest > 0) {
                const timespec t{time_t(rest / 1'000'000'000), long(rest % 1'000'000'000)};
                nanosleep(&t, nullptr);
            } else {
                cycleStart = monotonicNs(); // a cycle that ran long: the next one starts now
            }
        }
    }

    qint64 m_pid = -1;
    BareCounts *m_counts = nullptr;
};

// The bare loop beside the program, and the tap on its line.
struct Beside {
    BareLoop &loop;
    Line &line;
};

struct Phase {
    bool ran = false; // through the whole window
    double cpu = 0;      // the program's
    double wall = 0;
    double ownCpu = 0;   // this bench's, serving the line and the controllers
    double serverCpu = -1; // the X server's, when the bench started it
    int recordsInWindow = 0;
    Records records;     // every record of the data file at the end of the window
    Traffic traffic;     // in the window
    qint64 switches = 0; // the program's context switches
    // The bare loop's, when it ran beside the program.
    double bareCpu = 0;
    qint64 bareSwitches = 0;
    Traffic bareTraffic;
    long bareReplies = 0;
    long bareTimeOuts = 0;
    double percent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
    double barePercent() const { return wall > 0 ? 100.0 * bareCpu / wall : 0; }
};

// Starts the program, lets it settle, and measures it over the window, and the bare loop beside
// it when there is one.
Phase runProgram(const QString &program, const QProcessEnvironment &env, int seconds, Line &line,
                 const QString &dataFile, const QList<int> &channels, qint64 serverPid,
                 const Beside *beside = nullptr)
{
    Phase phase;
    QProcess qlv2;
    qlv2.setProcessEnvironment(env);
    qlv2.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    qlv2.start(program, {});
    if (!qlv2.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return phase;
    }
    waitMs(6000);
    line.reset();
    const int recordsBefore = int(readRecords(dataFile).stamps.size());
    QElapsedTimer wall;
    const double start = processCpu(qlv2.processId());
    const qint64 switchesStart = processContextSwitches(qlv2.processId());
    const double ownStart = ownCpu();
    const double serverStart = serverPid > 0 ? processCpu(serverPid) : 0;
    double bareStart = 0;
    qint64 bareSwitchesStart = 0;
    long repliesStart = 0, timeOutsStart = 0;
    if (beside) {
        beside->line.reset();
        bareStart = processCpu(beside->loop.pid());
        bareSwitchesStart = processContextSwitches(beside->loop.pid());
        repliesStart = beside->loop.replies();
        timeOutsStart = beside->loop.timeOuts();
    }
    wall.start();
    waitMs(seconds * 1000);
    if (qlv2.state() != QProcess::Running) {
        std::printf("the program ended before the window closed (exit status %d%s)\n",
                    qlv2.exitCode(), qlv2.exitStatus() == QProcess::CrashExit ? ", crashed" : "");
        return phase;
    }
    phase.ran = true;
    phase.cpu = processCpu(qlv2.processId()) - start;
    phase.switches = processContextSwitches(qlv2.processId()) - switchesStart;
    if (beside) {
        phase.bareCpu = processCpu(beside->loop.pid()) - bareStart;
        phase.bareSwitches = processContextSwitches(beside->loop.pid()) - bareSwitchesStart;
        phase.bareReplies = beside->loop.replies() - repliesStart;
        phase.bareTimeOuts = beside->loop.timeOuts() - timeOutsStart;
        phase.bareTraffic = beside->line.traffic;
    }
    phase.ownCpu = ownCpu() - ownStart;
    if (serverPid > 0)
        phase.serverCpu = processCpu(serverPid) - serverStart;
    phase.wall = wall.elapsed() / 1000.0;
    phase.traffic = line.traffic;
    // Read before the program ends, so the stop record it then writes is not among them.
    phase.records = readRecords(dataFile, channels);
    phase.recordsInWindow = int(phase.records.stamps.size()) - recordsBefore;
    // SIGTERM: the program closes as at a system shutdown.
    qlv2.terminate();
    if (!qlv2.waitForFinished(10000)) {
        qlv2.kill();
        qlv2.waitForFinished();
    }
    return phase;
}

void report(const char *what, const QString &figures)
{
    std::printf("%-52s %s\n", what, qPrintable(figures));
}

} // namespace

int main(int argc, char *argv[])
{
    ProgramHome home;
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const QString program = ProgramHome::program();

    XDesktop desktop;
    QProcessEnvironment env;
    if (!programEnvironment(desktop, env))
        return 1;

    Sim::Simulator sim;
    std::optional<LineEnds> ends;
    if (!startControllers(sim, Baud) || !(ends = openLineEnds(sim, "the line")))
        return 1;
    // Every cycle starts over at the first slot, which holds the first controller.
    Line line(ends->side, ends->controllers, sim.controllers().front()->address());

    // The bare loop's line: the same controllers, pacing and tap.
    Sim::Simulator bareSim;
    std::optional<LineEnds> bareEnds;
    if (!startControllers(bareSim, Baud) || !(bareEnds = openLineEnds(bareSim, "the bare loop's line")))
        return 1;
    Line bareLine(bareEnds->side, bareEnds->controllers, bareSim.controllers().front()->address());
    const std::vector<BarePoll> polls = barePolls(bareSim);
    const QList<int> channels = channelsOf(sim);

    const int port = 200;
    SerialPortTable::bind(port, QString::fromLocal8Bit(ttyname(ends->slave)));

    const QString settings = ProgramHome::settingsFile();
    const QString dataFile = ProgramHome::dataFile();
    const qint64 serverPid = desktop.display().isEmpty() ? 0 : desktop.serverPid();

    Goals goals;
    const auto ownLine = [](const Phase &p) {
        return QStringLiteral("%1 s CPU = %2 % of one core")
            .arg(p.ownCpu, 0, 'f', 3)
            .arg(100.0 * p.ownCpu / std::max(p.wall, 1e-9), 0, 'f', 3);
    };
    const auto serverLine = [](const Phase &p) {
        return QStringLiteral("%1 s CPU = %2 % of one core")
            .arg(p.serverCpu, 0, 'f', 2)
            .arg(100.0 * p.serverCpu / std::max(p.wall, 1e-9), 0, 'f', 3);
    };
    const double tick = 1.0 / double(sysconf(_SC_CLK_TCK));

    std::printf("The program (%s) on an X server (%s), %d s per phase; its CPU time is counted"
                " in steps of %.0f ms\n",
                qPrintable(program), qPrintable(env.value("DISPLAY")), seconds, tick * 1000);
    // The gaps include the waits of both processes for a core: a busy machine lengthens them.
    std::printf("load average of the machine at the start: %s over %ld cores\n",
                qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
    ProgramSettings setup;
    setup.port = port;
    setup.baud = Baud;
    setup.interval = Interval;
    setup.switchedOn = setup.logging = false;
    if (!writeProgramSettings(sim, setup, settings))
        return 1;
    const Phase idle = runProgram(program, env, seconds, line, dataFile, channels, serverPid);
    report("idle (31 controllers configured, none switched on)",
           QStringLiteral("%1 s CPU in %2 s = %3 % of one core (goal < %4 %): %5")
               .arg(idle.cpu, 0, 'f', 3)
               .arg(idle.wall, 0, 'f', 1)
               .arg(idle.percent(), 0, 'f', 3)
               .arg(IdleGoal)
               .arg(goals.judge(idle.ran && idle.percent() < IdleGoal)));
    // With nothing on the line the bench has nothing to do; should it keep a core busy, it
    // would take it from the program it measures.
    const double idleOwn = 100.0 * idle.ownCpu / std::max(idle.wall, 1e-9);
    report("  this bench meanwhile",
           QStringLiteral("%1 (goal < %2 %): %3")
               .arg(ownLine(idle))
               .arg(IdleGoal)
               .arg(goals.judge(idle.ran && idleOwn < IdleGoal)));
    if (serverPid > 0)
        report("  the X server meanwhile", serverLine(idle));

    QFile::remove(settings);
    QFile::remove(dataFile);
    setup.switchedOn = setup.logging = true;
    if (!writeProgramSettings(sim, setup, settings))
        return 1;
    BareLoop bare;
    if (!bare.start(bareEnds->slave, polls)) {
        std::fprintf(stderr, "cannot start the bare loop\n");
        return 1;
    }
    ::close(bareEnds->slave); // the loop's own now
    const Beside beside{bare, bareLine};
    const Phase polling =
        runProgram(program, env, seconds, line, dataFile, channels, serverPid, &beside);
    bare.stop();
    report(qPrintable(QStringLiteral("31 answering, paced, logging every %1 s").arg(Interval)),
           QStringLiteral("%1 s CPU in %2 s = %3 % of one core")
               .arg(polling.cpu, 0, 'f', 3)
               .arg(polling.wall, 0, 'f', 1)
               .arg(polling.percent(), 0, 'f', 3));
    const double ratio = polling.bareCpu > 0 ? polling.cpu / polling.bareCpu : 0;
    report("  a bare loop beside it, on a line of its own",
           QStringLiteral("%1 s CPU = %2 % of one core; the program takes %3 times as much "
                          "(goal <= %4): %5")
               .arg(polling.bareCpu, 0, 'f', 3)
               .arg(polling.barePercent(), 0, 'f', 3)
               .arg(ratio, 0, 'f', 2)
               .arg(BareLoopGoal)
               .arg(goals.judge(polling.ran && polling.bareCpu > 0 && ratio <= BareLoopGoal)));
    // Per exchange and per batch: the same count of the same taps on both lines.
    const auto perUnit = [](double cpu, qint64 switches, const Traffic &t) {
        return QStringLiteral("%1 ms and %2 context switches per exchange (%3), %4 us per batch "
                              "of bytes (%5)")
            .arg(t.frames ? 1000.0 * cpu / t.frames : 0, 0, 'f', 3)
            .arg(t.frames ? double(switches) / t.frames : 0, 0, 'f', 1)
            .arg(t.frames)
            .arg(t.batches ? 1e6 * cpu / t.batches : 0, 0, 'f', 1)
            .arg(t.batches);
    };
    report("  the program", perUnit(polling.cpu, polling.switches, polling.traffic));
    report("  the bare loop", perUnit(polling.bareCpu, polling.bareSwitches, polling.bareTraffic));
    // The bare loop checks only that every line of each reply came in time.
    report("  the bare loop's replies",
           QStringLiteral("%1 with every line in, %2 not in %3 s: %4")
               .arg(polling.bareReplies)
               .arg(polling.bareTimeOuts)
               .arg(ReplyTimeoutMs / 1000.0)
               .arg(goals.judge(polling.bareReplies > 0 && polling.bareTimeOuts == 0)));
    report("  this bench meanwhile (both lines and controllers)", ownLine(polling));
    if (serverPid > 0)
        report("  the X server meanwhile", serverLine(polling));

    const Traffic &t = polling.traffic;
    // Each cycle polls every controller once: the cycles are the frames each received (a
    // controller polled while the window opened or closed may count one more).
    int fewest = -1, most = 0, silentOnes = 0;
    for (const auto &c : sim.controllers()) {
        const int n = t.framesTo.value(c->address());
        fewest = fewest < 0 ? n : std::min(fewest, n);
        most = std::max(most, n);
        silentOnes += n == 0;
    }
    const int cycles = std::max(fewest, 0);
    report("poll cycles", QStringLiteral("%1 (frames per controller %2 to %3); %4 of 31 "
                                         "controllers never polled: %5")
                              .arg(cycles)
                              .arg(fewest)
                              .arg(most)
                              .arg(silentOnes)
                              .arg(goals.judge(cycles > 0 && silentOnes == 0 && most - fewest <= 1)));
    if (cycles > 0)
        report("  the program's CPU per poll cycle",
               QStringLiteral("%1 ms").arg(1000.0 * polling.cpu / cycles, 0, 'f', 2));

    // Every record follows the one before by the interval, or by the wait for the next cycle.
    const QList<QDateTime> &stamps = polling.records.stamps;
    QStringList offSpacing;
    for (qsizetype i = 1; i < stamps.size(); ++i) {
        const qint64 spacing = stamps[i - 1].secsTo(stamps[i]);
        if (spacing < Interval || spacing > CyclePace)
            offSpacing << QStringLiteral("record %1 (%2) %3 s after the one before")
                              .arg(i + 1)
                              .arg(DateTimeText::format(stamps[i]))
                              .arg(spacing);
    }
    report("records in the window",
           QStringLiteral("%1; in the data file %2, of which %3 not %4 to %5 s after the one "
                          "before%6: %7")
               .arg(polling.recordsInWindow)
               .arg(stamps.size())
               .arg(offSpacing.size())
               .arg(Interval)
               .arg(CyclePace)
               .arg(polling.records.unreadable
                        ? QStringLiteral(", %1 stamps unreadable").arg(polling.records.unreadable)
                        : QString())
               .arg(goals.judge(polling.recordsInWindow > 0 && stamps.size() >= 2
                          && offSpacing.isEmpty() && polling.records.unreadable == 0)));
    for (const QString &o : std::as_const(offSpacing))
        std::printf("    %s\n", qPrintable(o));
    // Every record of the run, so that "31 answering" means 31 read.
    bool everyReading = false;
    const QString readings = readingsText(polling.records, &everyReading);
    report("  readings of all 31 controllers",
           QStringLiteral("%1: %2").arg(readings).arg(goals.judge(everyReading)));
    if (polling.recordsInWindow > 0)
        report("  the program's CPU per record",
               QStringLiteral("%1 ms").arg(1000.0 * polling.cpu / polling.recordsInWindow, 0, 'f',
                                           2));

    const double wire = percentile(t.exchangeWireMs, 0.5);
    const double median = percentile(t.withinCycle, 0.5);
    const double p90 = percentile(t.withinCycle, 0.9);
    const double worst = t.withinCycle.isEmpty()
                             ? 0
                             : *std::max_element(t.withinCycle.begin(), t.withinCycle.end());
    report("reply end to next frame within a cycle",
           QStringLiteral("median %1 ms, 90 % %2 ms, worst %3 ms (%4 gaps)")
               .arg(median, 0, 'f', 3)
               .arg(p90, 0, 'f', 3)
               .arg(worst, 0, 'f', 3)
               .arg(t.withinCycle.size()));
    report("  between cycles (the loop's pacing)",
           QStringLiteral("median %1 ms (%2 gaps)")
               .arg(percentile(t.betweenCycles, 0.5), 0, 'f', 1)
               .arg(t.betweenCycles.size()));
    const double beyond = p90 - GroupQuietMs;
    report("wire time of one exchange at 38400 baud",
           QStringLiteral("%1 ms; 90 % of the gaps end %2 ms after the quiet gap of %3 ms"
                          " = %4 % of it (goal: < %5 %): %6")
               .arg(wire, 0, 'f', 2)
               .arg(beyond, 0, 'f', 3)
               .arg(GroupQuietMs, 0, 'f', 2)
               .arg(100.0 * beyond / wire, 0, 'f', 2)
               .arg(GapGoal)
               .arg(goals.judge(!t.withinCycle.isEmpty() && 100.0 * beyond / wire < GapGoal)));
    std::printf("%s\n", goals.allMet() ? "All goals met." : "MISSED (see above).");
    return goals.status();
}
