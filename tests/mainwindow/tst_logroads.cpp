#include "boxcloser.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/wiring.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "simulator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};
} // namespace

// Roads into logging that a first hour of use leaves out: a schedule set in File > Settings
// while the program polls, and a line that goes away and comes back.
class TestLogRoads : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;

    QString documents() const { return home.path() + "/Documents"; }
    QString settingsFile() const { return documents() + "/Marquel/QLV-2/Settings/Qlv2.CFG"; }
    QString dataFile() const { return documents() + "/Marquel/QLV-2/Data/Untitled.csv"; }

    // A settings file naming port 9 with one controller on it; the run starts logging or not.
    void writeSettings(bool startLog)
    {
        ResetToestellen();
        Toestel[1].Type = "T512";
        Toestel[1].Idno = 4;
        Toestel[1].Kanalen = 1;
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 1;
        StartLoggen = startLog;
        LaadBestand = false;
        StartLoggenOpTijd = StopLoggenOpTijd = false;
        QVERIFY(SchrijfInstellingen(settingsFile()));
        ResetToestellen();
        SeriePoort = "COM1";
        StartLoggen = false;
        Pump::setEnding(false);
        ProgrammaStoppen = InstellingenHerladen = LoggenActief = MetenActief = Bezig = false;
        AantalRijen = 0;
        QFile::remove(dataFile());
    }

    QStringList dataLines() const
    {
        QFile f(dataFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return Cp1252::decode(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    }

    static QDateTime recordTime(const QString &line)
    {
        return DateTimeText::parse(line.section(QLatin1Char(','), 0, 0).remove(QLatin1Char('"')));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", documents().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
        SerialPortTable::setRegistryApplication("QLV2-PORTS-logroads");
        closeMessageBoxesEvery(boxCloser);
    }

    // A start a few seconds ahead and a stop a few seconds after it, both ticked in File >
    // Settings while polling: the run starts and ends at those times.
    void scheduleSetInTheSettingsDialog()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 4, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings(false);
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        QDateTime start;
        QDateTime stop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &w, [&] {
            frmInstellen *d = frmInstellen::geopend();
            if (!d || !d->isVisible())
                return;
            poll.stop();
            d->CheckStartTijdstip->setChecked(true);
            d->CheckStopTijdstip->setChecked(true);
            d->OKButton_Click();
        });
        QTimer::singleShot(1500, &w, [&] {
            // The times the dialog offers; the user ticks them and presses OK.
            start = QDateTime::currentDateTime().addSecs(3);
            start = start.addMSecs(-start.time().msec());
            stop = start.addSecs(5);
            StartTijd = start;
            StopTijd = stop;
            poll.start(20);
            w.menuItem("mnuFileSettings")->trigger();
        });
        QTimer::singleShot(13000, &w, [&w] { w.mnuFileExit_Click(); });
        w.MDIForm_Load({});

        const QStringList lines = dataLines();
        QVERIFY2(lines.size() >= 4, qPrintable(lines.join('\n')));
        const QDateTime first = recordTime(lines[1]);
        const QDateTime last = recordTime(lines.last());
        QVERIFY2(first >= start && first <= start.addSecs(2),
                 qPrintable(first.toString() + " / " + start.toString()));
        // The stop record lies at the stop time.
        QVERIFY2(last >= stop && last <= stop.addSecs(2),
                 qPrintable(last.toString() + " / " + stop.toString()));
        QVERIFY(!LoggenActief);
    }

    // The line goes away while logging (the run ends with its stop record); the same device
    // comes back under the same port number, and Data > Log logs on without a restart.
    void lineThatComesBackLogsAgain()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 4, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings(true);
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        bool endedWithTheLine = false;
        bool loggingAgain = false;
        qsizetype linesBefore = -1;
        QTimer::singleShot(3000, &w, [&] { sim.hangUp(); });
        QTimer::singleShot(5000, &w, [&] {
            endedWithTheLine = !LoggenActief && !w.poortOpen();
            linesBefore = dataLines().size();
            QVERIFY(sim.start());
            SerialPortTable::bind(9, sim.devicePath());
            dialogs.clear();
            w.menuItem("mnuDatalogging")->trigger();
            loggingAgain = LoggenActief;
        });
        QTimer::singleShot(9000, &w, [&w] { w.mnuFileExit_Click(); });
        w.MDIForm_Load({});

        QVERIFY(endedWithTheLine);
        QVERIFY2(loggingAgain, qPrintable(dialogs.messageTexts().join('|')));
        const QStringList lines = dataLines();
        // Records of the new run after the first run's stop record, and its own stop record.
        QVERIFY2(lines.size() >= linesBefore + 3, qPrintable(lines.join('\n')));
        QVERIFY2(!lines[lines.size() - 2].contains(QStringLiteral("Reading error")),
                 qPrintable(lines[lines.size() - 2]));
    }
};

QTEST_MAIN(TestLogRoads)
#include "tst_logroads.moc"
