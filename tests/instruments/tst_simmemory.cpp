#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "script.h"
#include "simline.h"

#include <QtTest>

// The simulated controllers' log memory, their transmissions and the commands they leave
// unheard, as the program sees them on the line: byte for byte, over a pseudo-terminal.
namespace {
InstrumentConnection &line() { return InstrumentConnection::current(); }

// What arrives until at least size bytes are there (or a few seconds have passed), and
// anything that follows within a short quiet spell. Size 0 only listens for that spell.
QByteArray receive(qsizetype size)
{
    QByteArray got;
    (void)QTest::qWaitFor(
        [&] {
            got += line().MSComm1.readAll();
            return got.size() >= size;
        },
        5000);
    QTest::qWait(200);
    return got + line().MSComm1.readAll();
}

// Sends a command to slot 1 as the program frames it and returns what comes back.
QByteArray answerTo(const QByteArray &command, qsizetype size)
{
    ZendCommando(1, command);
    return receive(size);
}

QByteArray echoOf(const QByteArray &command) { return "#012\t<" + command.mid(1) + "\r\n"; }

Sim::LogRecord record(const QTime &time, const QList<QByteArray> &values)
{
    Sim::LogRecord r;
    r.time = QDateTime(QDate(2009, 12, 5), time);
    for (qsizetype k = 0; k < values.size(); ++k)
        r.value[size_t(k)] = values[k];
    return r;
}

QByteArray joined(const QList<QByteArray> &lines) { return lines.join(); }
} // namespace

class TestSimMemory : public QObject {
    Q_OBJECT
private slots:
    // The start and end of a standard model's download: every memory command is echoed as it
    // was sent, NUL byte included, and the second ">4" brings the header and the records.
    void standardDownload_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QList<QByteArray>>("units");
        QTest::addColumn<QList<QByteArray>>("first");
        QTest::addColumn<QList<QByteArray>>("second");
        QTest::addColumn<QByteArray>("memory");

        QTest::newRow("T512 with temperature")
            << QByteArray("T512") << 2 << QList<QByteArray>{"pH"}
            << QList<QByteArray>{"7.02", "24.8"} << QList<QByteArray>{"", "24.9"}
            << QByteArray("#012\t   #\tDate\tTime\tpH\t\xf8" "C\r\n"
                          "#012\tLOG.1\t05/12/09\t10:15:30\t7.02\t24.8\r\n"
                          "#012\tLOG.2\t05/12/09\t10:25:30\t99999\t24.9\r\n");
        QTest::newRow("T552 one channel")
            << QByteArray("T552") << 1 << QList<QByteArray>{"mV"} << QList<QByteArray>{"412"}
            << QList<QByteArray>{"-15"}
            << QByteArray("#012\t   #\tDate\tTime\tmV\r\n"
                          "#012\tLOG.1\t05/12/09\t10:15:30\t412\r\n"
                          "#012\tLOG.2\t05/12/09\t10:25:30\t-15\r\n");
        // Conductivity and concentration carry their unit on every record, and the header
        // has an extra column before such a unit after the first channel.
        QTest::newRow("T542 conductivity, four channels")
            << QByteArray("T542") << 4 << QList<QByteArray>{"mS/cm", "", "g/l"}
            << QList<QByteArray>{"1.284", "24.8", "0.52", "24.9"}
            << QList<QByteArray>{"", "25.0", "0.53", "25.1"}
            << QByteArray("#012\t   #\tDate\tTime\tmS/cm\t\xf8" "C\t\tg/l\t\xf8" "C\r\n"
                          "#012\tLOG.1\t05/12/09\t10:15:30\t1.284\tmS/cm\t24.8\t0.52\tg/l\t24.9\r\n"
                          "#012\tLOG.2\t05/12/09\t10:25:30\t99999\tmS/cm\t25.0\t0.53\tg/l\t25.1\r\n");
    }
    void standardDownload()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, channels);
        QFETCH(QList<QByteArray>, units);
        QFETCH(QList<QByteArray>, first);
        QFETCH(QList<QByteArray>, second);
        QFETCH(QByteArray, memory);
        SimLine s(26);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add(model, 12, channels);
        for (qsizetype k = 0; k < units.size(); ++k)
            c.channel[size_t(k)].unit = units[k];
        c.log.records = {record(QTime(10, 15, 30), first), record(QTime(10, 25, 30), second)};
        configureSlot(1, model, 12, channels);

        const QByteArray seven = '>' + Sim::numberedCommand(7);
        const QByteArray four = '>' + Sim::numberedCommand(4);
        QCOMPARE(seven, QByteArray(">N\x07\x00", 4));
        QCOMPARE(answerTo(">M", 9), echoOf(">M"));
        QCOMPARE(answerTo(seven, 11), echoOf(seven));
        QCOMPARE(answerTo(">4", 9), echoOf(">4"));
        QCOMPARE(answerTo(four, 11), echoOf(four));
        QCOMPARE(answerTo(">4", 9 + memory.size()), echoOf(">4") + memory);
        QCOMPARE(answerTo(">1", 9), echoOf(">1"));
        QCOMPARE(answerTo(">C", 9), echoOf(">C"));
        QCOMPARE(c.frames.at(1), QByteArray("#012\t>N\x07\x00\r\n", 11));
        QCOMPARE(c.memoryStep, -1);
    }

    // Memory commands outside the menu, or a single ">4", transmit nothing.
    void memoryNeedsTheMenu()
    {
        SimLine s(26);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T512", 12, 1);
        c.log.records = {record(QTime(10, 15, 30), {"7.0"})};
        configureSlot(1, "T512", 12, 1);
        QCOMPARE(answerTo(">4", 9), echoOf(">4"));
        QCOMPARE(answerTo(">4", 9), echoOf(">4"));
        QCOMPARE(answerTo(">M", 9), echoOf(">M"));
        QCOMPARE(answerTo(">4", 9), echoOf(">4"));
        QCOMPARE(answerTo(">1", 9), echoOf(">1"));
        QCOMPARE(answerTo(">4", 9), echoOf(">4"));
    }

    // SEND pressed on a T57 instrument: one line per channel of each record, the second value
    // of channel k + 2 beside it (the last channel for the T575 models), then the flag and the
    // relays.
    void t57Send_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("T5781 two channels")
            << QByteArray("T5781") << 2
            << QByteArray("#003\tLOG.1\t05/12/09\t10:15:30\tCH1\t7.00\tpH\t25.1\t\xf8" "C\tA\tREL.1---\r\n"
                          "#003\tLOG.2\t05/12/09\t10:15:30\tCH2\t7.10\tpH\t25.3\t\xf8" "C\t\tREL.1---\r\n"
                          "#003\tLOG.3\t05/12/09\t10:25:30\tCH1\t--\tpH\t25.2\t\xf8" "C\t\tREL.----\r\n"
                          "#003\tLOG.4\t05/12/09\t10:25:30\tCH2\t7.20\tpH\t25.4\t\xf8" "C\tS\tREL.----\r\n");
        QTest::newRow("T574 one channel")
            << QByteArray("T574") << 1
            << QByteArray("#003\tLOG.1\t05/12/09\t10:15:30\tCH1\t7.00\tpH\t25.1\t\xf8" "C\tA\tREL.1---\r\n"
                          "#003\tLOG.2\t05/12/09\t10:25:30\tCH1\t--\tpH\t25.2\t\xf8" "C\t\tREL.----\r\n");
        QTest::newRow("T5751 three channels")
            << QByteArray("T5751") << 3
            << QByteArray("#003\tLOG.1\t05/12/09\t10:15:30\tCH1\t7.00\tpH\t25.3\t\xf8" "C\tA\tREL.1---\r\n"
                          "#003\tLOG.2\t05/12/09\t10:15:30\tCH2\t7.10\tpH\t25.3\t\xf8" "C\t\tREL.1---\r\n"
                          "#003\tLOG.3\t05/12/09\t10:25:30\tCH1\t--\tpH\t25.4\t\xf8" "C\t\tREL.----\r\n"
                          "#003\tLOG.4\t05/12/09\t10:25:30\tCH2\t7.20\tpH\t25.4\t\xf8" "C\tS\tREL.----\r\n");
    }
    void t57Send()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, channels);
        QFETCH(QByteArray, lines);
        SimLine s(26);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add(model, 3, channels);
        c.log.unit = {"pH", "pH", "\xf8" "C", "\xf8" "C"};
        c.log.records = {record(QTime(10, 15, 30), {"7.00", "7.10", "25.1", "25.3"}),
                         record(QTime(10, 25, 30), {"", "7.20", "25.2", "25.4"})};
        c.log.records[0].flag[0] = "A";
        c.log.records[0].relays = "1---";
        c.log.records[1].flag[1] = "S";
        QCOMPARE(joined(c.logLines()), lines);
        s.sim.sendLogMemory(c);
        QCOMPARE(receive(lines.size()), lines);
        // Nothing was asked: the controller heard no frame.
        QVERIFY(c.frames.isEmpty());
    }

    // The same transmissions started from the simulator's script language.
    void scriptTransmissions_data()
    {
        QTest::addColumn<QList<QByteArray>>("script");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("free text with NUL, form feed, blanks, 0xF8 and 0xFF")
            << QList<QByteArray>{"text 12 \\x20pH 7.02\\0  end", "text 12 \\x0c",
                                 "text 12 25.1 \\xf8C\\xff\\x20"}
            << QByteArray(" pH 7.02") + '\0' + "  end\r\n\f\r\n25.1 \xf8" "C\xff \r\n";
        QTest::newRow("free text paced line by line")
            << QList<QByteArray>{"linedelay 20", "text 12 one", "text 12 two", "text 12 three"}
            << QByteArray("one\r\ntwo\r\nthree\r\n");
        QTest::newRow("T57 memory filled and sent")
            << QList<QByteArray>{"log 3 05/12/09 10:15:30 7.00 - 25.1", "logflag 3 1 M",
                                 "logrelays 3 -2--", "logunit 3 1 pH", "logunit 3 3 \\xf8C",
                                 "logdate 3 -", "send 3"}
            << QByteArray("#003\tLOG.1\t05-12-09\t10:15:30\tCH1\t7.00\tpH\t25.1\t\xf8" "C\tM\tREL.-2--\r\n"
                          "#003\tLOG.2\t05-12-09\t10:15:30\tCH2\t--\tmV\t--\tmV\t\tREL.-2--\r\n");
        QTest::newRow("standard memory sent after Ignore")
            << QList<QByteArray>{"value 12 1 3.90 pH", "log 12 31/01/2010 23:59:59 4.01",
                                 "logclear 12", "log 12 01/02/10 00:00:01 4.02", "send 12"}
            << QByteArray("#012\t   #\tDate\tTime\tpH\r\n"
                          "#012\tLOG.1\t01/02/10\t00:00:01\t4.02\r\n");
        QTest::newRow("a later line")
            << QList<QByteArray>{"after 50 text 12 later", "text 12 now"}
            << QByteArray("now\r\nlater\r\n");
    }
    void scriptTransmissions()
    {
        QFETCH(QList<QByteArray>, script);
        QFETCH(QByteArray, bytes);
        SimLine s(26);
        QVERIFY(s.open());
        s.sim.add("T512", 12, 1);
        Sim::Controller &t57 = s.sim.add("T5781", 3, 2);
        t57.channel[1].unit = "mV";
        t57.channel[3].unit = "mV";
        for (const QByteArray &l : script)
            QCOMPARE(Sim::runScriptLine(s.sim, l), QString());
        QCOMPARE(receive(bytes.size()), bytes);
    }

    // A command set to go unheard gets no echo, as often as asked; the program's reply wait
    // runs into its time-out and a retry is answered.
    void unheardCommands_data()
    {
        QTest::addColumn<QByteArray>("scriptLine");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answered"); // per send: 1 echoed, 0 unheard
        QTest::newRow("M once") << QByteArray("unanswered 12 M 1") << QByteArray(">M")
                                << QByteArray("011");
        QTest::newRow("numbered 7 always") << QByteArray("unanswered 12 N7")
                                           << QByteArray(">N\x07\x00", 4) << QByteArray("000");
        QTest::newRow("4 twice") << QByteArray("unanswered 12 4 2") << QByteArray(">4")
                                 << QByteArray("001");
        QTest::newRow("C heard again") << QByteArray("unanswered 12 C 0") << QByteArray(">C")
                                       << QByteArray("11");
        QTest::newRow("another command is heard") << QByteArray("unanswered 12 M")
                                                  << QByteArray(">1") << QByteArray("1");
    }
    void unheardCommands()
    {
        QFETCH(QByteArray, scriptLine);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answered);
        SimLine s(26);
        QVERIFY(s.open());
        s.sim.add("T542", 12, 2);
        configureSlot(1, "T542", 12, 2);
        QCOMPARE(Sim::runScriptLine(s.sim, scriptLine), QString());
        for (char a : answered) {
            const QByteArray expected = a == '1' ? echoOf(command) : QByteArray();
            QCOMPARE(answerTo(command, expected.size()), expected);
        }
    }

    void unheardCommandTimesOutInTheProgram()
    {
        SimLine s(26);
        QVERIFY(s.open());
        s.sim.add("T512", 12, 1).unanswered["M"] = 1;
        configureSlot(1, "T512", 12, 1);
        QByteArray answer;
        ZendCommando(1, ">M");
        WachtOpAntwoord(answer, "\r\n", 30);
        QVERIFY(answer.isEmpty());
        QVERIFY(line().TellerCOMM() >= 30);
        ZendCommando(1, ">M");
        WachtOpAntwoord(answer, "\r\n", 30);
        QCOMPARE(answer, QByteArray("#012\t<M\r\n"));
    }

    // A memory far larger than the line buffers arrives whole and in order, and the echo of a
    // command asked for meanwhile comes after it: the frame waits for the line to fall quiet
    // (or for one reply time-out), and what came before it is dropped.
    void largeMemoryArrivesWhole()
    {
        SimLine s(26);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T512", 12, 2);
        Sim::fillLog(c, 5000, 60, QDateTime(QDate(2010, 3, 1), QTime(12, 0)));
        configureSlot(1, "T512", 12, 2);
        const QByteArray all = joined(c.logLines());
        QVERIFY(all.size() > 150000);
        s.sim.sendLogMemory(c);
        QCOMPARE(receive(all.size()), all);

        s.sim.sendLogMemory(c);
        QVERIFY(s.sim.transmitting());
        ZendCommando(1, ">1");
        QByteArray rest;
        QVERIFY(QTest::qWaitFor(
            [&] {
                rest += line().MSComm1.readAll();
                return rest.endsWith(echoOf(">1"));
            },
            5000));
        const QByteArray tail = rest.chopped(echoOf(">1").size());
        QVERIFY(all.endsWith(tail));
    }

    // The demonstration's script runs without a complaint and fills a memory.
    void demoScriptFillsAMemory()
    {
        Sim::Simulator sim;
        sim.add("T542", 12, 2);
        sim.add("T5781", 20, 1);
        sim.add("T575", 30, 4);
        sim.add("T512", 41, 1);
        QFile demo(QStringLiteral(QLV2_FIXTURES "/../../tools/instrument-sim/demo.txt"));
        QVERIFY(demo.open(QIODevice::ReadOnly));
        while (!demo.atEnd())
            QCOMPARE(Sim::runScriptLine(sim, demo.readLine().trimmed()), QString());
        qsizetype records = 0;
        for (const auto &c : sim.controllers())
            records += c->log.records.size();
        QVERIFY(records > 0);
    }
};

QTEST_GUILESS_MAIN(TestSimMemory)
#include "tst_simmemory.moc"
