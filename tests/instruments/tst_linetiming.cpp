// A real line's timing: replies paced at the baud rate, a controller whose reply the decoder
// gives up on before its end, and a program held busy past the reply wait. A reply belongs to
// the frame it answers.
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/clock.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "simline.h"

#include <QProcess>
#include <QtTest>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {

struct Healthy {
    int slot;
    const char *model;
    int channels;
};

void resetLoop()
{
    ResetToestellen();
    MetenActief = LoggenActief = Bezig = false;
    ProgrammaStoppen = InstellingenHerladen = StartLoggen = false;
    CyclusRond = CyclusVoltooid = false;
    AantalRijen = 0;
}

QString instrumentSim() { return QStringLiteral(QLV2_BINARY_DIR "/tools/instrument-sim/instrument-sim"); }

} // namespace

class TestLineTiming : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        pollHooks() = PollHooks();
        resetLoop();
        Baudrate = QStringLiteral("9600");
    }

    // Beside a controller whose reply the decoder gives up on before its last line is on the
    // wire (a one-channel T5751, never read), or one that sends a line more than its channels
    // take, every other controller reads in every cycle: the next frame waits for the rest of
    // that reply to pass instead of taking it for its own answer.
    void healthyControllersReadEveryCycle_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("lineTooMany");
        for (int baud : {9600, 38400}) {
            QTest::addRow("rejected at its first line, %d baud", baud) << baud << false;
            QTest::addRow("a line too many, %d baud", baud) << baud << true;
        }
    }
    void healthyControllersReadEveryCycle()
    {
        QFETCH(int, baud);
        QFETCH(bool, lineTooMany);
        resetLoop();
        SimLine s(27);
        QVERIFY(s.open());
        InstrumentConnection::current().MSComm1.setSettings(QStringLiteral("%1,N,8,1").arg(baud));
        Baudrate = QString::number(baud);
        s.sim.setBaud(baud);

        Sim::Controller &odd = s.sim.add("T5751", 9, lineTooMany ? 2 : 1);
        configureSlot(9, "T5751", 9, lineTooMany ? 2 : 1);
        if (lineTooMany)
            odd.rawReply = odd.normalReply() + odd.channelLines().constFirst();
        const QList<Healthy> healthy{
            {10, "T512", 1}, {11, "T542", 2}, {12, "T552", 1}, {19, "T512", 1}};
        for (const Healthy &d : healthy) {
            Sim::Controller &c = s.sim.add(d.model, d.slot, d.channels);
            c.channel[0].value = QByteArray::number(d.slot) + ".25";
            configureSlot(d.slot, d.model, d.slot, d.channels);
        }

        // What each slot showed at the end of its turn, cycle by cycle.
        int cycles = 0;
        QStringList misread;
        QMap<int, int> read;
        wirePollLoopToLine();
        PollHooks &h = pollHooks();
        h.showReading = [&](int slot) {
            if (slot == 9)
                return;
            const ToestelGegevens &t = Toestel[slot];
            const QString expected = QString::number(slot) + QStringLiteral(".25");
            if (t.FoutTeller != 0 || t.Kanaal[1].Waarde != expected)
                misread << QStringLiteral("cycle %1: #%2 errors %3 value '%4'")
                               .arg(cycles)
                               .arg(slot)
                               .arg(t.FoutTeller)
                               .arg(t.Kanaal[1].Waarde);
            else
                ++read[slot];
        };
        h.cycleEnded = [&] {
            if (++cycles > 4)
                ProgrammaStoppen = true;
        };
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, [] { ProgrammaStoppen = true; });
        giveUp.start(60000);
        StartenMeten();
        QVERIFY2(cycles > 4, "the loop stopped before its cycles were done");
        QVERIFY2(misread.isEmpty(), qPrintable(misread.join(QLatin1Char('\n'))));
        for (const Healthy &d : healthy)
            QVERIFY2(read.value(d.slot) >= 4, qPrintable(QStringLiteral("#%1 read %2 times")
                                                             .arg(d.slot)
                                                             .arg(read.value(d.slot))));
        // Each healthy controller got one frame a cycle: none had to be sent again.
        for (const Healthy &d : healthy)
            QCOMPARE(s.sim.find(d.slot)->frames.size(), read.value(d.slot));
    }

    // The program held busy (a long print, a big file read) past the reply wait, while the
    // reply lies whole in the port, or its channel lines do: what the first look after the
    // stall finds counts as come in time.
    void lateLookIsNoTimeOut_data()
    {
        QTest::addColumn<bool>("afterAck");
        QTest::newRow("whole reply in the port") << false;
        QTest::newRow("channel lines in the port") << true;
    }
    void lateLookIsNoTimeOut()
    {
        QFETCH(bool, afterAck);
        resetLoop();
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-linetiming"));
        // A simulator of its own process answers while this one is held.
        QProcess sim;
        QStringList args{QStringLiteral("--controller"), QStringLiteral("T542:12:2")};
        if (afterAck)
            args << QStringLiteral("--run") << QStringLiteral("mode 12 late")
                 << QStringLiteral("--run") << QStringLiteral("late 12 300");
        sim.start(instrumentSim(), args);
        QVERIFY2(sim.waitForReadyRead(10000), "the simulator printed no device path");
        SerialPortTable::bind(28, QString::fromLocal8Bit(sim.readLine().trimmed()));
        InstrumentConnection &line = InstrumentConnection::current();
        line.MSComm1.setPortNumber(28);
        QVERIFY(line.MSComm1.open());
        configureSlot(1, "T542", 12, 2);
        Toestel[1].FoutTeller = 0;

        sendFrameNow(1, Protocol::PollCommando[1]);
        expectReply(1);
        ReadResult result = ReadResult::Waiting;
        if (afterAck) {
            // The acknowledgment is read on time; the lines come 300 ms later.
            QTRY_VERIFY_WITH_TIMEOUT(line.BufferRS232.contains("<?"), 1000);
            QCOMPARE(result = tryReadReading(1), ReadResult::Waiting);
        }
        // Held well past the 1.5 s wait, then the event loop runs again.
        ::usleep(2'200'000);
        while ((result = tryReadReading(1)) == ReadResult::Waiting)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        line.MSComm1.close();
        SerialPortTable::unbind(28);
        sim.kill();
        sim.waitForFinished();
        QCOMPARE(result, ReadResult::Counted);
        QCOMPARE(Toestel[1].FoutTeller, 0);
        QCOMPARE(Toestel[1].Kanaal[1].Waarde, QStringLiteral("0.00"));
    }

    // Readings are stamped when their bytes came, not when the reply was judged whole: a
    // controller sending its lines late is stamped at its acknowledgment, as the decoder takes
    // the time right after it.
    void readingStampedWhenItsBytesCame()
    {
        resetLoop();
        SimLine s(30);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T542", 12, 1);
        c.behaviour = Sim::Behaviour::Late;
        c.lateMs = 200;
        configureSlot(1, "T542", 12, 1);
        sendFrameNow(1, Protocol::PollCommando[1]);
        expectReply(1);
        QTRY_VERIFY_WITH_TIMEOUT(InstrumentConnection::current().BufferRS232.contains("<?"), 1000);
        const QDateTime ackCame = s.clock.now();
        // The clock moves on before the lines come.
        s.clock.timerReached(s.clock.monotonicMs() + 1000);
        ReadResult result = ReadResult::Waiting;
        while ((result = tryReadReading(1)) == ReadResult::Waiting)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(result, ReadResult::Counted);
        QCOMPARE(Toestel[1].Kanaal[1].Tijdstip, ackCame);
    }

    // A frame waits for a quiet line, and a line that never falls quiet holds it at most one
    // reply time-out; bytes that came before the frame are dropped.
    void frameWaitsForAQuietLine()
    {
        resetLoop();
        SimLine s(31);
        QVERIFY(s.open());
        InstrumentConnection &line = InstrumentConnection::current();
        Sim::Controller &c = s.sim.add("T512", 5, 1);
        configureSlot(1, "T512", 5, 1);
        // Unasked text keeps coming, paced at the line's speed: three seconds of it. The port is
        // set slower than that, so that even a busy machine's pauses between the bytes stay
        // far below the quiet gap.
        line.MSComm1.setSettings(QStringLiteral("300,N,8,1"));
        s.sim.setBaud(9600);
        s.sim.transmit({QByteArray(2900, 'x') + "\r\n"});
        QTRY_VERIFY_WITH_TIMEOUT(line.MSComm1.inBufferCount() > 0 || !line.BufferRS232.isEmpty(),
                                 1000);
        QElapsedTimer held;
        held.start();
        ZendCommando(1, Protocol::PollCommando[1]);
        const qint64 heldMs = held.elapsed();
        QVERIFY2(heldMs >= 1400 && heldMs < 2500, qPrintable(QString::number(heldMs)));
        QCOMPARE(line.BufferRS232, QByteArray());
        line.MSComm1.setSettings(QStringLiteral("9600,N,8,1"));
        // Once quiet, a frame goes at once.
        QTRY_VERIFY_WITH_TIMEOUT(!s.sim.transmitting(), 5000);
        QTest::qWait(50);
        held.restart();
        ZendCommando(1, Protocol::PollCommando[1]);
        QVERIFY2(held.elapsed() < 50, qPrintable(QString::number(held.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(c.frames.size(), 2, 2000);
    }
};

QTEST_GUILESS_MAIN(TestLineTiming)
#include "tst_linetiming.moc"
