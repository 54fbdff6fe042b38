// Simulated controllers on a pseudo-terminal, for demonstrations and end-to-end runs.
//
//   instrument-sim --controller T542:12:2 --controller T5781:3:4 [--bind 3] [--link PATH]
//                  [--script FILE] [--run LINE]... [--demo-settings PATH] [--wander] [--baud 9600]
//   instrument-sim --default-settings-path
//
// Prints the device path, then runs the commands of the script file, the lines given with --run
// and the lines read from standard input (the language is described in script.h).
#include "script.h"
#include "simulator.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/wrappers.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTimer>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

const char *const models[] = {"T512", "T542", "T552", "T574", "T578", "T575",
                              "T5741", "T5781", "T5751"};

bool knownModel(const QByteArray &m)
{
    for (const char *k : models)
        if (m == k)
            return true;
    return false;
}

void report(const QString &text)
{
    if (!text.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::fflush(stderr);
    }
}

// The settings file the program reads in its default configuration.
QString defaultSettingsPath()
{
    QStringList args;
    VerzamelSysteemInfo(args);
    return Hoofdmodule::MapDocumenten + QStringLiteral("/Marquel/QLV-2/Settings/Qlv2.CFG");
}

// A settings file naming the simulated line and its controllers, so that the program polls
// them at its first start. Racks are laid out side by side and the table below them.
bool writeDemoSettings(const Sim::Simulator &sim, int port, const QString &path)
{
    qint16 english = 0;
    LaadTaal(english);
    ResetToestellen();
    int slot = 0;
    for (const auto &c : sim.controllers()) {
        if (++slot > MaxToestellen)
            break;
        ToestelGegevens &t = Toestel[slot];
        t.Type = QString::fromLatin1(c->model);
        t.Idno = c->idno;
        t.Kanalen = qint16(c->channels);
        t.Naam = QStringLiteral("%1 #%2").arg(t.Type).arg(c->idno, 3, 10, QLatin1Char('0'));
        RackWindowSettings &rack = WindowSettings::rack[size_t(slot)];
        rack.visible = true;
        rack.placement.left = float(((slot - 1) % 4) * 4000);
        rack.placement.top = float(((slot - 1) / 4) * 2800);
        rack.placement.width = 3900;
        rack.placement.height = 2700;
    }
    WindowSettings::table.TabelTonen = true;
    WindowSettings::table.placement.top = float(((slot + 3) / 4) * 2800);
    WindowSettings::table.placement.left = 0;
    WindowSettings::table.placement.width = 15900;
    WindowSettings::table.placement.height = 4500;
    WindowSettings::mainWindow.width = 16500;
    WindowSettings::mainWindow.height = 12500;
    Hoofdmodule::SeriePoort = QStringLiteral("COM%1").arg(port);
    Hoofdmodule::Baudrate = QStringLiteral("9600");
    Hoofdmodule::MeetInterval = 5;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SchrijfInstellingen(path);
}

// Lets the values drift a little each second, so a demonstration looks alive.
void wander(Sim::Simulator &sim)
{
    auto *rng = QRandomGenerator::global();
    for (const auto &c : sim.controllers())
        for (int k = 0; k < c->channels; ++k) {
            Sim::Channel &ch = c->channel[size_t(k)];
            bool ok = false;
            const double v = ch.value.toDouble(&ok);
            if (!ok)
                continue;
            const double step = (rng->generateDouble() - 0.5) * 0.02 * (qAbs(v) + 1.0);
            const int decimals = ch.value.contains('.') ? int(ch.value.size() - ch.value.indexOf('.') - 1) : 0;
            ch.value = QByteArray::number(v + step, 'f', decimals);
        }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("instrument-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated measurement controllers on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("controller"),
                      QStringLiteral("A controller: model code, identification number and "
                                     "channels, e.g. T542:12:2 (repeatable)."),
                      QStringLiteral("model:idno:channels")});
    parser.addOption({QStringLiteral("bind"),
                      QStringLiteral("Bind port number n (COMn) to the pseudo-terminal."),
                      QStringLiteral("n")});
    parser.addOption({QStringLiteral("link"),
                      QStringLiteral("Also make a symbolic link to the pseudo-terminal."),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("script"),
                      QStringLiteral("Run the commands of a file at start."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("run"),
                      QStringLiteral("Run a command line at start, after the script (repeatable)."),
                      QStringLiteral("line")});
    parser.addOption({QStringLiteral("demo-settings"),
                      QStringLiteral("Write a settings file naming the bound port and these "
                                     "controllers, unless the file exists."),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("default-settings-path"),
                      QStringLiteral("Print the program's default settings file and stop.")});
    parser.addOption({QStringLiteral("wander"),
                      QStringLiteral("Let the values drift a little every second.")});
    parser.addOption({QStringLiteral("baud"),
                      QStringLiteral("Send the replies at this line speed, 10 bits a byte, as a "
                                     "real line does (default: each reply at once)."),
                      QStringLiteral("bits per second")});
    parser.process(app);

    if (parser.isSet(QStringLiteral("default-settings-path"))) {
        std::printf("%s\n", qPrintable(defaultSettingsPath()));
        return 0;
    }

    Sim::Simulator sim;
    for (const QString &given : parser.values(QStringLiteral("controller"))) {
        const QStringList p = given.split(':');
        const QByteArray model = p.value(0).toLatin1();
        const int idno = p.value(1).toInt();
        const int channels = p.value(2, QStringLiteral("1")).toInt();
        if (!knownModel(model) || idno < 1 || idno > 999 || channels < 1 || channels > 4) {
            std::fprintf(stderr, "bad controller: %s\n", qPrintable(given));
            return 2;
        }
        sim.add(model, idno, channels);
    }
    if (sim.controllers().empty())
        sim.add("T542", 1, 2);
    if (parser.isSet(QStringLiteral("baud"))) {
        bool ok = false;
        const int baud = parser.value(QStringLiteral("baud")).toInt(&ok);
        if (!ok || baud < 0) {
            std::fprintf(stderr, "baud: a number of bits per second, 0 for no pacing\n");
            return 2;
        }
        sim.setBaud(baud);
    }
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 1;
    }
    std::printf("%s\n", qPrintable(sim.devicePath()));
    std::fflush(stdout);

    const QString link = parser.value(QStringLiteral("link"));
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(sim.devicePath(), link))
            std::fprintf(stderr, "cannot link %s\n", qPrintable(link));
    }
    if (parser.isSet(QStringLiteral("bind"))) {
        const int n = parser.value(QStringLiteral("bind")).toInt();
        if (n < 1 || n > 255) {
            std::fprintf(stderr, "port number 1..255\n");
            return 2;
        }
        SerialPortTable::bind(n, link.isEmpty() ? sim.devicePath() : link);
        const QString demo = parser.value(QStringLiteral("demo-settings"));
        if (!demo.isEmpty() && !QFile::exists(demo) && !writeDemoSettings(sim, n, demo))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(demo));
    }
    QTimer wanderTimer;
    if (parser.isSet(QStringLiteral("wander"))) {
        QObject::connect(&wanderTimer, &QTimer::timeout, [&sim] { wander(sim); });
        wanderTimer.start(1000);
    }

    if (parser.isSet(QStringLiteral("script"))) {
        QFile f(parser.value(QStringLiteral("script")));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
            return 2;
        }
        while (!f.atEnd())
            report(Sim::runScriptLine(sim, f.readLine().trimmed(), report));
    }
    for (const QString &given : parser.values(QStringLiteral("run")))
        report(Sim::runScriptLine(sim, given.toLatin1().trimmed(), report));

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false); // standard input closed: keep serving
            return;
        }
        pending.append(buffer, qsizetype(n));
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            report(Sim::runScriptLine(sim, pending.left(end).trimmed(), report));
            pending.remove(0, end + 1);
        }
    });
    return app.exec();
}
