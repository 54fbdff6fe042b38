#include "core/slots.h"

#include <QtTest>

class TestSlots : public QObject {
    Q_OBJECT
private slots:
    void baudrate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("9600") << "9600" << "9600";
        QTest::newRow("450 snaps up") << "450" << "600";
        QTest::newRow("14400") << "14400" << "19200";
        QTest::newRow("28800") << "28800" << "38400";
        QTest::newRow("38400") << "38400" << "38400";
        QTest::newRow("300") << "300" << "300";
        QTest::newRow("299") << "299" << "9600";
        QTest::newRow("38401") << "38401" << "9600";
        // Every rate the settings dialog offers comes back as it was stored.
        QTest::newRow("57600") << "57600" << "57600";
        QTest::newRow("115200") << "115200" << "115200";
        QTest::newRow("115200 with settings tail") << "115200,N,8,1" << "115200";
        QTest::newRow("between the fast rates") << "76800" << "9600";
        QTest::newRow("above 115200") << "230400" << "9600";
        QTest::newRow("not a number") << "fast" << "9600";
        QTest::newRow("empty") << "" << "9600";
        QTest::newRow("with settings tail") << "4800,N,8,1" << "4800";
        QTest::newRow("half rounds to even: 299.5 is 300") << "299.5" << "300";
        QTest::newRow("below 299.5") << "299.4" << "9600";
        QTest::newRow("blanks skipped") << " 1 200" << "1200";
        QTest::newRow("decimal comma ends the number") << "38400,7" << "38400";
        QTest::newRow("between steps") << "3000" << "2400";
    }
    void baudrate()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ControleerBaudrate(text), expected);
    }

    void port_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("COM3") << "COM3" << "COM3";
        QTest::newRow("COM255") << "COM255" << "COM255";
        QTest::newRow("COM256") << "COM256" << "COM1";
        QTest::newRow("COM0") << "COM0" << "COM1";
        QTest::newRow("lower case") << "com3" << "COM1";
        QTest::newRow("empty") << "" << "COM1";
        QTest::newRow("leading zero") << "COM07" << "COM7";
        // A bare number or a leading blank still names the checked port.
        QTest::newRow("bare number") << "7" << "COM7";
        QTest::newRow("leading blank") << " COM7" << "COM7";
    }
    void port()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ControleerCommPoort(text), expected);
    }

    void idnoAndChannels_data()
    {
        QTest::addColumn<int>("idno");
        QTest::addColumn<int>("expectedIdno");
        QTest::newRow("0") << 0 << 1000;
        QTest::newRow("-5") << -5 << 1000;
        QTest::newRow("1000") << 1000 << 1000;
        QTest::newRow("999") << 999 << 999;
        QTest::newRow("1") << 1 << 1;
    }
    void idnoAndChannels()
    {
        QFETCH(int, idno);
        QFETCH(int, expectedIdno);
        qint32 v = idno;
        QCOMPARE(ControleerIdno(v), expectedIdno);
        QCOMPARE(v, expectedIdno);
    }

    void channels_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << 0 << 4;
        QTest::newRow("5") << 5 << 4;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("4") << 4 << 4;
    }
    void channels()
    {
        QFETCH(int, count);
        QFETCH(int, expected);
        qint16 v = qint16(count);
        QCOMPARE(int(ControleerAantalKanalen(v)), expected);
        QCOMPARE(int(v), expected);
    }

    void type_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("T574") << "T574" << "T574";
        QTest::newRow("T5741 padded") << "  T5741  " << "T5741";
        QTest::newRow("fragment") << "T5" << "T5";
        QTest::newRow("unknown") << "T999" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blank") << "        " << "";
        QTest::newRow("lower case") << "t512" << "";
        QTest::newRow("only blanks are trimmed") << "\tT512" << "";
        QTest::newRow("two codes") << "T512T542" << "T512T542";
    }
    void type()
    {
        QFETCH(QString, code);
        QFETCH(QString, expected);
        QCOMPARE(ControleerType(code), expected);
    }

    void validity()
    {
        ResetToestellen();
        QVERIFY(!ToestelGeldig(1));
        QCOMPARE(Toestel[1].Idno, 1000);
        Toestel[2].Type = "T512";
        Toestel[2].Idno = 0;
        QVERIFY(!ToestelGeldig(2));
        QCOMPARE(Toestel[2].Idno, 1000);
        Toestel[3].Type = "T512    ";
        Toestel[3].Idno = 12;
        QVERIFY(ToestelGeldig(3));
        QCOMPARE(Toestel[3].Idno, 12);
    }

    void validityTable_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("idno");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("idnoAfter");
        QTest::newRow("listed code") << "T5781" << 999 << true << 999;
        QTest::newRow("T574 inside T5741") << "T574" << 1 << true << 1;
        QTest::newRow("fragment") << "T5" << 5 << true << 5;
        QTest::newRow("unknown code") << "T999" << 12 << false << 12;
        QTest::newRow("number 1000") << "T512" << 1000 << false << 1000;
        QTest::newRow("number too large") << "T512" << 5000 << false << 1000;
        QTest::newRow("negative number") << "T512" << -1 << false << 1000;
        QTest::newRow("blank code, number marked") << "        " << 1234 << false << 1000;
    }
    void validityTable()
    {
        QFETCH(QString, type);
        QFETCH(int, idno);
        QFETCH(bool, valid);
        QFETCH(int, idnoAfter);
        ResetToestellen();
        Toestel[31].Type = type;
        Toestel[31].Idno = idno;
        QCOMPARE(ToestelGeldig(31), valid);
        QCOMPARE(Toestel[31].Idno, idnoAfter);
    }

    void findEarlierSlot()
    {
        ResetToestellen();
        Toestel[1].Idno = 12;
        Toestel[3].Idno = 12;
        qint32 idno = 12;
        qint16 index = 3;
        QCOMPARE(int(ZoekToestelIndex(idno, index)), 0);
        QCOMPARE(int(index), 1);
        index = 1;
        QCOMPARE(int(ZoekToestelIndex(idno, index)), 1);
        QCOMPARE(int(index), 1);
        qint32 unused = 13;
        index = 31;
        QCOMPARE(int(ZoekToestelIndex(unused, index)), 31);
        QCOMPARE(int(index), 31);
    }

    void resetClearsReadings()
    {
        Toestel[5].Type = "T542";
        Toestel[5].Kanalen = 2;
        Toestel[5].Kanaal[2].Waarde = "12.5";
        Toestel[5].Kanaal[2].Naam = "Oven";
        Toestel[5].FoutTeller = 7;
        Toestel[5].Actief = false;
        ResetToestellen();
        QCOMPARE(Toestel[5].Kanaal[2].Naam, QString("CH2"));
        QVERIFY(Toestel[5].Kanaal[2].Waarde.isEmpty());
        QCOMPARE(Toestel[5].FoutTeller, 0);
        QVERIFY(Toestel[5].Actief);
        QVERIFY(Toestel[5].Type.isEmpty());
        QCOMPARE(int(Toestel[5].Kanalen), 0);
    }
};

QTEST_GUILESS_MAIN(TestSlots)
#include "tst_slots.moc"
