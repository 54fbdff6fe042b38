#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/serialport.h"
#include "simline.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
// One poll exchange as the poll loop runs it: the frame goes out, and the reply is read as its
// bytes come, never waited for.
bool poll(int slot)
{
    ZendCommando(qint16(slot), Protocol::PollCommando[size_t(slot)]);
    expectReply(qint16(slot));
    ReadResult read = ReadResult::Waiting;
    while ((read = tryReadReading(qint16(slot))) == ReadResult::Waiting)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return read == ReadResult::Counted;
}

// What the slot's record holds of a reading: every channel's value, unit and status.
QStringList reading(int slot)
{
    QStringList r;
    const ToestelGegevens &t = Toestel[slot];
    for (int k = 1; k <= MaxKanalen; ++k)
        r << t.Kanaal[size_t(k)].Waarde + u'|' + t.Kanaal[size_t(k)].Eenheid + u'|' +
                 t.Kanaal[size_t(k)].Status;
    return r << t.Relais;
}
} // namespace

// Several simulated controllers on one line, polled in turn as the poll loop does.
class TestSimulated : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void threeControllersOnOneLine()
    {
        SimLine s(23);
        QVERIFY(s.open());
        Sim::Controller &a = s.sim.add("T542", 12, 2);
        a.channel[0] = {"7.02", "pH", false, {}};
        a.channel[1].value = "21.5";
        a.relay[1] = true;
        Sim::Controller &b = s.sim.add("T5781", 3, 4);
        b.channel[0] = {"120", "mV", false, {}};
        b.channel[1] = {"4.5", "mg/l", false, {}};
        b.channel[2] = {"", "\xe6S", true, {}};
        b.channel[3] = {"19.9", "\xf8" "C", false, {}};
        Sim::Controller &c = s.sim.add("T575", 44, 4);
        c.channel[0] = {"1.1", "pH", false, {}};
        c.channel[1] = {"2.2", "pH", false, {}};
        c.channel[2] = {"3.3", "pH", false, {}};
        c.channel[3] = {"25.0", "\xf8" "C", false, {}};
        c.stop = true;
        configureSlot(1, "T542", 12, 2);
        configureSlot(2, "T5781", 3, 4);
        configureSlot(3, "T575", 44, 4);
        for (int slot = 1; slot <= 3; ++slot)
            Toestel[slot].FoutTeller = 2;

        QVERIFY(poll(1));
        QVERIFY(poll(2));
        QVERIFY(poll(3));

        const ToestelGegevens &t1 = Toestel[1];
        QCOMPARE(t1.Kanaal[1].Waarde, QStringLiteral("7.02"));
        QCOMPARE(t1.Kanaal[1].Eenheid, QStringLiteral("pH"));
        QCOMPARE(t1.Kanaal[2].Waarde, QStringLiteral("21.5"));
        QCOMPARE(t1.Kanaal[2].Eenheid, QStringLiteral("°C"));
        QCOMPARE(t1.Relais, QStringLiteral("-2--"));
        QCOMPARE(t1.Kanaal[1].Tijdstip, s.clock.now());

        const ToestelGegevens &t2 = Toestel[2];
        QCOMPARE(t2.Kanaal[1].Waarde + t2.Kanaal[1].Eenheid, QStringLiteral("120mV"));
        QCOMPARE(t2.Kanaal[2].Waarde + t2.Kanaal[2].Eenheid, QStringLiteral("4.5mg/l"));
        QCOMPARE(t2.Kanaal[3].Waarde + t2.Kanaal[3].Eenheid, QStringLiteral("--µS"));
        QVERIFY(t2.Kanaal[3].GeenWaarde);
        QCOMPARE(t2.Kanaal[4].Waarde + t2.Kanaal[4].Eenheid, QStringLiteral("19.9°C"));
        QCOMPARE(t2.Relais, QStringLiteral("----"));

        const ToestelGegevens &t3 = Toestel[3];
        QCOMPARE(t3.Kanaal[1].Waarde, QStringLiteral("1.1"));
        QCOMPARE(t3.Kanaal[2].Waarde, QStringLiteral("2.2"));
        QCOMPARE(t3.Kanaal[3].Waarde, QStringLiteral("3.3"));
        QCOMPARE(t3.Kanaal[4].Waarde + t3.Kanaal[4].Eenheid, QStringLiteral("25.0°C"));
        QCOMPARE(t3.Relais, QStringLiteral("STOP"));

        for (int slot = 1; slot <= 3; ++slot) {
            QCOMPARE(Toestel[slot].FoutTeller, 0);
            QVERIFY(!Toestel[slot].Defect);
        }
        // Each controller saw its own frame only; the checksum model with its checksum byte.
        QCOMPARE(a.frames, QList<QByteArray>{"#012\t>?\r\n"});
        QCOMPARE(b.frames, QList<QByteArray>{"#003\t>?}\r\n"});
        QCOMPARE(c.frames, QList<QByteArray>{"#044\t>?\r\n"});

        // Values change between polls and the next poll sees them.
        a.channel[0].noValue = true;
        QVERIFY(poll(1));
        QCOMPARE(Toestel[1].Kanaal[1].Waarde, QStringLiteral("99999"));
        QVERIFY(Toestel[1].Kanaal[1].GeenWaarde);
    }

    // A late line is a failed read; it is gone by the next poll, which reads the fresh reply.
    void lateLine()
    {
        SimLine s(23);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T574", 9, 1);
        c.channel[0].value = "6.5";
        c.behaviour = Sim::Behaviour::Late;
        c.lateMs = 1200; // well after the quiet clock has jumped to the time-out
        configureSlot(4, "T574", 9, 1);
        Toestel[4].FoutTeller = 0;
        QVERIFY(!poll(4));
        QCOMPARE(Toestel[4].FoutTeller, 0);
        QTest::qWait(1400); // the late line arrives now
        c.behaviour = Sim::Behaviour::Normal;
        c.channel[0].value = "6.7";
        QVERIFY(poll(4));
        QCOMPARE(Toestel[4].Kanaal[1].Waarde, QStringLiteral("6.7"));
    }

    // With the system clock: a silent controller ends the read at its time-out and counts two
    // failures in the decoder, the poll loop's own count coming on top.
    void silentControllerOnTheRealClock()
    {
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-simulated"));
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1).behaviour = Sim::Behaviour::Silent;
        SerialPortTable::bind(24, sim.devicePath());
        InstrumentConnection &line = InstrumentConnection::current();
        line.MSComm1.setPortNumber(24);
        QVERIFY(line.MSComm1.open());
        configureSlot(1, "T542", 12, 1);
        Toestel[1].FoutTeller = 0;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!poll(1));
        QCOMPARE(Toestel[1].FoutTeller, 2);
        QVERIFY(waited.elapsed() >= 1400);
        line.MSComm1.close();
        SerialPortTable::unbind(24);
    }

    // On a real line the acknowledgment comes first and each channel line after it, 10 bits a
    // byte. Every model, with one to four channels, reads the same reading from a paced reply as
    // from one written at once, and counts it as that one.
    void pacedRepliesReadWhole_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("baud");
        for (const char *model :
             {"T512", "T542", "T552", "T574", "T578", "T575", "T5741", "T5781", "T5751"})
            for (int channels = 1; channels <= 4; ++channels)
                for (int baud : {9600, 38400})
                    QTest::addRow("%s, %d channels, %d baud", model, channels, baud)
                        << QByteArray(model) << channels << baud;
    }
    void pacedRepliesReadWhole()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, channels);
        QFETCH(int, baud);
        SimLine s(25);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add(model, 31, channels);
        for (int k = 0; k < channels; ++k) {
            c.channel[size_t(k)].value = QByteArray::number(k + 1) + ".25";
            c.channel[size_t(k)].unit = k % 2 ? "mV" : "pH";
        }
        const auto forget = [] {
            for (int k = 1; k <= MaxKanalen; ++k)
                Toestel[5].Kanaal[size_t(k)] = KanaalGegevens();
            Toestel[5].FoutTeller = 3;
        };
        configureSlot(5, model, 31, channels);
        forget();
        const bool counted = poll(5);
        // A T575 fills its last channel from the second values of the lines before it: with one
        // channel there is no line to read, and no reading counts, paced or not.
        QCOMPARE(counted, !(model.startsWith("T575") && channels == 1));
        const QStringList atOnce = reading(5);
        const qint32 failures = Toestel[5].FoutTeller;
        forget();
        s.sim.setBaud(baud);
        QCOMPARE(poll(5), counted);
        QCOMPARE(reading(5), atOnce);
        QCOMPARE(Toestel[5].FoutTeller, failures);
        QCOMPARE(c.frames.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSimulated)
#include "tst_simulated.moc"
