#include "core/shared.h"
#include "instruments/capture.h"
#include "instruments/datatransfer.h"
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
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

// Capturing what a controller sends by itself into a text file, over a pseudo-terminal with the
// simulated controller.
class TestCapture : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    int runs = 0;

    QString file() const { return folder.path() + "/capture.txt"; }

    // The menu command's loop: runs again while the flag stays set.
    void capture(const QString &name)
    {
        runs = 0;
        TransferActief = true;
        do {
            ++runs;
            OpvangenDataTransfer(name);
        } while (TransferActief && runs < 5);
    }

    // Closes the wait window once the text box shows the piece.
    void closeWhenShown(QObject &context, const QString &piece, const std::function<void()> &after)
    {
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context,
                [piece, after] {
                    if (FormDataTransfer::instance().TextActie()->toPlainText().contains(piece))
                        QTimer::singleShot(0, [after] {
                            FormDataTransfer::instance().close();
                            if (after)
                                after();
                        });
                });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        qint16 english = 0;
        LaadTaal(english);
        // The serial tests' clock moves on only while nothing happens: the animation stands.
        QMovie *movie = FormDataTransfer::instance().movie();
        connect(movie, &QMovie::started, movie, [movie] { movie->setPaused(true); });
    }
    void init()
    {
        QFile::remove(file());
        TransferActief = false;
    }
    void cleanup() { FormDataTransfer::instance().Sluiten(); }

    // Every byte of the line as it came, NUL and 255 left out and the instrument's signs
    // mapped once, after what the file held; the text box shows the line unmapped.
    void linesWrittenByteForByte()
    {
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        {
            QFile old(file());
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier capture\r\n");
        }
        QObject context;
        const QList<QByteArray> lines = {QByteArray("pH 7.02\0 end", 12), "\f", "",
                                         "  25.1 \xf8" "C\xff  ", "\xb5S/cm \xe6S"};
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText(lines); });
        closeWhenShown(context, "S/cm", nullptr);
        capture(file());

        QCOMPARE(runs, 1);
        QVERIFY(!TransferActief);
        QVERIFY(dialogs.requests().isEmpty());
        QCOMPARE(readAll(file()), QByteArray("earlier capture\r\n"
                                             "pH 7.02 end\r\n"
                                             "\f\r\n"
                                             "\r\n"
                                             "  25.1 \xb0" "C  \r\n"
                                             "\xb5S/cm \xb5S\r\n"));
        const FormDataTransfer &w = FormDataTransfer::instance();
        QCOMPARE(w.windowTitle(), Taaltekst(263));
        QVERIFY(w.LabelActie()->text().endsWith(Taaltekst(305)));
        QCOMPARE(int(w.VideoNr), 101);
        QCOMPARE(TransferRegelBytes(QByteArray("25.1 \xf8" "C\r\n")),
                 QByteArray("25.1 \xb0" "C\r\n"));
    }

    // Closed while nothing comes: the capture ends within one reply time-out, and a line that
    // arrives as the window closes is not written.
    void closingEndsIt()
    {
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        QObject context;
        qint64 closedAt = -1;
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText({"first"}); });
        closeWhenShown(context, "first", [&] {
            closedAt = s.clock.monotonicMs();
            s.sim.sendText({"too late"});
        });
        capture(file());
        QCOMPARE(runs, 1);
        QVERIFY(closedAt >= 0);
        QVERIFY(s.clock.monotonicMs() - closedAt <= 1500);
        QCOMPARE(readAll(file()), QByteArray("first\r\n"));

        // Closed with the line silent.
        QFile::remove(file());
        context.disconnect();
        disconnect(FormDataTransfer::instance().TextActie(), nullptr, &context, nullptr);
        QTimer::singleShot(0, &context, [&] {
            closedAt = s.clock.monotonicMs();
            FormDataTransfer::instance().close();
        });
        capture(file());
        QCOMPARE(runs, 1);
        QVERIFY(s.clock.monotonicMs() - closedAt <= 1500);
        QVERIFY(!FormDataTransfer::instance().Geladen());
    }

    // A file that cannot be opened (a folder of that name) or a line that goes: one message,
    // and no new run.
    void endsWhenItCannotGoOn_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::addColumn<bool>("startsWith152");
        QTest::newRow("a folder of the file's name") << true << false;
        QTest::newRow("hang-up mid-capture") << false << true;
    }
    void endsWhenItCannotGoOn()
    {
        QFETCH(bool, folderInTheWay);
        QFETCH(bool, startsWith152);
        SimLine s(42);
        QVERIFY(s.open());
        ScriptedDialogProvider dialogs;
        s.sim.add("T512", 12, 1);
        const QString name = folderInTheWay ? folder.path() + "/folder.txt" : file();
        if (folderInTheWay)
            QVERIFY(QDir().mkpath(name));
        QObject context;
        QTimer::singleShot(0, &s.sim, [&] { s.sim.sendText({"one", "two"}); });
        connect(FormDataTransfer::instance().TextActie(), &QPlainTextEdit::textChanged, &context,
                [&] {
                    if (FormDataTransfer::instance().TextActie()->toPlainText().contains("two"))
                        QTimer::singleShot(0, &s.sim, [&] { s.sim.hangUp(); });
                });
        capture(name);
        QCOMPARE(runs, 1);
        QVERIFY(!TransferActief);
        QVERIFY(!FormDataTransfer::instance().Geladen());
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(dialogs.messageTexts()[0].startsWith(Taaltekst(152)), startsWith152);
        if (!folderInTheWay)
            QCOMPARE(readAll(name), QByteArray("one\r\ntwo\r\n"));
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
