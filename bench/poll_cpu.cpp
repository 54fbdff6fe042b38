// The poll loop's appetite, in this process: CPU while it polls three silent controllers and
// while it is idle; CPU while it polls three answering controllers, once bare and once with the
// program's own rack windows kept up to date (offscreen); and the time one poll exchange takes
// against the time its bytes need on the wire at 9600 and 38400 baud.
//
// These are figures to compare runs by, with no verdict: the controllers are simulated in this
// process on an unpaced pseudo-terminal, so their work is counted in the CPU figures too, and
// the exchange time is the program's own overhead plus the simulator's (the wire time is worked
// out from the bytes). The project's goal (31 answering controllers under 0.5 % of a core) is
// judged on the real program and a paced line by bench_program_cpu.
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "simulator.h"
#include "views/rack.h"
#include "views/readingdisplay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace Hoofdmodule;

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
    std::printf("%-40s %6.3f s CPU in %5.2f s = %6.3f %% of one core\n", what, cpu, wall,
                percent);
}

void configure(Sim::Simulator &sim, Sim::Behaviour behaviour)
{
    ResetToestellen();
    int slot = 0;
    for (const auto &c : sim.controllers()) {
        c->behaviour = behaviour;
        c->frames.clear();
        ++slot;
        Toestel[slot].Type = QString::fromLatin1(c->model);
        Toestel[slot].Idno = c->idno;
        Toestel[slot].Kanalen = qint16(c->channels);
        InstellenToestelProtocol(qint16(slot));
    }
}

// Frames each controller received since it was configured.
void reportFrames(const Sim::Simulator &sim)
{
    QStringList counts;
    int never = 0;
    for (const auto &c : sim.controllers()) {
        counts << QString::number(c->frames.size());
        never += c->frames.isEmpty() ? 1 : 0;
    }
    std::printf("%-40s %s; %d of %d never polled%s\n", "frames per controller",
                qPrintable(counts.join(QStringLiteral(", "))), never, int(sim.controllers().size()),
                never ? " (phase too short: give more seconds)" : "");
}

void installHooks(bool windows)
{
    PollHooks &h = pollHooks();
    // The main window's own wiring of the reading display.
    h.refreshLamps = nullptr;
    h.showReading = nullptr;
    if (windows) {
        h.refreshLamps = [](int slot, bool busy, bool all) {
            markLampsChanged(qint16(slot), busy, all);
        };
        h.showReading = [](int slot) { markReadingChanged(qint16(slot)); };
    }
    SerialPort &port = InstrumentConnection::current().MSComm1;
    h.portOpen = [&port] { return port.isOpen(); };
    h.sendPoll = [](int slot) {
        ZendCommando(qint16(slot), Protocol::PollCommando[size_t(slot)]);
        expectReply(qint16(slot));
    };
    h.readReply = [](int slot) { return tryReadReading(qint16(slot)); };
}

// Runs the poll loop for the given time and reports its CPU use.
void measureLoop(const char *what, int durationMs, bool measuring)
{
    ProgrammaStoppen = false;
    QTimer::singleShot(0, [measuring] {
        if (!measuring)
            StartStopMeten();
    });
    QTimer::singleShot(durationMs, [] { ProgrammaStoppen = true; });
    QElapsedTimer wall;
    wall.start();
    const double start = cpuSeconds();
    StartenMeten();
    report(what, cpuSeconds() - start, wall.elapsed() / 1000.0);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int durationMs = argc > 1 ? std::atoi(argv[1]) * 1000 : 10000;

    SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-bench"));
    Sim::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    sim.add("T542", 12, 2);
    sim.add("T5781", 20, 1);
    sim.add("T575", 30, 4);
    SerialPortTable::bind(9, sim.devicePath());
    SerialPort &port = InstrumentConnection::current().MSComm1;
    port.setPortNumber(9);
    if (!port.open()) {
        std::fprintf(stderr, "cannot open the simulated line: %s\n", qPrintable(port.errorText()));
        return 1;
    }
    installHooks(false);
    std::printf("The poll loop in this process with its simulated controllers: figures to compare "
                "runs by, no verdict (bench_program_cpu judges the goal on the real program)\n");

    configure(sim, Sim::Behaviour::Silent);
    // Controllers that have been silent a while: each is polled once per cycle and waited for
    // to its time-out, so every one of them is polled within the phase (eleven tries at a time
    // of a fresh slot would keep the loop on the first controller for 16 seconds).
    for (int slot = 1; slot <= 3; ++slot)
        Toestel[slot].FoutTeller = 10;
    measureLoop("polling three silent controllers", durationMs, true);
    std::printf("%-40s %d, %d, %d\n", "failed reads counted", Toestel[1].FoutTeller,
                Toestel[2].FoutTeller, Toestel[3].FoutTeller);
    reportFrames(sim);
    measureLoop("measuring switched off (idle)", durationMs, false);

    configure(sim, Sim::Behaviour::Normal);
    measureLoop("polling three answering controllers", durationMs, true);
    reportFrames(sim);
    // The same with the rack windows on an offscreen screen, updated as the program does.
    for (int slot = 1; slot <= 3; ++slot) {
        FormRack *rack = RackVenster[slot];
        rack->move((slot - 1) * 260, 0);
        rack->show();
    }
    installHooks(true);
    configure(sim, Sim::Behaviour::Normal);
    for (int slot = 1; slot <= 3; ++slot)
        RackVenster[slot]->FormInstellenControls();
    measureLoop("the same with the rack windows shown", durationMs, true);
    reportFrames(sim);
    installHooks(false);
    RackVenster.Ontladen();

    configure(sim, Sim::Behaviour::Normal);
    for (const char *baud : {"9600", "38400"}) {
        Baudrate = QString::fromLatin1(baud);
        const int rounds = 200;
        qint64 bytes = 0;
        QElapsedTimer wall;
        wall.start();
        int good = 0;
        for (int i = 0; i < rounds; ++i) {
            const int slot = 1 + i % 3;
            sim.clearFrames();
            const QByteArray frame = FrameBytes(qint16(slot), Protocol::PollCommando[size_t(slot)]);
            pollHooks().sendPoll(slot);
            // Decoded by the slot's own decoder as its bytes come, and counted only when the
            // value came through.
            Toestel[slot].Kanaal[1].Waarde.clear();
            const QString expected =
                QString::fromLatin1(sim.controllers()[size_t(slot - 1)]->channel[0].value);
            ReadResult read = ReadResult::Waiting;
            while ((read = pollHooks().readReply(slot)) == ReadResult::Waiting)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (read == ReadResult::Counted && Toestel[slot].Kanaal[1].Waarde.trimmed() == expected)
                ++good;
            bytes += frame.size() + sim.controllers()[size_t(slot - 1)]->normalReply().size();
        }
        const double perExchangeMs = double(wall.nsecsElapsed()) / 1e6 / rounds;
        // 10 bits a byte on the wire: start bit, 8 data bits, stop bit.
        const double wireMs = double(bytes) / rounds * 10.0 * 1000.0 / QByteArray(baud).toDouble();
        std::printf("%-40s %6.2f ms per exchange; its %lld bytes take %6.2f ms on the wire at %s "
                    "baud (%d of %d decoded)\n",
                    "one poll exchange", perExchangeMs, bytes / rounds, wireMs, baud, good, rounds);
    }
    return 0;
}
