#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafileparse.h"
#include "core/datafilereader.h"
#include "core/conversions.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "views/table.h"
#include "views/tableedits.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "coretestsupport.h"
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {

// Where the next rename onto one name stops this program, just before or just after it, as a
// program killed there would stop.
QByteArray stopAtRenameOnto;
bool stopAfterRename = false;

} // namespace

// The C library's rename(), for the whole test program: it renames as that one does, and stops
// the process where it was told to.
extern "C" int rename(const char *from, const char *to) noexcept
{
    const bool stop = !stopAtRenameOnto.isEmpty() && stopAtRenameOnto == to;
    if (stop && !stopAfterRename)
        _exit(0);
    const int result = ::renameat(AT_FDCWD, from, AT_FDCWD, to);
    if (stop)
        _exit(0);
    return result;
}

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString fixture(const QString &name) { return QStringLiteral(QLV2_FIXTURES "/") + name; }

void appendFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A record of the edge-case file's first controller, as another program logging to it writes.
QByteArray appendedRecord(const char *time, const char *remark)
{
    return QByteArray("\"1/5/2026 ") + time + "\",\"9\",\"\xb5S\",\"\",\"\",\"\",\"\",\"\",\"\","
           "\"\",\"----\",\"" + remark + "\"\r\n";
}

// Runs `work` in a copy of this process that stops where stopAtRenameOnto says; true when it
// stopped there.
bool stoppedIn(const std::function<void()> &work)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(60); // a copy that hangs ends, and the test fails rather than waits
        work();
        _exit(1); // never came to the rename
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
           && WEXITSTATUS(status) == 0;
}

} // namespace

class TestDataFileCopies : public QObject {
    Q_OBJECT
    QTemporaryDir *m_dir = nullptr;
    frmTabel *m_tabel = nullptr;
    QString m_run;      // the data file of each test
    QByteArray m_original;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString cell(int slot, int row, int col) const
    {
        return m_tabel->MSHFlexGrid(slot - 1)->data().textMatrix(row, col).trimmed();
    }
    // The edge-case file as the data file, loaded into the table.
    void loadRun()
    {
        configureT542Slots({1, 3});
        Meetbestandsnaam = m_run;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 3);
    }
    // The edge-case file loaded and its first line given a remark: the working copy's bytes.
    QByteArray loadAndRemark(const QString &remark)
    {
        loadRun();
        return WijzigVeldInMeetbestand(0, 1, 11, remark) ? readAllOrMissing(WerkkopieNaam(m_run))
                                                         : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-COPIES-TEST");
    }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        qint16 english = 0;
        LaadTaal(english);
        delete m_dir;
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        DataMap = m_dir->path();
        LaatsteMap = DataMap;
        delete m_tabel;
        m_tabel = new frmTabel;
        dataViews() = DataViews();
        dataViews().tabel = m_tabel;
        RelatieveTijd = false;
        TijdBasis = QDateTime();
        LoggenActief = false;
        AlleenLezen = false;
        DataLog::instance().close();
        m_run = path("run.csv");
        QVERIFY(QFile::copy(fixture("datafile-edge.csv"), m_run));
        m_original = readAllOrMissing(m_run);
        for (int n = 1; n <= 4; ++n)
            Registry::remove(RegisterNaam, "Recent Files", QStringLiteral("RecentFile%1").arg(n));
    }

    void cleanupTestCase()
    {
        DataLog::instance().close();
        dataViews() = DataViews();
        delete m_tabel;
        delete m_dir;
    }

    void backupName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("backup");
        QTest::newRow("lower case") << "/d/run.csv" << "/d/run.bak";
        QTest::newRow("capitals") << "/d/RUN.CSV" << "/d/RUN.bak";
        QTest::newRow("mixed case, twice") << "/d/a.Csv.x.csv" << "/d/a.bak.x.bak";
        QTest::newRow("no .csv: never the file's own name") << "/d/run.txt" << "/d/run.txt.bak";
        QTest::newRow("no extension") << "/d/data" << "/d/data.bak";
    }

    void backupName()
    {
        QFETCH(QString, name);
        QFETCH(QString, backup);
        QCOMPARE(BackupNaam(name), backup);
    }

    void backupOfNameWithoutCsvKeepsTheData()
    {
        const QString data = path("data");
        writeFile(data, "old\r\n");
        writeFile(data + ".new", "new\r\n");
        QVERIFY(MaakBackup(data, data + ".new"));
        QCOMPARE(readAllOrMissing(data), QByteArray("new\r\n"));
        QCOMPARE(readAllOrMissing(data + ".bak"), QByteArray("old\r\n"));
        QVERIFY(!QFile::exists(data + ".new"));
    }

    // The data file's old contents become the backup, in place of an older backup if there
    // is one, with or without a working copy taking the data file's place.
    void backupReplacesTheOldOne_data()
    {
        QTest::addColumn<bool>("oldBackup");
        QTest::addColumn<bool>("workingCopy");
        QTest::newRow("first backup, working copy") << false << true;
        QTest::newRow("older backup, working copy") << true << true;
        QTest::newRow("first backup, data file only") << false << false;
        QTest::newRow("older backup, data file only") << true << false;
    }

    void backupReplacesTheOldOne()
    {
        QFETCH(bool, oldBackup);
        QFETCH(bool, workingCopy);
        const QString backup = path("run.bak");
        if (oldBackup)
            writeFile(backup, "older\r\n");
        if (workingCopy)
            writeFile(m_run + ".new", "new\r\n");
        QVERIFY(MaakBackup(m_run, workingCopy ? m_run + ".new" : QString()));
        QCOMPARE(readAllOrMissing(backup), m_original);
        QCOMPARE(readAllOrMissing(m_run), workingCopy ? QByteArray("new\r\n") : QByteArray("<missing>"));
        QVERIFY(!QFile::exists(m_run + ".new"));
        QVERIFY(!QFile::exists(backup + ".tmp"));
        // The backup is a file of its own: what is later appended to the data file stays out.
        if (workingCopy) {
            QFile data(m_run);
            QVERIFY(data.open(QIODevice::Append));
            data.write("more\r\n");
            data.close();
            QCOMPARE(readAllOrMissing(backup), m_original);
        }
    }

    // The new backup is made before the old one goes: when the working copy cannot take the
    // data file's place, the data file is as it was and a backup of it is there.
    void failedAcceptStillHasABackup()
    {
        const QString backup = path("run.bak");
        writeFile(backup, "older\r\n");
        QVERIFY(QDir().mkpath(m_run + ".new/blocker"));
        QVERIFY(!MaakBackup(m_run, m_run + ".new"));
        QCOMPARE(readAllOrMissing(m_run), m_original);
        QCOMPARE(readAllOrMissing(backup), m_original);
        QVERIFY(QFileInfo(m_run + ".new").isDir());
        QVERIFY(!QFile::exists(backup + ".tmp"));
    }

    // A rewrite's output left by a program stopped in the middle of an edit is cleared when the
    // data file is next opened, before the question on a pending working copy.
    void strayRewriteOutputClearedOnOpen_data()
    {
        QTest::addColumn<bool>("workingCopy");
        QTest::newRow("no working copy") << false;
        QTest::newRow("working copy dropped") << true;
    }

    void strayRewriteOutputClearedOnOpen()
    {
        QFETCH(bool, workingCopy);
        writeFile(m_run + ".newcopy", "half a li");
        ScriptedDialogProvider dialogs;
        if (workingCopy) {
            writeFile(m_run + ".new", m_original);
            dialogs.answerMessage(MsgBox::No);
        }
        loadRun();
        QVERIFY(!QFile::exists(m_run + ".newcopy"));
        QVERIFY(!QFile::exists(m_run + ".new"));
        QCOMPARE(dialogs.messageTexts().size(), workingCopy ? 1 : 0);
        QCOMPARE(readAllOrMissing(m_run), m_original);
    }

    // However the data file was opened, loading it judges it by its permission bits, whatever
    // the file before was; a pending working copy of a writable file can then be accepted.
    void loadSetsReadOnly_data()
    {
        QTest::addColumn<bool>("protectedFile");
        QTest::addColumn<bool>("before");
        QTest::newRow("write-protected after a writable file") << true << false;
        QTest::newRow("write-protected after a write-protected file") << true << true;
        QTest::newRow("writable after a write-protected file") << false << true;
        QTest::newRow("writable after a writable file") << false << false;
    }

    void loadSetsReadOnly()
    {
        QFETCH(bool, protectedFile);
        QFETCH(bool, before);
        if (protectedFile)
            QVERIFY(QFile::setPermissions(m_run, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        AlleenLezen = before;
        loadRun();
        QCOMPARE(AlleenLezen, protectedFile);
        QCOMPARE(WijzigVeldInMeetbestand(0, 1, 11, "note"), !protectedFile);
        if (protectedFile)
            return;
        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        AlleenLezen = before;
        LaadMeetbestand();
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY(!QFile::exists(m_run + ".new"));
        QCOMPARE(readAllOrMissing(path("run.bak")), m_original);
        QCOMPARE(cell(1, 1, 13), QStringLiteral("note"));
        QVERIFY(!AlleenLezen);
    }

    // The new name of Save as is a file of our own: its data takes edits again.
    void saveAsOfReadOnlyDataTakesEdits()
    {
        loadRun();
        AlleenLezen = true;
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(path("copy.csv"));
        QString name = m_run;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(name, path("copy.csv"));
        QVERIFY(!AlleenLezen);
    }

    // Two remarks: the first edit makes the working copy, the second starts from it; the data
    // file stays as it was until the question is answered.
    void editsThenAcceptOrDrop_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(MsgBox::Yes);
        QTest::newRow("No") << int(MsgBox::No);
        QTest::newRow("Cancel") << int(MsgBox::Cancel);
    }

    void editsThenAcceptOrDrop()
    {
        QFETCH(int, answer);
        loadRun();
        QCOMPARE(VeldVanToestel(2, 11), 23);
        QVERIFY(WijzigVeldInMeetbestand(0, 1, 11, "note A"));
        QVERIFY(WijzigVeldInMeetbestand(2, 3, 11, "note \"B\""));
        QByteArray expected = m_original;
        expected.replace("\"first\"", "\"note A\"");
        expected.replace("\"last\"", "\"note  B \"");
        QCOMPARE(readAllOrMissing(m_run), m_original);
        QCOMPARE(readAllOrMissing(m_run + ".new"), expected);
        QVERIFY(!QFile::exists(m_run + ".newcopy"));

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(answer);
        bool herladen = true;
        HerstelNieuwBestand(m_run, herladen, false);
        QVERIFY(dialogs.requests()[0].text.startsWith("The data tables has been changed."));
        QCOMPARE(dialogs.requests()[0].flags & 7, int(MsgBox::YesNoCancel));
        if (answer == MsgBox::Yes) {
            QVERIFY(!herladen);
            QCOMPARE(readAllOrMissing(m_run), expected);
            QCOMPARE(readAllOrMissing(path("run.bak")), m_original);
            QVERIFY(!QFile::exists(m_run + ".new"));
        } else if (answer == MsgBox::No) {
            QVERIFY(!herladen);
            QCOMPARE(readAllOrMissing(m_run), m_original);
            QVERIFY(!QFile::exists(m_run + ".new"));
            QVERIFY(!QFile::exists(path("run.bak")));
            // Reloaded from the untouched file, and told so.
            QCOMPARE(dialogs.messageTexts().last(), Taaltekst(277));
            QCOMPARE(cell(1, 1, 13), QStringLiteral("first"));
        } else {
            QVERIFY(herladen);
            QCOMPARE(readAllOrMissing(m_run), m_original);
            QCOMPARE(readAllOrMissing(m_run + ".new"), expected);
        }
    }

    void twoRecordsInOneSecondBothChange()
    {
        configureT542Slots({1});
        const QString header = "\"Time\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",\"i\",\"j\",\"k\"\r\n";
        const QString rec = "\"1/5/2026 9:00:00 AM\",\"1\",\"V\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%1\"\r\n";
        writeFile(m_run, (header + rec.arg("x") + rec.arg("y")).toLatin1());
        ScriptedDialogProvider dialogs;
        Meetbestandsnaam = m_run;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 2);
        QVERIFY(WijzigVeldInMeetbestand(0, 2, 11, "both"));
        QCOMPARE(readAllOrMissing(m_run + ".new"), (header + rec.arg("both") + rec.arg("both")).toLatin1());
    }

    // A rewrite that cannot finish leaves the working copy as it was, and says what happened.
    void failedRewriteKeepsWorkingCopy_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("first");
        QTest::newRow("output cannot be made") << false << "%1 cannot be written!";
        QTest::newRow("disk full part-way") << true << "The disk is full: %1 cannot be written!";
    }

    void failedRewriteKeepsWorkingCopy()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, first);
        loadRun();
        QVERIFY(WijzigVeldInMeetbestand(0, 1, 11, "kept"));
        const QByteArray before = readAllOrMissing(m_run + ".new");
        ScriptedDialogProvider dialogs;
        bool ok;
        if (diskFull) {
            FileSizeLimit limit(rlim_t(before.size() / 2));
            ok = WijzigVeldInMeetbestand(0, 1, 11, "lost");
        } else {
            QVERIFY(QDir().mkpath(m_run + ".newcopy/blocker"));
            ok = WijzigVeldInMeetbestand(0, 1, 11, "lost");
        }
        QVERIFY(!ok);
        QCOMPARE(readAllOrMissing(m_run + ".new"), before);
        QCOMPARE(readAllOrMissing(m_run), m_original);
        if (diskFull)
            QVERIFY(!QFile::exists(m_run + ".newcopy"));
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(firstLine(dialogs.messageTexts()[0]), first.arg(m_run + ".new"));
    }

    void readOnlyDataTakesNoEdits()
    {
        loadRun();
        AlleenLezen = true;
        QVERIFY(!WijzigVeldInMeetbestand(0, 1, 11, "never"));
        QVERIFY(!QFile::exists(m_run + ".new"));
    }

    void yesWithReadOnlyDataFileIsTold()
    {
        writeFile(m_run + ".new", "edited\r\n");
        QVERIFY(QFile::setPermissions(m_run, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        bool herladen = false;
        HerstelNieuwBestand(m_run, herladen, true);
        QCOMPARE(dialogs.messageTexts().size(), 2);
        QCOMPARE(firstLine(dialogs.messageTexts()[1]), "No permission to write " + m_run + "!");
        QCOMPARE(readAllOrMissing(m_run), m_original);
        QVERIFY(QFile::exists(m_run + ".new"));
    }

    void saveAsOntoExistingFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes: old contents kept as backup") << int(MsgBox::Yes);
        QTest::newRow("No: the dialog comes back") << int(MsgBox::No);
    }

    void saveAsOntoExistingFile()
    {
        QFETCH(int, answer);
        const QString target = path("Other.CSV");
        writeFile(target, "other\r\n");
        Meetbestandsnaam = m_run;
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(target);
        dialogs.answerMessage(answer);
        // After No the dialog comes back and is cancelled.
        QString name = m_run;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(dialogs.requests()[0].kind, QStringLiteral("save"));
        QCOMPARE(dialogs.requests()[0].title, Taaltekst(186));
        QCOMPARE(dialogs.requests()[1].text, Taaltekst(118));
        if (answer == MsgBox::Yes) {
            QCOMPARE(dialogs.requests().size(), 2);
            QCOMPARE(readAllOrMissing(target), m_original);
            QCOMPARE(readAllOrMissing(path("Other.bak")), QByteArray("other\r\n"));
            QCOMPARE(name, target);
            QCOMPARE(Meetbestandsnaam, target);
            QCOMPARE(Antwoord(), qint16(1));
            QCOMPARE(Registry::read(RegisterNaam, "Settings", "LastFile"), target);
            QCOMPARE(RecenteBestanden().value(0), target);
        } else {
            QCOMPARE(dialogs.requests().size(), 3);
            QCOMPARE(dialogs.requests()[2].kind, QStringLiteral("save"));
            QCOMPARE(readAllOrMissing(target), QByteArray("other\r\n"));
            QVERIFY(!QFile::exists(path("Other.bak")));
            QCOMPARE(name, m_run);
            QCOMPARE(Meetbestandsnaam, m_run);
            QCOMPARE(Antwoord(), qint16(2));
            QVERIFY(RecenteBestanden().isEmpty());
        }
        QCOMPARE(readAllOrMissing(m_run), m_original);
    }

    // The file in memory is the same file under any spelling of its name: through a linked
    // folder, with "..", or as a second name of one file (as "RUN.CSV" and "run.csv" are on a
    // file system that ignores letter case). Save as asks for another name, and neither the
    // file nor its backup is touched.
    void saveAsWithTheCurrentNameAsksForAnother_data()
    {
        QTest::addColumn<QString>("spelling");
        QTest::newRow("the same name") << "run.csv";
        QTest::newRow("through a linked folder") << "link/run.csv";
        QTest::newRow("with ..") << "sub/../run.csv";
        QTest::newRow("a second name of the file") << "RUN.CSV";
    }

    void saveAsWithTheCurrentNameAsksForAnother()
    {
        QFETCH(QString, spelling);
        QVERIFY(QFile::link(m_dir->path(), path("link")));
        QVERIFY(QDir().mkpath(path("sub")));
        QCOMPARE(::link(QFile::encodeName(m_run).constData(),
                        QFile::encodeName(path("RUN.CSV")).constData()),
                 0);
        const QByteArray oldBackup = "the backup before\r\n";
        writeFile(path("run.bak"), oldBackup);
        const QString chosen = path(spelling);
        Meetbestandsnaam = m_run;
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(chosen);
        dialogs.answerMessage(MsgBox::Yes);
        dialogs.answerFile(path("second.csv"));
        QString name = m_run;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(282)});
        QCOMPARE(dialogs.requests()[1].title, Taaltekst(186) + ": " + chosen);
        QCOMPARE(name, path("second.csv"));
        QCOMPARE(readAllOrMissing(name), m_original);
        QCOMPARE(readAllOrMissing(m_run), m_original);
        QCOMPARE(readAllOrMissing(path("run.bak")), oldBackup);
    }

    // Records another program appended to the data file after the working copy was made are
    // carried into the accepted file.
    void acceptCarriesAppendedRecords_data()
    {
        QTest::addColumn<QString>("remark");
        QTest::addColumn<bool>("append");
        QTest::newRow("records appended since") << "note A" << true;
        QTest::newRow("nothing appended") << "note A" << false;
        QTest::newRow("appended to a Windows-1252 file, the copy in UTF-8")
            << QString::fromUtf8("note \u03a9") << true;
    }

    void acceptCarriesAppendedRecords()
    {
        QFETCH(QString, remark);
        QFETCH(bool, append);
        const QByteArray edited = loadAndRemark(remark);
        QVERIFY(!edited.isEmpty());
        const QString working = WerkkopieNaam(m_run);
        const bool copyUtf8 = FileText::hasUtf8Bom(edited.left(3));
        QCOMPARE(copyUtf8, remark.contains(QChar(0x3a9)));
        const QByteArray appended = appendedRecord("9:00:20 AM", "appended");
        if (append)
            appendFile(m_run, appended);
        const QByteArray data = readAllOrMissing(m_run);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        bool herladen = false;
        HerstelNieuwBestand(m_run, herladen, true);
        QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(425)});
        QCOMPARE(readAllOrMissing(path("run.bak")), data);
        QVERIFY(!QFile::exists(working));
        const QByteArray tail = append ? (copyUtf8 ? Cp1252::decode(appended).toUtf8() : appended)
                                       : QByteArray();
        QCOMPARE(readAllOrMissing(m_run), edited + tail);
        Meetbestandsnaam = m_run;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, append ? 4 : 3);
        QCOMPARE(cell(1, 1, 13), remark);
    }

    // An accept tried again, after one that failed or a program stopped in the middle of one,
    // carries each appended record into the data file once, also records appended in between,
    // and also when another data file was edited in between.
    void retriedAcceptCarriesEachRecordOnce_data()
    {
        QTest::addColumn<QString>("stopAt"); // the name renamed onto; "" for a failed backup
        QTest::addColumn<bool>("after");
        QTest::addColumn<bool>("otherEdited");
        QTest::newRow("the backup failed") << "" << false << false;
        QTest::newRow("stopped as the backup was made") << "run.bak" << true << false;
        QTest::newRow("stopped before the data file was replaced") << "run.csv" << false << false;
        QTest::newRow("stopped as the data file was replaced") << "run.csv" << true << false;
        QTest::newRow("the backup failed, another file edited") << "" << false << true;
        QTest::newRow("stopped, another file edited") << "run.bak" << true << true;
    }

    void retriedAcceptCarriesEachRecordOnce()
    {
        QFETCH(QString, stopAt);
        QFETCH(bool, after);
        QFETCH(bool, otherEdited);
        const QByteArray edited = loadAndRemark("note A");
        QVERIFY(!edited.isEmpty());
        const QString working = WerkkopieNaam(m_run);
        const QByteArray first = appendedRecord("9:00:20 AM", "first appended");
        const QByteArray second = appendedRecord("9:00:30 AM", "second appended");
        appendFile(m_run, first);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        bool herladen = false;
        if (stopAt.isEmpty()) {
            // A folder stands in the way of the backup's temporary name.
            QVERIFY(QDir().mkpath(path("run.bak.tmp/blocker")));
            HerstelNieuwBestand(m_run, herladen, false);
            QCOMPARE(dialogs.messageTexts().size(), 2);
            // The message names what stood in the way, not the data file.
            QVERIFY2(dialogs.messageTexts().at(1).contains(QStringLiteral("run.bak.tmp")),
                     qPrintable(dialogs.messageTexts().at(1)));
            QCOMPARE(readAllOrMissing(m_run), m_original + first);
            QVERIFY(QDir(path("run.bak.tmp")).removeRecursively());
        } else {
            stopAtRenameOnto = QFile::encodeName(path(stopAt));
            stopAfterRename = after;
            const bool stopped = stoppedIn([&] { HerstelNieuwBestand(m_run, herladen, false); });
            stopAtRenameOnto.clear();
            QVERIFY(stopped);
        }
        if (otherEdited) {
            const QString other = path("other.csv");
            QVERIFY(QFile::copy(fixture("datafile-edge.csv"), other));
            Meetbestandsnaam = other;
            LaadMeetbestand();
            QVERIFY(WijzigVeldInMeetbestand(0, 1, 11, QStringLiteral("note B")));
            QVERIFY(QFile::exists(WerkkopieNaam(other)));
        }
        // The other program goes on logging; then the data file is opened again and the
        // question answered Yes (unless the accept had come to its end).
        appendFile(m_run, second);
        dialogs.clear();
        dialogs.answerMessage(MsgBox::Yes);
        Meetbestandsnaam = m_run;
        LaadMeetbestand();
        const bool accepted = stopAt == "run.csv" && after;
        QCOMPARE(dialogs.messageTexts(), accepted ? QStringList() : QStringList{Taaltekst(425)});
        QCOMPARE(readAllOrMissing(m_run), edited + first + second);
        QVERIFY(!QFile::exists(working));
        QVERIFY(!QFile::exists(HerschrijfNaam(m_run)));
        QCOMPARE(AantalRijen, 5);
        QCOMPARE(cell(1, 1, 13), QStringLiteral("note A"));
    }

    // A data file changed behind its working copy in any other way than by appended records
    // takes none of the edits, and the edits are not left pending where only No (which throws
    // them away) could end them: they become a data file of their own beside it, and the user
    // is told its name.
    void changedDataFileKeepsTheEditsApart_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("earlier"); // edits were kept so before
        QTest::addColumn<QString>("kept");
        QTest::newRow("a byte changed before the end") << "alter" << false << "run (edited).csv";
        QTest::newRow("cut short") << "cut" << false << "run (edited).csv";
        QTest::newRow("edits kept so before") << "alter" << true << "run (edited 2).csv";
    }

    void changedDataFileKeepsTheEditsApart()
    {
        QFETCH(QString, change);
        QFETCH(bool, earlier);
        QFETCH(QString, kept);
        const QByteArray edited = loadAndRemark("note A");
        QVERIFY(!edited.isEmpty());
        const QString working = WerkkopieNaam(m_run);
        QByteArray data = m_original;
        if (change == "alter")
            data[10] = 'X';
        else
            data.chop(10);
        writeFile(m_run, data);
        const QByteArray earlierEdits = "earlier edits\r\n";
        if (earlier)
            writeFile(path("run (edited).csv"), earlierEdits);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        bool herladen = false;
        HerstelNieuwBestand(m_run, herladen, false);
        QString told = Taaltekst(523);
        told.replace("##", path(kept)).replace("#", m_run);
        QCOMPARE(dialogs.messageTexts(), (QStringList{Taaltekst(424), told}));
        QVERIFY(!herladen);
        QCOMPARE(readAllOrMissing(m_run), data);
        QVERIFY(!QFile::exists(path("run.bak")));
        QCOMPARE(readAllOrMissing(path(kept)), edited);
        if (earlier)
            QCOMPARE(readAllOrMissing(path("run (edited).csv")), earlierEdits);
        // Nothing is pending any more, and the edits open as a data file.
        QVERIFY(!QFile::exists(working));
        dialogs.clear();
        HerstelNieuwBestand(m_run, herladen, false);
        QVERIFY(dialogs.messageTexts().isEmpty());
        Meetbestandsnaam = path(kept);
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 3);
        QCOMPARE(cell(1, 1, 13), QStringLiteral("note A"));
    }

    // Every character 0..255 the program writes as a unit, a channel name or a remark reads
    // back as written, or as the blank the writer puts in its place: the file stays a file
    // its own reader takes whole.
    void everyCharacterReadsBack()
    {
        configureT542Slots({1});
        // `"` is a blank in a field, an apostrophe in a remark; control characters but the tab
        // are blanks.
        auto ruled = [](int code, const QString &quote) {
            if ((code < 0x20 && code != '\t') || code == 0x7F)
                return QStringLiteral(" ");
            return code == '"' ? quote : QString(QChar(code));
        };
        const QString run = path("characters.csv");
        Meetbestandsnaam = run;
        const QDateTime first(QDate(2026, 1, 5), QTime(9, 0));
        KanaalGegevens &channel = Toestel[1].Kanaal[1];
        channel.Waarde = QStringLiteral("1");
        QVERIFY(DataLog::instance().open());
        for (int code = 0; code < 256; ++code) {
            channel.Eenheid = QStringLiteral("u") + QChar(code) + QStringLiteral("v");
            MeetTijdstip = first.addSecs(code);
            QVERIFY(SchrijfMeting(QString(), 0));
        }
        DataLog::instance().close();
        ScriptedDialogProvider dialogs;
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 256);
        for (int code = 0; code < 256; ++code)
            QVERIFY(BewaarOpmerking(0, code + 1,
                                    OpmerkingOpslagTekst(QStringLiteral("r") + QChar(code)
                                                         + QStringLiteral("s"))));
        QVERIFY(MaakBackup(run, WerkkopieNaam(run)));
        QCOMPARE(DataFileParse::foreignByte(readAllOrMissing(run)), qsizetype(-1));
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 256);
        QVERIFY(dialogs.requests().isEmpty());
        const int unit = KolomVanKanaal(1) + 1;
        for (int code = 0; code < 256; ++code) {
            QCOMPARE(cell(1, code + 1, unit), "u" + ruled(code, " ") + "v");
            QCOMPARE(cell(1, code + 1, KolomOpmerking), "r" + ruled(code, "'") + "s");
        }
        for (int code = 0; code < 256; ++code) {
            channel.Naam = QStringLiteral("n") + QChar(code) + QStringLiteral("m");
            Meetbestandsnaam = path(QStringLiteral("name%1.csv").arg(code));
            QVERIFY(DataLog::instance().open());
            QVERIFY(SchrijfMeting(QString(), 0));
            DataLog::instance().close();
            const QByteArray bytes = readAllOrMissing(Meetbestandsnaam);
            QCOMPARE(DataFileParse::foreignByte(bytes), qsizetype(-1));
            QVERIFY(IsDataFileStart(bytes));
            QString header = FileText::decodeFile(bytes).section(QStringLiteral("\r\n"), 0, 0);
            QCOMPARE(NeemVeld(header, 2), "Value n" + ruled(code, " ") + "m");
        }
    }

    void newFileWithTheCurrentNameStartsEmpty()
    {
        Meetbestandsnaam = m_run;
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(m_run);
        dialogs.answerMessage(MsgBox::Yes);
        QString name = m_run;
        BewaarMeetbestandAls(name, true);
        QCOMPARE(dialogs.requests()[0].title, Taaltekst(284));
        QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(118)});
        QCOMPARE(Antwoord(), qint16(1));
        QCOMPARE(name, m_run);
        QVERIFY(!QFile::exists(m_run)); // logging makes it
        QCOMPARE(readAllOrMissing(path("run.bak")), m_original);
    }

    // An edit that a Windows-1252 file cannot hold makes the working copy UTF-8 behind the
    // mark, every other line's text unchanged; the next edit keeps it so, and Yes accepts it.
    void editBeyondWindows1252()
    {
        loadRun();
        const QString remark = QString::fromUtf8("Piec Ω");
        QVERIFY(WijzigVeldInMeetbestand(0, 1, 11, remark));
        QString expected = Cp1252::decode(m_original);
        expected.replace(QStringLiteral("\"first\""), QLatin1Char('"') + remark + QLatin1Char('"'));
        QByteArray copy = readAllOrMissing(m_run + ".new");
        QVERIFY(FileText::hasUtf8Bom(copy));
        QCOMPARE(FileText::decodeFile(copy), expected);
        QCOMPARE(readAllOrMissing(m_run), m_original);

        QVERIFY(WijzigVeldInMeetbestand(2, 3, 11, QString::fromUtf8("Zürich")));
        expected.replace(QStringLiteral("\"last\""), QString::fromUtf8("\"Zürich\""));
        copy = readAllOrMissing(m_run + ".new");
        QCOMPARE(int(copy.count(FileText::utf8Bom)), 1);
        QCOMPARE(FileText::decodeFile(copy), expected);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::Yes);
        bool herladen = false;
        HerstelNieuwBestand(m_run, herladen, false);
        QCOMPARE(readAllOrMissing(m_run), copy);
        QCOMPARE(readAllOrMissing(path("run.bak")), m_original);
    }

    // The table written as a whole: Windows-1252 when every text fits (the test below), else
    // UTF-8 behind the mark.
    void saveAsFromTableBeyondWindows1252()
    {
        loadRun();
        const QString remark = QString::fromUtf8("Piec Ω");
        m_tabel->MSHFlexGrid(2)->data().setTextMatrix(2, 13, remark);
        Meetbestandsnaam = path("never.csv");
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(path("fromtable.csv"));
        QString name = Meetbestandsnaam;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(Antwoord(), qint16(1));
        const QByteArray written = readAllOrMissing(path("fromtable.csv"));
        QVERIFY(FileText::hasUtf8Bom(written));
        const QStringList lines = FileText::decodeFile(written).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first(), KopRegel());
        QCOMPARE(lines.size(), 5); // header, three rows, and the empty text after the last end
        QVERIFY(lines[2].endsWith(QLatin1Char('"') + remark + QLatin1Char('"')));
    }

    // Nothing was logged under the current name: the file is written from the table, with
    // absolute times even while relative times are shown, so it reads back the same.
    void saveAsWithoutDataFileWritesTheTable()
    {
        loadRun();
        RelatieveTijd = true;
        TijdBasis = QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0));
        m_tabel->VernieuwTijden();
        QCOMPARE(cell(1, 1, 2), QStringLiteral("+01:00:00"));
        Meetbestandsnaam = path("never.csv");
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(path("fromtable.csv"));
        QString name = Meetbestandsnaam;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(Antwoord(), qint16(1));
        const QByteArray written = readAllOrMissing(path("fromtable.csv"));
        QVERIFY(written.startsWith(Cp1252::encode(KopRegel()) + "\r\n"));
        QVERIFY(written.contains("\"1/5/2026 9:00:05 AM\",\"1,5\",\"bar\",\"2.75\",\"V\""));

        RelatieveTijd = false;
        TijdBasis = QDateTime();
        Meetbestandsnaam = path("fromtable.csv");
        LaadMeetbestand();
        QCOMPARE(AantalRijen, 3);
        QCOMPARE(cell(1, 2, 2), QStringLiteral("9:00:05 AM"));
        QCOMPARE(cell(1, 2, 13), QStringLiteral("comma, kept"));
        QCOMPARE(cell(3, 3, 3), QStringLiteral("8"));
    }

    // A write that fails leaves no short file under the name and keeps the old name.
    void failedWriteFromTableKeepsOldName_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("first");
        QTest::newRow("cannot be opened") << false << "%1 cannot be written!";
        QTest::newRow("disk full part-way") << true << "The disk is full: %1 cannot be written!";
    }

    void failedWriteFromTableKeepsOldName()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, first);
        loadRun();
        const QString never = path("never.csv");
        Meetbestandsnaam = never;
        const QString target = diskFull ? path("full.csv") : path("missing/folder.csv");
        ScriptedDialogProvider dialogs;
        dialogs.answerFile(target);
        QString name = never;
        {
            FileSizeLimit limit(diskFull ? 100 : RLIM_INFINITY);
            BewaarMeetbestandAls(name, false);
        }
        QCOMPARE(name, never);
        QCOMPARE(Meetbestandsnaam, never);
        QCOMPARE(Antwoord(), qint16(2));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(firstLine(dialogs.messageTexts()[0]), first.arg(target));
    }

    void saveAsWhileLoggingGoesOnInTheNewFile()
    {
        configureT542Slots({1, 3});
        Meetbestandsnaam = m_run;
        QVERIFY(DataLog::instance().open());
        LoggenActief = true;
        ScriptedDialogProvider dialogs;
        const QString target = path("moved.csv");
        dialogs.answerFile(target);
        QString name = m_run;
        BewaarMeetbestandAls(name, false);
        QCOMPARE(Antwoord(), qint16(1));
        QCOMPARE(DataLog::instance().fileName(), target);
        MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(9, 1, 0));
        QVERIFY(SchrijfMeting(QString(), 0));
        QCOMPARE(readAllOrMissing(m_run), m_original);
        const QByteArray moved = readAllOrMissing(target);
        QVERIFY(moved.startsWith(m_original));
        QVERIFY(moved.mid(m_original.size()).startsWith("\"1/5/2026 9:01:00 AM\""));
        LoggenActief = false;
        DataLog::instance().close();
    }
};

QTEST_MAIN(TestDataFileCopies)
#include "tst_datafilecopies.moc"
