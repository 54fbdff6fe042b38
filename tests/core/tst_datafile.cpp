#include "core/datafile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "support/language.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "coretestsupport.h"
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace Hoofdmodule;

namespace {


void setSlot(int d, const char *type, int idno, int channels, bool active)
{
    ToestelGegevens &t = Toestel[d];
    t.Type = QString::fromLatin1(type);
    t.Idno = idno;
    t.Kanalen = qint16(channels);
    t.Actief = active;
}

void setChannel(int d, int k, const QString &value, const QString &unit, const QString &status)
{
    KanaalGegevens &c = Toestel[d].Kanaal[size_t(k)];
    c.Waarde = value;
    c.Eenheid = unit;
    c.Status = status;
}

void resetSlots()
{
    ResetToestellen();
    for (int d = 1; d <= MaxToestellen; ++d)
        Toestel[d].Relais.clear();
}

// Three valid slots (1, 3 and an inactive 4), slot 2 empty.
void configureRun()
{
    resetSlots();
    setSlot(1, "T512", 1, 2, true);
    Toestel[1].Kanaal[1].Naam = QString::fromUtf8("Température");
    Toestel[1].Kanaal[2].Naam = QStringLiteral(" RH ");
    setChannel(1, 1, QStringLiteral(" 21.5"), QString::fromUtf8("°C "), QStringLiteral("REL 1"));
    setChannel(1, 2, QStringLiteral("45"), QStringLiteral("%"), QString());
    Toestel[1].Relais = QStringLiteral("1---");
    setSlot(3, "T542", 3, 4, true);
    setChannel(3, 1, QStringLiteral("1,5"), QStringLiteral("bar"), QString());
    setChannel(3, 2, QStringLiteral("12\"3"), QStringLiteral("mm"), QStringLiteral("ALARM"));
    setChannel(3, 3, QStringLiteral("7"), QStringLiteral("V"), QString());
    setChannel(3, 4, QStringLiteral("-0.25"), QStringLiteral("A"), QStringLiteral("STOP"));
    Toestel[3].Relais = QStringLiteral("----");
    setSlot(4, "T552", 4, 1, false);
    setChannel(4, 1, QStringLiteral("3"), QStringLiteral("K"), QString());
    Toestel[4].Relais = QStringLiteral("--3-");
}


// Every line ends in CR LF; the first is the header; every record has the header's number of
// fields and starts with a time. Returns the number of records, or -1 with the reason.
int wholeRecords(const QByteArray &bytes, QString *why)
{
    if (bytes.isEmpty())
        return 0;
    if (!bytes.endsWith("\r\n")) {
        *why = QStringLiteral("the file ends inside a line");
        return -1;
    }
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    int fields = -1;
    int records = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].endsWith('\r')) {
            *why = QStringLiteral("line %1 has no CR LF").arg(i + 1);
            return -1;
        }
        QString line = Cp1252::decode(lines[i].chopped(1));
        const int count = int(line.count(QLatin1Char('"')));
        if (count % 2 != 0 || (fields >= 0 && count / 2 != fields)) {
            *why = QStringLiteral("line %1 has %2 quotes").arg(i + 1).arg(count);
            return -1;
        }
        if (i == 0) {
            fields = count / 2;
            continue;
        }
        if (!DateTimeText::parse(NeemVeld(line, 1)).isValid()) {
            *why = QStringLiteral("line %1 does not start with a time").arg(i + 1);
            return -1;
        }
        ++records;
    }
    return records;
}

// The child of the crash test: logs records as fast as it can until it is killed.
int runLoggingChild(const QString &path)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qint16 english = 0;
    LaadTaal(english);
    ManualClock clock(QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0)));
    Clock::install(&clock);
    ScriptedDialogProvider dialogs;
    configureRun();
    Meetbestandsnaam = path;
    if (!DataLog::instance().open())
        return 1;
    for (;;) {
        clock.advance(1000);
        clock.setWall(clock.now().addSecs(1));
        MeetTijdstip = clock.now();
        SchrijfMeting(QStringLiteral("remark, with a comma"), 0);
    }
}

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Clock::install(&m_clock);
    }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        qint16 english = 0;
        LaadTaal(english);
        resetSlots();
        m_clock.setWall(QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0)));
        MeetTijdstip = m_clock.now();
        LoggenActief = true;
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path();
    }
    void cleanup() { DataLog::instance().close(); }

    // A logging run over midnight into a "#date#" file: header, records, a controller in
    // error, the day change with its own header, and the stop record.
    void loggingRun()
    {
        ScriptedDialogProvider dialogs;
        configureRun();
        QDir(m_dir.path()).mkpath(QStringLiteral("run"));
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("run/run_#date#.csv"));
        m_clock.setWall(QDateTime(QDate(2026, 1, 5), QTime(23, 59, 50)));
        QVERIFY(DataLog::instance().open());
        QCOMPARE(DataLog::instance().fileName(), m_dir.filePath("run/run_260105.csv"));

        auto record = [&](const QTime &time, const QString &text, const QDate &date) {
            m_clock.setWall(QDateTime(date, time));
            MeetTijdstip = m_clock.now();
            return SchrijfMeting(text, 0);
        };
        const QDate day1(2026, 1, 5), day2(2026, 1, 6);
        QVERIFY(record(QTime(23, 59, 50), QString(), day1));
        Toestel[3].FoutTeller = 1;
        QVERIFY(record(QTime(23, 59, 55), QStringLiteral(" Checked\r\nby \"Ann\" "), day1));
        QCOMPARE(Toestel[3].Relais, QString()); // cleared by the failed read
        Toestel[3].FoutTeller = 0;
        Toestel[3].Relais = QStringLiteral("-2--");
        // Due just after midnight: still the file opened before it.
        QVERIFY(record(QTime(0, 0, 2), QString(), day2));
        QVERIFY(record(QTime(0, 0, 7), QString(), day2));
        QVERIFY(record(QTime(0, 0, 9), QStringLiteral("Stop"), day2));
        QVERIFY(dialogs.requests().isEmpty());
        QCOMPARE(DataLog::instance().unwrittenRecords(), 0);

        for (const char *name : {"run_260105.csv", "run_260106.csv"}) {
            const QString fixture = QStringLiteral(QLV2_FIXTURES "/data_") + QLatin1String(name);
            const QByteArray written = readFile(m_dir.filePath(QStringLiteral("run/") + name));
            if (qEnvironmentVariableIsSet("QLV2_WRITE_FIXTURES"))
                QVERIFY(writeBytes(fixture, written));
            QCOMPARE(written, readFile(fixture));
        }
    }

    void lines_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("record");
        const QString t = QStringLiteral("\"1/5/2026 10:00:00 AM\"");
        QTest::newRow("no valid slot") << "none" << "" << 0 << "\"Time\"" << t;
        const QString header = "\"Time\",\"Value A\",\"Unit A\",\"Value CH2\",\"Unit CH2\","
                               "\"Value CH3\",\"Unit CH3\",\"Value CH4\",\"Unit CH4\","
                               "\"Control\",\"Relays\",\"Remarks\"";
        QTest::newRow("three channels of four, empty status in the middle")
            << "slot 5" << "" << 0 << header
            << t + ",\"1\",\"g\",\"2\",\"kg\",\"3\",\"t\",\"\",\"\",\"a  c\",\"12--\",\"\"";
        QTest::newRow("record of that slot") << "slot 5" << "x" << 5 << header
            << t + ",\"1\",\"g\",\"2\",\"kg\",\"3\",\"t\",\"\",\"\",\"a  c\",\"12--\",\"x\"";
        QTest::newRow("record of another slot") << "slot 5" << "x" << 7 << header
            << t + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"12--\",\"x\"";
        QTest::newRow("stop record") << "slot 5" << "Stop" << 0 << header
            << t + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"12--\",\"\"";
        QTest::newRow("inactive") << "slot 5 inactive" << "" << 0 << header
            << t + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"12--\",\"\"";
        QTest::newRow("read failed") << "slot 5 failed" << "" << 0 << header
            << t + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"Reading error\",\"\",\"\"";
    }
    void lines()
    {
        QFETCH(QString, setup);
        QFETCH(QString, text);
        QFETCH(int, slot);
        QFETCH(QString, header);
        QFETCH(QString, record);
        if (setup.startsWith(QLatin1String("slot 5"))) {
            setSlot(5, "T512", 5, 3, setup != "slot 5 inactive");
            Toestel[5].Kanaal[1].Naam = QStringLiteral("A");
            setChannel(5, 1, QStringLiteral("1"), QStringLiteral("g"), QStringLiteral("a"));
            setChannel(5, 2, QStringLiteral("2"), QStringLiteral("kg"), QString());
            setChannel(5, 3, QStringLiteral("3"), QStringLiteral("t"), QStringLiteral("c"));
            Toestel[5].Relais = QStringLiteral(" 12-- ");
            Toestel[5].FoutTeller = setup == "slot 5 failed" ? 1 : 0;
        }
        QCOMPARE(KopRegel(), header);
        QCOMPARE(MetingRegel(text, slot), record);
    }

    void neemVeld_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second, comma inside") << 2 << "b,c";
        QTest::newRow("third, empty") << 3 << "";
        QTest::newRow("fourth, missing") << 4 << "";
        QTest::newRow("first") << 1 << "a";
    }
    void neemVeld()
    {
        QFETCH(int, field);
        QFETCH(QString, expected);
        QString line = QStringLiteral("\"a\",\"b,c\",\"\"");
        QCOMPARE(NeemVeld(line, field), expected);
        QCOMPARE(line, QStringLiteral("\"a\",\"b,c\",\"\""));
    }
    void neemVeldWalksTheLine()
    {
        QString line = QStringLiteral("\"a\",\"b,c\",\"\"");
        QCOMPARE(NeemVeld(line), QStringLiteral("a"));
        QCOMPARE(NeemVeld(line), QStringLiteral("b,c"));
        QCOMPARE(NeemVeld(line), QString());
        QVERIFY(line.isEmpty());
    }

    void vervangVeld_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("third") << "\"a\",\"b,c\",\"\"" << 3 << "new" << "\"a\",\"b,c\",\"new\"";
        QTest::newRow("zero counts as one") << "\"a\",\"b\"" << 0 << "z" << "\"z\",\"b\"";
        QTest::newRow("quote and line break become blanks")
            << "\"a\",\"b\"" << 2 << "say \"hi\"\r\n" << "\"a\",\"say  hi   \"";
        QTest::newRow("unclosed field gets its quote") << "\"a\",\"b" << 2 << "c" << "\"a\",\"c\"";
        QTest::newRow("text after the last field stays") << "\"a\"x" << 1 << "b" << "\"b\"x";
    }
    void vervangVeld()
    {
        QFETCH(QString, line);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        VervangVeld(line, field, text);
        QCOMPARE(line, expected);
    }

    void vervangDatum_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("marker") << "/d/run_#date#.csv" << "/d/run_260105.csv";
        QTest::newRow("twice") << "#date#/#date#.csv" << "260105/260105.csv";
        QTest::newRow("capitals stay") << "/d/run_#DATE#.csv" << "/d/run_#DATE#.csv";
        QTest::newRow("none") << "/d/run.csv" << "/d/run.csv";
    }
    void vervangDatum()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(VervangDatum(name), expected);
    }

    void commandLineFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // relative to the temporary folder
        QTest::addColumn<int>("answer");
        QTest::newRow("bare name goes to the data folder") << "Test" << "Test.csv" << 1;
        QTest::newRow("relative folder, case kept") << " sub/Run.CSV " << "sub/Run.CSV" << 1;
        QTest::newRow("absolute") << "@/sub/run" << "sub/run.csv" << 1;
        QTest::newRow("missing folder") << "nowhere/run" << "nowhere/run.csv" << 2;
        QTest::newRow("empty") << "" << "" << 1;
    }
    void commandLineFile()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(int, answer);
        ScriptedDialogProvider dialogs;
        QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
        const QString started = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        text.replace(QLatin1Char('@'), m_dir.path());
        const QString result = BestandUitCommando(text);
        QDir::setCurrent(started);
        QCOMPARE(result, expected.isEmpty() ? QString() : m_dir.filePath(expected));
        QCOMPARE(int(LaatsteAntwoord), answer);
        QCOMPARE(dialogs.messageTexts().size(), answer == 2 ? 1 : 0);
        // File dialogs change the current folder later; the name must not depend on it.
        QVERIFY(result.isEmpty() || QFileInfo(result).isAbsolute());
    }

    // A write that fails part-way is cut back off the file, counted and told once without
    // waiting; logging goes on by itself when there is room again.
    void failedWriteIsCutBack()
    {
        ScriptedDialogProvider dialogs;
        configureRun();
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("full.csv"));
        QFile::remove(Meetbestandsnaam);
        DataLog &log = DataLog::instance();
        QSignalSpy counts(&log, &DataLog::unwrittenRecordsChanged);
        QVERIFY(log.open());
        QVERIFY(SchrijfMeting(QString(), 0));
        QVERIFY(SchrijfMeting(QString(), 0));
        const QByteArray good = readFile(Meetbestandsnaam);
        const qint64 recordSize = Cp1252::encode(MetingRegel(QString(), 0)).size() + 2;
        {
            FileSizeLimit limit(rlim_t(good.size() + recordSize / 2));
            QVERIFY(!SchrijfMeting(QString(), 0));
            QVERIFY(!SchrijfMeting(QString(), 0));
        }
        QCOMPARE(readFile(Meetbestandsnaam), good);
        QCOMPARE(log.unwrittenRecords(), 2);
        QCOMPARE(dialogs.requests().size(), 1);
        QVERIFY(dialogs.requests().first().flags & MsgBox::DoNotWait);
        QCOMPARE(firstLine(dialogs.requests().first().text),
                 QStringLiteral("The disk is full: %1 cannot be written!").arg(Meetbestandsnaam));
        QVERIFY(LoggenActief);
        QVERIFY(SchrijfMeting(QString(), 0));
        QString why;
        QCOMPARE(wholeRecords(readFile(Meetbestandsnaam), &why), 3);
        QCOMPARE(log.unwrittenRecords(), 2);
        QCOMPARE(counts.size(), 3); // 0 at the start, then 1 and 2
        QCOMPARE(counts.last().first().toInt(), 2);
    }

    // The first line says what happened; the system's words follow.
    void writeErrorText_data()
    {
        QTest::addColumn<int>("errnum");
        QTest::addColumn<QString>("first");
        const QString disk = QStringLiteral("The disk is full: /d/run.csv cannot be written!");
        const QString denied = QStringLiteral("No permission to write /d/run.csv!");
        const QString inUse = QStringLiteral("The file is in use, access to /d/run.csv is rejected!");
        QTest::newRow("no space") << ENOSPC << disk;
        QTest::newRow("quota") << EDQUOT << disk;
        QTest::newRow("file size limit") << EFBIG << disk;
        QTest::newRow("permission") << EACCES << denied;
        QTest::newRow("read-only file system") << EROFS << denied;
        QTest::newRow("busy") << EBUSY << inUse;
        QTest::newRow("unknown") << 0 << inUse;
        QTest::newRow("other") << EIO << QStringLiteral("/d/run.csv cannot be written!");
    }

    void writeErrorText()
    {
        QFETCH(int, errnum);
        QFETCH(QString, first);
        const QString text = SchrijfFoutTekst(QStringLiteral("/d/run.csv"), errnum);
        QCOMPARE(firstLine(text), first);
        // The causes the language tables name are told in the user's language only; the system's
        // (English) text is added for the others.
        if (errnum != EIO)
            QCOMPARE(text, first);
        else
            QVERIFY(text.endsWith(QStringLiteral("\n\n") + QString::fromLocal8Bit(std::strerror(errnum))));
    }

    // Windows-1252 while every text fits, byte for byte as before; UTF-8 behind the mark
    // otherwise. An old file that a record does not fit is rewritten once, its text unchanged.
    void fileEncoding_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("utf8");
        const QByteArray old = Cp1252::encode(QString::fromUtf8(
            "\"Time\",\"Value Température\"\r\n\"1/4/2026 9:00:00 AM\",\"20 °C\"\r\n"));
        const QByteArray oldUtf8 = QByteArray(FileText::utf8Bom)
            + QString::fromUtf8("\"Time\",\"Value Ciśnienie\"\r\n").toUtf8();
        const QString ohm = QString::fromUtf8("Ω");
        QTest::newRow("new file, texts fit") << QByteArray() << "Température" << "°C" << false;
        QTest::newRow("new file, a name beyond") << QByteArray() << "Ciśnienie" << "bar" << true;
        QTest::newRow("new file, a unit beyond") << QByteArray() << "T" << ohm << true;
        QTest::newRow("old file, record fits") << old << "T" << "°C" << false;
        QTest::newRow("old file, record beyond") << old << "T" << ohm << true;
        QTest::newRow("UTF-8 file, record fits") << oldUtf8 << "T" << "°C" << true;
        QTest::newRow("UTF-8 file, record beyond") << oldUtf8 << "T" << ohm << true;
    }

    void fileEncoding()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QString, name);
        QFETCH(QString, unit);
        QFETCH(bool, utf8);
        ScriptedDialogProvider dialogs;
        resetSlots();
        setSlot(1, "T512", 1, 1, true);
        Toestel[1].Kanaal[1].Naam = name;
        setChannel(1, 1, QStringLiteral("21.5"), unit, QString());
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("encoding.csv"));
        QFile::remove(Meetbestandsnaam);
        if (!existing.isEmpty())
            QVERIFY(writeBytes(Meetbestandsnaam, existing));
        QVERIFY(DataLog::instance().open());
        QVERIFY(SchrijfMeting(QString(), 0));
        QVERIFY(SchrijfMeting(QString(), 0)); // the second into the file as it now is
        DataLog::instance().close();

        const QByteArray bytes = readFile(Meetbestandsnaam);
        const QString record = MetingRegel(QString(), 0) + QStringLiteral("\r\n");
        const QString before = existing.isEmpty() ? KopRegel() + QStringLiteral("\r\n")
                                                  : FileText::decodeFile(existing);
        QCOMPARE(FileText::decodeFile(bytes), before + record + record);
        QCOMPARE(FileText::hasUtf8Bom(bytes), utf8);
        QCOMPARE(int(bytes.count(FileText::utf8Bom)), utf8 ? 1 : 0);
        if (!utf8)
            QCOMPARE(bytes, Cp1252::encode(before + record + record));
        else if (FileText::hasUtf8Bom(existing))
            QVERIFY(bytes.startsWith(existing));
        QVERIFY(dialogs.requests().isEmpty());
    }

    // A full disk while an old file is rewritten leaves it as it was; the record is counted.
    void rewriteOnFullDisk()
    {
        ScriptedDialogProvider dialogs;
        resetSlots();
        setSlot(1, "T512", 1, 1, true);
        setChannel(1, 1, QStringLiteral("21.5"), QString::fromUtf8("Ω"), QString());
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("rewrite.csv"));
        QByteArray old = Cp1252::encode(QString::fromUtf8("\"Time\",\"Value é\"\r\n"));
        for (int i = 0; i < 50; ++i)
            old += Cp1252::encode(QString::fromUtf8("\"1/4/2026 9:00:00 AM\",\"20 °C\"\r\n"));
        QVERIFY(writeBytes(Meetbestandsnaam, old));
        QVERIFY(DataLog::instance().open());
        {
            FileSizeLimit limit(rlim_t(old.size() + 10));
            QVERIFY(!SchrijfMeting(QString(), 0));
        }
        QCOMPARE(readFile(Meetbestandsnaam), old);
        QCOMPARE(DataLog::instance().unwrittenRecords(), 1);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(firstLine(dialogs.requests().first().text),
                 QStringLiteral("The disk is full: %1 cannot be written!").arg(Meetbestandsnaam));
        QDir dir(m_dir.path());
        QCOMPARE(dir.entryList(QDir::Files).filter(QStringLiteral("rewrite")),
                 QStringList{QStringLiteral("rewrite.csv")});
        // With room again the next record converts the file and lands.
        QVERIFY(SchrijfMeting(QString(), 0));
        QCOMPARE(FileText::decodeFile(readFile(Meetbestandsnaam)),
                 Cp1252::decode(old) + MetingRegel(QString(), 0) + QStringLiteral("\r\n"));
    }

    void fullDevice()
    {
        ScriptedDialogProvider dialogs;
        configureRun();
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("devfull.csv"));
        QFile::remove(Meetbestandsnaam);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), Meetbestandsnaam));
        QVERIFY(DataLog::instance().open());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!SchrijfMeting(QString(), 0));
        QCOMPARE(DataLog::instance().unwrittenRecords(), 3);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(firstLine(dialogs.requests().first().text),
                 QStringLiteral("The disk is full: %1 cannot be written!").arg(Meetbestandsnaam));
        QVERIFY(LoggenActief);
    }

    // The folder disappears under an open file: the record still lands in the open file, the
    // reopen asks Retry or Cancel, and Cancel switches logging off where it can be seen.
    void folderVanishes()
    {
        ScriptedDialogProvider dialogs;
        configureRun();
        const QString folder = m_dir.filePath(QStringLiteral("stick"));
        QDir().mkpath(folder);
        Meetbestandsnaam = folder + QStringLiteral("/run.csv");
        DataLog &log = DataLog::instance();
        QSignalSpy off(&log, &DataLog::loggingSwitchedOff);
        QVERIFY(log.open());
        QVERIFY(QDir(folder).removeRecursively());
        dialogs.answerMessage(MsgBox::Retry);
        dialogs.answerMessage(MsgBox::Cancel);
        QVERIFY(SchrijfMeting(QString(), 0));
        QCOMPARE(dialogs.requests().size(), 2);
        QCOMPARE(dialogs.requests().first().flags, MsgBox::RetryCancel | MsgBox::Exclamation);
        QCOMPARE(dialogs.requests().first().title, Meetbestandsnaam);
        QVERIFY(dialogs.requests().first().text.contains(Meetbestandsnaam));
        QVERIFY(!LoggenActief);
        QCOMPARE(off.size(), 1);
        QVERIFY(!log.isOpen());
        // A record that still arrives is counted, not lost in silence.
        QVERIFY(!SchrijfMeting(QString(), 0));
        QCOMPARE(log.unwrittenRecords(), 1);
    }

    void partialLineIsNotJoined()
    {
        ScriptedDialogProvider dialogs;
        configureRun();
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("partial.csv"));
        const QByteArray start = Cp1252::encode(KopRegel()) + "\r\n\"1/5/2026 9:";
        QVERIFY(writeBytes(Meetbestandsnaam, start));
        QVERIFY(DataLog::instance().open());
        QVERIFY(SchrijfMeting(QString(), 0));
        QCOMPARE(readFile(Meetbestandsnaam),
                 start + "\r\n" + Cp1252::encode(MetingRegel(QString(), 0)) + "\r\n");
    }

    // A logging process killed at random moments leaves only whole records.
    void killedWhileLogging()
    {
        QRandomGenerator random(20260105);
        for (int run = 0; run < 40; ++run) {
            const QString path = m_dir.filePath(QStringLiteral("crash%1.csv").arg(run));
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--log-child"), path});
            QVERIFY(child.waitForStarted());
            QThread::usleep(random.bounded(2000, 60000));
            child.kill();
            QVERIFY(child.waitForFinished());
            QString why;
            const int records = wholeRecords(readFile(path), &why);
            QVERIFY2(records >= 0, qPrintable(QStringLiteral("run %1: %2").arg(run).arg(why)));
        }
    }

private:
    ManualClock m_clock;
    QTemporaryDir m_dir;
};

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--log-child") {
        QCoreApplication app(argc, argv);
        return runLoggingChild(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestDataFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_datafile.moc"
