#include "fixture.h"

#include "core/shared.h"
#include "core/slots.h"
#include "support/language.h"
#include "views/rack.h"
#include "views/readingdisplay.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
// Counts the events of one type that reach the objects it filters.
struct EventCount : QObject {
    explicit EventCount(QEvent::Type type) : type(type) {}
    QEvent::Type type;
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == type)
            ++count;
        return false;
    }
};

// Runs the event loop, blocking between events, as the reply wait does.
void waitBlocking(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The slot's rack window, shown and past its first reading; null when it never got exposed.
FormRack *shownRack(int slot, int channels)
{
    configureSlot(slot, channels);
    FormRack *rack = RackVenster[slot];
    rack->show();
    if (!QTest::qWaitForWindowExposed(rack))
        return nullptr;
    TonenMeting(*rack, false);
    QCoreApplication::processEvents();
    return rack;
}

QColor textColour(QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}
} // namespace

class TestRack : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qint16 english = 0;
        LaadTaal(english);
    }
    void init()
    {
        qint16 english = 0;
        LaadTaal(english);
        resetViews();
        RackVenster.Ontladen();
    }
    void cleanup() { RackVenster.Ontladen(); }

    void layout_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QSize>("size");
        for (int n : {1, 2, 3, 4}) {
            QTest::addRow("%d channels, design size", n) << n << QSize(252, 152);
            QTest::addRow("%d channels, large", n) << n << QSize(900, 500);
        }
    }
    void layout()
    {
        QFETCH(int, channels);
        QFETCH(QSize, size);
        configureSlot(3, channels);
        FormRack *rack = RackVenster[3];
        rack->resize(size);
        rack->show();
        QVERIFY(QTest::qWaitForWindowExposed(rack));
        TonenMeting(*rack, false);
        const int tpp = rack->twipsPerPixel();
        const int W = rack->width() * tpp;
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(rack->LabelWaarde(k)->isVisible(), k < channels);
            QCOMPARE(rack->LabelEenheid(k)->isVisible(), k < channels);
            QCOMPARE(rack->LabelKanaal(k)->isVisible(), k < channels);
        }
        for (int k = 0; k < channels; ++k) {
            const QRect value = rack->twipsOf(rack->LabelWaarde(k));
            const QRect unit = rack->twipsOf(rack->LabelEenheid(k));
            const int F = channels == 1 ? 2 : 1;
            QCOMPARE(value.width(), W * F / 3);
            QCOMPARE(unit.left(), value.left() + value.width() + 10);
            QCOMPARE(unit.top(), value.top());
            QCOMPARE(unit.height(), value.height());
            // The unit label is a sixth of the width in every layout.
            QVERIFY(qAbs(unit.width() - W / 6) <= 2);
            QVERIFY(rack->LabelWaarde(k)->font().pointSize() > 0);
            QVERIFY(rack->LabelEenheid(k)->font().pointSize()
                    <= rack->LabelWaarde(k)->font().pointSize());
            // Everything stays above the status bar.
            QVERIFY(rack->LabelWaarde(k)->geometry().bottom() < rack->StatusBar()->geometry().top());
            if (k % 2 == 1)
                QCOMPARE(value.left(), W / 2);
            if (k >= 2) {
                const QRect above = rack->twipsOf(rack->LabelWaarde(k - 2));
                QVERIFY(rack->twipsOf(rack->LabelKanaal(k)).top() >= above.bottom());
                QCOMPARE(value.left(), above.left());
            }
        }
        savePicture(*rack, QStringLiteral("rack_%1ch_%2x%3")
                               .arg(channels).arg(size.width()).arg(size.height()));
    }

    // A channel name has its whole column (less the margins), not a quarter of the window.
    void channelNamesFit_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("name");
        QTest::newRow("one channel") << 1 << QStringLiteral("Geleidbaarheid monster");
        QTest::newRow("two channels") << 2 << QStringLiteral("Geleidbaarheid");
        QTest::newRow("four channels") << 4 << QStringLiteral("Conductivité");
    }
    void channelNamesFit()
    {
        QFETCH(int, channels);
        QFETCH(QString, name);
        configureSlot(3, channels);
        for (int k = 1; k <= channels; ++k)
            Toestel[3].Kanaal[size_t(k)].Naam = name;
        FormRack *rack = RackVenster[3];
        rack->resize(252, 152);
        rack->FormInstellenControls();
        rack->show();
        QVERIFY(QTest::qWaitForWindowExposed(rack));
        savePicture(*rack, QStringLiteral("rack-names-%1").arg(channels));
        for (int k = 0; k < channels; ++k) {
            QLabel *label = rack->LabelKanaal(k);
            QCOMPARE(label->text(), name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(name) <= label->contentsRect().width(),
                     qPrintable(QString::number(label->width())));
            QVERIFY(label->geometry().right() < rack->width());
            if (k % 2 == 0 && channels > 1)
                QVERIFY(label->geometry().right() < rack->LabelKanaal(k + 1 < channels ? k + 1 : 1)->geometry().left());
        }
    }

    // The one-text status (manual service, disabled) is read whole in every language: the French
    // manual-service text is about as wide as the window at its design size; in a narrower
    // window it takes a second line and the blocks above make room for it.
    void languageTextsFit_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("text");
        QTest::addColumn<QSize>("size");
        for (int language : {0, 1, 2})
            for (int text : {283, 380})
                for (const QSize size : {QSize(180, 152), QSize(252, 152), QSize(900, 500)})
                    QTest::addRow("language %d, text %d, %dx%d", language, text, size.width(),
                                  size.height())
                        << language << text << size;
    }
    void languageTextsFit()
    {
        QFETCH(int, language);
        QFETCH(int, text);
        QFETCH(QSize, size);
        qint16 index = qint16(language);
        LaadTaal(index);
        configureSlot(4, 2, QStringLiteral("T5781"), 20);
        Toestel[4].Defect = text == 283;
        Toestel[4].Actief = text != 380;
        FormRack *rack = RackVenster[4];
        QMdiArea area; // as in the main window, whose child windows have the frames of Qt's style
        area.resize(1000, 700);
        QMdiSubWindow *sub = area.addSubWindow(rack);
        area.show();
        sub->show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        sub->resize(sub->size() - rack->size() + size);
        QCOMPARE(rack->size(), size);
        TonenMeting(*rack, false);
        QCoreApplication::processEvents();
        savePicture(*sub, QStringLiteral("rack-text-%1-%2-%3").arg(language).arg(text).arg(size.width()));

        QCOMPARE(rack->StatusTekst(), Taaltekst(text));
        const QLabel *shown = nullptr;
        for (const QLabel *l : rack->StatusBar()->findChildren<QLabel *>())
            if (l->isVisible() && l->text() == rack->StatusTekst())
                shown = l;
        QVERIFY2(shown, "the status text has no label of its own");
        const QRect inside = shown->contentsRect();
        const QRect need = shown->fontMetrics().boundingRect(
            inside, int(shown->alignment()) | Qt::TextWordWrap, shown->text());
        QVERIFY2(inside.contains(need), qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                                       .arg(need.width()).arg(need.height())
                                                       .arg(inside.width()).arg(inside.height())));
        const QRect bar = rack->StatusBar()->geometry();
        QVERIFY(rack->rect().contains(bar));
        QVERIFY(QRect(QPoint(), bar.size()).contains(shown->geometry()));
        for (int k = 0; k < 2; ++k) // the blocks end above the status bar
            QVERIFY(rack->LabelEenheid(k)->geometry().bottom() < bar.top());
    }

    void valueFontGrowsWithWindow()
    {
        configureSlot(1, 2);
        FormRack *rack = RackVenster[1];
        rack->resize(252, 152);
        rack->show();
        const int small = rack->LabelWaarde(0)->font().pointSize();
        rack->resize(900, 500);
        QVERIFY(rack->LabelWaarde(0)->font().pointSize() > small);
    }

    void shrunkWindowKeepsHeights()
    {
        configureSlot(1, 4);
        FormRack *rack = RackVenster[1];
        rack->resize(400, 300);
        rack->show();
        const int height = rack->twipsOf(rack->LabelWaarde(0)).height();
        rack->resize(400, 40);
        QCOMPARE(rack->twipsOf(rack->LabelWaarde(0)).height(), height);
    }

    void display_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("noValue");
        QTest::addColumn<QString>("relays");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("panel2");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("normal") << "" << false << "----" << "12.5" << RackKleur::Groen << ""
                                << false;
        QTest::newRow("below range") << "<" << false << "----" << "12.5" << RackKleur::Geel
                                     << "< " << false;
        QTest::newRow("alarm wins over >") << "> ALARM" << false << "1---" << "12.5"
                                           << RackKleur::Rood << "> ALARM " << false;
        QTest::newRow("no value") << "ALARM" << true << "----" << "OR." << RackKleur::Rood << ""
                                  << false;
        QTest::newRow("relays stopped") << "" << false << "STOP" << "12.5" << RackKleur::Groen
                                        << "" << true;
        QTest::newRow("status stopped") << "STOP" << false << "----" << "12.5"
                                        << RackKleur::Groen << "STOP " << true;
    }
    void display()
    {
        QFETCH(QString, status);
        QFETCH(bool, noValue);
        QFETCH(QString, relays);
        QFETCH(QString, value);
        QFETCH(QColor, colour);
        QFETCH(QString, panel2);
        QFETCH(bool, stopped);
        configureSlot(5, 1);
        Toestel[5].Kanaal[1].Status = status;
        Toestel[5].Kanaal[1].GeenWaarde = noValue;
        Toestel[5].Relais = relays;
        FormRack *rack = RackVenster[5];
        rack->show();
        qint16 slot = 5;
        bool leeg = false;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->LabelWaarde(0)->text(), value);
        QCOMPARE(rack->LabelEenheid(0)->text(), QStringLiteral("°C"));
        QCOMPARE(textColour(rack->LabelWaarde(0)), colour);
        QCOMPARE(rack->Panel(2)->text(), panel2);
        QCOMPARE(rack->Panel(3)->text(), relays);
        QCOMPARE(rack->Panel(4)->text(), QStringLiteral("09:04:05 "));
        QCOMPARE(rack->StopPaneelIngedrukt(), stopped);
        QCOMPARE(rack->Panel(1)->text(), stopped ? QString() : QStringLiteral("STOP"));
        QCOMPARE(rack->Panel(1)->pixmap().isNull(), !stopped);
        QCOMPARE(rack->StatusTekst(), QString());
        savePicture(*rack, QStringLiteral("rack_state_%1")
                               .arg(QString::fromLatin1(QTest::currentDataTag())
                                        .replace(QLatin1Char(' '), QLatin1Char('_'))));
    }

    void manualService()
    {
        configureSlot(2, 2);
        Toestel[2].Defect = true;
        FormRack *rack = RackVenster[2];
        rack->show();
        qint16 slot = 2;
        bool leeg = false;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("MAN."));
        QCOMPARE(textColour(rack->LabelWaarde(0)), RackKleur::Geel);
        QCOMPARE(rack->LabelWaarde(1)->text(), QString());
        QCOMPARE(rack->StatusTekst(), Taaltekst(283));
        QVERIFY(!rack->Panel(2)->isVisible()); // the full-width text hides the panels
        savePicture(*rack, QStringLiteral("rack_state_manual"));
        // The next good reading brings the panels back.
        Toestel[2].Defect = false;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->StatusTekst(), QString());
        QVERIFY(rack->Panel(2)->isVisible());
        QCOMPARE(rack->LabelWaarde(1)->text(), QStringLiteral("13.5"));
    }

    void disabledSlot()
    {
        configureSlot(2, 2);
        Toestel[2].Actief = false;
        FormRack *rack = RackVenster[2];
        rack->show();
        qint16 slot = 2;
        bool leeg = false;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->StatusTekst(), Taaltekst(380));
        QCOMPARE(rack->LabelWaarde(0)->text(), QString());
    }

    void failingSlotKeepsNames()
    {
        configureSlot(2, 2);
        Toestel[2].Kanaal[1].Naam = QStringLiteral("Oven");
        FormRack *rack = RackVenster[2];
        rack->show();
        qint16 slot = 2;
        bool leeg = false;
        TonenMeting(slot, leeg);
        Toestel[2].FoutTeller = 3;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->LabelWaarde(0)->text(), QString());
        QCOMPARE(rack->LabelEenheid(0)->text(), QString());
        QCOMPARE(rack->LabelKanaal(0)->text(), QStringLiteral("Oven"));
    }

    void measuringOffOnlyGreys()
    {
        configureSlot(2, 2);
        FormRack *rack = RackVenster[2];
        rack->show();
        qint16 slot = 2;
        bool leeg = false;
        TonenMeting(slot, leeg);
        MetenActief = false;
        Toestel[2].Kanaal[1].Waarde = QStringLiteral("99.9");
        TonenMeting(slot, leeg);
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("12.5"));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(textColour(rack->LabelWaarde(k)), FormRack::greyTextColour());
    }

    void hiddenWindowIsLeftAlone()
    {
        configureSlot(2, 2);
        FormRack *rack = RackVenster[2];
        qint16 slot = 2;
        bool leeg = false;
        TonenMeting(slot, leeg);
        QCOMPARE(rack->LabelWaarde(0)->text(), QString());
    }

    void lamps_data()
    {
        QTest::addColumn<int>("polled");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QColor>("expected");
        const QColor unchanged(1, 2, 3);
        QTest::newRow("polled, busy") << 4 << true << true << 0 << true << RackKleur::Groen;
        QTest::newRow("polled, done") << 4 << false << false << 0 << true << RackKleur::Donkergroen;
        QTest::newRow("polled, failing") << 4 << true << true << 3 << true << RackKleur::Rood;
        QTest::newRow("other, failing") << 6 << true << false << 3 << true << RackKleur::Rood;
        QTest::newRow("other, all") << 6 << true << true << 0 << true << RackKleur::Donkergroen;
        QTest::newRow("other, not all") << 6 << true << false << 2 << true << unchanged;
        QTest::newRow("inactive") << 4 << true << true << 5 << false << RackKleur::Grijs;
    }
    void lamps()
    {
        QFETCH(int, polled);
        QFETCH(bool, busy);
        QFETCH(bool, all);
        QFETCH(int, failures);
        QFETCH(bool, active);
        QFETCH(QColor, expected);
        configureSlot(4, 1);
        Toestel[4].FoutTeller = failures;
        Toestel[4].Actief = active;
        FormRack *rack = RackVenster[4];
        rack->show();
        rack->ShapeLED()->setColour(QColor(1, 2, 3));
        VernieuwenToestelVensters(qint16(polled), busy, all);
        QCOMPARE(rack->ShapeLED()->colour(), expected);
    }

    void caption_data()
    {
        QTest::addColumn<int>("idno");
        QTest::addColumn<QString>("channelName");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        QTest::newRow("named channel") << 17 << "  Oven " << "Device3: T542 #017" << "Oven";
        QTest::newRow("empty name") << 17 << "  " << "Device3: T542 #017" << "CH1";
        QTest::newRow("bad number") << 1500 << "Oven" << "Device3: T542 #1000" << "";
    }
    void caption()
    {
        QFETCH(int, idno);
        QFETCH(QString, channelName);
        QFETCH(QString, caption);
        QFETCH(QString, label);
        configureSlot(3, 2, QStringLiteral(" T542  "), idno);
        Toestel[3].Naam = QStringLiteral(" Line 1 ");
        Toestel[3].Kanaal[1].Naam = channelName;
        FormRack rack(3);
        rack.LabelKanaal(0)->setText(QString());
        rack.LaadVensterTitel();
        QCOMPARE(rack.windowTitle(), caption);
        QCOMPARE(rack.LabelModule()->text(), QStringLiteral("Line 1"));
        QCOMPARE(Toestel[3].Type, QStringLiteral("T542"));
        // An invalid slot keeps its channel captions.
        QCOMPARE(rack.LabelKanaal(0)->text(), label);
    }

    void closeHidesAndCopy()
    {
        configureSlot(7, 2);
        FormRack *rack = RackVenster[7];
        QCOMPARE(rack->property("Tag").toString(), QStringLiteral("meting7"));
        rack->show();
        qint16 slot = 7;
        bool leeg = false;
        TonenMeting(slot, leeg);
        rack->FormCopy();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("09:04:05 \t12.5\t°C\t13.5\t°C\r\n"));
        InstellingenGewijzigd = false;
        QVERIFY(!rack->close());
        QVERIFY(rack->isHidden());
        QVERIFY(InstellingenGewijzigd);
        QCOMPARE(RackVenster.bestaand(7), rack); // the same window comes back
        rack->show();
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("12.5"));
    }

    void offScreenWindowMovesBack()
    {
        configureSlot(7, 1);
        FormRack *rack = RackVenster[7];
        rack->show();
        rack->move(-300, -50);
        rack->Form_Activate();
        QCOMPARE(rack->pos(), QPoint(0, 0));
    }

    // A new reading time only repaints the time panel: the status bar is not laid out again.
    void newTimeKeepsStatusBarLayout()
    {
        FormRack *rack = shownRack(5, 2);
        QVERIFY(rack);
        EventCount requests(QEvent::LayoutRequest);
        rack->StatusBar()->installEventFilter(&requests);
        for (const QTime time : {QTime(9, 4, 6), QTime(23, 59, 59), QTime(10, 11, 12)}) {
            for (int k = 1; k <= 2; ++k)
                Toestel[5].Kanaal[size_t(k)].Tijdstip.setTime(time);
            TonenMeting(*rack, false);
            QCoreApplication::processEvents();
            QCOMPARE(rack->Panel(4)->text(), time.toString(QStringLiteral("HH:mm:ss ")));
            // The whole time fits its panel.
            QVERIFY(rack->Panel(4)->sizeHint().width() <= rack->Panel(4)->width());
        }
        QCOMPARE(requests.count, 0);
    }

    // A reading repaints what changed and nothing under it: not the window's frame in the
    // work area, not the rack window's own background.
    void readingRepaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("time") << "time";
        QTest::newRow("value") << "value";
        QTest::newRow("status") << "status";
        QTest::newRow("lamp") << "lamp";
    }
    void readingRepaintsOnlyWhatChanged()
    {
        QFETCH(QString, change);
        configureSlot(5, 2);
        QMdiArea area;
        area.resize(600, 400);
        FormRack *rack = RackVenster[5];
        QMdiSubWindow *sub = area.addSubWindow(rack);
        sub->resize(270, 200);
        area.show();
        sub->show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        TonenMeting(*rack, false);
        QCoreApplication::processEvents();
        QWidget *changed = nullptr;
        if (change == "time") {
            Toestel[5].Kanaal[1].Tijdstip = Toestel[5].Kanaal[1].Tijdstip.addSecs(1);
            changed = rack->Panel(4);
        } else if (change == "value") {
            Toestel[5].Kanaal[2].Waarde = QStringLiteral("14.5");
            changed = rack->LabelWaarde(1);
        } else if (change == "status") {
            Toestel[5].Kanaal[1].Status = QStringLiteral("CH1: HEAT");
            changed = rack->Panel(2);
        } else {
            changed = rack->ShapeLED();
        }
        EventCount frame(QEvent::Paint), window(QEvent::Paint), label(QEvent::Paint);
        sub->installEventFilter(&frame);
        rack->installEventFilter(&window);
        changed->installEventFilter(&label);
        if (change == "lamp")
            rack->ShapeLED()->setColour(RackKleur::Groen);
        else
            TonenMeting(*rack, false);
        QTRY_VERIFY(label.count > 0);
        QCoreApplication::processEvents();
        QCOMPARE(frame.count, 0);
        QCOMPARE(window.count, 0);
    }

    // Marked changes wait for the frame timer and the next wait of the event loop: a burst of
    // exchanges is shown once, and never between a reply and the next frame.
    void markedChangesShownOncePerFrame()
    {
        FormRack *rack = shownRack(5, 1);
        QVERIFY(rack);
        Toestel[5].Kanaal[1].Waarde = QStringLiteral("20.0");
        markReadingChanged(5);
        markLampsChanged(5, true, true);
        QCoreApplication::processEvents(); // the poll loop's own pumping never blocks
        waitBlocking(5); // the reply wait right after the first exchange of the burst
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("12.5"));
        QCOMPARE(rack->ShapeLED()->colour(), RackKleur::Grijs);
        waitBlocking(RackFrameMs + 100);
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("20.0"));
        QCOMPARE(rack->ShapeLED()->colour(), RackKleur::Groen);
    }

    // A window that paints anyway (its clock, a new table row) takes the marked changes along in
    // that pass, instead of a pass of their own when the frame ends.
    void markedChangesRideAlongAPaintPass()
    {
        showMarkedChanges();
        FormRack *rack = shownRack(5, 1);
        QVERIFY(rack);
        Toestel[5].Kanaal[1].Waarde = QStringLiteral("30.0");
        markReadingChanged(5);
        QCoreApplication::processEvents();
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("12.5"));
        rack->window()->update();
        QCoreApplication::processEvents();
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("30.0"));
    }

    // The rack places its controls itself: a reading of another width must not send the
    // window a layout request, which costs a layout pass for every reading.
    void newReadingAsksNoLayout()
    {
        // The first reading sets the stop panel up once; the readings after it are counted.
        FormRack *rack = shownRack(6, 2);
        QVERIFY(rack);
        EventCount counter(QEvent::LayoutRequest);
        const QList<QWidget *> widgets = rack->findChildren<QWidget *>();
        for (QWidget *w : widgets)
            w->installEventFilter(&counter);
        rack->installEventFilter(&counter);
        Toestel[6].Kanaal[1].Waarde = QStringLiteral("-1234.56");
        Toestel[6].Kanaal[2].Waarde = QStringLiteral("7");
        TonenMeting(*rack, false);
        QCoreApplication::processEvents();
        QCOMPARE(rack->LabelWaarde(0)->text(), QStringLiteral("-1234.56"));
        QCOMPARE(counter.count, 0);
    }
};

QTEST_MAIN(TestRack)
#include "tst_rack.moc"
