#include "core/shared.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/messagebox.h"
#include "support/qttranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <QtTest>
#include <functional>

using namespace MsgBox;

namespace {

// Runs the action as soon as the event loop (the box's own wait) gets to it. A safety net ends
// every wait should the action never answer, so that a fault fails the test instead of hanging.
void soon(std::function<void()> action) { QTimer::singleShot(0, qApp, std::move(action)); }

FormMelding *newestBox()
{
    const auto boxes = FormMelding::openBoxes();
    return boxes.isEmpty() ? nullptr : boxes.last();
}

// The captions of the shown buttons, left to right.
QStringList visibleCaptions(FormMelding *box)
{
    QList<QPushButton *> shown;
    for (int code = 1; code <= 7; ++code)
        if (box->knop(code)->isVisibleTo(box))
            shown << box->knop(code);
    std::sort(shown.begin(), shown.end(),
              [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
    QStringList captions;
    for (QPushButton *b : shown)
        captions << b->text();
    return captions;
}

const QString app = QStringLiteral("QLV2-CFG");

} // namespace

class TestMessageBox : public QObject {
    Q_OBJECT
    QTimer safety;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [] { Pump::setEnding(true); });
    }
    void init()
    {
        Registry::remove(app, "Messagewindow", "Top");
        Registry::remove(app, "Messagewindow", "Left");
        safety.start(10000);
    }
    void cleanup()
    {
        safety.stop();
        Pump::setEnding(false);
        for (FormMelding *b : FormMelding::openBoxes())
            delete b;
        MainLink::setMainWindow(nullptr);
        MainLink::setBlankMessagePanel({});
        qint16 english = 0;
        LaadTaal(english);
    }

    void buttonSet_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("enterAnswer");
        QTest::addColumn<int>("escapeAnswer"); // 0: Escape and the frame do nothing
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("sound");
        QTest::newRow("0 OK, no icon") << 0 << QStringList{"&OK"} << Ok << Ok
                                       << "ImageExclamation" << 108;
        QTest::newRow("16 OK critical") << 16 << QStringList{"&OK"} << Ok << Ok << "ImageCritical"
                                        << 104;
        QTest::newRow("32 OK question") << 32 << QStringList{"&OK"} << Ok << Ok << "ImageQuestion"
                                        << 107;
        QTest::newRow("1+64 OK/Cancel information")
            << (OkCancel | Information) << QStringList{"&OK", "&Cancel"} << Ok << Cancel
            << "ImageInformation" << 106;
        QTest::newRow("2 Abort/Retry/Ignore")
            << (AbortRetryIgnore | Critical) << QStringList{"Stop", "&Retry", "&Ignore"} << Retry
            << 0 << "ImageCritical" << 104;
        QTest::newRow("35 Yes/No/Cancel question")
            << 35 << QStringList{"&Yes", "&No", "&Cancel"} << Yes << Cancel << "ImageQuestion"
            << 107;
        QTest::newRow("4+48 Yes/No exclamation")
            << (YesNo | Exclamation) << QStringList{"&Yes", "&No"} << Yes << 0
            << "ImageExclamation" << 105;
        QTest::newRow("53 Retry/Cancel exclamation")
            << 53 << QStringList{"&Retry", "&Cancel"} << Retry << Cancel << "ImageExclamation"
            << 105;
        QTest::newRow("other bits are ignored")
            << (YesNo | Question | DefaultButton2 | 0x1000) << QStringList{"&Yes", "&No"} << Yes
            << 0 << "ImageQuestion" << 107;
    }

    void buttonSet()
    {
        QFETCH(int, flags);
        QFETCH(QStringList, captions);
        QFETCH(int, enterAnswer);
        QFETCH(int, escapeAnswer);
        QFETCH(QString, picture);
        QFETCH(int, sound);

        // Escape, then a close by the frame: with an Escape answer the first one answers;
        // without, both leave the box waiting and Enter presses the focused button.
        QStringList seen;
        bool closeButton = false, stillOpenAfterEscape = false, stillOpenAfterClose = false;
        QString seenPicture;
        qint16 seenSound = 0;
        soon([&] {
            FormMelding *box = newestBox();
            if (!box)
                return;
            seen = visibleCaptions(box);
            seenPicture = box->Plaatje;
            seenSound = box->Geluid;
            closeButton = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            QTest::keyClick(box, Qt::Key_Escape);
            stillOpenAfterEscape = box->GeklikteToets == 0;
            if (!stillOpenAfterEscape)
                return;
            box->close();
            stillOpenAfterClose = box->isVisible() && box->GeklikteToets == 0;
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                            Qt::Key_Return);
        });
        const int answer = TonenMelding("Text", flags, "Title");
        QCOMPARE(seen, captions);
        QCOMPARE(seenPicture, picture);
        QCOMPARE(int(seenSound), sound);
        QCOMPARE(FormMelding::laatsteGeluid(), QStringLiteral("qrc:/sounds/%1.wav").arg(sound));
        QCOMPARE(closeButton, escapeAnswer != 0);
        if (escapeAnswer) {
            QCOMPARE(answer, escapeAnswer);
        } else {
            QVERIFY(stillOpenAfterEscape);
            QVERIFY(stillOpenAfterClose);
            QCOMPARE(answer, enterAnswer);
        }
        QVERIFY(FormMelding::openBoxes().isEmpty());
    }

    void enterPressesTheFocusButton_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << 0 << Ok;
        QTest::newRow("OK/Cancel") << 1 << Ok;
        QTest::newRow("Yes/No/Cancel") << 3 << Yes;
        QTest::newRow("Retry/Cancel") << 5 << Retry;
    }
    void enterPressesTheFocusButton()
    {
        QFETCH(int, flags);
        QFETCH(int, answer);
        soon([] {
            if (FormMelding *box = newestBox())
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                                Qt::Key_Return);
        });
        QCOMPARE(int(TonenMelding("Text", flags)), answer);
    }

    void closeByFrameAnswersAsEscape()
    {
        soon([] {
            if (FormMelding *box = newestBox())
                box->close();
        });
        QCOMPARE(int(TonenMelding("Save?", YesNoCancel | Question)), Cancel);
    }

    void soundResourcesAreShortStereoWaves_data()
    {
        QTest::addColumn<int>("number");
        for (int n = 104; n <= 108; ++n)
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void soundResourcesAreShortStereoWaves()
    {
        QFETCH(int, number);
        MainLink::ensureResources();
        const QString url = FormMelding::LaadGeluid(qint16(number));
        QCOMPARE(url, QStringLiteral("qrc:/sounds/%1.wav").arg(number));
        QFile f(url.mid(3));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray wav = f.readAll();
        QVERIFY(wav.startsWith("RIFF") && wav.mid(8, 8) == "WAVEfmt ");
        QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 20), quint16(1));     // PCM
        QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 22), quint16(2));     // stereo
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 24), quint32(22050)); // rate
        QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 34), quint16(16));    // bits
        const double seconds = qFromLittleEndian<quint32>(wav.constData() + 40) / (22050.0 * 4);
        QVERIFY(seconds > 0.1 && seconds < 1.0);
    }
    void pairedSoundsAreEqual()
    {
        MainLink::ensureResources();
        auto bytes = [](int n) {
            QFile f(GeluidBestand(n));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QCOMPARE(bytes(107), bytes(106));
        QCOMPARE(bytes(108), bytes(105));
        QVERIFY(bytes(104) != bytes(105));
        QVERIFY(bytes(104) != bytes(106));
    }
    void soundEffectLoadsFromTheResources()
    {
        MainLink::ensureResources();
        QSoundEffect effect;
        effect.setSource(QUrl(FormMelding::LaadGeluid(104)));
        QTRY_VERIFY(effect.status() != QSoundEffect::Loading && effect.status() != QSoundEffect::Null);
        QCOMPARE(effect.status(), QSoundEffect::Ready);
    }
    void missingSoundIsSilent() { QCOMPARE(FormMelding::LaadGeluid(103), QString()); }

    void emptyTitleIsTheLanguagesMessage()
    {
        QString title;
        soon([&] {
            if (FormMelding *box = newestBox()) {
                title = box->windowTitle();
                box->knop(Ok)->click();
            }
        });
        TonenMelding("Text", 0, QString());
        QCOMPARE(title, QStringLiteral("Message"));
    }

    void doNotWaitReturnsAtOnce()
    {
        QCOMPARE(int(TonenMelding("Settings saved!", DoNotWait | Information, "x")), 0);
        FormMelding *box = newestBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->GeklikteToets, qint16(0));
        // A second such box takes over the open one.
        QCOMPARE(int(TonenMelding("Again", DoNotWait | Information, "x")), 0);
        QCOMPARE(FormMelding::openBoxes().size(), 1);
        QCOMPARE(box->findChild<QLabel *>("LabelMelding")->text(), QStringLiteral("Again"));
        QPointer<FormMelding> guard = box;
        box->knop(Ok)->click();
        QVERIFY(!box->isVisible());
        QVERIFY(FormMelding::openBoxes().isEmpty());
        QVERIFY(Registry::contains(app, "Messagewindow", "Top"));
        QTRY_VERIFY(!guard);
    }

    void waitingCallAfterDoNotWaitBoxOwnsIt()
    {
        TonenMelding("Saved", DoNotWait | Information);
        soon([] {
            if (FormMelding *box = newestBox())
                box->knop(Cancel)->click();
        });
        QCOMPARE(int(TonenMelding("Question", RetryCancel | Exclamation)), Cancel);
        QVERIFY(FormMelding::openBoxes().isEmpty());
    }

    void nestedBoxesAreAnsweredOnTheirOwn()
    {
        int inner = -1;
        int boxesDuringInner = 0;
        QString outerTextDuringInner;
        soon([&] {
            FormMelding *outer = newestBox();
            soon([&, outer] {
                const auto open = FormMelding::openBoxes();
                boxesDuringInner = int(open.size());
                if (open.size() != 2)
                    return;
                FormMelding *innerBox = open.last();
                // Answer the outer box first: the inner caller must still get its own answer.
                outer->knop(Cancel)->click();
                outerTextDuringInner = outer->findChild<QLabel *>("LabelMelding")->text();
                innerBox->knop(Retry)->click();
            });
            inner = TonenMelding("Inner", RetryCancel | Exclamation, "inner");
        });
        const int outer = TonenMelding("Outer", YesNoCancel | Question, "outer");
        QCOMPARE(boxesDuringInner, 2);
        QCOMPARE(outerTextDuringInner, QStringLiteral("Outer"));
        QCOMPARE(inner, Retry);
        QCOMPARE(outer, Cancel);
        QVERIFY(FormMelding::openBoxes().isEmpty());
    }

    void innerBoxAnsweredFirst()
    {
        int inner = -1;
        soon([&] {
            soon([] {
                const auto open = FormMelding::openBoxes();
                if (open.size() == 2)
                    open.last()->knop(No)->click();
            });
            inner = TonenMelding("Inner", YesNo | Question);
            // Back in the outer wait: its box is still open and unanswered.
            soon([] {
                const auto open = FormMelding::openBoxes();
                if (open.size() == 1)
                    open.first()->knop(Yes)->click();
            });
        });
        QCOMPARE(int(TonenMelding("Outer", YesNo | Question)), Yes);
        QCOMPARE(inner, No);
    }

    void mainWindowStateIsRestored_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("enabled") << true;
        QTest::newRow("disabled by a dialog") << false;
    }
    void mainWindowStateIsRestored()
    {
        QFETCH(bool, enabled);
        QWidget main;
        main.show();
        main.setEnabled(enabled);
        MainLink::setMainWindow(&main);
        int blanked = 0;
        MainLink::setBlankMessagePanel([&] { ++blanked; });
        bool usable = false;
        soon([&] {
            FormMelding *box = newestBox();
            if (!box)
                return;
            // The box stays usable under a disabled main window.
            usable = box->isEnabled() && box->knop(Ok)->isEnabled();
            main.setEnabled(!enabled); // something during the wait flips it
            box->knop(Ok)->click();
        });
        QCOMPARE(int(TonenMelding("Text", OkOnly)), Ok);
        QVERIFY(usable);
        QCOMPARE(main.isEnabled(), enabled);
        QCOMPARE(blanked, 1);
    }

    void closingProgramEndsTheWait()
    {
        soon([] { Pump::setEnding(true); });
        QCOMPARE(int(TonenMelding("Text", YesNo)), Cancel);
        QVERIFY(FormMelding::openBoxes().isEmpty());
    }

    void place_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QPoint>("expected");
        // Screen 1024 x 768 pixels at 15 twips a pixel, box 300 x 150: centre (362, 309).
        QTest::newRow("missing") << "" << "" << QPoint(362, 309);
        QTest::newRow("zero") << "0" << "0" << QPoint(362, 309);
        QTest::newRow("negative") << "-15" << "-30" << QPoint(362, 309);
        QTest::newRow("not a number") << "abc" << "1.5e" << QPoint(362, 309);
        QTest::newRow("top at screen height") << "11520" << "1500" << QPoint(100, 309);
        QTest::newRow("left beyond the screen") << "1500" << "20000" << QPoint(362, 100);
        QTest::newRow("kept") << "1500" << "3000" << QPoint(200, 100);
        QTest::newRow("zero top only") << "0" << "3000" << QPoint(200, 309);
        QTest::newRow("sticking out right, pulled back") << "1500" << "14400" << QPoint(724, 100);
        QTest::newRow("sticking out below, pulled back") << "10500" << "3000" << QPoint(200, 618);
    }
    void place()
    {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QPoint, expected);
        QCOMPARE(PlaatsMelding(top, left, QSize(300, 150), QRect(0, 0, 1024, 768), 15.0),
                 expected);
    }

    void positionIsKeptInTwips()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect avail = screen->availableGeometry();
        const double tpp = 1440.0 / screen->logicalDotsPerInchY();
        Registry::write(app, "Messagewindow", "Top", QString::number(qRound(40 * tpp)));
        Registry::write(app, "Messagewindow", "Left", QString::number(qRound(50 * tpp)));
        QPoint shownAt;
        soon([&] {
            FormMelding *box = newestBox();
            if (!box)
                return;
            shownAt = box->frameGeometry().topLeft() - avail.topLeft();
            box->move(box->pos() + QPoint(30, 20)); // the user moves it
            box->knop(Ok)->click();
        });
        TonenMelding("Text", 0);
        QCOMPARE(shownAt, QPoint(50, 40));
        QCOMPARE(Registry::read(app, "Messagewindow", "Top").toDouble(), qRound(60 * tpp) * 1.0);
        QCOMPARE(Registry::read(app, "Messagewindow", "Left").toDouble(), qRound(80 * tpp) * 1.0);
    }

    void offScreenPositionIsPulledBack()
    {
        Registry::write(app, "Messagewindow", "Top", "999999");
        Registry::write(app, "Messagewindow", "Left", "999999");
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        bool inside = false;
        soon([&] {
            if (FormMelding *box = newestBox()) {
                inside = avail.contains(box->frameGeometry());
                box->knop(Ok)->click();
            }
        });
        TonenMelding("Text", 0);
        QVERIFY(inside);
    }

    void longMessagesStayOnTheScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("one very long line")
            << QString("word ").repeated(400).trimmed() << false;
        QTest::newRow("many lines") << QString("line\n").repeated(300) << true;
    }
    void longMessagesStayOnTheScreen()
    {
        QFETCH(QString, text);
        QFETCH(bool, scrolls);
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QRect frame;
        bool scrollBar = false, wrapped = false, allTextShown = false;
        soon([&] {
            FormMelding *box = newestBox();
            if (!box)
                return;
            frame = box->frameGeometry();
            auto *label = box->findChild<QLabel *>("LabelMelding");
            auto *scroll = box->findChild<QScrollArea *>();
            scrollBar = scroll->verticalScrollBar()->isVisible();
            wrapped = label->wordWrap();
            // Without a scroll bar every line of the label is inside the visible area.
            allTextShown = label->heightForWidth(label->width()) <= scroll->viewport()->height()
                           || scrollBar;
            box->knop(Ok)->click();
        });
        TonenMelding(text, 0);
        QVERIFY(avail.contains(frame));
        QCOMPARE(scrollBar, scrolls);
        QVERIFY(allTextShown);
        if (!scrolls)
            QVERIFY(wrapped);
    }

    void shortMessageIsNotWrapped()
    {
        int boxWidth = 0, minimum = 0;
        bool wrapped = true;
        soon([&] {
            if (FormMelding *box = newestBox()) {
                boxWidth = box->width();
                wrapped = box->findChild<QLabel *>("LabelMelding")->wordWrap();
                minimum = 3 * box->knop(Yes)->minimumWidth();
                box->knop(Yes)->click();
            }
        });
        TonenMelding("Short", YesNo);
        QVERIFY(!wrapped);
        QVERIFY(boxWidth >= minimum); // room for one button more than the set holds
    }

    // A short text under a long title: the box is wide enough for the frame to show the
    // title whole ("Settings saved!" under its file's path).
    void titleIsShownWhole()
    {
        const QString title = QStringLiteral("/tmp/h1/Marquel/...\\Qlv2.CFG");
        int boxWidth = 0;
        soon([&] {
            if (FormMelding *box = newestBox()) {
                boxWidth = box->width();
                box->knop(Ok)->click();
            }
        });
        TonenMelding("Settings saved!", Information, title);
        QFont bold = QApplication::font("QMdiSubWindowTitleBar");
        bold.setBold(true);
        QVERIFY2(boxWidth >= QFontMetrics(bold).horizontalAdvance(title) + 4 * 20,
                 qPrintable(QString::number(boxWidth)));
    }

    void languageSwitchRelabelsAnOpenBox()
    {
        QStringList before, after;
        QString titleAfter;
        soon([&] {
            FormMelding *box = newestBox();
            if (!box)
                return;
            before = visibleCaptions(box);
            qint16 french = 1;
            LaadTaal(french);
            after = visibleCaptions(box);
            titleAfter = box->windowTitle();
            box->knop(No)->click();
        });
        QCOMPARE(int(TonenMelding("Text", YesNoCancel)), No);
        QCOMPARE(before, (QStringList{"&Yes", "&No", "&Cancel"}));
        QCOMPARE(after, (QStringList{"&Oui", "&Non", "&Annuler"}));
        QCOMPARE(titleAfter, QStringLiteral("Message"));
    }

    // What was typed, and what was taken instead, stand in the text as they are, in the user's
    // language, even where they hold the signs the text's placeholders are made of.
    void takenInstead_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << 0 << "99:77:02"
                                 << "Interval of time: 99:77:02 cannot be used as typed; "
                                    "00:00:01 is used instead.";
        QTest::newRow("French") << 1 << "99:77:02"
                                << "Intervalle de temps : 99:77:02 ne peut pas être utilisé tel "
                                   "quel ; 00:00:01 est utilisé à la place.";
        QTest::newRow("Dutch") << 2 << "99:77:02"
                               << "Tijdsinterval: 99:77:02 kan niet gebruikt worden zoals "
                                  "ingevoerd; in plaats daarvan wordt 00:00:01 gebruikt.";
        QTest::newRow("placeholder signs typed")
            << 0 << "#1 $$ ##"
            << "Interval of time: #1 $$ ## cannot be used as typed; 00:00:01 is used instead.";
    }
    void takenInstead()
    {
        QFETCH(int, language);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        qint16 index = qint16(language);
        LaadTaal(index);
        ScriptedDialogProvider dialogs;
        MeldGenomenInPlaatsVan(nullptr, Taaltekst(134), typed, QStringLiteral("00:00:01"),
                               QStringLiteral("Graph 1"));
        QCOMPARE(dialogs.messageTexts(), QStringList{text});
        QCOMPARE(dialogs.requests().first().title, QStringLiteral("Graph 1"));
        QCOMPARE(dialogs.requests().first().flags, OkOnly | Information);
    }

    void qtDialogsFollowTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << 0 << "";
        QTest::newRow("French") << 1 << "fr";
        QTest::newRow("Dutch") << 2 << "nl";
    }
    void qtDialogsFollowTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        QtTranslations::follow();
        qint16 index = qint16(language);
        LaadTaal(index);
        QCOMPARE(QtTranslations::languageCode(), code);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
        if (code.isEmpty())
            QCOMPARE(cancel, QStringLiteral("Cancel"));
        else
            QVERIFY2(!cancel.contains("Cancel"), qPrintable(cancel));
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
