#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFontComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

class TestPlatform : public QObject {
    Q_OBJECT
    const QString app = QStringLiteral("tst_platform");

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(Registry::filePath(app));
    }
    void cleanupTestCase() { QFile::remove(Registry::filePath(app)); }
    void cleanup()
    {
        Clock::install(nullptr);
        Pump::setEnding(false);
        QLocale::setDefault(QLocale::c());
    }

    // ---- registry stand-in ----

    void registry_data()
    {
        QTest::addColumn<QString>("writeSection");
        QTest::addColumn<QString>("writeKey");
        QTest::addColumn<QString>("readSection");
        QTest::addColumn<QString>("readKey");
        QTest::addColumn<QString>("value");
        QTest::newRow("same case") << "Settings" << "LastFile" << "Settings" << "LastFile" << "/a/b.csv";
        QTest::newRow("section case") << "Messagewindow" << "Top" << "MESSAGEWINDOW" << "Top" << "1200";
        QTest::newRow("key case") << "Recent Files" << "RecentFile1" << "Recent Files" << "recentfile1" << "x";
        QTest::newRow("both, with blanks and =") << "Graph 1" << "Title" << "graph 1" << "TITLE" << " a = b ";
        QTest::newRow("empty value") << "Terminal" << "Fontname" << "terminal" << "fontname" << "";
        QTest::newRow("backslash path") << "SOFTWARE\\Tools" << "PATH" << "software\\tools" << "path" << "/usr/bin/x";
    }
    void registry()
    {
        QFETCH(QString, writeSection);
        QFETCH(QString, writeKey);
        QFETCH(QString, readSection);
        QFETCH(QString, readKey);
        QFETCH(QString, value);
        Registry::write(app, writeSection, writeKey, value);
        QVERIFY(Registry::contains(app, readSection, readKey));
        QCOMPARE(Registry::read(app, readSection, readKey, "default"), value);
        // Writing in another case replaces the value instead of adding a second one.
        Registry::write(app, readSection, readKey, "second");
        QCOMPARE(Registry::read(app, writeSection, writeKey), QString("second"));
        Registry::remove(app, readSection, readKey);
        QVERIFY(!Registry::contains(app, writeSection, writeKey));
        QCOMPARE(Registry::read(app, writeSection, writeKey, "default"), QString("default"));
    }

    void registryMissing()
    {
        QCOMPARE(Registry::read(app, "Nowhere", "Nothing", "7"), QString("7"));
        QCOMPARE(Registry::read(app, "Nowhere", "Nothing"), QString());
        QVERIFY(!Registry::contains(app, "Nowhere", "Nothing"));
        // Another application name is another store.
        Registry::write(app, "S", "K", "v");
        QVERIFY(!Registry::contains(app + "-other", "S", "K"));
    }

    // ---- Windows-1252 ----

    void codec_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("euro") << QByteArray("\x80") << QString::fromUtf8("€");
        QTest::newRow("quotes and dashes") << QByteArray("\x93x\x94\x96") << QString::fromUtf8("“x”–");
        QTest::newRow("Latin-1 range") << QByteArray("\xB0" "C \xE9\xFF") << QString::fromUtf8("°C éÿ");
        QTest::newRow("unassigned 0x81") << QByteArray("\x81") << QString(QChar(0x81));
        QTest::newRow("ASCII and CR LF") << QByteArray("a,b\r\n") << QString("a,b\r\n");
    }
    void codec()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp1252::decode(bytes), text);
        bool lossy = true;
        QCOMPARE(Cp1252::encode(text, &lossy), bytes);
        QVERIFY(!lossy);
    }

    void codecAllBytes()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(Cp1252::encode(Cp1252::decode(all)), all);
        for (int b = 0; b < 256; ++b)
            QCOMPARE(Cp1252::decode(char(b)), Cp1252::decode(all.mid(b, 1)));
    }

    void codecLossy()
    {
        bool lossy = false;
        const QByteArray out = Cp1252::encode(QString::fromUtf8("Ω=1"), &lossy);
        QVERIFY(lossy);
        QCOMPARE(out.size(), 3);
        QCOMPARE(out.mid(1), QByteArray("=1"));
    }

    // A file whose texts all fit stays Windows-1252 byte for byte; one that does not becomes
    // UTF-8 behind a mark, and both read back to the same text.
    void fileText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("fits") << QString::fromUtf8("Oven €1 °C\r\n") << QByteArray("Oven \x80" "1 \xB0" "C\r\n");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("Polish name") << QString::fromUtf8("C:/łukasz\r\n")
                                     << QByteArray("\xEF\xBB\xBF" "C:/\xC5\x82ukasz\r\n");
        QTest::newRow("omega") << QString::fromUtf8("Piec Ω") << QByteArray("\xEF\xBB\xBFPiec \xCE\xA9");
    }
    void fileText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(FileText::encodeFile(text), bytes);
        QCOMPARE(FileText::decodeFile(bytes), text);
        QCOMPARE(FileText::detect(bytes) == FileText::Encoding::Utf8, bytes.startsWith("\xEF\xBB\xBF"));
    }

    // An old file whose bytes look like UTF-8 but carry no mark is still Windows-1252.
    void fileTextWithoutMarkIsCp1252()
    {
        const QByteArray old("Ciœnienie \xC5\x82");
        QCOMPARE(FileText::decodeFile(old), Cp1252::decode(old));
        QCOMPARE(FileText::encodeFile(FileText::decodeFile(old)), old);
    }

    // ---- date and time text ----

    void dateTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("moment");
        const QDateTime moments[] = {
            QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3)),
            QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)),
            QDateTime(QDate(1999, 1, 1), QTime(0, 0, 0)),
            QDateTime(QDate(2030, 7, 15), QTime(12, 0, 1)),
        };
        for (const char *loc : {"en_US", "nl_NL", "C"})
            for (const QDateTime &m : moments)
                QTest::addRow("%s %s", loc, qPrintable(m.toString(Qt::ISODate))) << QString(loc) << m;
    }
    void dateTime()
    {
        QFETCH(QString, locale);
        QFETCH(QDateTime, moment);
        const QLocale l(locale);
        const QString text = DateTimeText::format(moment, l);
        QVERIFY2(text.contains(QString::number(moment.date().year())), qPrintable(text));
        QVERIFY2(!DateTimeText::timeFormat(l).contains('t'), qPrintable(DateTimeText::timeFormat(l)));
        QVERIFY2(!text.contains("UTC") && !text.contains("CET") && !text.contains("GMT"),
                 qPrintable(text));
        QCOMPARE(DateTimeText::parse(text, l), moment);
        QCOMPARE(DateTimeText::parseTime(DateTimeText::formatTime(moment.time(), l), l),
                 moment.time());
        // The default locale is what the program uses.
        QLocale::setDefault(l);
        QCOMPARE(DateTimeText::format(moment), text);
    }

    void dateTimeNotADate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("header") << "Time";
        QTest::newRow("number") << "12.5";
    }
    void dateTimeNotADate()
    {
        QFETCH(QString, text);
        for (const char *loc : {"en_US", "nl_NL", "C"})
            QVERIFY(!DateTimeText::parse(text, QLocale(loc)).isValid());
    }

    // ---- pump and clock ----

    void timedWaitOnManualClock()
    {
        ManualClock clock;
        Clock::install(&clock);
        const QDateTime start = clock.now();
        Pump::waitMs(10000);
        QCOMPARE(clock.monotonicMs(), qint64(10000));
        QCOMPARE(clock.now(), start.addSecs(10));
        QVERIFY(!Pump::until([] { return false; }, 2500));
        QCOMPARE(clock.monotonicMs(), qint64(12500));
    }

    void timedWaitEndsWhenConditionHolds()
    {
        ManualClock clock;
        Clock::install(&clock);
        bool done = false;
        QTimer::singleShot(0, [&] { done = true; });
        QVERIFY(Pump::until([&] { return done; }, 60000));
        QVERIFY(clock.monotonicMs() <= 60000);
    }

    void untilEndsWhenConditionHolds()
    {
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(1);
        QVERIFY(Pump::until([&] { return ticks >= 3; }));
        QVERIFY(ticks >= 3);
    }

    // A loop that steps between short waits skips the empty turn right after the event loop ran,
    // but never leaves events waiting longer than a few milliseconds.
    void keepResponsiveSkipsOnlyRightAfterARun()
    {
        Pump::once();
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        Pump::keepResponsive();
        QVERIFY(!handled);
        QThread::msleep(20);
        Pump::keepResponsive();
        QVERIFY(handled);
    }

    // Every wait shares one wake-up timer: a short wait after a long one that an event cut short
    // still wakes at its own deadline, not at the long one's.
    void shortWaitAfterALongOneWakesAtItsDeadline()
    {
        bool early = false;
        QTimer::singleShot(0, [&] { early = true; });
        QVERIFY(Pump::until([&] { return early; }, 20000));
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!Pump::until([] { return false; }, 50));
        QVERIFY2(waited.elapsed() < 10000, "the short wait slept until the long one's deadline");
    }

    void endingEndsUntil()
    {
        QTimer::singleShot(0, [] { Pump::setEnding(true); });
        QVERIFY(!Pump::until([] { return false; }));
        QVERIFY(Pump::ending());
    }

    void endingEndsTimedWaitAtOnce()
    {
        ManualClock clock;
        Clock::install(&clock);
        Pump::setEnding(true);
        QVERIFY(!Pump::until([] { return false; }, 10000));
        Pump::waitMs(5000);
        QCOMPARE(clock.monotonicMs(), qint64(0));
        Pump::waitForEvent(); // must not block
    }

    // No wait holds back the user: a click that reaches the program through the window system
    // while work pumps (a timed wait, once()) is handled inside that wait, and the work is still
    // not at rest meanwhile, so no poll step starts inside it.
    void inputReachesEveryWait()
    {
        QPushButton button("Press");
        button.resize(120, 40);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        int clicks = 0;
        bool restAtClick = true;
        connect(&button, &QPushButton::clicked, this, [&] {
            ++clicks;
            restAtClick = Pump::atRest();
        });
        const auto click = [&button] {
            // Through the window system's queue, as the user's own click arrives.
            QWindow *window = button.windowHandle();
            const QPointF at(60, 20);
            const QPointF global = window->mapToGlobal(at.toPoint());
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        };
        click();
        Pump::waitMs(30);
        QCOMPARE(clicks, 1);
        QVERIFY(!restAtClick);
        click();
        Pump::once();
        QCOMPARE(clicks, 2);
        QVERIFY(Pump::atRest());
    }

    // ---- scripted dialogs ----

    void scriptedMessages_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("escape");
        QTest::newRow("OK only") << MsgBox::OkOnly << MsgBox::Ok;
        QTest::newRow("OK Cancel") << MsgBox::OkCancel << MsgBox::Cancel;
        QTest::newRow("Yes No") << (MsgBox::YesNo | MsgBox::Question) << MsgBox::No;
        QTest::newRow("Yes No Cancel") << MsgBox::YesNoCancel << MsgBox::Cancel;
        QTest::newRow("Retry Cancel") << (MsgBox::RetryCancel | MsgBox::Exclamation) << MsgBox::Cancel;
    }
    void scriptedMessages()
    {
        QFETCH(int, flags);
        QFETCH(int, escape);
        ScriptedDialogProvider dialogs;
        QCOMPARE(&DialogProvider::current(), static_cast<DialogProvider *>(&dialogs));
        dialogs.answerMessage(MsgBox::Yes);
        dialogs.answerMessage(MsgBox::Retry);
        auto &box = DialogProvider::current();
        QCOMPARE(box.messageBox(nullptr, "first", flags, "T1"), MsgBox::Yes);
        QCOMPARE(box.messageBox(nullptr, "second", flags, "T2"), MsgBox::Retry);
        QCOMPARE(box.messageBox(nullptr, "third", flags, "T3"), escape); // nothing queued
        QCOMPARE(dialogs.messageTexts(), (QStringList{"first", "second", "third"}));
        QCOMPARE(dialogs.requests().at(1).title, QString("T2"));
        QCOMPARE(dialogs.requests().at(2).flags, flags);
        dialogs.clear();
        QVERIFY(dialogs.requests().isEmpty());
    }

    // The real box answers with the button pressed, and answers at once as its Escape button
    // would once the program is ending.
    void realMessageBox_data()
    {
        QTest::addColumn<bool>("ending");
        QTest::addColumn<int>("answer");
        QTest::newRow("No pressed") << false << MsgBox::No;
        QTest::newRow("program ending") << true << MsgBox::Cancel;
    }
    void realMessageBox()
    {
        QFETCH(bool, ending);
        QFETCH(int, answer);
        Pump::setEnding(ending);
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                    box->button(QMessageBox::No)->click();
        });
        press.start(20);
        QtDialogProvider real;
        const int flags = ending ? MsgBox::YesNoCancel : MsgBox::YesNo;
        QCOMPARE(real.messageBox(nullptr, "Go on?", flags, "Question"), answer);
        Pump::setEnding(false);
    }

    void fontDialogLocks_data()
    {
        QTest::addColumn<bool>("sizeLocked");
        QTest::addColumn<bool>("effects");
        QTest::newRow("all open") << false << true;
        QTest::newRow("size locked") << true << true;
        QTest::newRow("effects locked") << false << false;
    }

    // The user tries to change everything; only what the request leaves open changes.
    void fontDialogLocks()
    {
        QFETCH(bool, sizeLocked);
        QFETCH(bool, effects);
        ScriptedDialogProvider colours;
        colours.answerColour(QColor(Qt::darkGreen));
        FontDialog dialog(
            FontRequest{QFont("DejaVu Sans", 12), QColor(Qt::blue), "Change Font", sizeLocked, effects});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *size = dialog.findChild<QDoubleSpinBox *>("size");
        auto *underline = dialog.findChild<QCheckBox *>("underline");
        auto *strikeOut = dialog.findChild<QCheckBox *>("strikeOut");
        auto *colour = dialog.findChild<QPushButton *>("colour");
        QVERIFY(size && underline && strikeOut && colour);
        QCOMPARE(dialog.findChild<QComboBox *>("style")->currentText(), QStringLiteral("Book"));
        QCOMPARE(size->isEnabled(), !sizeLocked);
        QCOMPARE(underline->isEnabled(), effects);
        QCOMPARE(strikeOut->isEnabled(), effects);
        QVERIFY(colour->isVisible());
        QCOMPARE(colour->isEnabled(), effects);

        size->setValue(20);
        underline->click(); // does nothing on a locked box, as a mouse click would
        colour->click();
        const FontChoice choice = dialog.choice();
        QCOMPARE(choice.font.family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(!choice.font.bold());
        QCOMPARE(choice.font.style(), QFont::StyleNormal);
        QCOMPARE(choice.font.pointSizeF(), sizeLocked ? 12.0 : 20.0);
        QCOMPARE(choice.font.underline(), effects);
        QVERIFY(!choice.font.strikeOut());
        QCOMPARE(choice.colour, effects ? QColor(Qt::darkGreen) : QColor(Qt::blue));
        QCOMPARE(colours.requests().size(), effects ? 1 : 0);
    }

    void realFontDialog_data()
    {
        QTest::addColumn<bool>("withColour");
        QTest::newRow("colour offered") << true;
        QTest::newRow("font only") << false;
    }

    // Through the real provider: OK returns the picked family, style and colour.
    void realFontDialog()
    {
        QFETCH(bool, withColour);
        ScriptedDialogProvider colours;
        colours.answerColour(QColor(Qt::magenta));
        bool colourShown = true;
        QTimer::singleShot(0, [&colourShown] {
            auto *dialog = qobject_cast<FontDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QFontComboBox *>("family")->setCurrentFont(QFont("DejaVu Serif"));
            auto *colour = dialog->findChild<QPushButton *>("colour");
            colourShown = colour->isVisible();
            if (colourShown)
                colour->click();
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        QtDialogProvider real;
        const QFont start("DejaVu Sans", 11);
        if (withColour) {
            const auto choice =
                real.chooseFont(nullptr, FontRequest{start, QColor(Qt::black), "Font", false, true});
            QVERIFY(choice);
            QCOMPARE(choice->font.family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(choice->font.pointSizeF(), 11.0);
            QCOMPARE(choice->colour, QColor(Qt::magenta));
        } else {
            const auto font = real.chooseFont(nullptr, start, "Font");
            QVERIFY(font);
            QCOMPARE(font->family(), QStringLiteral("DejaVu Serif"));
        }
        QCOMPARE(colourShown, withColour);
    }

    void scriptedDialogs()
    {
        {
            ScriptedDialogProvider dialogs;
            dialogs.answerFile("/tmp/a.csv");
            dialogs.answerFont(QFont("Courier New"));
            dialogs.answerColour(QColor(Qt::red));
            auto &p = DialogProvider::current();
            QCOMPARE(p.openFileName(nullptr, "Open", "/data", "Data (*.csv)"), QString("/tmp/a.csv"));
            QCOMPARE(p.saveFileName(nullptr, "Save", "/data/x.csv", "Data (*.csv)", "csv"), QString());
            QCOMPARE(p.chooseFont(nullptr, QFont(), "Font")->family(), QString("Courier New"));
            QVERIFY(!p.chooseFont(nullptr, QFont(), "Font").has_value());
            QCOMPARE(*p.chooseColour(nullptr, Qt::black, "Colour"), QColor(Qt::red));
            QVERIFY(!p.chooseColour(nullptr, Qt::black, "Colour").has_value());
            QStringList kinds;
            for (const auto &r : dialogs.requests())
                kinds << r.kind;
            QCOMPARE(kinds, (QStringList{"open", "save", "font", "font", "colour", "colour"}));
            QCOMPARE(dialogs.requests().at(1).text, QString("/data/x.csv"));
        }
        // Gone again: the real dialogs are back.
        QVERIFY(dynamic_cast<ScriptedDialogProvider *>(&DialogProvider::current()) == nullptr);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
