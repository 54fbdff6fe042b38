#include "core/slots.h"
#include "graph/graphsettingsrules.h"
#include "platform/updown.h"
#include "support/language.h"

#include <QtTest>

class TestGraphSettingsRules : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qint16 english = 0;
        LaadTaal(english);
    }

    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("bounded");
        QTest::addColumn<bool>("timeOfDay");
        QTest::newRow("five seconds") << "00:00:05" << ":" << 5 << 5 << true;
        QTest::newRow("one hour") << "01:00:00" << ":" << 3600 << 3600 << true;
        QTest::newRow("just past an hour wraps to 1") << "01:00:01" << ":" << 3601 << 1 << true;
        QTest::newRow("empty field") << "__:__:__" << ":" << 0 << 3600 << true;
        QTest::newRow("zero") << "00:00:00" << ":" << 0 << 3600 << true;
        QTest::newRow("blanks read as 0") << "0_:1_:_5" << ":" << 605 << 605 << true;
        QTest::newRow("last time of day") << "23:59:59" << ":" << 86399 << 1 << true;
        QTest::newRow("no time of day") << "99:00:00" << ":" << 356400 << 1 << false;
        QTest::newRow("hours past 23") << "24:00:00" << ":" << 86400 << 1 << false;
        QTest::newRow("minutes past 59") << "00:75:00" << ":" << 4500 << 1 << false;
        QTest::newRow("seconds past 59") << "00:00:99" << ":" << 99 << 99 << false;
        QTest::newRow("dot separator") << "00.02.03" << "." << 123 << 123 << true;
    }
    void interval()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(int, seconds);
        QFETCH(int, bounded);
        QFETCH(bool, timeOfDay);
        QCOMPARE(LeesTussentijd(text, separator), seconds);
        QCOMPARE(BegrensTussentijd(LeesTussentijd(text, separator)), bounded);
        QCOMPARE(TussentijdIsTijdstip(text, separator), timeOfDay);
    }

    void intervalText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1 << ":" << "00:00:01";
        QTest::newRow("an hour") << 3600 << ":" << "01:00:00";
        QTest::newRow("two hours") << 7200 << ":" << "02:00:00";
        QTest::newRow("mixed") << 3723 << "." << "01.02.03";
        QTest::newRow("a whole day") << 86400 << ":" << "00:00:00";
        QTest::newRow("beyond a day") << 90000 << ":" << "00:00:00";
    }
    void intervalText()
    {
        QFETCH(int, seconds);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(TussentijdTekst(seconds, separator), text);
    }

    void intervalMask_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("mask");
        QTest::newRow("colon") << ":" << "00:00:00;_";
        QTest::newRow("dot") << "." << "00.00.00;_";
        QTest::newRow("a mask character") << "h" << "00\\h00\\h00;_";
    }
    void intervalMask()
    {
        QFETCH(QString, separator);
        QFETCH(QString, mask);
        QCOMPARE(TussentijdMasker(separator), mask);
    }

    void boundedBounds()
    {
        QCOMPARE(BegrensTussentijd(-5), 3600);
        QCOMPARE(BegrensTussentijd(1), 1);
        QCOMPARE(BegrensTussentijd(3600), 3600);
        QCOMPARE(BegrensTussentijd(7200), 1);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("divisions");
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("number");
        QTest::newRow("25") << "25" << 20 << 50 << 25.0;
        QTest::newRow("0") << "0" << 1 << 50 << 0.0;
        QTest::newRow("2.5 loses its point") << "2.5" << 20 << 50 << 2.5;
        QTest::newRow("2,5 ends at the comma") << "2,5" << 2 << 50 << 2.5;
        QTest::newRow("abc") << "abc" << 1 << 50 << 0.0;
        QTest::newRow("12") << "12" << 12 << 50 << 12.0;
        QTest::newRow("120") << "120" << 20 << 120 << 120.0;
        QTest::newRow("31000 past the arrows") << "31000" << 20 << 31000 << 31000.0;
        QTest::newRow("1,5") << "1,5" << 1 << 50 << 1.5;
        QTest::newRow("-3") << "-3" << 1 << 50 << -3.0;
        QTest::newRow("empty") << "" << 1 << 50 << 0.0;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, divisions);
        QFETCH(int, points);
        QFETCH(double, number);
        QCOMPARE(BegrensVerdelingen(text), divisions);
        QCOMPARE(BegrensGrafiekPunten(text), points);
        QCOMPARE(LeesGetal(text), number);
    }

    void numberFieldValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("value");
        QTest::newRow("whole") << "12" << true << 12;
        QTest::newRow("comma") << "1,5" << true << 2;
        QTest::newRow("point") << "-1.4" << true << -1;
        QTest::newRow("blanks") << "  7 " << true << 7;
        QTest::newRow("text") << "abc" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
    }
    void numberFieldValues()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(int, value);
        int got = 0;
        QCOMPARE(numberFieldValue(text, &got), isNumber);
        if (isNumber)
            QCOMPARE(got, value);
    }

    void sourceTexts()
    {
        ToestelGegevens &t = Toestel[3];
        t.Naam = QStringLiteral(" Oven 1 ");
        t.Kanaal[2].Eenheid = QStringLiteral("°C ");
        t.Kanaal[1].Eenheid = QStringLiteral("°C");
        t.Kanaal[1].Naam = QStringLiteral("CH1");
        QCOMPARE(BronOmschrijving(3, 2), QStringLiteral("Device 3 (Oven 1), Input 2 (°C)"));
        QCOMPARE(IngangRegel(3, 1), QStringLiteral("Input1: (°C, CH1)"));
        t.Naam = QStringLiteral("Oven");
        QCOMPARE(ToestelRegel(3), QStringLiteral("Device3: (Oven)"));
        QCOMPARE(LijnbronTitel(QStringLiteral("Graph 2"), 3),
                 QStringLiteral("Select input for Graph 2, Line number 3"));
        QCOMPARE(KiesUitLijstMelding(442), QStringLiteral("Select a device from the listbox!"));
        QCOMPARE(KiesUitLijstMelding(440), QStringLiteral("Select an input from the listbox!"));
        // Out of range: no source, no text.
        QCOMPARE(BronOmschrijving(32, 1), QString());
        QCOMPARE(BronOmschrijving(3, 5), QString());
        QCOMPARE(BronOmschrijving(0, 0), QString());
    }

    void deviceNumber_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("slot");
        QTest::newRow("entry") << "Device3: (Oven)" << 3;
        QTest::newRow("two digits") << "Device31: (Kiln: left)" << 31;
        QTest::newRow("empty entry") << "  " << 0;
        QTest::newRow("no number") << "Device: (x)" << 0;
    }
    void deviceNumber()
    {
        QFETCH(QString, entry);
        QFETCH(int, slot);
        QCOMPARE(BepaalToestelNummer(entry), slot);
    }

    void defaultCaptions()
    {
        QCOMPARE(StandaardGrafiekTitel(3, false), QStringLiteral("Graph 3"));
        QCOMPARE(StandaardGrafiekTitel(12, true), QStringLiteral("XY-recorder 12"));
    }
};

QTEST_MAIN(TestGraphSettingsRules)
#include "tst_graphsettingsrules.moc"
