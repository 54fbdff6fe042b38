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

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
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

struct ProgramSettings {
    int port = 200;        // COMn bound to the line
    int baud = 38400;
    int interval = 1;      // seconds between records
    bool switchedOn = true; // the controllers polled
    bool logging = true;   // logging from the start, as Data > Log
};

// A settings file naming the simulator's controllers, with their rack windows in rows of eight
// and the table below them.
inline bool writeProgramSettings(const Sim::Simulator &sim, const ProgramSettings &s,
                                 const QString &path)
{
    qint16 english = 0;
    LaadTaal(english);
    ResetToestellen();
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
    Hoofdmodule::SeriePoort = QStringLiteral("COM%1").arg(s.port);
    Hoofdmodule::Baudrate = QString::number(s.baud);
    Hoofdmodule::MeetInterval = s.interval;
    Hoofdmodule::StartLoggen = s.logging;
    Hoofdmodule::LaadBestand = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SchrijfInstellingen(path);
}

// The time stamps of a data file's records, oldest first (the header line left out).
struct Records {
    QList<QDateTime> stamps;
    int unreadable = 0;
};

inline Records readRecords(const QString &path)
{
    Records records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QStringList lines =
        Cp1252::decode(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
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
    }
    return records;
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
