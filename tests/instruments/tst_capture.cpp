#include "core/shared.h"
#include "core/slots.h"
#include "instruments/capture.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/pollloop.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "simline.h"
#include "support/language.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

// Capturing what a controller sends by itself into a text file, over a pseudo-terminal with the
// simulated controller.
class TestCapture : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    int runs = 0;

    QString file() const { return folder.path() + "/capture.txt"; }

    // The menu command's loop: runs again while the flag stays set.
    void capture(const QString &name)
    {
        runs = 0;
        TransferActief = true;
        do {
            ++runs;
            OpvangenDataTransfer(name);
        } while (TransferActief && runs < 5);
    }

    // Closes the wait window once the text box shows the piece.
    void closeWhenShown(QObject &context, const QString &piece, const std::function<void()> &after)
    {
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context,
                [piece, after] {
                    if (FormDataTransfer::instance().TextActie()->toPlainText().contains(piece))
                        QTimer::singleShot(0, [after] {
                            FormDataTransfer::instance().close();
                            if (after)
                                after();
                        });
                });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        qint16 english = 0;
        LaadTaal(english);
        // The serial tests' clock moves on only while nothing happens: the animation stands.
        QMovie *movie = FormDataTransfer::instance().movie();
        connect(movie, &QMovie::started, movie, [movie] { movie->setPaused(true); });
    }
    void init()
    {
        QFile::remove(file());
        TransferActief = false;
    }
    void cleanup() { FormDataTransfer::instance().Sluiten(); }

    // Measuring switched off while a reply comes in at 300 baud: the exchange under way ends as
    // it would (its reply is read and counts, and no frame follows it), unless a capture takes
    // the line over at once: then none of that reply's bytes reach the capture.
    void measuringOffMidReply_data()
    {
        QTest::addColumn<bool>("captureAtOnce");
        QTest::newRow("the reply is read") << false;
        QTest::newRow("a capture at once") << true;
    }
    void measuringOffMidReply()
    {
        QFETCH(bool, captureAtOnce);
        SimLine s(33);
        QVERIFY(s.open());
        // Line-speed times: the system's clock.
        Clock::install(nullptr);
        InstrumentConnection &line = InstrumentConnection::current();
        line.MSComm1.setSettings(QStringLiteral("300,N,8,1"));
        Baudrate = QStringLiteral("300");
        s.sim.setBaud(300);
        Sim::Controller &c = s.sim.add("T542", 12, 2);
        c.channel[0].value = "7.77";
        ResetToestellen();
        configureSlot(1, "T542", 12, 2);
        wirePollLoopToLine();
        ProgrammaStoppen = false;

        QObject context;
        QTimer driver;
        int step = 0;
        qsizetype framesAtOff = -1;
        connect(&driver, &QTimer::timeout, &context, [&] {
            if (step == 0 && ReplyAwaited() && line.BufferRS232.contains("<?")) {
                step = 1;
                StartStopMeten();
                framesAtOff = c.frames.size();
                if (!captureAtOnce)
                    return;
                QTimer::singleShot(0, &context, [&] {
                    closeWhenShown(context, "HELLO", {});
                    OpvragenGehouden lineTaken;
                    TakeOverLine();
                    s.sim.sendText({"HELLO WORLD"});
                    capture(file());
                    ProgrammaStoppen = true;
                });
            } else if (step == 1 && !captureAtOnce && !ReplyAwaited()) {
                step = 2;
                QTimer::singleShot(1000, &context, [] { ProgrammaStoppen = true; });
            }
        });
        driver.start(10);
        QTimer::singleShot(30000, &context, [] { ProgrammaStoppen = true; });
        StartenMeten();
        driver.stop();
        pollHooks() = PollHooks();
        MetenActief = false;
        Baudrate = QStringLiteral("9600");

        QCOMPARE(c.frames.size(), framesAtOff);
        if (captureAtOnce) {
            QCOMPARE(readAll(file()), QByteArray("HELLO WORLD\r\n"));
            // Cut short by the capture: not counted against the controller.
            QCOMPARE(Toestel[1].FoutTeller, 0);
        } else {
            QCOMPARE(step, 2);
            QCOMPARE(Toestel[1].Kanaal[1].Waarde, QStringLiteral("7.77"));
            QCOMPARE(Toestel[1].FoutTeller, 0);
        }
    }

    // Every byte of the line as it came, NUL and 255 left out and the instrument's signs
    // mapped once, after what the file held; the text box shows the line unmapped.
    void linesWrittenByteForByte()
    {
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        {
            QFile old(file());
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier capture\r\n");
        }
        QObject context;
        const QList<QByteArray> lines = {QByteArray("pH 7.02\0 end", 12), "\f", "",
                                         "  25.1 \xf8" "C\xff  ", "\xb5S/cm \xe6S"};
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText(lines); });
        closeWhenShown(context, "S/cm", nullptr);
        capture(file());

        QCOMPARE(runs, 1);
        QVERIFY(!TransferActief);
        QVERIFY(dialogs.requests().isEmpty());
        QCOMPARE(readAll(file()), QByteArray("earlier capture\r\n"
                                             "pH 7.02 end\r\n"
                                             "\f\r\n"
                                             "\r\n"
                                             "  25.1 \xb0" "C  \r\n"
                                             "\xb5S/cm \xb5S\r\n"));
        const FormDataTransfer &w = FormDataTransfer::instance();
        QCOMPARE(w.windowTitle(), Taaltekst(263));
        QVERIFY(w.LabelActie()->text().endsWith(Taaltekst(305)));
        QCOMPARE(int(w.VideoNr), 101);
        QCOMPARE(TransferRegelBytes(QByteArray("25.1 \xf8" "C\r\n")),
                 QByteArray("25.1 \xb0" "C\r\n"));
    }

    // Closed while nothing comes: the capture ends within one reply time-out, and a line that
    // arrives as the window closes is not written.
    void closingEndsIt()
    {
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        QObject context;
        qint64 closedAt = -1;
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText({"first"}); });
        closeWhenShown(context, "first", [&] {
            closedAt = s.clock.monotonicMs();
            s.sim.sendText({"too late"});
        });
        capture(file());
        QCOMPARE(runs, 1);
        QVERIFY(closedAt >= 0);
        QVERIFY(s.clock.monotonicMs() - closedAt <= 1500);
        QCOMPARE(readAll(file()), QByteArray("first\r\n"));

        // Closed with the line silent.
        QFile::remove(file());
        context.disconnect();
        disconnect(FormDataTransfer::instance().TextActie(), nullptr, &context, nullptr);
        QTimer::singleShot(0, &context, [&] {
            closedAt = s.clock.monotonicMs();
            FormDataTransfer::instance().close();
        });
        capture(file());
        QCOMPARE(runs, 1);
        QVERIFY(s.clock.monotonicMs() - closedAt <= 1500);
        QVERIFY(!FormDataTransfer::instance().Geladen());
    }

    // A file that cannot be opened (a folder of that name) or a line that goes: one message,
    // and no new run.
    void endsWhenItCannotGoOn_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::addColumn<bool>("startsWith152");
        QTest::newRow("a folder of the file's name") << true << false;
        QTest::newRow("hang-up mid-capture") << false << true;
    }
    void endsWhenItCannotGoOn()
    {
        QFETCH(bool, folderInTheWay);
        QFETCH(bool, startsWith152);
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        const QString name = folderInTheWay ? folder.path() + "/folder.txt" : file();
        if (folderInTheWay)
            QVERIFY(QDir().mkpath(name));
        QObject context;
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText({"one", "two"}); });
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context,
                [&] {
                    if (FormDataTransfer::instance().TextActie()->toPlainText().contains("two"))
                        QTimer::singleShot(0, &s.sim, [&] { s.sim.hangUp(); });
                });
        capture(name);
        QCOMPARE(runs, 1);
        QVERIFY(!TransferActief);
        QVERIFY(!FormDataTransfer::instance().Geladen());
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(dialogs.messageTexts()[0].startsWith(Taaltekst(152)), startsWith152);
        if (!folderInTheWay)
            QCOMPARE(readAll(name), QByteArray("one\r\ntwo\r\n"));
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
