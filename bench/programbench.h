#pragma once
// What the benches that run the real program (qlv2, beside them in the build folder) share: a
// home of its own, a settings file naming simulated controllers, the records of its data file,
// its CPU time, and a wait that leaves the cores to the program.
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "simulator.h"
#include "support/language.h"
#include "support/wrappers.h"
#include "xdesktop.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

// A home of the bench's own for the program: its settings, documents and port table stay apart
// from the user's. Made before the application object, which reads the environment.
class ProgramHome {
public:
    ProgramHome()
    {
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (m_home.path() + "/.config").toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", (m_home.path() + "/Documents").toLocal8Bit());
        // The program's lock against a second copy lives in the runtime folder: a private one
        // keeps a copy running elsewhere on the machine from ending the one measured here.
        const QString runtime = m_home.path() + "/runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    // The program's settings file and data file in its default configuration (after the
    // application object exists).
    static QString settingsFile()
    {
        documents();
        return Hoofdmodule::MapDocumenten + "/Marquel/QLV-2/Settings/Qlv2.CFG";
    }
    static QString dataFile()
    {
        documents();
        return Hoofdmodule::MapDocumenten + "/Marquel/QLV-2/Data/Untitled.csv";
    }
    static QString program() { return QCoreApplication::applicationDirPath() + "/qlv2"; }

private:
    static void documents()
    {
        if (Hoofdmodule::MapDocumenten.isEmpty()) {
            QStringList info;
            VerzamelSysteemInfo(info);
        }
    }
    QTemporaryDir m_home;
};

inline const char *const SimulatedModels[] = {"T512", "T542", "T552", "T574", "T578", "T575",
                                             "T5741", "T5781", "T5751"};

// Adds n controllers to the simulator: every model in turn, one to four channels. A T575 or
// T5751 fills its last channel from the second value of every line, so the decoder takes no line
// of a one-channel one and leaves that line on the wire: those get two channels or more, and
// every controller of the set reads.
inline void addControllers(Sim::Simulator &sim, int n)
{
    for (int i = 0; i < n; ++i) {
        const QByteArray model = SimulatedModels[i % 9];
        const int channels = 1 + i % 4;
        sim.add(model, i + 1, model.startsWith("T575") ? std::max(2, channels) : channels);
    }
}

// Starts the simulator with the controllers of the set, all the program's slots, their replies
// paced at the baud rate. False, after saying why, when no pseudo-terminal was left.
inline bool startControllers(Sim::Simulator &sim, int baud)
{
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return false;
    }
    addControllers(sim, MaxToestellen);
    sim.setBaud(baud);
    return true;
}

// The program's environment: on the X server of DISPLAY, or on one the bench starts, the server
// alone (a window manager's own work is no part of the figures). False, after saying why, when
// none could be started.
inline bool programEnvironment(XDesktop &desktop, QProcessEnvironment &env)
{
    env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (!desktop.start(QSize(1920, 1200), false)) {
            std::fprintf(stderr, "%s\n", qPrintable(desktop.error()));
            return false;
        }
        env.insert("DISPLAY", desktop.display());
    }
    return true;
}

struct ProgramSettings {
    int port = 200;        // COMn bound to the line
    int baud = 38400;
    int interval = 1;      // seconds between records
    bool switchedOn = true; // the controllers polled
    bool logging = true;   // logging from the start, as Data > Log
    // Graph windows open below the racks, beside the table, in two columns: graph g shows the
    // first channel of slots 8(g - 1) + 1 to 8g (of those there are) as its lines, with the
    // settings a new graph has.
    int graphs = 0;
};

// The graph windows of the settings: see ProgramSettings::graphs.
inline void addGraphs(int graphs, int controllers)
{
    // Right of the table, clear of it.
    constexpr float Width = 9000, Height = 3500, Top = 4 * 2100, Left = 9600;
    for (int g = 1; g <= std::min(graphs, int(MaxGrafieken)); ++g) {
        GraphSettings &graph = WindowSettings::graph[size_t(g)];
        graph.resetToLoadDefaults(g);
        graph.caption = QStringLiteral("Graph %1").arg(g);
        graph.visible = true;
        graph.LegendeKeuze = true;
        graph.placement.left = Left + Width * float((g - 1) % 2);
        graph.placement.top = Top + Height * float((g - 1) / 2);
        graph.placement.width = Width;
        graph.placement.height = Height;
        int line = 0;
        for (int slot = 8 * (g - 1) + 1; slot <= std::min(8 * g, controllers); ++slot) {
            graph.SchrijfGrafiekLijnRef(++line, 1, qint16(slot));
            graph.SchrijfGrafiekLijnRef(line, 2, 1);
        }
    }
    WindowSettings::table.placement.width = Left - 600;
    WindowSettings::table.placement.height = 2 * Height;
    WindowSettings::mainWindow.width = 28500;
    WindowSettings::mainWindow.height = 17500;
}

// A settings file naming the simulator's controllers, with their rack windows in rows of eight
// and the table below them.
inline bool writeProgramSettings(const Sim::Simulator &sim, const ProgramSettings &s,
                                 const QString &path)
{
    qint16 english = 0;
    LaadTaal(english);
    ResetToestellen();
    WindowSettings::reset();
    int slot = 0;
    for (const auto &c : sim.controllers()) {
        ToestelGegevens &t = Toestel[++slot];
        t.Type = QString::fromLatin1(c->model);
        t.Idno = c->idno;
        t.Kanalen = qint16(c->channels);
        t.Actief = s.switchedOn;
        RackWindowSettings &rack = WindowSettings::rack[size_t(slot)];
        rack.visible = true;
        rack.placement.left = float(((slot - 1) % 8) * 3000);
        rack.placement.top = float(((slot - 1) / 8) * 2100);
        rack.placement.width = 3000;
        rack.placement.height = 2100;
    }
    WindowSettings::table.TabelTonen = true;
    WindowSettings::table.placement = {};
    WindowSettings::table.placement.top = 4 * 2100;
    WindowSettings::table.placement.width = 24000;
    WindowSettings::table.placement.height = 4000;
    WindowSettings::mainWindow.width = 25000;
    WindowSettings::mainWindow.height = 16000;
    if (s.graphs > 0)
        addGraphs(s.graphs, slot);
    Hoofdmodule::SeriePoort = QStringLiteral("COM%1").arg(s.port);
    Hoofdmodule::Baudrate = QString::number(s.baud);
    Hoofdmodule::MeetInterval = s.interval;
    Hoofdmodule::StartLoggen = s.logging;
    Hoofdmodule::LaadBestand = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SchrijfInstellingen(path);
}

// The records of a data file, oldest first (the header line left out).
struct Records {
    QList<QDateTime> stamps;
    int unreadable = 0; // records whose time stamp does not read
    // Per record, in the file's order, the slots (1..) it holds no reading of: a value field of
    // one of the slot's channels left empty, or "Reading error" in its control field. Filled
    // when the channels of each slot are given.
    QList<QList<int>> withoutReading;
};

// The channels of each of the simulator's controllers, in the order of their slots.
inline QList<int> channelsOf(const Sim::Simulator &sim)
{
    QList<int> channels;
    for (const auto &c : sim.controllers())
        channels << c->channels;
    return channels;
}

// channels: the channels of each slot the data file has columns for, in slot order (its language
// loaded, for the text of a failed reading).
inline Records readRecords(const QString &path, const QList<int> &channels = {})
{
    // Per slot: value and unit of every channel, then its control, relays and remarks fields.
    constexpr int SlotFields = 2 * MaxKanalen + 3;
    constexpr int ControlField = 2 * MaxKanalen;
    Records records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QStringList lines =
        Cp1252::decode(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QString readingError = Taaltekst(294);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const QString stamp = line.startsWith(QLatin1Char('"'))
                                  ? line.mid(1, line.indexOf(QLatin1Char('"'), 1) - 1)
                                  : line.section(QLatin1Char(','), 0, 0);
        const QDateTime t = DateTimeText::parse(stamp);
        if (t.isValid())
            records.stamps << t;
        else
            ++records.unreadable;
        if (channels.isEmpty())
            continue;
        // The program writes every field in quotes and keeps quotes out of them.
        const QStringList fields = line.mid(1, line.size() - 2).split(QStringLiteral("\",\""));
        QList<int> without;
        for (qsizetype slot = 0; slot < channels.size(); ++slot) {
            const qsizetype first = 1 + slot * SlotFields;
            bool read = fields.size() >= first + SlotFields
                        && !fields[first + ControlField].contains(readingError);
            for (int k = 0; read && k < channels[slot]; ++k)
                read = !fields[first + 2 * k].trimmed().isEmpty();
            if (!read)
                without << int(slot + 1);
        }
        records.withoutReading << without;
    }
    return records;
}

// How many of the records hold every reading, and the slots that lacked one in any of them; *all
// tells whether every record held every reading.
inline QString readingsText(const Records &records, bool *all)
{
    int whole = 0;
    QList<int> lacking;
    for (const QList<int> &without : records.withoutReading) {
        whole += without.isEmpty();
        for (int slot : without)
            if (!lacking.contains(slot))
                lacking << slot;
    }
    std::sort(lacking.begin(), lacking.end());
    const qsizetype count = records.withoutReading.size();
    *all = count > 0 && whole == count;
    QStringList slotNames;
    for (int slot : lacking)
        slotNames << QString::number(slot);
    return QStringLiteral("%1 of %2 records hold every reading%3")
        .arg(whole)
        .arg(count)
        .arg(lacking.isEmpty() ? QString()
                               : QStringLiteral("; slots without one in some record: %1")
                                     .arg(slotNames.join(QStringLiteral(", "))));
}

// CPU time of a process, in seconds: utime + stime from /proc/<pid>/stat, which keeps the time
// of threads that have already ended (summing /proc/<pid>/task would drop it).
inline double processCpu(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // The command name may hold spaces and parentheses: fields are counted after the last ')'.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3, utime field 14 and stime field 15 (1-based, proc(5)).
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// Context switches of a process, voluntary and not, summed over its threads (those that have
// ended are no longer counted).
inline qint64 processContextSwitches(qint64 pid)
{
    qint64 sum = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(task) + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:")
                || line.startsWith("nonvoluntary_ctxt_switches:"))
                sum += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return sum;
}

// Blocks in the event loop until the time is up: the line and the controllers are served from
// their descriptors meanwhile, and nothing spins.
inline void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The value below which the share p (0..1) of the values lies.
inline double percentile(QList<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[qsizetype(p * double(v.size() - 1))];
}

// The system's 1-minute load average.
inline QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().split(' ').value(0))
                                       : QStringLiteral("unknown");
}
