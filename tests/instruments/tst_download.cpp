#include "core/datafile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/download.h"
#include "instruments/pollloop.h"
#include "platform/dialogs.h"
#include "simline.h"
#include "support/language.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

// A handed-over record as the table would get it.
struct Row {
    qint32 number;
    QDateTime time;
    QStringList values; // channel values 1..4
    QStringList status; // channel statuses 1..4
    QString relays;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray fixture(const QString &name) { return readAll(QStringLiteral(QLV2_FIXTURES "/") + name); }

Sim::LogRecord record(const QDate &date, const QTime &time, const QList<QByteArray> &values)
{
    Sim::LogRecord r;
    r.time = QDateTime(date, time);
    for (qsizetype k = 0; k < values.size(); ++k)
        r.value[size_t(k)] = values[k];
    return r;
}

// Scripted answers, with something the user does right after each box.
struct Dialogs : ScriptedDialogProvider {
    std::function<void()> afterBox;
    int messageBox(QWidget *parent, const QString &text, int flags, const QString &title) override
    {
        const int answer = ScriptedDialogProvider::messageBox(parent, text, flags, title);
        if (afterBox)
            QTimer::singleShot(0, afterBox);
        return answer;
    }
};

} // namespace

// Reading a controller's log memory back over a pseudo-terminal with the simulated controller:
// the memory commands and their timing, the records that reach the data file and the table, the
// user's answers, and a line lost in the middle.
class TestDownload : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QList<Row> rows;
    int runs = 0;
    // Runs after each handed-over record. The serial tests' clock moves on only while nothing
    // happens, so nothing here may poll on a timer.
    std::function<void()> onRow;

    QString dataFile() const { return folder.path() + "/download.csv"; }

    // The menu command's loop: runs again while the flag stays set.
    void download(qint16 slot)
    {
        runs = 0;
        do {
            ++runs;
            UitlezenLogGeheugen(slot);
        } while (OntvangenActief && runs < 5);
    }

    // Closes the wait window once the given number of records has been handed over.
    void closeAfter(int count)
    {
        onRow = [this, count] {
            if (rows.size() == count)
                QTimer::singleShot(0, [] { FormDataTransfer::instance().close(); });
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        qint16 english = 0;
        LaadTaal(english);
        // The serial tests' clock moves on only while nothing happens: the animation's frames
        // would hold it, so it stands still here.
        QMovie *movie = FormDataTransfer::instance().movie();
        connect(movie, &QMovie::started, movie, [movie] { movie->setPaused(true); });
        PollHooks &h = pollHooks();
        h.writeRecord = [](const QString &info, int tnr) { SchrijfMeting(info, tnr); };
        h.appendTableRow = [this](const QString &, int tnr) {
            Row r{AantalRijen, MeetTijdstip, {}, {}, Toestel[tnr].Relais};
            for (int k = 1; k <= MaxKanalen; ++k) {
                r.values << Toestel[tnr].Kanaal[size_t(k)].Waarde;
                r.status << Toestel[tnr].Kanaal[size_t(k)].Status;
            }
            rows << r;
            if (onRow)
                onRow();
        };
    }

    void init()
    {

        ResetToestellen();
        rows.clear();
        onRow = nullptr;
        QFile::remove(dataFile());
        Meetbestandsnaam = dataFile();
        OntvangenActief = false;
        AantalRijen = 0;
    }

    void cleanup()
    {
        if (FormDataTransfer *w = FormDataTransfer::bestaand())
            w->Sluiten();
        DataLog::instance().close();
    }

    void dateAndTimeTexts_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("dashes, year 09") << "05-12-09" << "10:15:30"
                                         << QDateTime(QDate(2009, 12, 5), QTime(10, 15, 30));
        QTest::newRow("slashes, year 45") << "05/12/45" << ""
                                          << QDateTime(QDate(1945, 12, 5), QTime(0, 0));
        QTest::newRow("no separator") << "abc" << "10:15:30" << zero.addSecs(10 * 3600 + 15 * 60 + 30);
        QTest::newRow("not numbers") << "aa/bb/cc" << "" << QDateTime(QDate(1999, 11, 30), QTime(0, 0));
        QTest::newRow("hour only") << "05/12/09" << "10" << QDateTime(QDate(2009, 12, 5), QTime(0, 0));
        QTest::newRow("month and day carry") << "32/13/09" << "25:00:00"
                                             << QDateTime(QDate(2010, 2, 2), QTime(1, 0));
        QTest::newRow("four-digit year") << "31/01/2010" << "23:59:59"
                                         << QDateTime(QDate(2010, 1, 31), QTime(23, 59, 59));
        QTest::newRow("minutes not a number") << "05/12/09" << "10:xx:30"
                                              << QDateTime(QDate(2009, 12, 5), QTime(10, 0));
    }
    void dateAndTimeTexts()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QDateTime, expected);
        QDateTime t = TekstNaarDatum(date);
        TekstNaarTijd(t, time);
        QCOMPARE(t, expected);
        QVERIFY(date.isEmpty());
        QVERIFY(time.isEmpty());
    }

    // The numbered commands carry a NUL byte that the line's reader drops: the echo expected
    // is compared as it is kept, or no standard download ever passes "N".
    void numberedEchoMatches()
    {
        configureSlot(1, "T542", 12, 2);
        QCOMPARE(VerwachteEcho(1, QByteArray("N\x07\x00", 3)), QByteArray("#012\t<N\x07\r\n"));
        QCOMPARE(VerwachteEcho(1, "M"), QByteArray("#012\t<M\r\n"));
    }

    void standardDownloadedWhole()
    {
        SimLine s(41);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        Sim::Controller &c = s.sim.add("T542", 12, 2);
        c.channel[0].unit = "g/l";
        c.log.unit = {"g/l", "\xf8" "C"};
        const QDate day(2009, 12, 5);
        c.log.records = {record(day, QTime(10, 15, 30), {"0.52", "24.8"}),
                         record(day, QTime(10, 25, 30), {"", "24.9"}),
                         record(day, QTime(10, 35, 30), {"0.61", ""})};
        // A record repeated ahead of the header, and a blank line: neither is a record.
        c.log.beforeHeader = {"#012\tLOG.9\t05/12/09\t09:00:00\t9.99\tg/l\t99.9\r\n", "\r\n",
                              "#012\t\r\n"};
        configureSlot(1, "T542", 12, 2);
        Toestel[1].Naam = "Tank 3";
        Toestel[1].Kanaal[1].Eenheid = "g/l";

        QList<std::pair<QByteArray, qint64>> sent;
        QObject pictures;
        const QString folderOfPictures = QStringLiteral(QLV2_BINARY_DIR "/pictures");
        QDir().mkpath(folderOfPictures);
        FormDataTransfer &wait = FormDataTransfer::instance();
        connect(&s.sim, &Sim::Simulator::frameReceived, &pictures, [&](const QByteArray &f) {
            sent << std::pair{f, s.clock.monotonicMs()};
            // The window while the commands go out, and again while records come in.
            if (sent.size() == 1) {
                QCOMPARE(int(wait.VideoNr), 102);
                QCOMPARE(wait.LabelActie()->text(), Taaltekst(292).replace("##", "Tank 3"));
                QCOMPARE(wait.TextActie()->toPlainText(), Taaltekst(300));
                QCOMPARE(wait.windowTitle(), QStringLiteral("Tank 3: ") + Taaltekst(262));
                wait.grab().save(folderOfPictures + "/wait-window-starting.png");
            }
        });
        onRow = [&] {
            if (rows.size() == 2) {
                QCOMPARE(int(wait.VideoNr), 101);
                QCOMPARE(wait.LabelActie()->text(), Taaltekst(305));
                QVERIFY(wait.TextActie()->toPlainText().startsWith(Taaltekst(303) + "\n"));
                wait.grab().save(folderOfPictures + "/wait-window-receiving.png");
            }
            if (rows.size() == 3)
                QTimer::singleShot(0, [] { FormDataTransfer::instance().close(); });
        };
        bool closed = false;
        qint64 closedAt = -1;
        QObject context;
        connect(&FormDataTransfer::instance(), &FormDataTransfer::ontladen, &context, [&] {
            closed = true;
            closedAt = s.clock.monotonicMs();
        });
        download(1);

        QCOMPARE(runs, 1);
        QVERIFY(closed);
        QVERIFY(dialogs.requests().isEmpty());
        const QList<QByteArray> commands = {"#012\t>M\r\n",  QByteArray("#012\t>N\x07\x00\r\n", 11),
                                            "#012\t>4\r\n",  QByteArray("#012\t>N\x04\x00\r\n", 11),
                                            "#012\t>4\r\n",  "#012\t>1\r\n", "#012\t>C\r\n"};
        QCOMPARE(sent.size(), commands.size());
        for (qsizetype i = 0; i < sent.size(); ++i)
            QCOMPARE(sent[i].first, commands[i]);
        // Each command 800 ms after the last echo; the controller's 4 seconds before "N 4".
        const qint64 gaps[] = {800, 800, 800, 4800, 800};
        qint64 before = 0;
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(sent[i].second - before, gaps[i]);
            before = sent[i].second;
        }
        // "1" and "C" leave the memory menu after the window was closed.
        QVERIFY(sent[5].second >= closedAt + 800);
        QCOMPARE(sent[6].second - sent[5].second, 800);

        QCOMPARE(rows.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rows[i].number, i + 1);
        QCOMPARE(rows[0].time, QDateTime(day, QTime(10, 15, 30)));
        QCOMPARE(rows[0].values.mid(0, 2), QStringList({"0.52", "24.8"}));
        QCOMPARE(Toestel[1].Kanaal[1].Eenheid, QStringLiteral("g/l"));
        QCOMPARE(Toestel[1].Kanaal[2].Eenheid, QStringLiteral("°C"));
        QCOMPARE(readAll(dataFile()), fixture("download_t542.csv"));
        QVERIFY(!OntvangenActief);
        QVERIFY(!DataLog::instance().isOpen());
    }

    void t57GroupsByTime()
    {
        SimLine s(41);
        QVERIFY(s.open());
        Dialogs dialogs;
        Sim::Controller &c = s.sim.add("T5781", 3, 2);
        c.log.unit = {"pH", "pH", "\xf8" "C", "\xf8" "C"};
        const QDate day(2009, 12, 5);
        c.log.records = {record(day, QTime(10, 15, 30), {"7.00", "7.10", "25.1", "25.3"}),
                         record(day, QTime(10, 25, 30), {"7.05", "7.15", "25.2", "25.4"}),
                         record(day, QTime(10, 35, 30), {"", "7.20", "25.3", "25.5"})};
        c.log.records[0].flag = {"A", "S"};
        c.log.records[0].relays = "1---";
        c.log.records[1].flag = {"M", ""};
        c.log.records[2].flag = {"", "X"};
        c.log.records[2].relays = "-2-4";
        QList<QByteArray> lines = c.logLines();
        QCOMPARE(lines.size(), 6);
        // The second record came in one line only.
        lines.removeAt(3);
        configureSlot(1, "T5781", 3, 2);
        Toestel[1].Naam = "Basin";

        // OK to the box, then SEND on the instrument; a short line last, once every record line
        // is in: the last group is still pending when the window closes.
        lines << "#003\r\n";
        dialogs.afterBox = [&] { s.sim.transmit(lines); };
        bool closing = false;
        QObject context;
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context, [&] {
            if (!closing && rows.size() == 2
                && FormDataTransfer::instance().TextActie()->toPlainText().contains("-2-4")) {
                closing = true;
                QTimer::singleShot(0, [] { FormDataTransfer::instance().close(); });
            }
        });
        download(1);

        QCOMPARE(runs, 1);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].text, Taaltekst(316).replace("##", "Basin"));
        QCOMPARE(dialogs.requests()[0].title, Taaltekst(262));
        QCOMPARE(dialogs.requests()[0].flags, MsgBox::OkOnly | MsgBox::Exclamation);
        QVERIFY(c.frames.isEmpty());

        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].number, 1);
        QCOMPARE(rows[1].number, 2);
        QCOMPARE(rows[2].number, 3);
        QCOMPARE(rows[0].time, QDateTime(day, QTime(10, 15, 30)));
        QCOMPARE(rows[0].values, QStringList({"7.00", "7.10", "25.1", "25.3"}));
        QCOMPARE(rows[0].status, QStringList({"CH1: Alarm", "CH2: S", "", ""}));
        QCOMPARE(rows[0].relays, Taaltekst(115));
        QCOMPARE(rows[1].time, QDateTime(day, QTime(10, 25, 30)));
        QCOMPARE(rows[1].status, QStringList({"CH1: Maintenance", "", "", ""}));
        // Its channel 2 line is missing: no value, not the one before.
        QCOMPARE(rows[1].values.mid(0, 2), QStringList({"7.05", ""}));
        QCOMPARE(rows[1].relays, QStringLiteral("----"));
        QCOMPARE(rows[2].time, QDateTime(day, QTime(10, 35, 30)));
        QCOMPARE(rows[2].values.at(0), QStringLiteral("--"));
        QCOMPARE(rows[2].status, QStringList({"CH1: ", "CH2: X", "", ""}));
        QCOMPARE(rows[2].relays, QStringLiteral("-2-4"));
        QCOMPARE(readAll(dataFile()), fixture("download_t5781.csv"));
    }

    // Every channel line of a T57 record names its channel in the status, whatever its flag,
    // an empty one included; the data file's control field joins them.
    void t57ChannelFlags_data()
    {
        QTest::addColumn<QByteArray>("flag1");
        QTest::addColumn<QByteArray>("flag2");
        QTest::addColumn<QStringList>("status");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("relays");
        QTest::newRow("empty, alarm") << QByteArray() << QByteArray("A")
                                      << QStringList({"CH1: ", "CH2: Alarm", "", ""})
                                      << "CH1: CH2: Alarm" << "1---";
        // The relay text is the last line's: channel 2's line comes after the stop.
        QTest::newRow("stop, empty") << QByteArray("S") << QByteArray()
                                     << QStringList({"CH1: S", "CH2: ", "", ""}) << "CH1: S CH2:"
                                     << "1---";
        QTest::newRow("empty, stop") << QByteArray() << QByteArray("S")
                                     << QStringList({"CH1: ", "CH2: S", "", ""}) << "CH1: CH2: S"
                                     << Taaltekst(115);
        QTest::newRow("both empty") << QByteArray() << QByteArray()
                                    << QStringList({"CH1: ", "CH2: ", "", ""}) << "CH1: CH2:"
                                    << "1---";
        QTest::newRow("other, maintenance") << QByteArray("X") << QByteArray("M")
                                            << QStringList({"CH1: X", "CH2: Maintenance", "", ""})
                                            << "CH1: X CH2: Maintenance" << "1---";
    }

    void t57ChannelFlags()
    {
        QFETCH(QByteArray, flag1);
        QFETCH(QByteArray, flag2);
        QFETCH(QStringList, status);
        QFETCH(QString, control);
        QFETCH(QString, relays);
        SimLine s(41);
        QVERIFY(s.open());
        Dialogs dialogs;
        Sim::Controller &c = s.sim.add("T5781", 3, 2);
        c.log.unit = {"pH", "pH", "\xf8" "C", "\xf8" "C"};
        const QDate day(2009, 12, 5);
        c.log.records = {record(day, QTime(10, 15, 30), {"7.00", "7.10", "25.1", "25.3"})};
        c.log.records[0].flag = {flag1, flag2};
        c.log.records[0].relays = "1---";
        const QList<QByteArray> lines = c.logLines();
        QCOMPARE(lines.size(), 2);
        configureSlot(1, "T5781", 3, 2);
        dialogs.afterBox = [&] { s.sim.transmit(lines); };
        // The record is handed over when the window closes, once its channel 2 line is in.
        bool closing = false;
        QObject context;
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context, [&] {
            if (!closing && FormDataTransfer::instance().TextActie()->toPlainText().contains("CH2")) {
                closing = true;
                QTimer::singleShot(0, [] { FormDataTransfer::instance().close(); });
            }
        });
        download(1);

        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].status, status);
        QCOMPARE(rows[0].relays, relays);
        const QList<QByteArray> written = readAll(dataFile()).split('\n');
        QVERIFY(written.size() >= 2);
        QVERIFY2(written[1].contains(",\"" + control.toLatin1() + "\","), written[1].constData());
    }

    // The user's answers when a memory command gets no echo.
    void answersToNoEcho_data()
    {
        QTest::addColumn<int>("misses");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<int>("records");
        QTest::newRow("Ignore at M: the user starts the transmission")
            << -1 << int(MsgBox::Ignore)
            << QList<QByteArray>{">M", ">1", ">C"} << 2;
        QTest::newRow("Retry at M")
            << 1 << int(MsgBox::Retry)
            << QList<QByteArray>{">M", ">M", QByteArray(">N\x07\x00", 4), ">4",
                                 QByteArray(">N\x04\x00", 4), ">4", ">1", ">C"}
            << 2;
        QTest::newRow("Abort at M ends the run and the loop")
            << -1 << int(MsgBox::Abort) << QList<QByteArray>{">M"} << 0;
    }
    void answersToNoEcho()
    {
        QFETCH(int, misses);
        QFETCH(int, answer);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(int, records);
        SimLine s(41);
        QVERIFY(s.open());
        Dialogs dialogs;
        dialogs.answerMessage(answer);
        Sim::Controller &c = s.sim.add("T512", 12, 1);
        c.channel[0].unit = "pH";
        c.log.records = {record(QDate(2009, 12, 5), QTime(10, 15, 30), {"7.02"}),
                         record(QDate(2009, 12, 5), QTime(10, 25, 30), {"7.03"})};
        c.unanswered["M"] = misses;
        configureSlot(1, "T512", 12, 1);
        Toestel[1].Naam = "Unit";

        closeAfter(records);
        // After Ignore the user presses SEND on the instrument.
        if (answer == MsgBox::Ignore)
            dialogs.afterBox = [&] { s.sim.sendLogMemory(c); };
        download(1);

        QCOMPARE(runs, 1);
        QVERIFY(!OntvangenActief);
        QVERIFY(!FormDataTransfer::instance().Geladen());
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].text, Taaltekst(291));
        QCOMPARE(dialogs.requests()[0].flags, MsgBox::AbortRetryIgnore | MsgBox::Question);
        QList<QByteArray> heard;
        for (const QByteArray &f : c.frames)
            heard << f.mid(5, f.size() - 7);
        QCOMPARE(heard, commands);
        QCOMPARE(rows.size(), records);
    }

    // The line goes in the middle of a transmission: the run ends with one message, keeps what
    // came complete and is not started again.
    void hangUpMidDownload()
    {
        SimLine s(41);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        Sim::Controller &c = s.sim.add("T512", 12, 1);
        for (int i = 0; i < 200; ++i)
            c.log.records << record(QDate(2009, 12, 5), QTime(10, 0).addSecs(60 * i), {"7.02"});
        configureSlot(1, "T512", 12, 1);
        s.sim.setLineDelay(5);
        onRow = [&] {
            if (rows.size() == 3)
                s.sim.hangUp();
        };
        download(1);

        QCOMPARE(runs, 1);
        QVERIFY(!OntvangenActief);
        QVERIFY(!FormDataTransfer::instance().Geladen());
        QVERIFY(!DataLog::instance().isOpen());
        QVERIFY(rows.size() >= 3 && rows.size() < 200);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY(dialogs.messageTexts()[0].startsWith(Taaltekst(152)));
        QVERIFY(!c.frames.isEmpty());
        QVERIFY(!c.frames.last().contains(">1"));
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
