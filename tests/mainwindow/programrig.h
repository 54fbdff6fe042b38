#pragma once
// What the tests that run the whole program share: the main window wired as the program wires
// it, a home of the test's own, and the settings file the user would have saved for a simulated
// line.
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/pump.h"
#include "platform/serialport.h"

#include <QDir>
#include <QList>
#include <QStandardPaths>
#include <QTemporaryDir>

// The main window wired as the program wires it, without the splash's two seconds.
struct WiredProgram : mdiQLV2 {
    WiredProgram()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};

// A home of the test's own: its documents folder, and a port table of its own (tests run side by
// side).
class TestHome {
public:
    explicit TestHome(const QString &portsApplication)
    {
        qputenv("HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", documents().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(documents() + QStringLiteral("/Marquel/QLV-2/Settings"));
        SerialPortTable::setRegistryApplication(portsApplication);
    }
    bool isValid() const { return m_dir.isValid(); }
    QString documents() const { return m_dir.path() + QStringLiteral("/Documents"); }
    QString settingsFile() const
    {
        return documents() + QStringLiteral("/Marquel/QLV-2/Settings/Qlv2.CFG");
    }
    QString dataFile() const
    {
        return documents() + QStringLiteral("/Marquel/QLV-2/Data/Untitled.csv");
    }

private:
    QTemporaryDir m_dir;
};

struct ControllerSlot {
    int slot;
    const char *type;
    int idno;
    int channels;
};

// Writes the settings file: port 9 at 9600 baud with these controllers, a record every interval
// seconds, logging from the start or not. Then the program's shared state is left as before a
// start, for the program to read the file.
inline bool writeProgramSettings(const QString &path, const QList<ControllerSlot> &devices,
                                 int interval, bool startLog)
{
    using namespace Hoofdmodule;
    ResetToestellen();
    for (const ControllerSlot &d : devices) {
        Toestel[d.slot].Type = QString::fromLatin1(d.type);
        Toestel[d.slot].Idno = d.idno;
        Toestel[d.slot].Kanalen = qint16(d.channels);
    }
    SeriePoort = QStringLiteral("COM9");
    Baudrate = QStringLiteral("9600");
    MeetInterval = interval;
    StartLoggen = startLog;
    LaadBestand = false;
    StartLoggenOpTijd = StopLoggenOpTijd = false;
    const bool written = SchrijfInstellingen(path);
    ResetToestellen();
    SeriePoort = QStringLiteral("COM1");
    StartLoggen = false;
    Pump::setEnding(false);
    ProgrammaStoppen = InstellingenHerladen = LoggenActief = MetenActief = Bezig = false;
    BestandOpCommando = false;
    AantalRijen = 0;
    return written;
}
