#include "core/shared.h"
#include "support/language.h"
#include "support/progress.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class TestProgress : public QObject {
    Q_OBJECT

    FrmVoortgang &shown(const QString &text)
    {
        FrmVoortgang &w = FrmVoortgang::instance();
        w.VoortgangTekst = text;
        w.show();
        w.ProgressBar->setRange(0, 100);
        w.ProgressBar->setValue(0);
        return w;
    }

    static void send(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
    {
        const QPoint global = target->mapToGlobal(local);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase()
    {
        qint16 english = 0;
        LaadTaal(english);
    }
    void cleanup()
    {
        FrmVoortgang::unload();
        Hoofdmodule::AfbrekenZoeken = false;
        qint16 english = 0;
        LaadTaal(english);
    }

    void loadingTakesTheTextAndClearsTheFlag()
    {
        FrmVoortgang &w = shown("Loading data file...");
        QCOMPARE(w.LabelVoortgang->text(), QStringLiteral("Loading data file..."));
        QCOMPARE(w.CommandCancel->text(), QStringLiteral("&Cancel"));
        QVERIFY(!w.VoortgangOnderbroken);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // A later change of the text is not shown: the label takes it when loading only.
        w.VoortgangTekst = "Other";
        w.ProgressBar->setValue(50);
        QCOMPARE(w.LabelVoortgang->text(), QStringLiteral("Loading data file..."));
    }

    void cancelAndFrameCloseRaiseBothFlags_data()
    {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("close by the frame") << true;
    }
    void cancelAndFrameCloseRaiseBothFlags()
    {
        QFETCH(bool, byFrame);
        FrmVoortgang &w = shown("Scanning");
        if (byFrame)
            w.close();
        else
            QTest::mouseClick(w.CommandCancel, Qt::LeftButton);
        QVERIFY(w.VoortgangOnderbroken);
        QVERIFY(Hoofdmodule::AfbrekenZoeken);
        // The operation notices it at its next step and closes the window itself.
        QVERIFY(w.isVisible());
        FrmVoortgang::unload();
        QVERIFY(!FrmVoortgang::isLoaded());
    }

    void flagDoesNotCarryOver()
    {
        QTest::mouseClick(shown("First").CommandCancel, Qt::LeftButton);
        FrmVoortgang::unload();
        FrmVoortgang &again = shown("Second");
        QVERIFY(!again.VoortgangOnderbroken);
        QCOMPARE(again.LabelVoortgang->text(), QStringLiteral("Second"));
    }

    void draggingMovesTheWindow_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("buttonHeld");
        QTest::newRow("surface") << "FrmVoortgang" << true;
        QTest::newRow("text line") << "LabelVoortgang" << true;
        QTest::newRow("progress bar") << "ProgressBar" << true;
        QTest::newRow("no button held") << "LabelVoortgang" << false;
    }
    void draggingMovesTheWindow()
    {
        QFETCH(QString, part);
        QFETCH(bool, buttonHeld);
        FrmVoortgang &w = shown("Text");
        w.move(100, 100);
        QWidget *target = part == w.objectName() ? &w : w.findChild<QWidget *>(part);
        QVERIFY(target);
        const QPoint start = w.pos();
        if (buttonHeld)
            send(target, QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton);
        send(target, QEvent::MouseMove, QPoint(3 + 30, 3 + 20),
             buttonHeld ? Qt::LeftButton : Qt::NoButton);
        QCOMPARE(w.pos(), buttonHeld ? start + QPoint(30, 20) : start);
    }

    void languageSwitchRelabelsCancel()
    {
        FrmVoortgang &w = shown("Text");
        qint16 dutch = 2;
        LaadTaal(dutch);
        QCOMPARE(w.CommandCancel->text(), QStringLiteral("&Annuleren"));
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
