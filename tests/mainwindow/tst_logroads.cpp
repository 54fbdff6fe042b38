#include "boxcloser.h"
#include "programrig.h"

#include "core/datafilecopies.h"
#include "instruments/connection.h"
#include "instruments/pollloop.h"
#include "mainwindow/settingsdialog.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "simulator.h"
#include "support/language.h"
#include "views/tableedits.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

using namespace Hoofdmodule;

// Roads into logging that a first hour of use leaves out: a schedule set in File > Settings
// while the program polls, and a line that goes away and comes back.
class TestLogRoads : public QObject {
    Q_OBJECT
    TestHome home{QStringLiteral("QLV2-PORTS-logroads")};
    QTimer boxCloser;

    // One controller on port 9; the run starts logging or not.
    void writeSettings(bool startLog)
    {
        QVERIFY(writeProgramSettings(home.settingsFile(), {{1, "T512", 4, 1}}, 1, startLog));
        QFile::remove(home.dataFile());
    }

    // The controller of writeSettings() on a simulated line at port 9.
    static bool startLine(Sim::Simulator &sim)
    {
        if (!sim.start())
            return false;
        sim.add("T512", 4, 1);
        SerialPortTable::bind(9, sim.devicePath());
        return true;
    }

    QStringList dataLines() const
    {
        QFile f(home.dataFile());
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
        closeMessageBoxesEvery(boxCloser);
    }

    // A start a few seconds ahead and a stop a few seconds after it, both ticked in File >
    // Settings while polling: the run starts and ends at those times.
    void scheduleSetInTheSettingsDialog()
    {
        Sim::Simulator sim;
        QVERIFY(startLine(sim));
        writeSettings(false);
        ScriptedDialogProvider dialogs;
        WiredProgram w;
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

    // Data > Log clears the port's buffers, also while a poll's reply lies in the port: that
    // reply is left to its exchange, which reads it, instead of being cut so that its line
    // loses its unit or the controller counts a failed read.
    void bufferClearLeavesTheReplyUnderWay()
    {
        // A simulator of its own process answers while this one is held.
        QProcess sim;
        sim.start(QStringLiteral(QLV2_BINARY_DIR "/tools/instrument-sim/instrument-sim"),
                  {QStringLiteral("--controller"), QStringLiteral("T512:4:1"),
                   QStringLiteral("--run"), QStringLiteral("value 4 1 6.85 pH")});
        QVERIFY2(sim.waitForReadyRead(10000), "the simulator printed no device path");
        SerialPortTable::bind(9, QString::fromLocal8Bit(sim.readLine().trimmed()));
        writeSettings(false);
        ScriptedDialogProvider dialogs;
        WiredProgram w;
        InstrumentConnection &line = InstrumentConnection::current();
        QTimer driver;
        bool cleared = false;
        int mostErrors = 0;
        connect(&driver, &QTimer::timeout, &w, [&] {
            mostErrors = qMax(mostErrors, int(Toestel[1].FoutTeller));
            if (cleared || !ReplyAwaited() || !line.BufferRS232.isEmpty())
                return;
            // The reply comes while the program is held; then the buffers are cleared.
            cleared = true;
            ::usleep(300'000);
            w.WissenBuffersComm();
        });
        QTimer::singleShot(500, &w, [&driver] { driver.start(0); });
        QTimer::singleShot(4000, &w, [&w] { w.mnuFileExit_Click(); });
        w.MDIForm_Load({});
        sim.kill();
        sim.waitForFinished();

        QVERIFY(cleared);
        QCOMPARE(mostErrors, 0);
        QCOMPARE(Toestel[1].Kanaal[1].Waarde + Toestel[1].Kanaal[1].Eenheid, QStringLiteral("6.85pH"));
    }

    // The line goes away while logging (the run ends with its stop record); the same device
    // comes back under the same port number, and Data > Log logs on without a restart.
    void lineThatComesBackLogsAgain()
    {
        Sim::Simulator sim;
        QVERIFY(startLine(sim));
        writeSettings(true);
        ScriptedDialogProvider dialogs;
        WiredProgram w;
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

    // A remark waits in the working copy of the logged run, and another program then changes
    // the data file's start. Data > Log asks about the edits; Yes keeps them in a data file of
    // their own, logging starts in the data file, and nothing is left pending: the program
    // closes without another question.
    void logAfterEditsTheDataFileCannotTake()
    {
        Sim::Simulator sim;
        QVERIFY(startLine(sim));
        writeSettings(true);
        const QString data = home.dataFile();
        const QString kept = QFileInfo(data).path() + QStringLiteral("/Untitled (edited).csv");
        QFile::remove(kept);
        ScriptedDialogProvider dialogs;
        WiredProgram w;
        bool remarked = false;
        QStringList told;
        bool loggingAgain = false;
        bool pending = true;
        qsizetype linesBefore = -1;
        QTimer::singleShot(3000, &w, [&] {
            w.menuItem("mnuDatalogging")->trigger(); // the run ends
            remarked = BewaarOpmerking(0, 1, QStringLiteral("checked"));
            QFile file(data);
            if (file.open(QIODevice::ReadWrite))
                file.write("\"Tijd\"");
            file.close();
            linesBefore = dataLines().size();
            dialogs.clear();
            dialogs.answerMessage(MsgBox::Yes);
            w.menuItem("mnuDatalogging")->trigger();
            told = dialogs.messageTexts();
            loggingAgain = LoggenActief;
            pending = QFile::exists(WerkkopieNaam(data));
        });
        QTimer::singleShot(6000, &w, [&] {
            dialogs.clear();
            w.mnuFileExit_Click();
        });
        w.MDIForm_Load({});

        QVERIFY(remarked);
        QString keptText = Taaltekst(523);
        keptText.replace("##", kept).replace("#", data);
        QCOMPARE(told, (QStringList{Taaltekst(424), keptText}));
        QVERIFY(loggingAgain);
        QVERIFY(!pending);
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join('|')));
        const QStringList lines = dataLines();
        QVERIFY(lines.first().startsWith(QStringLiteral("\"Tijd\"")));
        QVERIFY2(lines.size() >= linesBefore + 2, qPrintable(lines.join('\n')));
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        const QStringList keptLines = Cp1252::decode(keptFile.readAll()).split("\r\n");
        QVERIFY(keptLines.first().startsWith(QStringLiteral("\"Time\"")));
        QVERIFY2(keptLines.value(1).endsWith(QStringLiteral("\"checked\"")),
                 qPrintable(keptLines.value(1)));
    }
};

QTEST_MAIN(TestLogRoads)
#include "tst_logroads.moc"
