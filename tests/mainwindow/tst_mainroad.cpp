#include "core/conversions.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "simulator.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

// The program's whole road, offscreen, against simulated controllers on a pseudo-terminal:
// start-up reads a settings file naming the line, polls three controllers (one silent), logs a
// record every two seconds and ends with the stop record when it is closed.
class TestMainRoad : public QObject {
    Q_OBJECT
    QTemporaryDir home;

    QString documents() const { return home.path() + "/Documents"; }
    QString settingsFolder() const { return documents() + "/Marquel/QLV-2/Settings"; }
    QString dataFile() const { return documents() + "/Marquel/QLV-2/Data/Untitled.csv"; }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", documents().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(settingsFolder());
        SerialPortTable::setRegistryApplication("QLV2-PORTS-mainroad");
    }

    void logsRecordsAndStopRecord()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &ph = sim.add("T542", 12, 2);
        ph.channel[0].value = "7.02";
        ph.channel[0].unit = "pH";
        ph.channel[1].value = "25.4";
        ph.channel[1].unit = "\xf8" "C";
        Sim::Controller &cond = sim.add("T5781", 20, 1);
        cond.channel[0].value = "1.234";
        cond.channel[0].unit = "mS";
        Sim::Controller &quiet = sim.add("T512", 3, 1);
        quiet.behaviour = Sim::Behaviour::Silent;
        SerialPortTable::bind(9, sim.devicePath());

        // The settings file the user would have saved: port 9, the three controllers, a record
        // every two seconds, logging from the start.
        ResetToestellen();
        const struct {
            int slot;
            const char *type;
            int idno;
            int channels;
        } devices[] = {{1, "T542", 12, 2}, {2, "T5781", 20, 1}, {3, "T512", 3, 1}};
        for (const auto &d : devices) {
            Toestel[d.slot].Type = d.type;
            Toestel[d.slot].Idno = d.idno;
            Toestel[d.slot].Kanalen = qint16(d.channels);
            Toestel[d.slot].Naam = QStringLiteral("Unit %1").arg(d.idno);
        }
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 2;
        StartLoggen = true;
        LaadBestand = false;
        QVERIFY(SchrijfInstellingen(settingsFolder() + "/Qlv2.CFG"));
        ResetToestellen();
        SeriePoort = "COM1";
        StartLoggen = false;

        ScriptedDialogProvider dialogs;
        mdiQLV2 window;
        KoppelHoofdvenster(window);
        window.setShowSplash(false);
        QTimer::singleShot(14000, &window, [&window] { window.mnuFileExit_Click(); });
        window.MDIForm_Load({});

        QFile file(dataFile());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(dataFile()));
        const QStringList lines = Cp1252::decode(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY2(lines.size() >= 4, qPrintable(lines.join('\n')));
        QVERIFY(lines[0].startsWith("\"Time\",\"Value CH1\",\"Unit CH1\""));
        const QString record = lines[lines.size() - 2];
        QVERIFY2(record.contains("\"7.02\",\"pH\",\"25.4\",\"\u00b0C\""), qPrintable(record));
        QVERIFY2(record.contains("\"1.234\",\"mS\""), qPrintable(record));
        QVERIFY2(record.contains("\"Reading error\""), qPrintable(record));
        // The stop record: the time, then no values.
        const QString stop = lines.last();
        QVERIFY2(!stop.contains("7.02") && !stop.contains("Reading error"), qPrintable(stop));
        QCOMPARE(stop.count(','), lines[0].count(','));
        QVERIFY(!LoggenActief);
        QVERIFY(window.isUnloaded());
        // The poll frames reached the controllers.
        QVERIFY(!ph.frames.isEmpty());
        QVERIFY(!cond.frames.isEmpty());
    }
};

QTEST_MAIN(TestMainRoad)
#include "tst_mainroad.moc"
