#include "core/conversions.h"

#include <QtTest>
#include <cfloat>
#include <clocale>
#include <limits>

// Every conversion is run under a locale with a decimal point and one with a decimal comma:
// reading numbers must not depend on the locale, writing them must follow it.
namespace {
const char *const locales[] = {"en_US", "nl_NL"};

template <typename F> void forEachLocale(const char *name, F addRow)
{
    for (const char *loc : locales)
        addRow(QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(loc, name))) << QString(loc));
}
} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void real_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const struct {
            const char *name, *text;
            double value;
        } rows[] = {
            {"comma", "12,5", 12.5},
            {"point", "12.5", 12.5},
            {"not a number", "abc", 0},
            {"empty", "", 0},
            {"blank inside", "1 2", 12},
            {"tab and line feed skipped", " \t-1\n2.5", -12.5},
            {"both signs: cut at the second", "1.234,5", 1.234},
            {"exponent", "1.5E3", 1500},
            {"lower-case exponent with sign", "25e-1", 2.5},
            {"exponent without digits", "7E", 7},
            {"trailing unit", "-3.75 mV", -3.75},
            {"leading point", ".5", 0.5},
            {"plus sign", "+4", 4},
            {"sign alone", "-", 0},
            {"point alone", ".", 0},
            {"CR stops the number", "3\r4", 3},
        };
        for (const auto &r : rows)
            forEachLocale(r.name, [&](QTestData &d) { d << QString(r.text) << r.value; });
    }
    void real()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(TekstNaarDouble(text), expected);
        QCOMPARE(TekstNaarSingle(text), float(expected));
    }

    void realOverflow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("single");
        QTest::addColumn<double>("dbl");
        QTest::newRow("too large for a single") << "1E300" << -1.0f << 1e300;
        QTest::newRow("too large for both") << "1E400" << -1.0f << -1.0;
        QTest::newRow("negative too large") << "-1E400" << -1.0f << -1.0;
        QTest::newRow("tiny is zero") << "1E-400" << 0.0f << 0.0;
        QTest::newRow("largest single") << "3.4E38" << 3.4e38f << 3.4e38;
        // The shortest text of the largest single is a little above it as a double.
        QTest::newRow("largest single as written") << "3.4028235e+38" << FLT_MAX << 3.4028235e38;
        QTest::newRow("negative largest single") << "-3.4028235E38" << -FLT_MAX << -3.4028235e38;
        QTest::newRow("just below the rounding edge") << "3.40282356e38" << FLT_MAX
                                                      << 3.40282356e38;
        QTest::newRow("rounds to infinity") << "3.4028236e38" << -1.0f << 3.4028236e38;
    }
    void realOverflow()
    {
        QFETCH(QString, text);
        QFETCH(float, single);
        QFETCH(double, dbl);
        QCOMPARE(TekstNaarSingle(text), single);
        QCOMPARE(TekstNaarDouble(text), dbl);
    }

    void whole_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<qint64>("lng");
        const struct {
            const char *name, *text;
            int integer;
            qint64 lng;
        } rows[] = {
            {"comma ends the number", "12,7", 12, 12},
            {"point rounds", "12.7", 13, 13},
            {"half to even down", "2.5", 2, 2},
            {"half to even up", "3.5", 4, 4},
            {"negative half", "-2.5", -2, -2},
            {"70000", "70000", -1, 70000},
            {"40000", "40000", -1, 40000},
            {"integer limits", "-32768", -32768, -32768},
            {"just above integer", "32767.6", -1, 32768},
            {"long limit", "2147483647", -1, 2147483647},
            {"above long", "2147483648", -1, -1},
            {"below long", "-2147483649", -1, -1},
            {"not a number", "x12", 0, 0},
            {"empty", "", 0, 0},
            {"blanks skipped", " 1 2 ", 12, 12},
            {"exponent", "1E3", 1000, 1000},
            {"huge exponent", "1E400", -1, -1},
            {"baud-rate tail", "9600,N,8,1", 9600, 9600},
        };
        for (const auto &r : rows)
            forEachLocale(r.name, [&](QTestData &d) { d << QString(r.text) << r.integer << r.lng; });
    }
    void whole()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(qint64, lng);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(int(TekstNaarInteger(text)), integer);
        QCOMPARE(qint64(TekstNaarLong(text)), lng);
    }

    // QCoreApplication sets the process locale from the environment; a decimal-comma process
    // locale must not change how a number text reads.
    void numbersIgnoreProcessLocale()
    {
        const char *const candidates[] = {"nl_NL.UTF-8", "nl_NL.utf8", "de_DE.UTF-8",
                                          "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
        const std::string before = std::setlocale(LC_NUMERIC, nullptr);
        bool set = false;
        for (const char *c : candidates)
            if (std::setlocale(LC_NUMERIC, c)) {
                set = true;
                break;
            }
        if (!set)
            QSKIP("no decimal-comma system locale installed");
        const double d = TekstNaarDouble("12.5");
        const qint16 i = TekstNaarInteger("12.7");
        std::setlocale(LC_NUMERIC, before.c_str());
        QCOMPARE(d, 12.5);
        QCOMPARE(int(i), 13);
    }

    void boolean_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("FALSE with blanks") << "  FALSE  " << false;
        QTest::newRow("Onwaar") << "Onwaar" << false;
        QTest::newRow("faux") << "faux" << false;
        QTest::newRow("vals") << "vals" << false;
        QTest::newRow("falsch") << "falsch" << false;
        QTest::newRow("unwahr") << "UNWAHR" << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("no") << "no" << true;
        QTest::newRow("True") << "True" << true;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("00 is not 0") << "00" << true;
        QTest::newRow("tab is not a blank") << "\tfalse" << true;
    }
    void boolean()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(TekstNaarBoolean(text), expected);
    }

    void decimalSign_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("sign");
        QTest::newRow("en_US") << "en_US" << ".";
        QTest::newRow("nl_NL") << "nl_NL" << ",";
        QTest::newRow("C") << "C" << ".";
    }
    void decimalSign()
    {
        QFETCH(QString, locale);
        QFETCH(QString, sign);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(DecimaalTeken(), sign);
        QCOMPARE(PuntNaarDecimaal("1.5.2"), QString("1%1 5%1 2").arg(sign).remove(' '));
        QCOMPARE(PuntNaarDecimaal("12"), QString("12"));
    }

    void takeNumber_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("number"); // with "." for the decimal sign
        QTest::addColumn<QString>("rest");
        const struct {
            const char *name, *text;
            int flags;
            const char *number, *rest;
        } rows[] = {
            {"reply line", "T=-12.5C", 0, "-12.5", "C"},
            {"control stops with flag 2", "\r\n12.5", 2, "", "\r\n12.5"},
            {"control skipped with flag 0", "\r\n12.5", 0, "12.5", ""},
            {"class only", "x--1.2.3y", 0, "--1.2.3", "y"},
            {"no number", "abc", 0, "", ""},
            {"empty", "", 2, "", ""},
            {"blank ends the number", "12 34", 0, "12", " 34"},
            {"comma is not a number character", "1,5", 0, "1", ",5"},
        };
        for (const auto &r : rows)
            forEachLocale(r.name, [&](QTestData &d) {
                d << QString(r.text) << r.flags << QString(r.number) << QString(r.rest);
            });
    }
    void takeNumber()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QString, number);
        QFETCH(QString, rest);
        QLocale::setDefault(QLocale(locale));
        const QString expected = QString(number).replace('.', QLocale(locale).decimalPoint());

        QString t = text;
        QCOMPARE(NeemGetal(t, flags), expected);
        QCOMPARE(t, rest);

        QByteArray b = text.toLatin1();
        QCOMPARE(NeemGetal(b, flags), expected.toLatin1());
        QCOMPARE(b, rest.toLatin1());
    }

    void skipLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("CR LF is one end") << QByteArray("abc\r\ndef") << QByteArray("def");
        QTest::newRow("LF LF leaves one") << QByteArray("abc\n\ndef") << QByteArray("\ndef");
        QTest::newRow("LF CR is two ends") << QByteArray("abc\n\rdef") << QByteArray("\rdef");
        QTest::newRow("TAB ends") << QByteArray("12\tmg") << QByteArray("mg");
        QTest::newRow("BS ends") << QByteArray("a\bb") << QByteArray("b");
        QTest::newRow("FF ends") << QByteArray("a\fb") << QByteArray("b");
        QTest::newRow("no line end") << QByteArray("abc") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("end first") << QByteArray("\rx") << QByteArray("x");
        QTest::newRow("NUL is not an end") << QByteArray("a\0b\rc", 5) << QByteArray("c");
    }
    void skipLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, rest);
        QByteArray b = text;
        VerwijderTotRegeleinde(b);
        QCOMPARE(b, rest);
        QString s = QString::fromLatin1(text);
        VerwijderTotRegeleinde(s);
        QCOMPARE(s, QString::fromLatin1(rest));
    }

    void unit_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("degree C") << QByteArray("\xF8" "C") << QString::fromUtf8("°C");
        QTest::newRow("Ohm") << QByteArray("k\xEA") << QString("kOhm");
        QTest::newRow("micro S") << QByteArray("\xE6S") << QString::fromUtf8("µS");
        QTest::newRow("Pt") << QByteArray("\x9E" "100") << QString("Pt100");
        QTest::newRow("accents") << QByteArray("\x82\x83\x84\x85\x87\x88\x89\x8A\x8B\x8C\x93\x94\x95\x96")
                                 << QString::fromUtf8("éâäàçêëèïîôöòû");
        QTest::newRow("141 unchanged") << QByteArray("\x8D") << QString(QChar(0x8D));
        QTest::newRow("plain") << QByteArray("mV") << QString("mV");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void unit()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(ZetEenheidOm(bytes), text);
    }

    void column_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("column");
        QTest::newRow("1") << 1 << 3;
        QTest::newRow("2") << 2 << 5;
        QTest::newRow("3") << 3 << 7;
        QTest::newRow("4") << 4 << 9;
    }
    void column()
    {
        QFETCH(int, channel);
        QFETCH(int, column);
        QCOMPARE(int(KolomVanKanaal(qint16(channel))), column);
    }

    void timeSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("separator");
        QTest::newRow("en_US (AM/PM)") << "en_US" << ":";
        QTest::newRow("nl_NL") << "nl_NL" << ":";
        QTest::newRow("C") << "C" << ":";
        QTest::newRow("fi_FI") << "fi_FI" << ".";
        QTest::newRow("zh_CN (zone first)") << "zh_CN" << ":";
    }
    void timeSeparator()
    {
        QFETCH(QString, locale);
        QFETCH(QString, separator);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(TijdTekst(), separator);
    }

    void bytes_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("absolute");
        QTest::newRow("0") << 0 << 0 << 0 << 0;
        QTest::newRow("255") << 255 << 255 << 0 << 255;
        QTest::newRow("256") << 256 << 0 << 1 << 256;
        QTest::newRow("1000") << 1000 << 232 << 3 << 1000;
        QTest::newRow("32767") << 32767 << 255 << 127 << 32767;
    }
    void bytes()
    {
        QFETCH(int, value);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, absolute);
        const qint16 v = qint16(value);
        QCOMPARE(int(NaarByte(qint16(value & 0xFF))), low);
        QCOMPARE(int(HoogsteByte(v)), high);
        QCOMPARE(int(AbsoluteWaarde(v)), absolute);
        QCOMPARE(int(AbsoluteWaarde(qint16(-value))), absolute);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
