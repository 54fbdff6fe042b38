#include "core/slots.h"
#include "instruments/decoders.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "simline.h"
#include "support/language.h"

#include <QtTest>

namespace {

constexpr int slot = 5;
using B = Sim::Behaviour;

// Value, unit, no-value flag and status of a channel in one text.
QString describe(const KanaalGegevens &k)
{
    return k.Waarde + '|' + k.Eenheid + '|' + (k.GeenWaarde ? '1' : '0') + '|' + k.Status;
}

const QString old = QStringLiteral("old|u|1|s");      // a channel the decode left alone
const QString cleared = QStringLiteral("||0|");        // a channel beyond the channel count
const QString flagsCleared = QStringLiteral("old|u|0|"); // status and no-value flag cleared

void preset()
{
    ToestelGegevens &t = Toestel[slot];
    t.FoutTeller = 3;
    t.Defect = true;
    t.Wachtbeurten = 0;
    t.Relais = QStringLiteral("pre");
    for (int k = 1; k <= 4; ++k) {
        KanaalGegevens &c = t.Kanaal[size_t(k)];
        c.Waarde = QStringLiteral("old");
        c.Eenheid = QStringLiteral("u");
        c.GeenWaarde = true;
        c.Status = QStringLiteral("s");
    }
}

QByteArray l57(const QByteArray &fields, const QByteArray &address = "#001")
{
    return address + "\t12/05/09\t10:15:30\t" + fields + "\r\n";
}
QByteArray lStd(const QByteArray &fields) { return "#012\t10:15:30\t12/05/09\t" + fields + "\r\n"; }

const QByteArray ack57 = "#001\t<?\r\n";
const QByteArray ackSum = "#001\t<?{\r\n";
const QByteArray ackStd = "#012\t<?\r\n";
const QString maintenance = QStringLiteral("||0|Maintenance, Phase 2, End 12/05/09 10:00 0");

} // namespace

class TestDecoders : public QObject {
    Q_OBJECT

    void columns()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QByteArray>("reply"); // empty: the simulator answers by its behaviour
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<bool>("counts");
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("defect");
        QTest::addColumn<QString>("relais");
        QTest::addColumn<QStringList>("expected");
    }

    void run(int idno)
    {
        QFETCH(QByteArray, model);
        QFETCH(int, channels);
        QFETCH(QByteArray, reply);
        QFETCH(int, behaviour);
        QFETCH(bool, counts);
        QFETCH(int, failures);
        QFETCH(bool, defect);
        QFETCH(QString, relais);
        QFETCH(QStringList, expected);

        SimLine s(22);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add(model, idno, channels);
        c.rawReply = reply;
        c.behaviour = B(behaviour);
        configureSlot(slot, model, idno, channels);
        preset();

        ZendCommando(slot, ">?");
        const qint64 start = s.clock.monotonicMs();
        const bool result =
            IsT57Model(Toestel[slot].Type) ? LezenMetingT57(slot) : LezenMetingStandaard(slot);
        QCOMPARE(result, counts);
        QCOMPARE(Toestel[slot].FoutTeller, failures);
        QCOMPARE(Toestel[slot].Defect, defect);
        if (defect)
            QCOMPARE(Toestel[slot].Wachtbeurten, qint16(5));
        QCOMPARE(Toestel[slot].Relais, relais);
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(describe(Toestel[slot].Kanaal[size_t(k)]), expected[k - 1]);
        // However bad the line, a decode waits for at most the opening and one line.
        QVERIFY(s.clock.monotonicMs() - start <= 2 * 1500);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
        qint16 english = 0;
        LaadTaal(english);
    }

    void t57_data()
    {
        columns();
        const int n = int(B::Normal);
        QTest::newRow("value and second value")
            << QByteArray("T574") << 2 << ack57 + l57("7.00\tpH\t25.1\t\xf8" "C\tREL1") << n
            << true << 0 << false << "1---"
            << QStringList{"7,00|pH|0|CH1:  ", "25,1|°C|0|s", cleared, cleared};
        QTest::newRow("second value without reading")
            << QByteArray("T578") << 2 << ack57 + l57("7.00\tpH\t--\t\xf8" "C\t") << n << true
            << 0 << false << "----" << QStringList{"7,00|pH|0|", "--|°C|1|s", cleared, cleared};
        QTest::newRow("empty second value, next line never comes")
            << QByteArray("T574") << 2 << ack57 + l57("7.00\tpH\t\t\tREL2") << n << true << 0
            << false << "-2--" << QStringList{"7,00|pH|0|CH1:  ", flagsCleared, old, old};
        QTest::newRow("no reading")
            << QByteArray("T574") << 1 << ack57 + l57("--\tpH\t\t\t") << n << true << 0 << false
            << "----" << QStringList{"--|pH|1|", cleared, cleared, cleared};
        QTest::newRow("negative exponent")
            << QByteArray("T574") << 1 << ack57 + l57("1.5E-03\tmS\t\t\t") << n << true << 0
            << false << "----" << QStringList{"1,5E-03|g/l|0|", cleared, cleared, cleared};
        QTest::newRow("positive exponent")
            << QByteArray("T574") << 1 << ack57 + l57("1.5E+03\tmS\t\t\t") << n << true << 0
            << false << "----" << QStringList{"1,5E+03|mS|0|", cleared, cleared, cleared};
        QTest::newRow("stop")
            << QByteArray("T574") << 1 << ack57 + l57("7.00\tpH\t\t\tSTOP") << n << true << 0
            << false << "STOP" << QStringList{"7,00|pH|0| ", cleared, cleared, cleared};
        QTest::newRow("relays")
            << QByteArray("T574") << 1 << ack57 + l57("7.00\tpH\t\t\tREL1 REL3") << n << true
            << 0 << false << "1-3-" << QStringList{"7,00|pH|0|CH1:    ", cleared, cleared, cleared};
        QTest::newRow("manual service on the first line")
            << QByteArray("T574") << 2 << ack57 + l57("M\t2\t12/05/09\t10:00\t0") << n << false
            << 3 << false << "----" << QStringList{maintenance, cleared, cleared, cleared};
        QTest::newRow("manual service on a later line")
            << QByteArray("T574") << 4
            << ack57 + l57("7.00\tpH\t25.1\t\xf8" "C\t") + l57("M\t2\t12/05/09\t10:00\t0") << n
            << true << 0 << false << "----" << QStringList{maintenance, cleared, cleared, cleared};
        QTest::newRow("checksum model")
            << QByteArray("T5781") << 2 << ackSum + l57("7.00\tpH\t25.1\t\xf8" "C\tREL4") << n
            << true << 0 << false << "---4"
            << QStringList{"7,00|pH|0|CH1:  ", "25,1|°C|0|s", cleared, cleared};
        QTest::newRow("noise before the acknowledgment")
            << QByteArray("T574") << 1 << "\x15zz" + ack57 + l57("7.00\tpH\t\t\t") << n << true
            << 0 << false << "----" << QStringList{"7,00|pH|0|", cleared, cleared, cleared};
        // Every channel but the last has a line of its own; the last is each line's second value.
        QTest::newRow("T575 with 3 channels")
            << QByteArray("T575") << 3
            << ack57 + l57("7.00\tpH\t25.1\t\xf8" "C\tREL1") + l57("8.00\tpH\t25.2\t\xf8" "C\t")
            << n << true << 0 << false << "1---"
            << QStringList{"7,00|pH|0|CH1:  ", "8,00|pH|0|", "25,2|°C|0|s", cleared};
        QTest::newRow("T5751 keeps the last channel's no-value mark")
            << QByteArray("T5751") << 2 << ackSum + l57("7.00\tpH\t--\t\xf8" "C\t") << n << true
            << 0 << false << "----" << QStringList{"7,00|pH|0|", "--|°C|1|s", cleared, cleared};
        QTest::newRow("silent") << QByteArray("T574") << 2 << QByteArray() << int(B::Silent)
                                << false << 5 << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("acknowledgment only")
            << QByteArray("T574") << 2 << QByteArray() << int(B::AckOnly) << false << 3 << false
            << "----" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("wrong address")
            << QByteArray("T574") << 2 << QByteArray() << int(B::WrongAddress) << false << 3
            << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("wrong address on the channel line")
            << QByteArray("T574") << 2 << ack57 + l57("7.00\tpH\t\t\t", "#002") << n << false
            << 3 << false << "pre" << QStringList{flagsCleared, old, old, old};
        // The address number of a line is read as a number, however it is written.
        for (const QByteArray &address : {QByteArray("#0001"), QByteArray("#+01"),
                                          QByteArray("#1.0"), QByteArray("#0000000001")})
            QTest::addRow("address %s", address.constData())
                << QByteArray("T574") << 1 << ack57 + l57("7.00\tpH\t\t\t", address) << n << true
                << 0 << false << "----" << QStringList{"7,00|pH|0|", cleared, cleared, cleared};
        QTest::newRow("garbage") << QByteArray("T574") << 2 << QByteArray() << int(B::Garbage)
                                 << false << 5 << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("truncated line")
            << QByteArray("T574") << 2 << QByteArray() << int(B::Truncated) << false << 3
            << false << "----" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("malformed first line: date")
            << QByteArray("T574") << 2
            << ack57 + "#001\t2012-05-09\t10:15:30\t7.00\tpH\t\t\t\r\n" << n << false << 3
            << false << "pre" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("malformed first line: time")
            << QByteArray("T574") << 2 << ack57 + "#001\t12/05/09\t101530\t7.00\tpH\t\t\t\r\n"
            << n << false << 3 << false << "pre" << QStringList{flagsCleared, old, old, old};
    }
    void t57() { run(1); }

    void standard_data()
    {
        columns();
        const int n = int(B::Normal);
        QTest::newRow("value and temperature")
            << QByteArray("T542") << 2 << ackStd + lStd("7.00\tpH\t25.1\tREL 1") << n << true
            << 0 << false << "1---"
            << QStringList{"7,00|pH|0|CH1:  ", "25,1|°C|0|s", cleared, cleared};
        QTest::newRow("temperature without reading")
            << QByteArray("T512") << 2 << ackStd + lStd("7.00\tpH\t99999\t") << n << true << 0
            << false << "----" << QStringList{"7,00|pH|0|", "99999|°C|1|s", cleared, cleared};
        QTest::newRow("empty temperature, next line never comes")
            << QByteArray("T542") << 2 << ackStd + lStd("7.00\tpH\t\tREL 2") << n << true << 0
            << false << "-2--" << QStringList{"7,00|pH|0|CH1:  ", flagsCleared, old, old};
        QTest::newRow("no reading")
            << QByteArray("T542") << 1 << ackStd + lStd("99999\tpH\t\t") << n << true << 0
            << false << "----" << QStringList{"99999|pH|1|", cleared, cleared, cleared};
        QTest::newRow("negative exponent")
            << QByteArray("T542") << 1 << ackStd + lStd("1.5E-03\tmS\t\t") << n << true << 0
            << false << "----" << QStringList{"1,5E-03|g/l|0|", cleared, cleared, cleared};
        QTest::newRow("positive exponent")
            << QByteArray("T542") << 1 << ackStd + lStd("1.5E+03\tmS\t\t") << n << true << 0
            << false << "----" << QStringList{"1,5E+03|mS|0|", cleared, cleared, cleared};
        QTest::newRow("stop") << QByteArray("T542") << 1 << ackStd + lStd("7.00\tpH\t\tSTOP")
                              << n << true << 0 << false << "STOP"
                              << QStringList{"7,00|pH|0| ", cleared, cleared, cleared};
        QTest::newRow("relays")
            << QByteArray("T542") << 1 << ackStd + lStd("7.00\tpH\t\tREL 1 REL 4") << n << true
            << 0 << false << "1--4" << QStringList{"7,00|pH|0|CH1:    ", cleared, cleared, cleared};
        QTest::newRow("T57 relay words do not count")
            << QByteArray("T542") << 1 << ackStd + lStd("7.00\tpH\t\tREL1") << n << true << 0
            << false << "----" << QStringList{"7,00|pH|0|CH1: REL1", cleared, cleared, cleared};
        // In manual service the controller sends no time: the slot is shown in manual service.
        QTest::newRow("manual service") << QByteArray("T542") << 2 << ackStd + "#012\tM\r\n" << n
                                        << false << 4 << true << "pre"
                                        << QStringList{flagsCleared, old, old, old};
        QTest::newRow("malformed first line: time")
            << QByteArray("T542") << 2 << ackStd + "#012\t1:15:30\t12/05/09\t7.00\tpH\t\t\r\n"
            << n << false << 4 << true << "pre" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("malformed first line: date")
            << QByteArray("T542") << 2 << ackStd + "#012\t10:15:30\t120509\t7.00\tpH\t\t\r\n"
            << n << false << 4 << true << "pre" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("silent") << QByteArray("T542") << 2 << QByteArray() << int(B::Silent)
                                << false << 5 << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("acknowledgment only")
            << QByteArray("T542") << 2 << QByteArray() << int(B::AckOnly) << false << 3 << false
            << "pre" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("wrong address")
            << QByteArray("T542") << 2 << QByteArray() << int(B::WrongAddress) << false << 3
            << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("garbage") << QByteArray("T542") << 2 << QByteArray() << int(B::Garbage)
                                 << false << 5 << false << "pre" << QStringList{old, old, old, old};
        QTest::newRow("truncated line")
            << QByteArray("T542") << 2 << QByteArray() << int(B::Truncated) << false << 3
            << false << "pre" << QStringList{flagsCleared, old, old, old};
        QTest::newRow("T552 has no temperature")
            << QByteArray("T552") << 2
            << ackStd + lStd("7.00\tpH\tREL 1") + lStd("8.00\tmV\t") << n << true << 0 << false
            << "1---" << QStringList{"7,00|pH|0|CH1:  ", "8,00|mV|0|", cleared, cleared};
        QTest::newRow("T512 with 4 channels, two lines without temperature")
            << QByteArray("T512") << 4 << ackStd + lStd("7.00\tpH\t\t") + lStd("8.00\tpH\t\t")
            << n << true << 0 << false << "----"
            << QStringList{"7,00|pH|0|", "8,00|pH|0|", flagsCleared, old};
        QTest::newRow("temperature after the fourth channel has no place")
            << QByteArray("T512") << 4
            << ackStd + lStd("1\tpH\t\t") + lStd("2\tpH\t\t") + lStd("3\tpH\t\t") +
                   lStd("4\tpH\t5\t")
            << n << true << 0 << false << "----"
            << QStringList{"1|pH|0|", "2|pH|0|", "3|pH|0|", "4|pH|0|"};
    }
    void standard() { run(12); }

    void downloadNumbers_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("waarde");
        QTest::addColumn<bool>("geenWaarde");
        QTest::newRow("number") << QByteArray("25.10\t") << "25,1" << false;
        QTest::newRow("no reading") << QByteArray("99999\t") << "99999" << true;
        QTest::newRow("empty") << QByteArray("\t") << "" << false;
    }
    void downloadNumbers()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, waarde);
        QFETCH(bool, geenWaarde);
        configureSlot(slot, "T542", 12, 1);
        KanaalGegevens k;
        k.Waarde = "previous";
        k.Eenheid = "pH";
        QByteArray text = field + "rest";
        const QDateTime when(QDate(2026, 2, 2), QTime(9, 0));
        LezenWaardeGetal(k, text, when, slot);
        QCOMPARE(k.Waarde, waarde);
        QCOMPARE(k.GeenWaarde, geenWaarde);
        QCOMPARE(k.Eenheid, QStringLiteral("pH"));
        QCOMPARE(k.Tijdstip, when);
        QCOMPARE(text, QByteArray("rest"));
    }

    // A reading is stamped with the whole second it was decoded in, as the data file writes it.
    void stampedToTheSecond_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::newRow("on the second") << QTime(10, 15, 30);
        QTest::newRow("just after") << QTime(10, 15, 30, 1);
        QTest::newRow("just before the next") << QTime(10, 15, 30, 999);
        QTest::newRow("before midnight") << QTime(23, 59, 59, 500);
    }
    void stampedToTheSecond()
    {
        QFETCH(QTime, time);
        // The line's clock, with a wall time of the test's choosing.
        struct WallClock : Clock {
            Clock &line;
            QDateTime wall;
            WallClock(Clock &c, const QDateTime &w) : line(c), wall(w) {}
            qint64 monotonicMs() const override { return line.monotonicMs(); }
            QDateTime now() const override { return wall; }
            void waitUntil(qint64 deadlineMs) override { line.waitUntil(deadlineMs); }
        };
        SimLine s(22);
        QVERIFY(s.open());
        s.sim.add("T574", 1, 1).rawReply = ack57 + l57("7.00\tpH\t\t\t");
        configureSlot(slot, "T574", 1, 1);
        const QDate day(2026, 3, 4);
        WallClock clock(s.clock, QDateTime(day, time));
        Clock::install(&clock);
        ZendCommando(slot, ">?");
        const bool counted = LezenMetingT57(slot);
        Clock::install(&s.clock);
        QVERIFY(counted);
        QCOMPARE(Toestel[slot].Kanaal[1].Tijdstip,
                 QDateTime(day, QTime(time.hour(), time.minute(), time.second())));
    }
};

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
