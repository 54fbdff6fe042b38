#include "support/language.h"
#include "support/mainlink.h"
#include "support/splash.h"
#include "support/wrappers.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

class TestSplash : public QObject {
    Q_OBJECT

    static void send(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
    {
        const QPoint global = target->mapToGlobal(local);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        qint16 english = 0;
        LaadTaal(english);
    }
    void cleanup()
    {
        frmSplash::Ontladen();
        QTRY_VERIFY(!frmSplash::open());
        frmSplash::ProgrammaBestand.clear();
        qint16 english = 0;
        LaadTaal(english);
    }

    void textsFollowTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("version");
        QTest::newRow("English") << 0 << "Version ";
        QTest::newRow("French") << 1 << "Version ";
        QTest::newRow("Dutch") << 2 << "Versie ";
    }
    void textsFollowTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, version);
        qint16 index = qint16(language);
        LaadTaal(index);
        frmSplash *w = frmSplash::Toon();
        QVERIFY(w->lblVersion->text().startsWith(version));
        QVERIFY(QRegularExpression("^\\S+ \\d+\\.\\d+\\.\\d+$").match(w->lblVersion->text()).hasMatch());
        QCOMPARE(w->lblProductName->text(), "QLV-2 " + Taaltekst(239));
        QVERIFY(w->ImgFoto->toolTip().isEmpty());
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void openWindowIsRelabelled()
    {
        frmSplash *w = frmSplash::Toon();
        qint16 dutch = 2;
        LaadTaal(dutch);
        QVERIFY(w->lblVersion->text().startsWith("Versie "));
    }

    void dateOfTheProgramFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("qlv2");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.setFileTime(QDateTime(QDate(2024, 3, 9), QTime(12, 0)), QFileDevice::FileModificationTime));
        f.close();
        frmSplash::ProgrammaBestand = file;
        QCOMPARE(frmSplash::Toon()->LblDate->text(), QStringLiteral("Saturday, 9 March 2024"));
        frmSplash::Ontladen();
        QTRY_VERIFY(!frmSplash::open());
        frmSplash::ProgrammaBestand = dir.filePath("missing");
        QCOMPARE(frmSplash::Toon()->LblDate->text(), QString());
    }

    void clicksThatClose_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("closes");
        QTest::newRow("photo") << "ImgFoto" << true;
        QTest::newRow("version") << "lblVersion" << true;
        QTest::newRow("product name") << "lblProductName" << true;
        QTest::newRow("copyright") << "lblCopyright" << true;
        QTest::newRow("logo") << "ImageLogo" << false;
        QTest::newRow("date") << "LblDate" << false;
        QTest::newRow("background") << "frmSplash" << false;
    }
    void clicksThatClose()
    {
        QFETCH(QString, part);
        QFETCH(bool, closes);
        frmSplash::ProgrammaBestand = QStringLiteral(QLV2_BINARY_DIR "/qlv2");
        QPointer<frmSplash> w = frmSplash::Toon();
        QWidget *target = part == w->objectName() ? w.data() : w->findChild<QWidget *>(part);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
        if (closes)
            QTRY_VERIFY(!w);
        else
            QVERIFY(w && w->isVisible());
    }

    void anyKeyCloses()
    {
        QPointer<frmSplash> w = frmSplash::Toon();
        QTest::keyClick(w.data(), Qt::Key_A);
        QTRY_VERIFY(!w);
    }

    void dragging_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("moves");
        QTest::newRow("background") << "frmSplash" << true;
        QTest::newRow("logo") << "ImageLogo" << false;
        QTest::newRow("version label") << "lblVersion" << false;
    }
    void dragging()
    {
        QFETCH(QString, part);
        QFETCH(bool, moves);
        frmSplash *w = frmSplash::Toon();
        w->move(50, 60);
        QWidget *target = part == w->objectName() ? w : w->findChild<QWidget *>(part);
        const QPoint start = w->pos();
        send(target, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
        send(target, QEvent::MouseMove, QPoint(2 + 40, 2 + 25), Qt::LeftButton);
        QCOMPARE(w->pos(), moves ? start + QPoint(40, 25) : start);
    }

    // The about window opens over the middle of the main window, wherever that stands.
    void aboutCentredOnMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::newRow("left") << QRect(40, 60, 900, 700);
        QTest::newRow("right") << QRect(600, 300, 1000, 650);
    }
    void aboutCentredOnMainWindow()
    {
        QFETCH(QRect, main);
        QWidget window;
        window.setGeometry(main);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MainLink::setMainWindow(&window);
        frmSplash *about = frmSplash::Toon();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        const QPoint offset = about->frameGeometry().center() - window.frameGeometry().center();
        MainLink::setMainWindow(nullptr);
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    // The platform adds an application display name to every window title; the main window's
    // title begins with the product's name already, so none is set.
    void programNamesAddNothingToTitles()
    {
        setProgramNames();
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("QLV-2"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
