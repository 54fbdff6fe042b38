#include "core/shared.h"
#include "core/slots.h"
#include "instruments/decoders.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"

#include <QtTest>

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void protocolTable_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("terminator");
        QTest::addColumn<QByteArray>("noValue");
        QTest::addColumn<QByteArray>("stop");
        QTest::addColumn<bool>("checksum");
        const QByteArray plain = "<?\r\n", summed = "<?{\r\n";
        const QByteArray b7("B\x07", 2), b5("B\x05", 2);
        QTest::newRow("T512") << "T512    " << plain << QByteArray("99999") << QByteArray("5") << false;
        QTest::newRow("T542") << "T542    " << plain << QByteArray("99999") << QByteArray("5") << false;
        QTest::newRow("T552") << "T552    " << plain << QByteArray("99999") << QByteArray("5") << false;
        QTest::newRow("T574") << "T574    " << plain << QByteArray("--") << b7 << false;
        QTest::newRow("T578") << "T578    " << plain << QByteArray("--") << b7 << false;
        QTest::newRow("T575") << "T575    " << plain << QByteArray("--") << b7 << false;
        QTest::newRow("T5741") << "T5741   " << summed << QByteArray("--") << b5 << true;
        QTest::newRow("T5781") << "T5781   " << summed << QByteArray("--") << b5 << true;
        QTest::newRow("T5751") << "T5751   " << summed << QByteArray("--") << b5 << true;
        QTest::newRow("empty code") << "" << plain << QByteArray("99999") << QByteArray("5") << false;
        QTest::newRow("unknown code") << "X1" << plain << QByteArray("99999") << QByteArray("5") << false;
    }
    void protocolTable()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, terminator);
        QFETCH(QByteArray, noValue);
        QFETCH(QByteArray, stop);
        QFETCH(bool, checksum);
        Toestel[4].Type = model;
        InstellenToestelProtocol(4);
        QCOMPARE(Protocol::PollCommando[4], QByteArray(">?"));
        QCOMPARE(Protocol::AntwoordEinde[4], terminator);
        QCOMPARE(Protocol::GeenWaardeTeken[4], noValue);
        QCOMPARE(Protocol::AdresTeken[4], QByteArray("#"));
        QCOMPARE(Protocol::StopCommando[4], stop);
        QCOMPARE(Protocol::MetControlegetal[4], checksum);
    }

    void modelChangeClearsChecksum()
    {
        Toestel[6].Type = "T5741";
        InstellenToestelProtocol(6);
        QVERIFY(Protocol::MetControlegetal[6]);
        Toestel[6].Type = "T512";
        InstellenToestelProtocol(6);
        QVERIFY(!Protocol::MetControlegetal[6]);
        QCOMPARE(Protocol::AntwoordEinde[6], QByteArray("<?\r\n"));
    }

    void address_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("7") << 7 << "#007";
        QTest::newRow("123") << 123 << "#123";
        QTest::newRow("999") << 999 << "#999";
        QTest::newRow("invalid mark 1000") << 1000 << "#1000";
    }
    void address()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(AdresTekst(n), text);
    }

    // The bytes on the line, per family; the checksum covers the bare command only.
    void frame_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("idno");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("bytes");
        for (const char *m : {"T512", "T542", "T552", "T574", "T578", "T575"})
            QTest::addRow("%s poll", m) << m << 7 << QByteArray(">?") << QByteArray("#007\t>?\r\n");
        for (const char *m : {"T5741", "T5781", "T5751"})
            QTest::addRow("%s poll", m) << m << 7 << QByteArray(">?") << QByteArray("#007\t>?}\r\n");
        QTest::newRow("T5781 stop: 66 + 5") << "T5781" << 123 << QByteArray("B\x05", 2)
                                           << QByteArray("#123\tB\x05G\r\n", 10);
        QTest::newRow("T574 stop") << "T574" << 31 << QByteArray("B\x07", 2)
                                   << QByteArray("#031\tB\x07\r\n", 9);
        QTest::newRow("T5751 sum past 255") << "T5751" << 1 << QByteArray("ZZZZ")
                                            << QByteArray("#001\tZZZZh\r\n");
        QTest::newRow("T542 stop") << "T542" << 999 << QByteArray("5") << QByteArray("#999\t5\r\n");
    }
    void frame()
    {
        QFETCH(QString, model);
        QFETCH(int, idno);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, bytes);
        Toestel[2].Type = model;
        Toestel[2].Idno = idno;
        InstellenToestelProtocol(2);
        QCOMPARE(FrameBytes(2, command), bytes);
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("sum");
        QTest::newRow("poll") << QByteArray(">?") << 125;
        QTest::newRow("acknowledgment") << QByteArray("<?") << 123;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("high bytes wrap") << QByteArray("\xff\xff\x02") << 0;
    }
    void checksum()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, sum);
        QCOMPARE(int(Controlegetal(text)), sum);
    }

    void timeouts_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<float>("argument");
        QTest::addColumn<int>("ticks");
        QTest::newRow("300") << "300" << 0.0f << 30;
        QTest::newRow("600") << "600" << 0.0f << 20;
        QTest::newRow("1200") << "1200" << 0.0f << 15;
        QTest::newRow("9600") << "9600" << 0.0f << 15;
        QTest::newRow("38400") << "38400" << 0.0f << 15;
        QTest::newRow("given 30 at 600") << "600" << 30.0f << 30;
        QTest::newRow("given 5 at 300") << "300" << 5.0f << 5;
    }
    void timeouts()
    {
        QFETCH(QString, baud);
        QFETCH(float, argument);
        QFETCH(int, ticks);
        Hoofdmodule::Baudrate = baud;
        StartTimeOut(argument);
        QCOMPARE(Hoofdmodule::AntwoordWachttijd, ticks);
        Hoofdmodule::Baudrate = "9600";
    }

    void bevatTekst_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("found");
        QTest::newRow("inside") << "12--" << "--" << true;
        QTest::newRow("absent") << "12.5" << "--" << false;
        QTest::newRow("empty part") << "abc" << "" << true;
        QTest::newRow("empty text") << "" << "" << false;
    }
    void bevatTekst()
    {
        QFETCH(QString, text);
        QFETCH(QString, part);
        QFETCH(bool, found);
        QCOMPARE(BevatTekst(text, part), found);
    }

    void failureCountStopsAt10000()
    {
        Toestel[9].FoutTeller = 9999;
        VerhogenFoutTeller(9);
        VerhogenFoutTeller(9);
        QCOMPARE(Toestel[9].FoutTeller, 10000);
        Toestel[9].FoutTeller = 0;
        MarkerenToestelDefect(9);
        QVERIFY(Toestel[9].Defect);
        QCOMPARE(Toestel[9].Wachtbeurten, qint16(5));
        QCOMPARE(Toestel[9].FoutTeller, 1);
    }

    void relays_data()
    {
        QTest::addColumn<bool>("t57");
        QTest::addColumn<QStringList>("status");
        QTest::addColumn<QString>("relais");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("T57 words") << true << QStringList{"CH1: REL1 REL3", ""} << "1-3-"
                                   << QStringList{"CH1:    ", ""};
        QTest::newRow("standard words") << false << QStringList{"CH1: REL 2", "CH2: REL 4"}
                                        << "-2-4" << QStringList{"CH1:  ", "CH2:  "};
        QTest::newRow("T57 word is not a standard word") << false << QStringList{"REL2", ""}
                                                         << "----" << QStringList{"REL2", ""};
        QTest::newRow("stop, then a later relay") << true << QStringList{"STOP", "CH2: REL2"}
                                                  << "S2OP" << QStringList{" ", "CH2:  "};
        QTest::newRow("stop hides its own relays") << true << QStringList{"CH1: STOP REL1", ""}
                                                   << "STOP" << QStringList{"CH1:   REL1", ""};
    }
    void relays()
    {
        QFETCH(bool, t57);
        QFETCH(QStringList, status);
        QFETCH(QString, relais);
        QFETCH(QStringList, after);
        Toestel[3].Kanalen = 2;
        Toestel[3].Kanaal[1].Status = status[0];
        Toestel[3].Kanaal[2].Status = status[1];
        Toestel[3].Kanaal[3].Status = "REL3"; // beyond the channel count: not looked at
        if (t57)
            AfleidenRelaisT57(3);
        else
            AfleidenRelaisStandaard(3);
        QCOMPARE(Toestel[3].Relais, relais);
        QCOMPARE(Toestel[3].Kanaal[1].Status, after[0]);
        QCOMPARE(Toestel[3].Kanaal[2].Status, after[1]);
    }

    void readingTime()
    {
        const QDateTime t(QDate(2026, 3, 1), QTime(8, 0, 0));
        Hoofdmodule::MeetTijdstip = t;
        Hoofdmodule::AantalRijen = 0;
        QCOMPARE(BerekenTijdstip(t), t);
        Hoofdmodule::AantalRijen = 3;
        QCOMPARE(BerekenTijdstip(t), t.addSecs(1));
        QCOMPARE(BerekenTijdstip(t.addSecs(5)), t.addSecs(5));
        Hoofdmodule::AantalRijen = 0;
    }
};

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
