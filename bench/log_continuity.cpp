// Whether logging and polling keep going while the user has a dialog open, in one run of the
// whole program (offscreen, in this process) against simulated controllers at 9600 baud: five
// answering controllers of both families, one silent one and one that answers 0.7 s late, a
// record every 2 seconds, logging from the start. The silent and the late one together make a
// poll cycle take longer than the interval, so the records cannot simply fall on every second
// tick: each waits for the cycle that ends after the previous one.
//
//  A. About a minute with nothing open: poll exchanges per minute.
//  B. About a minute with the graph settings dialog of a new graph open the whole time (it is
//     closed with Cancel at the end): poll exchanges per minute again. Goal: within 5 % of A.
//  C. The data file afterwards: every record the log timer's rule asks for is there, on its own
//     tick, none missing, none closer than the interval, stamps whole seconds apart.
//
// Exchanges are counted as the frames the simulated controllers received, over whole poll
// cycles only (from one cycle's end to another's), so that a phase cut in the middle of a cycle
// does not tilt the comparison. They are counted by their order, not their time: a cycle's first
// poll can reach the controllers in the very millisecond the previous cycle ended.
//
// The rule the records are held to: a record falls due at the first log tick (ticks fall every
// second from the start of the run) that lies at least the interval after the previous record's
// tick, with a poll cycle ended in between; it is stamped with that tick's moment.
//
//   bench_log_continuity [seconds per phase, default 60]
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphsettingsdialog.h"
#include "instruments/pollloop.h"
#include "mainwindow/logclock.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "simulator.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Hoofdmodule;

namespace {

constexpr int Interval = 2; // seconds between records
constexpr double RateGoal = 0.05;

// The main window wired as the program wires it, without the splash's two seconds.
struct ProgramWindow : mdiQLV2 {
    ProgramWindow()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};

qint64 nowMs() { return Clock::current().monotonicMs(); }

// Runs the action once no poll exchange runs, as a person's click is handed to the program only
// between exchanges.
void atRest(QObject *context, int ms, std::function<void()> action)
{
    QTimer::singleShot(ms, context, [context, action] {
        if (OpvragenGepauzeerd() || !Pump::atRest())
            atRest(context, 1, action);
        else
            action();
    });
}

struct Record {
    qint64 tick = 0;     // the log tick its stamp names
    qint64 writtenMs = 0;
    QDateTime stamp;
    qint64 offTickMs = 0; // how far the stamp lies from a whole tick
};

// One phase's poll traffic, counted over whole cycles.
struct Phase {
    const char *name = "";
    qint64 fromMs = -1;         // a cycle's end
    qint64 toMs = -1;           // a later cycle's end
    qsizetype fromFrame = 0;    // frames received by then
    qsizetype toFrame = 0;
    int cycles = 0;
    int frames() const { return int(toFrame - fromFrame); }
    int cyclesWithoutDialog = 0; // phase B only: cycle ends seen with the dialog closed
    double perMinute() const
    {
        return toMs > fromMs ? frames() * 60000.0 / double(toMs - fromMs) : 0.0;
    }
};

qint64 ceilDiv(qint64 a, qint64 b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// The tick the rule makes due after a record at `previous`: the first one at least the interval
// later, at or after the first cycle end that follows the previous record's tick. -1 when no
// cycle ended after it.
qint64 dueAfter(qint64 previous, const QList<qint64> &cycleEnds, qint64 origin, bool first,
                qint64 *cycleEnd = nullptr)
{
    const qint64 since = origin + previous * 1000;
    for (qint64 e : cycleEnds) {
        // A cycle that ended before the run started counts for its first record.
        if (first || e > since) {
            const qint64 at = qMax(e, origin);
            if (cycleEnd)
                *cycleEnd = at;
            return std::max({previous + Interval, ceilDiv(at - origin, 1000), qint64(1)});
        }
    }
    return -1;
}

QString stampField(const QString &line)
{
    if (!line.startsWith(QLatin1Char('"')))
        return line.section(QLatin1Char(','), 0, 0);
    return line.mid(1, line.indexOf(QLatin1Char('"'), 1) - 1);
}

bool goal(bool met, const QString &what)
{
    std::printf("  %s: %s\n", met ? "goal met" : "GOAL MISSED", qPrintable(what));
    return met;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString documents = home.path() + "/Documents";
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", documents.toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int phaseSeconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    const qint64 phaseMs = qint64(phaseSeconds) * 1000;

    const QString settingsFile = documents + "/Marquel/QLV-2/Settings/Qlv2.CFG";
    const QString dataFile = documents + "/Marquel/QLV-2/Data/Untitled.csv";
    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-bench-log"));

    Sim::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    const struct {
        const char *model;
        int idno;
        int channels;
        Sim::Behaviour behaviour;
    } devices[] = {
        {"T512", 11, 1, Sim::Behaviour::Normal},  {"T542", 12, 2, Sim::Behaviour::Normal},
        {"T5781", 13, 1, Sim::Behaviour::Normal}, {"T575", 14, 4, Sim::Behaviour::Normal},
        {"T578", 15, 2, Sim::Behaviour::Normal},  {"T542", 16, 2, Sim::Behaviour::Silent},
        {"T5741", 17, 1, Sim::Behaviour::Late}};
    constexpr int silentSlot = 6;
    ResetToestellen();
    int slot = 0;
    for (const auto &d : devices) {
        Sim::Controller &c = sim.add(d.model, d.idno, d.channels);
        c.behaviour = d.behaviour;
        c.lateMs = 700;
        ToestelGegevens &t = Toestel[++slot];
        t.Type = QString::fromLatin1(d.model);
        t.Idno = d.idno;
        t.Kanalen = qint16(d.channels);
        t.Actief = true;
        t.Naam = QStringLiteral("Unit %1").arg(d.idno);
    }
    SerialPortTable::bind(9, sim.devicePath());
    SeriePoort = QStringLiteral("COM9");
    Baudrate = QStringLiteral("9600");
    MeetInterval = Interval;
    StartLoggen = true;
    LaadBestand = false;
    if (!SchrijfInstellingen(settingsFile)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(settingsFile));
        return 1;
    }
    // The program starts from its settings file, not from what is left in memory.
    ResetToestellen();
    SeriePoort = QStringLiteral("COM1");
    StartLoggen = false;

    ScriptedDialogProvider dialogs;
    ProgramWindow w;

    // The program's own boxes (not the provider's) would wait for a person: closed as their
    // Escape button would, and counted, since none is expected in this run.
    int boxesClosed = 0;
    QStringList boxTitles;
    QTimer boxCloser;
    QObject::connect(&boxCloser, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->inherits("FormMelding") && top->isVisible()) {
                ++boxesClosed;
                boxTitles << top->windowTitle();
                top->close();
            }
    });
    boxCloser.start(500);

    // The address field of every frame the controllers received, in order.
    QList<QByteArray> frames;
    QObject::connect(&sim, &Sim::Simulator::frameReceived, &w,
                     [&frames](const QByteArray &frame) { frames << frame.left(4); });

    Phase a{"A, nothing open"};
    Phase b{"B, graph settings dialog open"};
    QList<qint64> cycleEnds;
    QList<Record> records;
    qint64 stopMs = -1;
    QDateTime stopStamp;
    qint64 dialogOpenedMs = -1, dialogClosedMs = -1;
    qsizetype framesAtOpen = 0;
    int settledCycles = 0;
    bool dialogOpenAtCancel = false;
    bool newGraphEnabled = true;
    bool exitAsked = false;
    bool wantExitAfterRecord = false;
    QStringList notes;

    const auto exitProgram = [&w, &exitAsked] {
        if (exitAsked)
            return;
        exitAsked = true;
        QTimer::singleShot(0, &w, [&w] { w.mnuFileExit_Click(); });
    };

    // The end of phase B: the dialog's Cancel, as the user would click it.
    const auto closeDialog = [&] {
        atRest(&w, 0, [&] {
            frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
            dialogOpenAtCancel = d != nullptr;
            if (d)
                d->CmdCancel_Click();
        });
    };

    // Phase B: a new graph from Graph > New (table values), its settings dialog left open.
    const auto startPhaseB = [&] {
        atRest(&w, 0, [&] {
            emit w.menu("mnuGraph")->aboutToShow(); // the menu's items as it opens
            QAction *newGraph = w.menuItem("mnuGraphNewTable");
            if (!newGraph || !newGraph->isEnabled()) {
                newGraphEnabled = false;
                exitProgram();
                return;
            }
            auto *watch = new QTimer(&w);
            QObject::connect(watch, &QTimer::timeout, watch, [&, watch] {
                if (frmGrafiekInstellen::geopend()) {
                    watch->stop();
                    watch->deleteLater();
                    dialogOpenedMs = nowMs();
                    framesAtOpen = frames.size();
                    // Should no whole cycles be polled while it stands open, the phase still
                    // ends, and counts what reached the controllers meanwhile.
                    QTimer::singleShot(int(phaseMs + 10000), &w, [&] {
                        if (b.toMs >= 0 || dialogClosedMs >= 0)
                            return;
                        notes << QStringLiteral("polling did not run %1 s of whole cycles while "
                                                "the dialog stood open (%2 ended); B counts "
                                                "from its opening")
                                     .arg(phaseSeconds)
                                     .arg(b.cycles);
                        if (b.fromMs < 0) {
                            b.fromMs = dialogOpenedMs;
                            b.fromFrame = framesAtOpen;
                        }
                        b.toMs = nowMs();
                        b.toFrame = frames.size();
                        closeDialog();
                    });
                }
            });
            watch->start(5);
            // Waits inside until the dialog has closed.
            newGraph->trigger();
            dialogClosedMs = nowMs();
            if (dialogOpenedMs < 0) {
                notes << QStringLiteral("the graph settings dialog never opened");
                exitProgram();
                return;
            }
            // Ended right after a record is written: no record is left waiting at the stop.
            wantExitAfterRecord = true;
            QTimer::singleShot(10000, &w, [&] {
                if (exitAsked)
                    return;
                notes << QStringLiteral("no record was written in the 10 s after the dialog "
                                        "closed");
                exitProgram();
            });
        });
    };

    PollHooks &hooks = pollHooks();
    const auto cycleEnded = hooks.cycleEnded;
    hooks.cycleEnded = [&] {
        const qint64 t = nowMs();
        cycleEnds << t;
        // Measuring starts once the silent controller has used up its first run of tries: from
        // then on it is tried once a cycle, and every cycle is alike. The two cycles after that
        // run are left out too: the first starts at once, as the run took longer than the
        // pacing, and so ends off the pacing's beat.
        if (a.fromMs < 0) {
            if (Toestel[silentSlot].FoutTeller > 10 && ++settledCycles == 3) {
                a.fromMs = t;
                a.fromFrame = frames.size();
            }
        } else if (a.toMs < 0) {
            ++a.cycles;
            if (t - a.fromMs >= phaseMs) {
                a.toMs = t;
                a.toFrame = frames.size();
                startPhaseB();
            }
        } else if (dialogOpenedMs >= 0 && dialogClosedMs < 0 && b.toMs < 0) {
            if (!frmGrafiekInstellen::geopend())
                ++b.cyclesWithoutDialog;
            if (b.fromMs < 0) {
                b.fromMs = t;
                b.fromFrame = frames.size();
            } else {
                ++b.cycles;
                if (t - b.fromMs >= phaseMs) {
                    b.toMs = t;
                    b.toFrame = frames.size();
                    closeDialog();
                }
            }
        }
        if (cycleEnded)
            cycleEnded();
    };
    const auto writeRecord = hooks.writeRecord;
    hooks.writeRecord = [&](const QString &info, int tnr) {
        const qint64 t = nowMs();
        if (info.isEmpty()) {
            // The stamp names a tick: monotonic time of the write, moved by how far the stamp
            // lies before the wall clock now.
            const qint64 stampMs = t + Clock::current().now().msecsTo(MeetTijdstip);
            const qint64 origin = w.logTicks().originMs;
            const qint64 tick = (stampMs - origin + (stampMs >= origin ? 500 : -500)) / 1000;
            records << Record{tick, t, MeetTijdstip, stampMs - (origin + tick * 1000)};
            if (wantExitAfterRecord)
                exitProgram();
        } else if (info == QLatin1String("Stop")) {
            stopMs = t;
            stopStamp = MeetTijdstip;
        }
        if (writeRecord)
            writeRecord(info, tnr);
    };

    // Should the run stop short, the program still ends.
    const qint64 budgetMs = 2 * phaseMs + 90000;
    QTimer::singleShot(int(budgetMs), &w, [&] {
        notes << QStringLiteral("the run did not finish within %1 s and was ended")
                     .arg(budgetMs / 1000);
        exitProgram();
    });

    const qint64 startMs = nowMs();
    std::printf("Log continuity: the whole program against 7 simulated controllers (5 answering, "
                "1 silent, 1 answering 0.7 s late)\nat 9600 baud, a record every %d s, %d s per "
                "phase\n",
                Interval, phaseSeconds);
    std::fflush(stdout);
    const bool started = w.MDIForm_Load({});
    const qint64 runMs = nowMs() - startMs;
    boxCloser.stop();
    const qint64 origin = w.logTicks().originMs;

    bool ok = true;
    if (!started)
        notes << QStringLiteral("the program did not start");
    if (!newGraphEnabled)
        notes << QStringLiteral("Graph > New (table values) was not enabled");
    if (boxesClosed > 0)
        notes << QStringLiteral("%1 of the program's boxes came up and were closed: %2")
                     .arg(boxesClosed)
                     .arg(boxTitles.join(QStringLiteral(" | ")));
    if (!dialogs.requests().isEmpty())
        notes << QStringLiteral("%1 message box(es) or dialog(s) were asked for: %2")
                     .arg(dialogs.requests().size())
                     .arg(dialogs.messageTexts().join(QStringLiteral(" | ")));

    // ---- A and B: poll exchanges per minute ----
    std::printf("\nPoll exchanges (frames the controllers received), over whole cycles:\n");
    for (const Phase *p : {&a, &b}) {
        if (p->toMs <= p->fromMs) {
            std::printf("  %-32s not measured (%d cycles ended in it)\n", p->name, p->cycles);
            continue;
        }
        std::printf("  %-32s %5d frames in %5.1f s, %3d cycles = %6.1f per minute\n", p->name,
                    p->frames(), double(p->toMs - p->fromMs) / 1000.0, p->cycles, p->perMinute());
        QStringList perController;
        for (const auto &c : sim.controllers()) {
            int n = 0;
            for (qsizetype i = p->fromFrame; i < p->toFrame; ++i)
                n += frames[i] == c->address();
            perController << QString::number(n);
        }
        std::printf("  %-32s %s (the sixth silent, the seventh late)\n", "  per controller",
                    qPrintable(perController.join(QStringLiteral(", "))));
    }
    if (dialogOpenedMs >= 0)
        std::printf("  the dialog stood open %.1f s%s\n",
                    double((dialogClosedMs >= 0 ? dialogClosedMs : nowMs()) - dialogOpenedMs) /
                        1000.0,
                    b.cyclesWithoutDialog ? " (but some of B's cycles ended with it closed)" : "");
    else if (a.toMs > a.fromMs)
        std::printf("  the graph settings dialog never opened\n");
    const bool bothMeasured = a.toMs > a.fromMs && b.toMs > b.fromMs && a.perMinute() > 0;
    const double ratio = bothMeasured ? b.perMinute() / a.perMinute() : 0.0;
    if (bothMeasured)
        std::printf("  ratio B / A %.3f\n", ratio);
    ok &= goal(bothMeasured && std::abs(ratio - 1.0) <= RateGoal && b.cyclesWithoutDialog == 0 &&
                   dialogOpenAtCancel,
               QStringLiteral("polling with the dialog open within %1 % of polling without")
                   .arg(RateGoal * 100, 0, 'f', 0));

    // ---- C: the records ----
    // The rule, run over the cycle ends seen, from the run's first tick to the stop record.
    QList<qint64> ruleTicks;
    if (stopMs >= 0) {
        qint64 previous = -Interval;
        for (;;) {
            const qint64 due = dueAfter(previous, cycleEnds, origin, ruleTicks.isEmpty());
            if (due < 0 || origin + due * 1000 > stopMs)
                break;
            ruleTicks << due;
            previous = due;
        }
    }
    // Each record held against the rule from the record before it. A tick fires up to 25 ms
    // early and is judged then: a cycle that ends in those milliseconds counts from the next
    // tick on, and the record with it.
    int onTheirTick = 0, earlyTickShifts = 0, offRule = 0;
    QStringList offRuleExamples;
    qint64 previous = -Interval;
    for (int n = 0; n < records.size(); ++n) {
        qint64 cycleEnd = -1;
        const qint64 due = dueAfter(previous, cycleEnds, origin, n == 0, &cycleEnd);
        const qint64 actual = records[n].tick;
        if (actual == due) {
            ++onTheirTick;
        } else if (actual == due + 1 && origin + due * 1000 - cycleEnd < 25) {
            ++earlyTickShifts;
        } else {
            if (++offRule <= 8)
                offRuleExamples << QStringLiteral("record %1 on tick %2, due on tick %3")
                                       .arg(n + 1)
                                       .arg(actual)
                                       .arg(due);
        }
        previous = actual;
    }
    // Ticks the rule still asks for between the last record and the stop record.
    int missingAtEnd = 0;
    if (stopMs >= 0) {
        qint64 last = records.isEmpty() ? -Interval : records.last().tick;
        for (;;) {
            const qint64 due =
                dueAfter(last, cycleEnds, origin, records.isEmpty() && missingAtEnd == 0);
            if (due < 0 || origin + due * 1000 > stopMs)
                break;
            ++missingAtEnd;
            last = due;
        }
    }

    // The file: header, the records, the stop record last.
    QStringList lines;
    QFile file(dataFile);
    if (file.open(QIODevice::ReadOnly))
        lines = Cp1252::decode(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    else
        notes << QStringLiteral("no data file at %1").arg(dataFile);
    const int fileRecords = std::max(0, int(lines.size()) - 2);
    // Each line carries the stamp of the record written in its place.
    int badStamps = 0;
    QList<QDateTime> fileStamps;
    for (int i = 1; i + 1 < lines.size(); ++i) {
        const QString text = stampField(lines[i]);
        const QDateTime t = DateTimeText::parse(text);
        const qsizetype n = i - 1;
        if (!t.isValid() || n >= records.size() || DateTimeText::format(records[n].stamp) != text)
            ++badStamps;
        fileStamps << t;
    }
    // The stop record: the time, then no readings (its fields as many as the header's, every
    // value and unit empty).
    const QLatin1Char comma(',');
    bool stopLast = lines.size() >= 2 && stopMs >= 0 &&
                    lines.last().count(comma) == lines[0].count(comma);
    if (stopLast) {
        const QStringList header = lines[0].split(comma);
        const QStringList stop = lines.last().split(comma);
        for (qsizetype i = 1; i < header.size(); ++i) {
            const QString name = QString(header[i]).remove(QLatin1Char('"'));
            if (name.startsWith(QLatin1String("Value ")) || name.startsWith(QLatin1String("Unit ")))
                stopLast &= QString(stop[i]).remove(QLatin1Char('"')).trimmed().isEmpty();
        }
    }

    // Gaps between consecutive stamps, as the program stamped them and as the file holds them.
    qint64 minGap = -1, maxGap = -1, worstOffWhole = 0;
    for (int n = 1; n < records.size(); ++n) {
        const qint64 gap = records[n - 1].stamp.msecsTo(records[n].stamp);
        minGap = minGap < 0 ? gap : std::min(minGap, gap);
        maxGap = std::max(maxGap, gap);
        const qint64 rest = ((gap % 1000) + 1000) % 1000;
        worstOffWhole = std::max(worstOffWhole, std::min(rest, 1000 - rest));
    }
    qint64 fileMinGap = -1, fileMaxGap = -1;
    for (int n = 1; n < fileStamps.size(); ++n) {
        if (!fileStamps[n - 1].isValid() || !fileStamps[n].isValid())
            continue;
        const qint64 gap = fileStamps[n - 1].secsTo(fileStamps[n]);
        fileMinGap = fileMinGap < 0 ? gap : std::min(fileMinGap, gap);
        fileMaxGap = std::max(fileMaxGap, gap);
    }
    qint64 worstOffTick = 0;
    for (const Record &r : records)
        worstOffTick = std::max(worstOffTick, std::abs(r.offTickMs));

    // No gap may be longer than the interval plus the longest cycle that ran during it (a cycle
    // that ends just after a record's tick holds the next one back by up to its own length). The
    // first cycle counts from the start of the run; only cycles that ended count, or a stall
    // would excuse itself. A run that stalls after its last record leaves no gap between
    // records: the stop record closes the last one, counted from that record's write (a record
    // is written when the poll step running at its tick has ended).
    const auto longestCycleIn = [&](qint64 fromMs, qint64 toMs) {
        qint64 longest = 0;
        for (int n = 0; n < cycleEnds.size(); ++n) {
            const qint64 begin = n == 0 ? origin : cycleEnds[n - 1];
            if (cycleEnds[n] > fromMs && begin < toMs)
                longest = std::max(longest, cycleEnds[n] - begin);
        }
        return longest;
    };
    qint64 longestCycle = 0;
    for (int n = 0; n < cycleEnds.size(); ++n)
        longestCycle = std::max(longestCycle, cycleEnds[n] - (n == 0 ? origin : cycleEnds[n - 1]));
    qint64 widestGap = -1, widestGapBound = 0;
    QStringList tooLong;
    const auto holdGap = [&](qint64 fromMs, qint64 toMs, const QString &which) {
        const qint64 gap = toMs - fromMs;
        const qint64 bound = (Interval + ceilDiv(longestCycleIn(fromMs, toMs), 1000)) * 1000;
        if (gap > widestGap) {
            widestGap = gap;
            widestGapBound = bound;
        }
        if (gap > bound)
            tooLong << QStringLiteral("%1: %2 s, bound %3 s")
                           .arg(which)
                           .arg(double(gap) / 1000.0, 0, 'f', 3)
                           .arg(bound / 1000);
    };
    for (int n = 1; n < records.size(); ++n)
        holdGap(origin + records[n - 1].tick * 1000, origin + records[n].tick * 1000,
                QStringLiteral("records %1 to %2").arg(n).arg(n + 1));
    const qint64 lastToStop =
        records.isEmpty() || stopMs < 0 ? -1 : stopMs - records.last().writtenMs;
    if (lastToStop >= 0)
        holdGap(records.last().writtenMs, stopMs, QStringLiteral("last record to stop record"));
    int recordsInA = 0, recordsInB = 0;
    for (const Record &r : records) {
        recordsInA += r.writtenMs > a.fromMs && r.writtenMs <= a.toMs;
        recordsInB += r.writtenMs > b.fromMs && r.writtenMs <= b.toMs;
    }

    std::printf("\nRecords (run of %.1f s, %d cycles ended, the longest %.2f s):\n",
                double(runMs) / 1000.0, int(cycleEnds.size()), double(longestCycle) / 1000.0);
    std::printf("  written %d (the data file holds %d and the stop record %s), the rule gives %d "
                "for the cycles seen\n",
                int(records.size()), fileRecords, stopLast ? "last" : "NOT last",
                int(ruleTicks.size()));
    std::printf("  %d on their tick, %d one tick later after a tick that fired early, %d off the "
                "rule, %d still due at the stop\n",
                onTheirTick, earlyTickShifts, offRule, missingAtEnd);
    for (const QString &o : std::as_const(offRuleExamples))
        std::printf("    %s\n", qPrintable(o));
    if (a.toMs > a.fromMs && b.toMs > b.fromMs)
        std::printf("  in A %d records in %.1f s, in B %d records in %.1f s\n", recordsInA,
                    double(a.toMs - a.fromMs) / 1000.0, recordsInB,
                    double(b.toMs - b.fromMs) / 1000.0);
    std::printf("  gaps between stamps: min %.3f s, max %.3f s; furthest from whole seconds "
                "%lld ms, from a tick of the run %lld ms\n",
                double(minGap) / 1000.0, double(maxGap) / 1000.0, worstOffWhole, worstOffTick);
    std::printf("  from the last record's write to the stop record %.3f s\n",
                double(lastToStop) / 1000.0);
    if (widestGap >= 0)
        std::printf("  the widest gap %.3f s, its bound (interval + longest cycle in it) %lld s\n",
                    double(widestGap) / 1000.0, widestGapBound / 1000);
    for (qsizetype i = 0; i < std::min<qsizetype>(tooLong.size(), 8); ++i)
        std::printf("    too long: %s\n", qPrintable(tooLong[i]));
    std::printf("  gaps in the file's stamps: min %lld s, max %lld s%s\n", fileMinGap, fileMaxGap,
                badStamps ? qPrintable(QStringLiteral(" (%1 stamps unreadable or not the record's)")
                                               .arg(badStamps))
                          : "");

    const bool allOnRule = offRule == 0 && missingAtEnd == 0 && !records.isEmpty();
    ok &= goal(allOnRule && int(records.size()) == onTheirTick + earlyTickShifts &&
                   (int(records.size()) == int(ruleTicks.size()) || earlyTickShifts > 0),
               QStringLiteral("every record the rule asks for written on its tick (%1 of %2)")
                   .arg(records.size())
                   .arg(ruleTicks.size()));
    ok &= goal(fileRecords == int(records.size()) && stopLast && badStamps == 0,
               QStringLiteral("the data file holds each record once with its stamp, the stop "
                              "record last"));
    ok &= goal(records.size() >= 2 && minGap >= Interval * 1000 - 5 && worstOffWhole <= 5 &&
                   worstOffTick <= 5 && fileMinGap >= Interval,
               QStringLiteral("no two records closer than %1 s, stamps whole seconds apart")
                   .arg(Interval));
    ok &= goal(records.size() >= 2 && widestGap >= 0 && tooLong.isEmpty(),
               QStringLiteral("no gap longer than the interval plus the longest cycle"));

    for (const QString &n : std::as_const(notes))
        std::printf("  note: %s\n", qPrintable(n));
    if (!started || !notes.isEmpty())
        ok = false;
    std::printf("%s\n", ok ? "All goals met." : "GOALS MISSED (see above).");
    return ok ? 0 : 1;
}
