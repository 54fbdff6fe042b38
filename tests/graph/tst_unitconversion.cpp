#include "graph/unitconversion.h"

#include <QtTest>

class TestUnitConversion : public QObject {
    Q_OBJECT

private slots:
    void convert_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("measured");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("result");
        const QString micro = QString(QChar(0x00B5));
        QTest::newRow("mg/l on a g/l line") << "g/l" << "mg/l" << "12.5" << 0.0125;
        QTest::newRow("e-6 on a mg/l line") << "mg/l" << "e-6" << "250" << 0.25;
        QTest::newRow("unknown unit on an e-3 line") << "e-3" << "°C" << "2" << 2000.0;
        QTest::newRow("mg on a °C line") << "°C" << "mg" << "7" << 7.0;
        QTest::newRow("ppt on a ppm line, comma") << "ppm" << "ppt" << "1,5" << 1500.0;
        QTest::newRow("ppm on a ppt line") << "ppt" << "ppm" << "1500" << 1.5;
        QTest::newRow("ppb is no ratio form") << "ppm" << "ppb" << "4" << 4.0;
        QTest::newRow("MS is milliseconds") << "s" << "MS" << "1500" << 1.5;
        QTest::newRow("MOhm is milliohm") << "Ohm" << "MOhm" << "1000" << 1.0;
        QTest::newRow("kOhm on a mOhm line") << "mOhm" << "kOhm" << "2" << 2000000.0;
        QTest::newRow("Ohm on a kOhm line") << "kOhm" << "Ohm" << "500" << 0.5;
        QTest::newRow("s on a micro-s line") << micro + "s" << "s" << "2" << 2000000.0;
        QTest::newRow("ms on an s/div line") << "s/div" << "ms" << "250" << 0.25;
        QTest::newRow("s. on an ms line") << "ms" << "s." << "3" << 3000.0;
        QTest::newRow("ng on a micro-g line") << micro + "g" << "ng" << "5" << 0.005;
        QTest::newRow("g on an ng line") << "ng" << "g" << "1" << 1e9;
        QTest::newRow("mg on an e-6 line") << "e-6" << "mg" << "2" << 2000.0;
        QTest::newRow("e-3 on an e-6 line") << "e-6" << "e-3" << "2" << 2000.0;
        QTest::newRow("ms on an e-3 line counts as 10^0") << "e-3" << "ms" << "2" << 2000.0;
        // The recorder hands units padded to eight characters.
        QTest::newRow("padded g on a mg line") << "mg" << "g       " << "1.5" << 1500.0;
        QTest::newRow("padded line unit") << "mg      " << " g" << "2" << 2000.0;
        QTest::newRow("time and mass do not mix") << "g" << "ms" << "8" << 8.0;
        QTest::newRow("unknown line unit") << "rpm" << "mg" << "8" << 8.0;
        QTest::newRow("e- without a number, line") << "e-" << "mg" << "8" << 8.0;
        QTest::newRow("e- without a number, measured") << "e-3" << "e-" << "8" << 8000.0;
        QTest::newRow("e- with letters") << "mg" << "e-x" << "8" << 8.0;
        QTest::newRow("over range stays") << "g" << "mg" << "9999" << 9999.0;
        QTest::newRow("empty value stays") << "g" << "mg" << "" << 0.0;
        QTest::newRow("not a number, g and mg") << "g" << "mg" << "abc" << 0.0;
        QTest::newRow("same unit, value kept exactly") << "mg" << "mg" << "0.1" << 0.1;
        QTest::newRow("absurd exponent keeps the value") << "e-999" << "g" << "3" << 3.0;
    }
    void convert()
    {
        QFETCH(QString, line);
        QFETCH(QString, measured);
        QFETCH(QString, value);
        QFETCH(double, result);
        QCOMPARE(OmrekenenNaarGrafiekEenheid(line, value, measured), result);
    }
};

QTEST_MAIN(TestUnitConversion)
#include "tst_unitconversion.moc"
