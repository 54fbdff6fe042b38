#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafileparse.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/progress.h"
#include "views/table.h"

#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "coretestsupport.h"

using namespace Hoofdmodule;

namespace {

QString fixture(const QString &name) { return QStringLiteral(QLV2_FIXTURES "/") + name; }

} // namespace

class TestDataFileReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    frmTabel *m_tabel = nullptr;

    QString cell(int slot, int row, int col) const
    {
        return m_tabel->MSHFlexGrid(slot - 1)->data().textMatrix(row, col).trimmed();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-READER-TEST");
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path();
    }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        qint16 english = 0;
        LaadTaal(english);
        delete m_tabel;
        m_tabel = new frmTabel;
        dataViews() = DataViews();
        dataViews().tabel = m_tabel;
        RelatieveTijd = false;
        TijdBasis = QDateTime();
        LoggenActief = false;
        AlleenLezen = false;
        LaatsteAntwoord = 0;
        ZetAntwoord(0);
        for (int n = 1; n <= 4; ++n)
            Registry::remove(RegisterNaam, QStringLiteral("Recent Files"),
                             QStringLiteral("RecentFile%1").arg(n));
    }

    void cleanupTestCase()
    {
        dataViews() = DataViews();
        delete m_tabel;
    }

    // Each file is read with a configuration; cells are "slot/row/column=text" (trimmed).
    void readsEdgeCaseFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("valid");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("cells");

        QTest::newRow("blank, second header, text line, short record, comma")
            << "datafile-edge.csv" << QList<int>{1, 3} << 3
            << QStringList{"1/1/1=1/5/2026", "1/1/2=9:00:00 AM", "1/1/3=1.5", "1/1/4=bar",
                           "1/1/5=2.5", "1/1/11=OK", "1/1/12=1---", "1/1/13=first",
                           "3/1/3=7", "3/1/12=--3-",
                           "1/2/2=9:00:05 AM", "1/2/3=1,5", "1/2/11=HI LO",
                           "1/2/13=comma, kept", "3/2/3=", "3/2/12=", "3/2/13=",
                           "1/3/3=1.25", "3/3/3=8", "3/3/13=last"};
        QTest::newRow("header only") << "datafile-header-only.csv" << QList<int>{1, 3} << 0
                                     << QStringList{"1/1/3="};
        QTest::newRow("first line is a record, taken as the header")
            << "datafile-no-header.csv" << QList<int>{1, 3} << 2
            << QStringList{"1/1/3=4", "3/1/3=6", "1/2/3=7", "3/2/3=9", "1/3/3="};
        QTest::newRow("written with slot 2, read without it")
            << "datafile-three-slots.csv" << QList<int>{1, 3} << 2
            << QStringList{"1/1/3=11", "3/1/3=22", "3/1/4=A", "3/1/13=two", "3/2/3=23"};
        QTest::newRow("same configuration")
            << "datafile-three-slots.csv" << QList<int>{1, 2, 3} << 2
            << QStringList{"2/1/3=22", "3/1/3=33", "3/1/13=three", "3/2/3=34"};
    }

    void readsEdgeCaseFiles()
    {
        QFETCH(QString, file);
        QFETCH(QList<int>, valid);
        QFETCH(int, rows);
        QFETCH(QStringList, cells);
        configureT542Slots(valid);
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = fixture(file);
        LaadMeetbestand();
        QCOMPARE(AantalRijen, rows);
        QCOMPARE(LaatsteAntwoord, qint16(1));
        QCOMPARE(Antwoord(), qint16(1));
        QVERIFY(dialogs.requests().isEmpty());
        QVERIFY(!LadenBezig);
        QVERIFY(!FrmVoortgang::isLoaded());
        for (const QString &c : cells) {
            const QStringList parts = c.section('=', 0, 0).split('/');
            QCOMPARE(cell(parts[0].toInt(), parts[1].toInt(), parts[2].toInt()),
                     c.section('=', 1));
        }
    }

    void cancelPartwayKeepsRowsRead()
    {
        configureT542Slots({1});
        const QString path = m_dir.filePath("long.csv");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\"Time\"\r\n");
            const QDateTime start(QDate(2026, 1, 5), QTime(0, 0, 0));
            for (int i = 0; i < 20000; ++i)
                f.write(QStringLiteral("\"%1\",\"%2\",\"V\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
                            .arg(DateTimeText::format(start.addSecs(i)))
                            .arg(i + 1)
                            .toLatin1());
        }
        bool sawWindow = false;
        QString caption;
        QTimer cancel;
        cancel.setInterval(0);
        connect(&cancel, &QTimer::timeout, this, [&] {
            if (!FrmVoortgang::isLoaded())
                return;
            sawWindow = true;
            caption = FrmVoortgang::instance().windowTitle();
            if (AantalRijen >= 10000)
                QTest::mouseClick(FrmVoortgang::instance().CommandCancel, Qt::LeftButton);
        });
        cancel.start();
        Meetbestandsnaam = path;
        LaadMeetbestand();
        cancel.stop();
        QVERIFY(sawWindow);
        QCOMPARE(caption, path);
        QVERIFY2(AantalRijen >= 10000 && AantalRijen < 20000, qPrintable(QString::number(AantalRijen)));
        QVERIFY(AfbrekenLaden);
        QCOMPARE(LaatsteAntwoord, qint16(1));
        QVERIFY(!FrmVoortgang::isLoaded());
        QVERIFY(!LadenBezig);
        // Every row counted is in the table, in file order, and none after it.
        QCOMPARE(cell(1, AantalRijen, 3), QString::number(AantalRijen));
        QCOMPARE(cell(1, AantalRijen + 1, 3), QString());
    }

    // Record times read back exactly in each locale's own form, around noon and midnight too,
    // more lines than the reader checks against the full parser.
    void recordTimesReadBack_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("en_US, 12-hour") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("nl_NL, 24-hour") << QLocale(QLocale::Dutch, QLocale::Netherlands);
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France);
        QTest::newRow("C") << QLocale::c();
    }

    void recordTimesReadBack()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        configureT542Slots({1});
        const QString path = m_dir.filePath("times.csv");
        QList<QDateTime> times;
        for (int i = 0; i < 200; ++i)
            times << QDateTime(QDate(2026, 1, 5), QTime(11, 58, 0)).addSecs(i * 7);
        for (int i = 0; i < 200; ++i)
            times << QDateTime(QDate(2026, 1, 5), QTime(23, 58, 0)).addSecs(i * 3);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\"Time\"\r\n");
            for (const QDateTime &t : times)
                f.write("\"" + DateTimeText::format(t).toUtf8() + "\",\"1\"\r\n");
        }
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, times.size());
        const GridData &g = m_tabel->MSHFlexGrid(0)->data();
        for (int i = 0; i < times.size(); ++i)
            QCOMPARE(g.rowTime(i + 1), times[i]);
    }

    // A file with the UTF-8 mark is read as UTF-8, any other as Windows-1252.
    void readsBothEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("remark");
        const QString text = QStringLiteral("\"Time\",\"Value %1\",\"Unit %1\"\r\n"
                                            "\"1/5/2026 9:00:00 AM\",\"1.5\",\"%2\",\"\",\"\",\"\","
                                            "\"\",\"\",\"\",\"\",\"\",\"%3\"\r\n");
        QTest::newRow("UTF-8 behind its mark")
            << QByteArray(FileText::utf8Bom)
                   + text.arg(u"Ciśnienie", u"µS", u"Piec Ω").toUtf8()
            << QStringLiteral("µS") << QStringLiteral("Piec Ω");
        QTest::newRow("Windows-1252 without a mark")
            << Cp1252::encode(text.arg(u"Druck", u"°C", u"Ofen € été"))
            << QStringLiteral("°C") << QStringLiteral("Ofen € été");
    }

    void readsBothEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, unit);
        QFETCH(QString, remark);
        configureT542Slots({1});
        const QString path = m_dir.filePath("encoding.csv");
        QVERIFY(writeBytes(path, bytes));
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QVERIFY(dialogs.requests().isEmpty());
        QCOMPARE(AantalRijen, 1);
        QCOMPARE(cell(1, 1, 4), unit);
        QCOMPARE(cell(1, 1, 13), remark);
    }

    // A file written under one locale opens under every other, the C locale included.
    void readsTimesOfOtherLocales_data()
    {
        QTest::addColumn<QLocale>("written");
        QTest::addColumn<QLocale>("read");
        const QList<std::pair<const char *, QLocale>> locales{
            {"en_US", QLocale(QLocale::English, QLocale::UnitedStates)},
            {"nl_NL", QLocale(QLocale::Dutch, QLocale::Netherlands)},
            {"fr_FR", QLocale(QLocale::French, QLocale::France)},
            {"C", QLocale::c()}};
        for (const auto &[wName, w] : locales)
            for (const auto &[rName, r] : locales)
                QTest::addRow("written %s, read %s", wName, rName) << w << r;
    }

    void readsTimesOfOtherLocales()
    {
        QFETCH(QLocale, written);
        QFETCH(QLocale, read);
        configureT542Slots({1});
        const QString path = m_dir.filePath("locale.csv");
        QList<QDateTime> times;
        for (int i = 0; i < 50; ++i)
            times << QDateTime(QDate(2026, 1, 5), QTime(11, 59, 0)).addSecs(i * 1801);
        QByteArray bytes = "\"Time\",\"Value CH1\"\r\n";
        for (const QDateTime &t : times)
            bytes += "\"" + DateTimeText::format(t, written).toUtf8() + "\",\"1\"\r\n";
        QVERIFY(writeBytes(path, bytes));
        QLocale::setDefault(read);
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QVERIFY(dialogs.requests().isEmpty());
        QCOMPARE(LaatsteAntwoord, qint16(1));
        QCOMPARE(AantalRijen, times.size());
        const GridData &g = m_tabel->MSHFlexGrid(0)->data();
        for (int i = 0; i < times.size(); ++i)
            QCOMPARE(g.rowTime(i + 1), times[i]);
    }

    // Records whose times no known form reads are told, not shown as an empty table.
    void unreadableTimesAreTold()
    {
        configureT542Slots({1});
        const QString path = m_dir.filePath("german.csv");
        QVERIFY(writeBytes(path, "\"Time\",\"Value CH1\"\r\n\"05.01.2026 09:00:00\",\"1\"\r\n"
                                 "\"05.01.2026 09:00:01\",\"2\"\r\n"));
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 0);
        QCOMPARE(LaatsteAntwoord, qint16(2));
        QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(506)});
        QVERIFY(!Taaltekst(506).isEmpty());
    }

    // Rows made ahead of a load are spread from the records seen, never from lines alone.
    void rowsEstimate_data()
    {
        QTest::addColumn<qint64>("fileBytes");
        QTest::addColumn<qint64>("bytesSeen");
        QTest::addColumn<qint64>("records");
        QTest::addColumn<int>("validSlots");
        QTest::addColumn<qint64>("least");
        QTest::addColumn<qint64>("most");
        QTest::newRow("1 MB of empty lines first") << qint64(20'000'000) << qint64(1 << 20)
                                                   << qint64(0) << 3 << qint64(0) << qint64(0);
        QTest::newRow("one record, then empty lines")
            << qint64(20'000'000) << qint64(1 << 20) << qint64(1) << 3 << qint64(1) << qint64(40);
        QTest::newRow("records all through") << qint64(100'000'000) << qint64(1'000'000)
                                             << qint64(3600) << 3 << qint64(360'000)
                                             << qint64(370'000);
        QTest::newRow("whole file seen") << qint64(5000) << qint64(5000) << qint64(20) << 3
                                         << qint64(20) << qint64(20);
        QTest::newRow("short records, many slots: as long as a record of them can be")
            << qint64(20'000'000) << qint64(1'000'000) << qint64(10'000) << 31 << qint64(10'000)
            << qint64(20'000'000 / (23 + 33 * 31) + 1);
        QTest::newRow("fixed upper bound") << qint64(100'000'000'000) << qint64(1'000'000)
                                           << qint64(10'000) << 1 << DataFileParse::MaxRowsAhead
                                           << DataFileParse::MaxRowsAhead;
    }

    void rowsEstimate()
    {
        QFETCH(qint64, fileBytes);
        QFETCH(qint64, bytesSeen);
        QFETCH(qint64, records);
        QFETCH(int, validSlots);
        QFETCH(qint64, least);
        QFETCH(qint64, most);
        const qint64 rows = DataFileParse::estimateRows(fileBytes, bytesSeen, records, validSlots);
        QVERIFY2(rows >= least && rows <= most, qPrintable(QString::number(rows)));
    }

    // A file that starts with empty lines holds the table to what its records need.
    void emptyLinesFirstKeepMemorySmall()
    {
        configureT542Slots({1, 3});
        const QString path = m_dir.filePath("blank-first.csv");
        QByteArray bytes = "\"Time\"\r\n";
        bytes += QByteArray(2'000'000, '\n');
        for (int i = 0; i < 10; ++i)
            bytes += "\"1/5/2026 9:00:0" + QByteArray::number(i) + " AM\",\"" + QByteArray::number(i)
                + "\"\r\n";
        QVERIFY(writeBytes(path, bytes));
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 10);
        qint64 used = 0;
        for (int slot : {1, 3})
            used += m_tabel->MSHFlexGrid(slot - 1)->data().store().bytesUsed();
        QVERIFY2(used < 4 * bytes.size(), qPrintable(QString::number(used)));
    }

    // A file is judged by its header and its records: one that is no data file never becomes
    // the data file and is not read; stray bytes in a data file do not refuse it.
    void foreignBytesRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QByteArray random(20'000, Qt::Uninitialized);
        QRandomGenerator generator(1234);
        for (char &c : random)
            c = char(generator.bounded(256));
        const QByteArray data = "\"Time\",\"Value CH1\"\r\n\"1/5/2026 9:00:00 AM\",\"1\tx\"\r\n";
        QTest::newRow("20 KB of random bytes") << random << true;
        QTest::newRow("another program's file") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                                << true;
        QTest::newRow("notes") << QByteArray("shopping list\r\nmilk, bread\r\n") << true;
        QTest::newRow("a data file with a NUL far on")
            << data + QByteArray(3'000'000, ' ') + QByteArray(1, '\0') << false;
        QTest::newRow("a data file with an escape") << data + "\x1b[0m" << false;
        QTest::newRow("a data file with tabs and bare line feeds") << data + "\n\n" << false;
        QTest::newRow("an empty file") << QByteArray() << false;
    }

    void foreignBytesRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        configureT542Slots({1});
        const QString path = m_dir.filePath("chosen.csv");
        QVERIFY(writeBytes(path, bytes));
        const QString old = m_dir.filePath("logged.csv");
        Meetbestandsnaam = old;
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(path);
        QString naam = Meetbestandsnaam;
        OpenMeetbestand(naam);
        QCOMPARE(Meetbestandsnaam, refused ? old : path);
        QCOMPARE(dialogs.messageTexts().contains(Taaltekst(312)), refused);
        QCOMPARE(readAllOrMissing(path), bytes);
        if (!refused)
            QCOMPARE(AantalRijen, bytes.isEmpty() ? 0 : 1);
    }

    // What a load tells of stray bytes: the file on a line of its own, what it holds, then one
    // short line per count that is not 0, in the singular or the plural, in the language loaded.
    void strayBytesMessage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("cleaned");
        QTest::addColumn<QString>("text");
        const QString file = QDir::toNativeSeparators("/d/run.csv");
        QTest::newRow("one skipped") << 0 << 1 << 0
            << file + "\r\nholds stray control characters:\r\n1 damaged line that is not a record was skipped.";
        QTest::newRow("one cleaned") << 0 << 0 << 1
            << file + "\r\nholds stray control characters:\r\n1 record was read with blanks in their place.";
        QTest::newRow("both, plural") << 0 << 2 << 6500
            << file + "\r\nholds stray control characters:\r\n"
                      "2 damaged lines that are not records were skipped.\r\n"
                      "6500 records were read with blanks in their place.";
        QTest::newRow("Dutch") << 2 << 3 << 1
            << file + "\r\nbevat losse stuurtekens:\r\n"
                      "3 beschadigde regels die geen meting zijn werden overgeslagen.\r\n"
                      "1 meting werd gelezen met spaties op hun plaats.";
        QTest::newRow("French") << 1 << 1 << 2
            << file + "\r\ncontient des caractères de contrôle parasites :\r\n"
                      "1 ligne endommagée qui n'est pas une mesure a été ignorée.\r\n"
                      "2 mesures ont été lues avec des espaces à leur place.";
    }
    void strayBytesMessage()
    {
        QFETCH(int, language);
        QFETCH(int, skipped);
        QFETCH(int, cleaned);
        QFETCH(QString, text);
        qint16 index = qint16(language);
        LaadTaal(index);
        const QString made = StrayBytesMessage("/d/run.csv", skipped, cleaned);
        qint16 english = 0;
        LaadTaal(english);
        QCOMPARE(made, text);
    }

    // A stray control byte is read as a blank wherever it stands, zeros a power loss left at
    // the end included, and what was skipped or cleaned is told once, in one message, also
    // when the file is read again.
    void strayBytesAreReadAsBlanks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("remarks");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("cleaned");
        const QByteArray header = "\"Time\",\"Value CH1\"\r\n";
        auto record = [](int second, const QByteArray &remark) {
            return "\"1/5/2026 9:00:0" + QByteArray::number(second)
                   + " AM\",\"1\",\"V\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"----\",\"" + remark + "\"\r\n";
        };
        QTest::newRow("a NUL inside one remark")
            << header + record(0, "a") + record(1, QByteArray("b\0c", 3)) + record(2, "d")
            << QStringList{"a", "b c", "d"} << 0 << 1;
        QTest::newRow("zeros a power loss left at the end")
            << header + record(0, "a") + record(1, "b") + QByteArray(70'000, '\0')
            << QStringList{"a", "b"} << 1 << 0;
        QTest::newRow("zeros right after the last record's text")
            << header + record(0, "a") + record(1, "b").chopped(2) + QByteArray(70'000, '\0')
            << QStringList{"a", "b"} << 0 << 1;
        QTest::newRow("zeros with records after them")
            << header + record(0, "a") + QByteArray(70'000, '\0') + record(1, "b")
            << QStringList{"a", "b"} << 0 << 1;
        QTest::newRow("nothing but zeros") << QByteArray(5'000, '\0') << QStringList{} << 1 << 0;
        QTest::newRow("a line of control bytes, a bell and a form feed in a remark")
            << header + record(0, "a") + QByteArray("\0\1\2\r\n", 5) + record(1, "b\x07" "c\x0c")
            << QStringList{"a", "b c"} << 1 << 1;
    }

    void strayBytesAreReadAsBlanks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, remarks);
        QFETCH(int, skipped);
        QFETCH(int, cleaned);
        configureT542Slots({1});
        const QString path = m_dir.filePath(QStringLiteral("stray-%1.csv").arg(QTest::currentDataTag()));
        QVERIFY(writeBytes(path, bytes));
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = path;
        for (int load = 0; load < 2; ++load) {
            LaadMeetbestand();
            QCOMPARE(Antwoord(), qint16(1));
            QCOMPARE(LaatsteAntwoord, qint16(1));
            QCOMPARE(AantalRijen, remarks.size());
            for (int r = 0; r < remarks.size(); ++r)
                QCOMPARE(cell(1, r + 1, KolomOpmerking), remarks[r]);
        }
        QCOMPARE(dialogs.messageTexts(), skipped + cleaned ? QStringList{StrayBytesMessage(path, skipped, cleaned)}
                                                           : QStringList{});
        QCOMPARE(Meetbestandsnaam, path);
        QVERIFY(!LadenBezig);
        QVERIFY(!FrmVoortgang::isLoaded());
    }

    void relativeTimeTakesFirstRecordAsBase()
    {
        configureT542Slots({1, 3});
        RelatieveTijd = true;
        Meetbestandsnaam = fixture("datafile-edge.csv");
        LaadMeetbestand();
        QCOMPARE(TijdBasis, QDateTime(QDate(2026, 1, 5), QTime(9, 0, 0)));
        QCOMPARE(cell(1, 3, 2), QStringLiteral("+00:00:10"));
    }

    void missingFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("told");
        QTest::newRow("plain name") << "gone.csv" << true;
        QTest::newRow("#date# name for a day without a file") << "run_#date#.csv" << false;
    }

    void missingFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, told);
        configureT542Slots({1});
        ScriptedDialogProvider dialogs;
        const QString path = m_dir.filePath(name);
        ToevoegenRecentBestand(m_dir.filePath("other.csv"));
        ToevoegenRecentBestand(path);
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QCOMPARE(dialogs.requests().size(), told ? 1 : 0);
        if (told) {
            QVERIFY(dialogs.requests()[0].text.startsWith("Non-existing file!"));
            QVERIFY(dialogs.requests()[0].text.contains(path));
            QCOMPARE(Antwoord(), qint16(2));
            QCOMPARE(RecenteBestanden(), QStringList{m_dir.filePath("other.csv")});
        } else {
            QCOMPARE(Antwoord(), qint16(1));
            QCOMPARE(RecenteBestanden().size(), 2);
        }
        QCOMPARE(Meetbestandsnaam, path);
    }

    void readErrorIsTold()
    {
        configureT542Slots({1});
        ScriptedDialogProvider dialogs;
        // A folder exists but cannot be read as a file.
        const QString path = m_dir.filePath("folder.csv");
        QVERIFY(QDir().mkpath(path));
        LeesMeetbestand(path);
        QCOMPARE(LaatsteAntwoord, qint16(2));
        QCOMPARE(dialogs.messageTexts(),
                 QStringList{"An error is encountered when reading this data file!"});
        QVERIFY(!LadenBezig);
        QVERIFY(!FrmVoortgang::isLoaded());
    }

    // A working copy left from an earlier session is settled before the file is read.
    void leftoverWorkingCopy_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes takes the edits") << int(MsgBox::Yes);
        QTest::newRow("No keeps the original") << int(MsgBox::No);
    }

    void leftoverWorkingCopy()
    {
        QFETCH(int, answer);
        configureT542Slots({1, 3});
        const QString path = m_dir.filePath("pending.csv");
        QFile::remove(path);
        QFile::remove(path + ".new");
        QFile::remove(BackupNaam(path));
        QVERIFY(QFile::copy(fixture("datafile-edge.csv"), path));
        QByteArray edited = readAllOrMissing(path);
        edited.replace("\"first\"", "\"edited\"");
        {
            QFile f(path + ".new");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(edited);
        }
        const QByteArray original = readAllOrMissing(path);
        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(answer);
        Meetbestandsnaam = path;
        LaadMeetbestand();
        QCOMPARE(dialogs.requests().size(), 1);
        QVERIFY(dialogs.requests()[0].text.startsWith("This file has previously been changed"));
        QCOMPARE(dialogs.requests()[0].flags & 7, int(MsgBox::YesNo)); // no Cancel here
        QVERIFY(!QFile::exists(path + ".new"));
        if (answer == MsgBox::Yes) {
            QCOMPARE(readAllOrMissing(path), edited);
            QCOMPARE(readAllOrMissing(BackupNaam(path)), original);
            QCOMPARE(cell(1, 1, 13), QStringLiteral("edited"));
        } else {
            QCOMPARE(readAllOrMissing(path), original);
            QVERIFY(!QFile::exists(BackupNaam(path)));
            QCOMPARE(cell(1, 1, 13), QStringLiteral("first"));
        }
    }

    void loadingStopsLogging()
    {
        configureT542Slots({1, 3});
        int stops = 0;
        dataViews().stopVerbinding = [&] { ++stops; };
        LoggenActief = true;
        Meetbestandsnaam = fixture("datafile-edge.csv");
        LaadMeetbestand();
        QCOMPARE(stops, 1);
        QVERIFY(!LoggenActief);
        QVERIFY(!DataLog::instance().isOpen());
        QCOMPARE(AantalRijen, 3);
    }

    void emptiesGraphsInUse()
    {
        configureT542Slots({1});
        QList<int> emptied, rebuilt;
        dataViews().wisGrafiekGegevens = [&](int g) { emptied << g; };
        dataViews().ladenGrafiek = [&](int g) { rebuilt << g; };
        WindowSettings::graph[2].GrafiekIndex = 2;
        WindowSettings::graph[5].GrafiekIndex = 0; // created, not in use
        Meetbestandsnaam = fixture("datafile-no-header.csv");
        LaadMeetbestand();
        WindowSettings::graph[2].GrafiekIndex = 0;
        QCOMPARE(emptied, QList<int>{2});
        QCOMPARE(rebuilt, QList<int>{2});
    }
};

QTEST_MAIN(TestDataFileReader)
#include "tst_datafilereader.moc"
