#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/pump.h"
#include "simline.h"

#include <QtTest>

namespace {
InstrumentConnection &line() { return InstrumentConnection::current(); }

// Lets the simulator take what was sent.
bool simulatorGot(Sim::Simulator &sim, int frames)
{
    return Pump::until([&] { return sim.frames().size() >= frames; }, 5000);
}
} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void init() { Hoofdmodule::Baudrate = "9600"; }

    // What the controller receives, byte for byte, and what the checksum was computed over.
    void framesOnTheLine_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("summed");
        for (const char *m : {"T512", "T542", "T552", "T574", "T578", "T575"})
            QTest::newRow(m) << QByteArray(m) << QByteArray("#007\t>?\r\n")
                             << QByteArray("#007\t>?");
        for (const char *m : {"T5741", "T5781", "T5751"})
            QTest::newRow(m) << QByteArray(m) << QByteArray("#007\t>?}\r\n") << QByteArray(">?");
    }
    void framesOnTheLine()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, summed);
        SimLine s(21);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add(model, 7, 1);
        c.behaviour = Sim::Behaviour::Silent;
        configureSlot(1, model, 7, 1);

        QList<QByteArray> echoed;
        QMetaObject::Connection echo = connect(&line(), &InstrumentConnection::sent,
                                               [&](const QByteArray &f) { echoed << f; });
        Hoofdmodule::ToonCodeZenden = true;
        ZendCommando(1, ">?");
        Hoofdmodule::ToonCodeZenden = false;
        disconnect(echo);

        QVERIFY(simulatorGot(s.sim, 1));
        QCOMPARE(s.sim.frames().first(), bytes);
        QCOMPARE(Transport::LaatsteCommando[1], summed);
        QCOMPARE(line().Commando, QByteArray("#007\t>?"));
        QCOMPARE(int(line().AantalbytesUIT), 7);
        QCOMPARE(int(Transport::VerzondenTekens), bytes.size());
        // The terminal sees the frame without its checksum byte.
        QCOMPARE(echoed, QList<QByteArray>{QByteArray("#007\t>?\r\n")});
    }

    // NUL and 255 are line noise; blanks are part of the reply.
    void receivedBytesKeepBlanks()
    {
        SimLine s(21);
        QVERIFY(s.open());
        QList<QByteArray> echoed;
        QMetaObject::Connection echo = connect(&line(), &InstrumentConnection::received,
                                               [&](const QByteArray &b) { echoed << b; });
        Hoofdmodule::ToonCodeOntvangen = true;
        s.sim.send(QByteArray("#001\t 7.0") + '\0' + '\xff' + " 5\r\n#001\t<?\r\n");
        QByteArray reply;
        WachtOpAntwoord(reply, "<?\r\n", 0);
        Hoofdmodule::ToonCodeOntvangen = false;
        disconnect(echo);
        QCOMPARE(reply, QByteArray("#001\t 7.0 5\r\n#001\t<?\r\n"));
        QVERIFY(line().BufferRS232.isEmpty());
        QCOMPARE(echoed.join(), reply);
    }

    void onlyTheFirstReplyIsTaken()
    {
        SimLine s(21);
        QVERIFY(s.open());
        s.sim.send("A<?\r\nB<?\r\n");
        QByteArray first;
        WachtOpAntwoord(first, "<?\r\n", 0);
        QCOMPARE(first, QByteArray("A<?\r\n"));
        // The rest waits for the next wait, which needs nothing new from the line.
        Pump::until([] { return line().MSComm1.inBufferCount() == 0; }, 1000);
        QByteArray second = "kept ";
        WachtOpAntwoord(second, "<?\r\n", 0);
        QCOMPARE(second, QByteArray("kept B<?\r\n"));
        QVERIFY(line().BufferRS232.isEmpty());
    }

    // A time-out cuts nothing, and the wait ends at its time-out, not later.
    void timeOutKeepsWhatCame_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<float>("argument");
        QTest::addColumn<int>("ms");
        QTest::newRow("9600") << "9600" << 0.0f << 1500;
        QTest::newRow("600") << "600" << 0.0f << 2000;
        QTest::newRow("300") << "300" << 0.0f << 3000;
        QTest::newRow("given 4 ticks") << "9600" << 4.0f << 400;
    }
    void timeOutKeepsWhatCame()
    {
        QFETCH(QString, baud);
        QFETCH(float, argument);
        QFETCH(int, ms);
        Hoofdmodule::Baudrate = baud;
        SimLine s(21);
        QVERIFY(s.open());
        s.sim.send("#001\t<");
        QByteArray reply = "before";
        const qint64 start = s.clock.monotonicMs();
        WachtOpAntwoord(reply, "<?\r\n", argument);
        QCOMPARE(s.clock.monotonicMs() - start, qint64(ms));
        QCOMPARE(reply, QByteArray("before"));
        QCOMPARE(line().BufferRS232, QByteArray("#001\t<"));
        QVERIFY(line().TellerCOMM() >= Hoofdmodule::AntwoordWachttijd);
        QVERIFY(line().CommConditiesOK()); // the tick timer is left running
    }

    void sendDiscardsUnreadInput()
    {
        SimLine s(21);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T542", 12, 1);
        c.behaviour = Sim::Behaviour::Silent;
        configureSlot(1, "T542", 12, 1);
        s.sim.send("stale<?\r\n");
        Pump::until([] { return line().MSComm1.inBufferCount() > 0; }, 1000);
        line().BufferRS232 = "old";
        ZendCommando(1, ">?");
        QVERIFY(line().BufferRS232.isEmpty());
        QByteArray reply;
        WachtOpAntwoord(reply, "<?\r\n", 0);
        QVERIFY(reply.isEmpty());
    }

    void timedWait()
    {
        SimLine s(21);
        qint32 ms = 70000;
        const qint64 start = s.clock.monotonicMs();
        WachtMilliseconden(ms);
        QCOMPARE(ms, 65535);
        QCOMPARE(s.clock.monotonicMs() - start, qint64(65535));
        QVERIFY(!line().TimerComm.isEnabled());

        // Pauzeren set by a handler ends the wait early.
        QTimer::singleShot(0, [] { line().Pauzeren = true; });
        ms = 4000;
        const qint64 again = s.clock.monotonicMs();
        WachtMilliseconden(ms);
        QVERIFY(s.clock.monotonicMs() - again < 4000);
        line().Pauzeren = false;
    }

    void closedPortSendsNothingAndWaitsNot()
    {
        SimLine s(21);
        QVERIFY(s.open());
        s.sim.add("T542", 12, 1);
        configureSlot(1, "T542", 12, 1);
        line().MSComm1.close();
        Hoofdmodule::AfbrekenZoeken = true;
        ZendCommando(1, ">?");
        QVERIFY(!Hoofdmodule::AfbrekenZoeken);
        const qint64 start = s.clock.monotonicMs();
        QByteArray reply;
        WachtOpAntwoord(reply, "<?\r\n", 0);
        QCOMPARE(s.clock.monotonicMs(), start);
        QVERIFY(!line().CommConditiesOK());
        QVERIFY(s.sim.frames().isEmpty());
    }

    // The line goes away during an exchange: the port is closed and the wait ends at once.
    void lineClosedUnderThePort_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::newRow("standard") << QByteArray("T542");
        QTest::newRow("T57") << QByteArray("T5781");
    }
    void lineClosedUnderThePort()
    {
        QFETCH(QByteArray, model);
        SimLine s(21);
        QVERIFY(s.open());
        s.sim.add(model, 12, 2).behaviour = Sim::Behaviour::HangUp;
        configureSlot(1, model, 12, 2);
        Toestel[1].FoutTeller = 0;
        QSignalSpy lost(&line().MSComm1, &SerialPort::lost);
        ZendCommando(1, ">?");
        const qint64 start = s.clock.monotonicMs();
        const bool counts = IsT57Model(QString::fromLatin1(model)) ? LezenMetingT57(1)
                                                                  : LezenMetingStandaard(1);
        QVERIFY(!counts);
        QVERIFY(s.clock.monotonicMs() - start < 1500);
        QVERIFY(!line().MSComm1.isOpen());
        QCOMPARE(lost.count(), 1);
        QCOMPARE(Toestel[1].FoutTeller, 0); // not the controller's failure
        // Nothing further happens on the dead port.
        ZendCommando(1, ">?");
        QVERIFY(!LezenMetingStandaard(1));
    }

    void linesOfAPseudoTerminalAreIgnored()
    {
        SimLine s(21);
        QVERIFY(s.open());
        line().MSComm1.setDtr(false);
        line().MSComm1.setRts(true);
        QVERIFY(line().MSComm1.isOpen());
        s.sim.add("T542", 12, 1);
        configureSlot(1, "T542", 12, 1);
        ZendCommando(1, ">?");
        QByteArray reply;
        WachtOpAntwoord(reply, "<?\r\n", 0);
        QCOMPARE(reply, QByteArray("#012\t<?\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
