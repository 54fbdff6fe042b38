#include "platform/registry.h"
#include "support/utilities.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class TestUtilities : public QObject {
    Q_OBJECT
    const QString app = QStringLiteral("tst_utilities");

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(Registry::filePath(app));
    }
    void cleanupTestCase() { QFile::remove(Registry::filePath(app)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void nulTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("NUL removed") << QByteArray("a\0b", 3) << QByteArray() << QByteArray("ab");
        QTest::newRow("NUL to blank") << QByteArray("a\0b", 3) << QByteArray(" ") << QByteArray("a b");
        QTest::newRow("blanks from NUL trimmed") << QByteArray("\0a\0", 3) << QByteArray(" ")
                                                 << QByteArray("a");
        QTest::newRow("255 removed") << QByteArray("\xFFx\xFF") << QByteArray() << QByteArray("x");
        QTest::newRow("trimmed between the steps") << QByteArray("\0 \xFF", 3) << QByteArray()
                                                   << QByteArray();
        QTest::newRow("single blank vanishes") << QByteArray(" ") << QByteArray() << QByteArray();
        QTest::newRow("single NUL vanishes") << QByteArray("\0", 1) << QByteArray() << QByteArray();
        QTest::newRow("tabs and line ends stay") << QByteArray("\ta\r\n") << QByteArray()
                                                 << QByteArray("\ta\r\n");
        QTest::newRow("inner blanks stay") << QByteArray(" 1  2 ") << QByteArray() << QByteArray("1  2");
    }
    void nulTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, replacement);
        QFETCH(QByteArray, expected);
        QCOMPARE(VervangNulTekens(text, replacement), expected);
        QCOMPARE(VervangNulTekens(QString::fromLatin1(text), QString::fromLatin1(replacement)),
                 QString::fromLatin1(expected));
    }

    void replaceAndTrim_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("replace and trim") << "  a-b-c  " << "-" << "+" << "a+b+c";
        QTest::newRow("case-sensitive") << "Aa" << "a" << "x" << "Ax";
        QTest::newRow("empty find changes nothing") << " ab " << "" << "x" << "ab";
        QTest::newRow("tabs are not trimmed") << "\tx\t" << "y" << "z" << "\tx\t";
        QTest::newRow("replacement made blanks at an end") << "_a_" << "_" << " " << "a";
        QTest::newRow("longer find") << "abcabc" << "bc" << "" << "aa";
    }
    void replaceAndTrim()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(VervangEnTrim(text, find, replacement), expected);
    }

    void ampersand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("access key") << "&Settings" << "" << "Settings";
        QTest::newRow("blanks around") << "  &File " << "" << "File";
        QTest::newRow("doubled") << "A&&B" << "" << "AB";
        QTest::newRow("other replacement") << "&Open" << "_" << "_Open";
        QTest::newRow("none") << "Plain" << "" << "Plain";
    }
    void ampersand()
    {
        QFETCH(QString, text);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(VerwijderAmpersand(text, replacement), expected);
    }

    void afterDelimiter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("key and value") << "Name = Oven 3 " << "Oven 3";
        QTest::newRow("ends in =") << "Name=" << "";
        QTest::newRow("value holds =") << "Remark=a=b" << "a=b";
        QTest::newRow("section header") << "  [MAIN] " << "[MAIN]";
        QTest::newRow("tabs stay") << "K=\tv\t" << "\tv\t";
        QTest::newRow("empty") << "" << "";
    }
    void afterDelimiter()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(TekstNaScheiding(text, '='), expected);
    }

    void portNumber_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("COM3") << "COM3" << 3;
        QTest::newRow("COM255") << "COM255" << 255;
        QTest::newRow("leading zero") << "COM07" << 7;
        QTest::newRow("COM alone") << "COM" << 0;
        QTest::newRow("no number") << "COMx" << 0;
    }
    void portNumber()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(int(LeesPoortNummer(name)), number);
    }

    void readLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("[MAIN]\r\nPort=COM1\r\n")
                               << QStringList{"[MAIN]", "Port=COM1"};
        QTest::newRow("CR alone") << QByteArray("a\rb") << QStringList{"a", "b"};
        QTest::newRow("LF only is one line") << QByteArray("a\nb\n") << QStringList{"a\nb\n"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << QStringList{"a\n", "b"};
        QTest::newRow("nothing trimmed") << QByteArray("  a = b \r\n") << QStringList{"  a = b "};
        QTest::newRow("Windows-1252") << QByteArray("\x80 5\r\n") << QStringList{QString::fromUtf8("€ 5")};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void readLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QStringList read;
        while (!buffer.atEnd())
            read << LeesRegel(buffer);
        QCOMPARE(read, lines);
        bool ok = false;
        QCOMPARE(LeesRegel(buffer, &ok), QString()); // at the end: empty, no error
        QVERIFY(ok);
    }

    void readLineFromFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("lf.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("one\ntwo\nthree");
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(LeesRegel(file), QString("one\ntwo\nthree"));
        QVERIFY(file.atEnd());
        file.close();

        bool ok = true;
        QCOMPARE(LeesRegel(file, &ok), QString()); // not open: the caller learns it
        QVERIFY(!ok);
    }

    void makeFolder_data()
    {
        QTest::addColumn<QString>("existing"); // folders made before, relative to the temp dir
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("mustExist");
        QTest::newRow("exists") << "a" << "a" << true << "a";
        QTest::newRow("one missing level") << "" << "a" << true << "a";
        QTest::newRow("two missing levels") << "" << "a/b" << true << "a/b";
        QTest::newRow("deeper under existing") << "a" << "a/b/c/d" << true << "a/b/c/d";
        QTest::newRow("trailing slash") << "" << "a/b/" << true << "a/b";
        QTest::newRow("under a file") << "" << "file/x" << false << "";
        QTest::newRow("levels made before a failure stay")
            << "" << "a/" + QString(300, 'n') + "/x" << false << "a";
    }
    void makeFolder()
    {
        QFETCH(QString, existing);
        QFETCH(QString, path);
        QFETCH(bool, result);
        QFETCH(QString, mustExist);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        if (!existing.isEmpty())
            QVERIFY(QDir(dir.path()).mkpath(existing));

        QCOMPARE(MaakMap(dir.filePath(path)), result);
        if (!mustExist.isEmpty())
            QVERIFY(QFileInfo(dir.filePath(mustExist)).isDir());
        QVERIFY(QFileInfo(dir.filePath("file")).isFile());
    }

    void makeFolderEmptyPath() { QVERIFY(!MaakMap(QString())); }

    void applyFont_data()
    {
        QTest::addColumn<float>("size");
        QTest::addColumn<bool>("flags");
        QTest::addColumn<double>("expectedSize");
        QTest::newRow("all set") << 10.5f << true << 10.5;
        QTest::newRow("all cleared") << 12.0f << false << 12.0;
        QTest::newRow("no size keeps the old one") << 0.0f << true << 7.0;
    }
    void applyFont()
    {
        QFETCH(float, size);
        QFETCH(bool, flags);
        QFETCH(double, expectedSize);
        QWidget w;
        QFont start("DejaVu Sans");
        start.setPointSizeF(7);
        start.setBold(!flags);
        start.setItalic(!flags);
        start.setUnderline(!flags);
        start.setStrikeOut(!flags);
        w.setFont(start);

        FontRecord r;
        r.Naam = "Courier New";
        r.Vet = r.Cursief = r.Onderstreept = r.Doorgestreept = flags;
        r.Grootte = size;
        r.Kleur = 0xFF00FF;
        ToepassenLettertype(&w, r);
        const QFont f = w.font();
        QCOMPARE(f.family(), QString("Courier New"));
        QCOMPARE(f.bold(), flags);
        QCOMPARE(f.italic(), flags);
        QCOMPARE(f.underline(), flags);
        QCOMPARE(f.strikeOut(), flags);
        QCOMPARE(f.pointSizeF(), expectedSize);
    }

    void settings_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("Boolean true") << "en_US" << QVariant(true) << "True";
        QTest::newRow("Boolean false") << "nl_NL" << QVariant(false) << "False";
        QTest::newRow("whole number") << "en_US" << QVariant(123456) << "123456";
        QTest::newRow("negative") << "nl_NL" << QVariant(-15) << "-15";
        QTest::newRow("double en_US") << "en_US" << QVariant(1234.5) << "1234.5";
        QTest::newRow("double nl_NL") << "nl_NL" << QVariant(1234.5) << "1234,5";
        QTest::newRow("single stays short") << "nl_NL" << QVariant(0.1f) << "0,1";
        QTest::newRow("text") << "en_US" << QVariant("Courier New") << "Courier New";
        QTest::newRow("empty text") << "en_US" << QVariant(QString()) << "";
    }
    void settings()
    {
        QFETCH(QString, locale);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        BewaarSetting(app, "Terminal", "Value", value);
        QCOMPARE(LeesSetting(app, "Terminal", "Value", "default"), text);
        // Sections and keys are found in any letter case.
        QCOMPARE(LeesSetting(app, "TERMINAL", "value", "default"), text);
    }

    void settingDefault_data()
    {
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QString>("text");
        QTest::newRow("text") << QVariant("1") << "1";
        QTest::newRow("number") << QVariant(8) << "8";
        QTest::newRow("Boolean") << QVariant(false) << "False";
        QTest::newRow("none") << QVariant() << "";
    }
    void settingDefault()
    {
        QFETCH(QVariant, fallback);
        QFETCH(QString, text);
        QCOMPARE(LeesSetting(app, "Settings", "NeverStored", fallback), text);
        QVERIFY(!Registry::contains(app, "Settings", "NeverStored"));
    }
};

QTEST_MAIN(TestUtilities)
#include "tst_utilities.moc"
