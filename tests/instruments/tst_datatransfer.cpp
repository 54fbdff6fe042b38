#include "core/shared.h"
#include "instruments/datatransfer.h"
#include "support/mainlink.h"

#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QtTest>

using namespace Hoofdmodule;

// The wait window: it disables the main window while it shows, stays usable itself, plays its
// animations and clears the download and capture flags when it is closed.
class TestDataTransfer : public QObject {
    Q_OBJECT
    QWidget *main = nullptr;

private slots:
    void init()
    {
        main = new QWidget;
        main->setEnabled(true);
        main->show();
        MainLink::setMainWindow(main);
    }
    void cleanup()
    {
        FormDataTransfer::instance().Sluiten();
        MainLink::setMainWindow(nullptr);
        delete main;
    }

    void disablesTheMainWindowWhileShown_data()
    {
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<bool>("byUser");
        QTest::newRow("enabled before, closed by the user") << true << true;
        QTest::newRow("enabled before, closed from code") << true << false;
        // A main window another dialog had disabled stays disabled afterwards.
        QTest::newRow("disabled before") << false << true;
    }
    void disablesTheMainWindowWhileShown()
    {
        QFETCH(bool, enabledBefore);
        QFETCH(bool, byUser);
        main->setEnabled(enabledBefore);
        FormDataTransfer &w = FormDataTransfer::instance();
        QVERIFY(!w.parentWidget());
        w.TextActie()->setPlainText("left over");
        w.VideoNr = 102;
        w.Tonen();
        QVERIFY(w.Geladen());
        QVERIFY(w.isVisible());
        QVERIFY(!main->isEnabled());
        QVERIFY(w.isEnabled());
        QVERIFY(w.TextActie()->toPlainText().isEmpty());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        // A second show while loaded changes nothing.
        w.TextActie()->setPlainText("line");
        w.Tonen();
        QCOMPARE(w.TextActie()->toPlainText(), QStringLiteral("line"));

        OntvangenActief = true;
        TransferActief = true;
        QSignalSpy unloaded(&w, &FormDataTransfer::ontladen);
        if (byUser)
            QVERIFY(w.close());
        else
            w.Sluiten();
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!w.Geladen());
        QVERIFY(!w.isVisible());
        QVERIFY(!OntvangenActief);
        QVERIFY(!TransferActief);
        QCOMPARE(main->isEnabled(), enabledBefore);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Closing again does nothing more.
        w.Sluiten();
        QCOMPARE(unloaded.count(), 1);
    }

    void playsItsAnimations_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("shown");
        QTest::newRow("data awaited") << 101 << true;
        QTest::newRow("commands exchanged") << 102 << true;
        QTest::newRow("no such animation") << 999 << false;
    }
    void playsItsAnimations()
    {
        QFETCH(int, number);
        QFETCH(bool, shown);
        FormDataTransfer &w = FormDataTransfer::instance();
        w.VideoNr = qint16(number);
        w.Tonen();
        QCOMPARE(int(w.VideoNr), number);
        QCOMPARE(w.Animation1()->isVisible(), shown);
        if (shown) {
            QVERIFY(w.movie()->isValid());
            QVERIFY(w.movie()->frameCount() > 1);
            QCOMPARE(w.movie()->state(), QMovie::Running);
            const int first = w.movie()->currentFrameNumber();
            QTRY_VERIFY(w.movie()->currentFrameNumber() != first);
        }
        // The animation changes while the window shows.
        w.LaadVideo(101);
        QCOMPARE(int(w.VideoNr), 101);
        QVERIFY(w.Animation1()->isVisible());
        QVERIFY(!w.windowIcon().isNull());
    }
};

QTEST_MAIN(TestDataTransfer)
#include "tst_datatransfer.moc"
