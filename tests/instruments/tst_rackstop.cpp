// The rack window's stop and reactivate command over a pseudo-terminal with the simulator: the
// question at the click, the frame sent between two poll exchanges, the echo rules and the
// Retry/Cancel box on silence.
#include "simline.h"

#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/controllerdialog.h"
#include "instruments/datatransfer.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "views/rack.h"
#include "views/rackstop.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

constexpr int Port = 47;

// Scripted answers that also note when, on the test clock, each box came up.
class TimedBoxes : public ScriptedDialogProvider {
public:
    QList<qint64> shownAt;
    std::function<void()> onBox;
    int messageBox(QWidget *parent, const QString &text, int flags, const QString &title) override
    {
        shownAt << Clock::current().monotonicMs();
        if (onBox)
            onBox();
        return ScriptedDialogProvider::messageBox(parent, text, flags, title);
    }
    QList<Request> boxesWithText(const QString &text) const
    {
        QList<Request> out;
        for (const Request &r : requests())
            if (r.text == text)
                out << r;
        return out;
    }
};

QString picturePath(const QString &name)
{
    const QString dir = QStringLiteral(QLV2_BINARY_DIR "/pictures");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

QWidget *waitWindow()
{
    FormDataTransfer *w = FormDataTransfer::bestaand();
    return w && w->isVisible() ? w : nullptr;
}

} // namespace

class TestRackStop : public QObject {
    Q_OBJECT
    std::unique_ptr<SimLine> line;
    std::unique_ptr<FormRack> rack;
    Sim::Controller *controller = nullptr;
    QList<QByteArray> frames;
    QList<qint64> frameAt;

    void setUpSlot(const QByteArray &model)
    {
        ResetToestellen();
        ResetPollCycle();
        configureSlot(1, model, 17, 2);
        Toestel[1].Actief = true;
        controller = &line->sim.add(model, 17, 2);
        rack = std::make_unique<FormRack>(qint16(1));
        rack->LaadVensterTitel();
        rack->ToonStopPaneel(false);
        rack->show();
    }
    // Clicks panel n of the rack's status bar with the mouse.
    void clickPanel(int n)
    {
        QTest::mouseClick(rack->Panel(n), Qt::LeftButton);
    }
    // The poll loop between two exchanges.
    void runQueued()
    {
        Toestellen::OpvraagStatus = 0;
        UitvoerenTussenwerk();
    }

private slots:
    void initTestCase()
    {
        qint16 english = 0;
        LaadTaal(english);
    }
    void init()
    {
        line = std::make_unique<SimLine>(Port);
        QVERIFY(line->open());
        // The wait window's animation keeps events coming: waits end after a while regardless.
        line->clock.setLongestRealWait(400);
        frames.clear();
        frameAt.clear();
        connect(&line->sim, &Sim::Simulator::frameReceived, this, [this](const QByteArray &f) {
            frames << f;
            frameAt << line->clock.monotonicMs();
        });
        MetenActief = true;
        pollHooks() = PollHooks();
    }
    void cleanup()
    {
        rack.reset();
        line.reset();
        pollHooks() = PollHooks();
        MetenActief = false;
    }

    void expectedEcho_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("echo");
        QTest::newRow("T512") << "T512" << QByteArray("#017\t<5");
        QTest::newRow("T578") << "T578" << QByteArray("#017\t<B");
        QTest::newRow("T5781") << "T5781" << QByteArray("#017\t<B");
        QTest::newRow("T5741") << "T5741" << QByteArray("#017\t<B");
        QTest::newRow("T575") << "T575" << QByteArray("#017\t<B");
        QTest::newRow("T570") << "T570" << QByteArray("#017\t<B\x07", 8);
    }
    void expectedEcho()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, echo);
        const QByteArray command = model == QLatin1String("T512") ? QByteArray("5")
                                                                  : QByteArray("B\x07", 2);
        QCOMPARE(VerwachteEcho(model, 17, command), echo);
    }

    void stopFrames_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("T512") << QByteArray("T512") << QByteArray("#017\t>5\r\n");
        QTest::newRow("T578") << QByteArray("T578") << QByteArray("#017\t>B\x07\r\n", 10);
        QTest::newRow("T5781") << QByteArray("T5781") << QByteArray("#017\t>B\x05\x85\r\n", 11);
    }
    void stopFrames()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, frame);
        setUpSlot(model);
        TimedBoxes boxes;
        boxes.answerMessage(MsgBox::Yes);
        clickPanel(1);
        QCOMPARE(boxes.requests().size(), 1);
        const auto question = boxes.requests().first();
        QCOMPARE(question.text, Taaltekst(301));
        QCOMPARE(question.flags, MsgBox::YesNo | MsgBox::Question);
        QCOMPARE(question.title, QStringLiteral("STOP ") + rack->windowTitle());
        QVERIFY(frames.isEmpty()); // nothing goes out until the poll loop is between exchanges
        const qint64 yesAt = line->clock.monotonicMs();
        QString picture;
        connect(&line->sim, &Sim::Simulator::frameReceived, this, [&picture] {
            if (QWidget *w = waitWindow(); w && picture.isEmpty()) {
                picture = picturePath(QStringLiteral("rack-stop-wait"));
                w->grab().save(picture);
            }
        });
        runQueued();
        QCOMPARE(frames, QList<QByteArray>{frame});
        QVERIFY2(frameAt.first() - yesAt >= 1000, qPrintable(QString::number(frameAt.first() - yesAt)));
        QCOMPARE(boxes.requests().size(), 1); // the echo came: no time-out box
        QVERIFY(controller->stop);
        QVERIFY(rack->StopPaneelIngedrukt());
        QVERIFY(MetenActief);
        QVERIFY(!waitWindow());
        QVERIFY(!picture.isEmpty());

        // The second click asks to reactivate and sends the same command again.
        rack->grab().save(picturePath(QStringLiteral("rack-panel-inset")));
        boxes.answerMessage(MsgBox::Yes);
        clickPanel(1);
        QCOMPARE(boxes.requests().last().text, Taaltekst(302));
        runQueued();
        QCOMPARE(frames, (QList<QByteArray>{frame, frame}));
        QVERIFY(!controller->stop);
        QVERIFY(!rack->StopPaneelIngedrukt());
        rack->grab().save(picturePath(QStringLiteral("rack-panel-raised")));
    }

    void echoes_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("reply"); // sent for the stop frame; empty: the simulator's
        QTest::addColumn<QByteArray>("noise");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("T578 echo of the first letter")
            << QByteArray("T578") << QByteArray("#017\t<B\r\n") << QByteArray() << true;
        QTest::newRow("T512 echo without its command")
            << QByteArray("T512") << QByteArray("#017\t<\r\n") << QByteArray() << false;
        QTest::newRow("T512 echo of another command")
            << QByteArray("T512") << QByteArray("#017\t<6\r\n") << QByteArray() << false;
        QTest::newRow("noise line before the echo")
            << QByteArray("T512") << QByteArray() << QByteArray("#017\tE12 overload") << true;
        QTest::newRow("T5781 noise before the echo")
            << QByteArray("T5781") << QByteArray() << QByteArray("garbage") << true;
    }
    void echoes()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, noise);
        QFETCH(bool, accepted);
        setUpSlot(model);
        controller->noiseBeforeEcho = noise;
        if (!reply.isEmpty()) {
            controller->commandsSilent = true;
            connect(&line->sim, &Sim::Simulator::frameReceived, this,
                    [this, reply] { line->sim.send(reply); });
        }
        TimedBoxes boxes;
        boxes.answerMessage(MsgBox::Yes);
        boxes.answerMessage(MsgBox::Cancel);
        clickPanel(1);
        runQueued();
        QCOMPARE(boxes.boxesWithText(Taaltekst(296)).size(), accepted ? 0 : 1);
        QCOMPARE(frames.size(), 1);
        QVERIFY(rack->StopPaneelIngedrukt());
    }

    void silence()
    {
        setUpSlot("T512");
        controller->commandsSilent = true;
        TimedBoxes boxes;
        boxes.answerMessage(MsgBox::Yes);
        boxes.answerMessage(MsgBox::Retry);
        boxes.answerMessage(MsgBox::Cancel);
        QWidget main;
        main.show();
        MainLink::setMainWindow(&main);
        bool windowAtBox = false;
        bool mainEnabledAtBox = true;
        boxes.onBox = [&] {
            if (waitWindow()) {
                windowAtBox = true;
                mainEnabledAtBox = main.isEnabled();
            }
        };
        clickPanel(1);
        runQueued();
        const auto timeouts = boxes.boxesWithText(Taaltekst(296));
        QCOMPARE(timeouts.size(), 2);
        QCOMPARE(timeouts.first().flags, MsgBox::RetryCancel | MsgBox::Exclamation);
        QCOMPARE(timeouts.first().title, QStringLiteral("STOP ") + rack->windowTitle());
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1], frames[0]); // Retry sends the same frame
        QVERIFY(boxes.shownAt[1] - frameAt[0] >= 2500);
        QVERIFY(boxes.shownAt[2] - frameAt[1] >= 2500);
        QVERIFY(windowAtBox);
        QVERIFY(!mainEnabledAtBox); // the wait window holds the main window off
        QVERIFY(waitWindow() == nullptr); // Cancel closed it
        QVERIFY(main.isEnabled());
        MainLink::setMainWindow(nullptr);
        QVERIFY(rack->StopPaneelIngedrukt()); // and the panel toggled anyway
        QVERIFY(MetenActief);
    }

    void hangUp()
    {
        setUpSlot("T512");
        controller->commandsSilent = true;
        connect(&line->sim, &Sim::Simulator::frameReceived, this, [this] { line->sim.hangUp(); });
        TimedBoxes boxes;
        boxes.answerMessage(MsgBox::Yes);
        clickPanel(1);
        runQueued();
        QCOMPARE(frames.size(), 1);
        // The question, then no time-out box but the word that the line went away, as a
        // download says it; the panel keeps its look, since the controller never heard it.
        QCOMPARE(boxes.requests().size(), 2);
        QVERIFY(boxes.requests()[1].text.startsWith(Taaltekst(152)));
        QVERIFY(!waitWindow());
        QVERIFY(!rack->StopPaneelIngedrukt());
    }

    void nothingSent_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::newRow("No") << 1 << true << int(MsgBox::No) << 1;
        QTest::newRow("measuring off") << 1 << false << int(MsgBox::Yes) << 0;
        QTest::newRow("panel 2") << 2 << true << int(MsgBox::Yes) << 0;
        QTest::newRow("panel 3") << 3 << true << int(MsgBox::Yes) << 0;
        QTest::newRow("panel 4") << 4 << true << int(MsgBox::Yes) << 0;
    }
    void nothingSent()
    {
        QFETCH(int, panel);
        QFETCH(bool, measuring);
        QFETCH(int, answer);
        QFETCH(int, questions);
        setUpSlot("T512");
        MetenActief = measuring;
        TimedBoxes boxes;
        boxes.answerMessage(answer);
        clickPanel(panel);
        runQueued();
        QTest::qWait(50);
        QCOMPARE(boxes.requests().size(), questions);
        QVERIFY(frames.isEmpty());
        QVERIFY(!rack->StopPaneelIngedrukt());
    }

    // A click while a poll reply is late: the stop command waits for the exchange's end (the
    // reply is read first, a good read), then goes out; a second click meanwhile adds nothing.
    void clickDuringLateReply()
    {
        setUpSlot("T512");
        controller->behaviour = Sim::Behaviour::Late;
        controller->lateMs = 150;
        PollHooks &h = pollHooks();
        h.sendPoll = [](int slot) {
            ZendCommando(qint16(slot), Protocol::PollCommando[size_t(slot)]);
            expectReply(qint16(slot));
        };
        h.readReply = [](int slot) { return tryReadReading(qint16(slot)); };
        TimedBoxes boxes;
        boxes.answerMessage(MsgBox::Yes);
        boxes.answerMessage(MsgBox::Yes);
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 0;
        OpvraagBeurt(); // state 1
        OpvraagBeurt(); // state 2: the poll goes out
        QTRY_COMPARE(frames.size(), 1);
        clickPanel(1);
        clickPanel(1);
        QCOMPARE(boxes.requests().size(), 1);
        // State 3 until the late reply is all in; the stop command waits meanwhile.
        bool read = false;
        QTRY_VERIFY(read || (OpvraagBeurt(), read = Toestellen::OpvraagStatus == 3));
        QCOMPARE(frames.size(), 1);
        QCOMPARE(Toestel[1].FoutTeller, qint16(0));
        QVERIFY(StopCommandoBezig(1));
        OpvraagBeurt(); // between exchanges: the stop command, then state 4
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1], QByteArray("#017\t>5\r\n"));
        QVERIFY(!StopCommandoBezig(1));
        QVERIFY(rack->StopPaneelIngedrukt());
    }

    void valueDoubleClickOpensChannelPage()
    {
        setUpSlot("T512");
        Toestel[1].Kanalen = 4;
        rack->FormInstellenControls();
        connect(rack.get(), &FormRack::instellingenGevraagd, this,
                [](int slot, int channel) { FormSettingsController::Tonen(slot, channel); });
        QTest::mouseDClick(rack->LabelWaarde(2), Qt::LeftButton);
        FormSettingsController *dialog = FormSettingsController::geopend();
        QVERIFY(dialog);
        QCOMPARE(int(dialog->Ti), 1);
        QCOMPARE(dialog->SSTab->currentIndex(), 2);
        dialog->CancelButton_Click();
    }
};

QTEST_MAIN(TestRackStop)
#include "tst_rackstop.moc"
