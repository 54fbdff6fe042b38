#include "graphfixture.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphwindow.h"
#include "platform/chart.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/messagebox.h"
#include "views/table.h"

#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <cmath>

using namespace Hoofdmodule;

namespace {

constexpr int Low = 1, High = 2, Line1 = 3, Line2 = 4;

// Every filled row r shows measurement EersteMeting + r - 1 (value: slot 1 channel 1 logs the
// record's number; label, on the rows the time axis labels), the rest are empty.
QString rowFault(const frmGrafiek &w)
{
    const Chart &c = *w.Diagram();
    for (int r = 1; r <= c.rowCount(); ++r) {
        if (r <= w.AantalPunten()) {
            const qint32 m = w.EersteMeting() + r - 1;
            const QString label = (r - 1) % c.labelStep() == 0 ? QString::number(m) : QString();
            if (c.rowLabel(r) != label || c.value(Line1, r) != double(m))
                return QStringLiteral("row %1 shows %2 / %3, not %4")
                    .arg(r).arg(c.rowLabel(r)).arg(c.value(Line1, r)).arg(m);
        } else if (!c.isNull(Line1, r) || !c.rowLabel(r).isEmpty()) {
            return QStringLiteral("row %1 beyond %2 is not empty").arg(r).arg(w.AantalPunten());
        }
    }
    return QString();
}

// The rows of a window that moved on follow on its own turn of the event loop: the fault left
// after a few turns.
QString rowFaultAfterTurns(const frmGrafiek &w)
{
    QString fault = rowFault(w);
    for (int turn = 0; turn < 10 && !fault.isEmpty(); ++turn) {
        QCoreApplication::processEvents();
        fault = rowFault(w);
    }
    return fault;
}

void numbered(GraphSettings &g, int points)
{
    g.MaxGrafiekZichtbaar = qint16(points);
    g.LabelKeuze = 3;
}

// Answers the next box of the program with the given button.
void answerNextBox(int answer)
{
    QTimer::singleShot(0, [answer] {
        const auto boxes = FormMelding::openBoxes();
        if (!boxes.isEmpty())
            boxes.last()->knop(answer)->click();
        else
            answerNextBox(answer);
    });
}

} // namespace

class TestGraphWindow : public QObject {
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("points");
        QTest::newRow("no records") << 0 << 1 << 0;
        QTest::newRow("10 records") << 10 << 1 << 10;
        QTest::newRow("200 records") << 200 << 102 << 99;
    }
    void load()
    {
        QFETCH(int, records);
        QFETCH(int, first);
        QFETCH(int, points);
        GraphFixture f;
        f.records(records);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 99); });
        QCOMPARE(w->EersteMeting(), first);
        QCOMPARE(w->AantalPunten(), points);
        QCOMPARE(rowFault(*w), QString());
        QCOMPARE(Antwoord(), qint16(1));
    }

    // Record after record, each row shows its own measurement and the newest is always drawn.
    void liveFeed_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("records");
        QTest::newRow("50 points") << 50 << 220;
        QTest::newRow("99 points") << 99 << 260;
    }
    void liveFeed()
    {
        QFETCH(int, points);
        QFETCH(int, records);
        GraphFixture f;
        frmGrafiek *w = f.graph(1, [points](GraphSettings &g) { numbered(g, points); });
        for (int n = 1; n <= records; ++n) {
            f.records(1);
            w->VulGrafiekAan(AantalRijen);
            const QString fault = rowFaultAfterTurns(*w);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("record %1: %2").arg(n).arg(fault)));
            QCOMPARE(w->EersteMeting() + w->AantalPunten() - 1, n);
        }
        QCOMPARE(w->HorScrollBar()->maximum(), records);
        QCOMPARE(w->HorScrollBar()->value(), w->EersteMeting());
    }

    void scrollingByTheUser()
    {
        GraphFixture f;
        f.records(300);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 50); });
        w->HorScrollBar()->setValue(120); // as the user's drag does
        QCOMPARE(w->EersteMeting(), 120);
        QCOMPARE(w->AantalPunten(), 50);
        QCOMPARE(rowFault(*w), QString());
        w->HorScrollBar()->setValue(290);
        QCOMPARE(w->AantalPunten(), 11);
        QCOMPARE(rowFault(*w), QString());
        // Scrolled back, a new record moves the window on from there.
        w->HorScrollBar()->setValue(100);
        f.records(1);
        w->VulGrafiekAan(AantalRijen);
        QCOMPARE(rowFaultAfterTurns(*w), QString());
        QCOMPARE(w->EersteMeting(), 113);
        QCOMPARE(w->HorScrollBar()->value(), 113);
    }

    void scaledScrollBar()
    {
        GraphFixture f;
        f.records(60000);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 99); });
        QCOMPARE(w->HorScrollBar()->maximum(), 30000);
        w->HorScrollBar()->setValue(22500);
        QCOMPARE(w->EersteMeting(), 45000);
        QCOMPARE(rowFault(*w), QString());
    }

    // A file of 100,000 records scrolled to the far left shows its first records, also when
    // the user drags the bar back there after scrolling away.
    void farLeftOfAScaledBar()
    {
        GraphFixture f;
        f.records(100000);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 99); });
        QScrollBar *bar = w->HorScrollBar();
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(w->EersteMeting(), 1);
        QCOMPARE(rowFault(*w), QString());
        bar->setValue(15000);
        QVERIFY(w->EersteMeting() > 1);
        bar->setValue(bar->minimum());
        QCOMPARE(w->EersteMeting(), 1);
        QCOMPARE(w->Diagram()->value(Line1, 1), 1.0);
        QCOMPARE(rowFault(*w), QString());
    }

    // File > New after a long run: the graph is emptied and the new file's first record is
    // drawn in row 1.
    void newFileAfterLongRun()
    {
        GraphFixture f;
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 50); });
        for (int n = 1; n <= 400; ++n) {
            f.records(1);
            w->VulGrafiekAan(AantalRijen);
        }
        QVERIFY(w->EersteMeting() > 300);
        w->WisGrafiekGegevens();
        for (int i = 0; i < frmTabel::AantalTabellen; ++i)
            f.table->WisTabelGegevens(i);
        AantalRijen = 0;
        QCOMPARE(w->EersteMeting(), 1);
        for (int n = 1; n <= 60; ++n) {
            f.records(1);
            w->VulGrafiekAan(AantalRijen);
            QCOMPARE(rowFaultAfterTurns(*w), QString());
        }
    }

    // At the record where every window moves on, the hand-over sets each window's position and
    // leaves its rows to its own turn of the event loop, so that the program keeps answering
    // between them. Whatever comes before a window's turn finds its rows at its position, and
    // what is drawn in the end is what a full redraw draws.
    void moveOnSpreadOverTurns_data()
    {
        QTest::addColumn<QString>("between");
        QTest::newRow("nothing") << QString();
        QTest::newRow("the next record") << QStringLiteral("record");
        QTest::newRow("a window closed") << QStringLiteral("close");
        QTest::newRow("a window printed") << QStringLiteral("print");
        QTest::newRow("a window scrolled") << QStringLiteral("scroll");
    }
    void moveOnSpreadOverTurns()
    {
        QFETCH(QString, between);
        constexpr int Windows = 4;
        GraphFixture f;
        f.records(50);
        QList<QPointer<frmGrafiek>> windows;
        for (int n = 1; n <= Windows; ++n)
            windows << f.graph(n, [](GraphSettings &g) {
                numbered(g, 50);
                g.SchrijfGrafiekLijnRef(1, 3, 1); // minimum and maximum lines
                g.SchrijfGrafiekLijnRef(1, 4, 1);
            });
        const auto behind = [&windows] {
            int n = 0;
            for (const QPointer<frmGrafiek> &w : windows)
                n += w && !rowFault(*w).isEmpty() ? 1 : 0;
            return n;
        };
        QCOMPARE(behind(), 0);

        f.records(1);
        GrafiekVenster.VulGrafiekenAan(AantalRijen);
        for (const QPointer<frmGrafiek> &w : windows) {
            QCOMPARE(w->EersteMeting(), 14);
            QCOMPARE(w->AantalPunten(), 38);
            QCOMPARE(w->HorScrollBar()->value(), 14);
        }
        QVERIFY2(behind() > 0, "every window's rows moved on within the record's hand-over");

        if (between == QLatin1String("record")) {
            f.records(1);
            GrafiekVenster.VulGrafiekenAan(AantalRijen);
            QCOMPARE(windows[0]->AantalPunten(), 39);
        } else if (between == QLatin1String("close")) {
            windows[1]->SluitDoorCode();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!windows[1]);
        } else if (between == QLatin1String("print")) {
            const PrintableGraph &printable = *windows[2];
            QCOMPARE(printable.chartValue(Line1, 38), 51.0);
            QCOMPARE(printable.rowLabel(1), QStringLiteral("14"));
            QCOMPARE(rowFault(*windows[2]), QString());
        } else if (between == QLatin1String("scroll")) {
            windows[0]->HorScrollBar()->setValue(5);
            QCOMPARE(windows[0]->EersteMeting(), 5);
            QCOMPARE(rowFault(*windows[0]), QString());
        }
        for (int turn = 0; turn < 10 * Windows && behind() > 0; ++turn)
            QCoreApplication::processEvents();
        QCOMPARE(behind(), 0);

        for (const QPointer<frmGrafiek> &w : windows) {
            if (!w)
                continue;
            Chart &c = *w->Diagram();
            const QImage spread = c.toImage(QSize(500, 300));
            w->HertekenGrafiek();
            QCOMPARE(c.toImage(QSize(500, 300)), spread);
        }
    }

    void gapsAndConversion()
    {
        GraphFixture f;
        f.configureSlot(2, 1, QStringLiteral("g"));
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.SchrijfGrafiekLijnRef(2, 1, 2);
            g.SchrijfGrafiekLijnRef(2, 2, 1);
        });
        // Line 2 learns "g" from its first row; a later reading in mg is converted.
        f.record({"1.5"}, {"2"});
        f.record({"OR."}, {"2"});
        f.record({""}, {"2"});
        f.record({"99999"}, {"2"}); // the model's no-value marker, as the table keeps it
        Toestel[2].Kanaal[1].Eenheid = QStringLiteral("mg");
        f.record({"4"}, {"12.5"});
        w->LadenGrafiek();
        const Chart &c = *w->Diagram();
        QCOMPARE(c.value(Line1, 1), 1.5);
        QVERIFY(c.isNull(Line1, 2));
        QVERIFY(c.isNull(Line1, 3));
        QVERIFY(c.isNull(Line1, 4));
        QCOMPARE(c.value(Line1, 5), 4.0);
        QCOMPARE(w->GrafiekEenheid(2), QStringLiteral("g"));
        QCOMPARE(c.value(Line2, 4), 2.0);
        QCOMPARE(c.value(Line2, 5), 0.0125);
        QCOMPARE(c.legendText(Line2), QStringLiteral("g (CH1)"));
    }

    void rebuild()
    {
        GraphFixture f;
        f.records(5);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.SchrijfGrafiekLijnRef(1, 3, 1);  // minimum
            g.SchrijfGrafiekLijnRef(1, 5, -7); // mean: any non-zero value
            g.SchrijfGrafiekLijnRef(16, 1, 1);
            g.SchrijfGrafiekLijnRef(16, 2, 2);
            g.SchrijfGrafiekLijnRef(3, 1, 1); // channel 0: no source
            g.SchrijfGrafiekLijnRef(4, 1, 1);
            g.SchrijfGrafiekLijnRef(4, 2, 9); // channel beyond 4: no source
            g.AlarmLaag = true;
            g.AlarmLaagWaarde = 8;
            g.LegendeKeuze = true;
        });
        const Chart &c = *w->Diagram();
        QCOMPARE(c.statistics(Line1), 5);
        QCOMPARE(c.penColour(Line1), QColor(0, 0, 0));
        QCOMPARE(c.penColour(Line2), QColor(0, 0, 128));
        QCOMPARE(c.penColour(16 + 2), QColor(0, 0, 0));
        QCOMPARE(c.penColour(Low), QColor(0, 0, 255));
        QCOMPARE(c.penColour(High), QColor(255, 0, 0));
        QCOMPARE(c.legendText(Line1), QStringLiteral("°C (CH1)"));
        QCOMPARE(c.legendText(16 + 2), QStringLiteral("°C (CH2)"));
        for (int line : {3, 4}) {
            QVERIFY(!c.isSeriesVisible(line + 2));
            QCOMPARE(c.legendText(line + 2), QString());
        }
        QVERIFY(c.isSeriesVisible(Low));
        QCOMPARE(c.legendText(Low), QStringLiteral("Low limit"));
        QVERIFY(!c.isSeriesVisible(High));
        for (int r = 1; r <= c.rowCount(); ++r) {
            QCOMPARE(c.value(Low, r), 8.0);
            QVERIFY(c.isNull(High, r));
        }
        QVERIFY(c.isLegendVisible());
        QCOMPARE(c.labelStep(), 14);
    }

    // A line given another source finds its unit again at the next fill.
    void unitFollowsTheSource()
    {
        GraphFixture f;
        f.configureSlot(2, 1, QStringLiteral("mg   "));
        f.records(3);
        frmGrafiek *w = f.graph(1);
        QCOMPARE(w->GrafiekEenheid(1), QStringLiteral("°C"));
        WindowSettings::graph[1].SchrijfGrafiekLijnRef(1, 1, 2);
        w->HerInitialiseerGrafiek();
        QCOMPARE(w->GrafiekEenheid(1), QStringLiteral("mg"));
        QCOMPARE(w->Diagram()->legendText(Line1), QStringLiteral("mg (CH1)"));
    }

    void colours()
    {
        GraphFixture f;
        frmGrafiek *w = f.graph(1);
        w->ZetDiagramKleur(5, 0x0080FF);
        QCOMPARE(w->LeesDiagramRood(5), 255);
        QCOMPARE(w->LeesDiagramGroen(5), 128);
        QCOMPARE(w->LeesDiagramBlauw(5), 0);
        QCOMPARE(w->Diagram()->penColour(5), QColor(255, 128, 0));
        QCOMPARE(WindowSettings::graph[1].GrafiekKleur(5), 0x0080FF);
    }

    // ---- point inspection ----

    void clickOnAPoint()
    {
        GraphFixture f;
        f.records(300);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.MaxGrafiekZichtbaar = 50;
            g.SchrijfGrafiekLijnRef(1, 3, 1);
            g.SchrijfGrafiekLijnRef(1, 4, 1);
        });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->HorScrollBar()->setValue(120);
        QCOMPARE(w->EersteMeting(), 120);
        GraphFixture::clickPoint(*w, Line1, 5);
        QCOMPARE(w->GeselecteerdeSerie(), Line1);
        QCOMPARE(w->GeselecteerdPunt(), 5);
        const Chart &c = *w->Diagram();
        QVERIFY(c.isFootnoteVisible());
        const QString time = f.table->gridData(0).textMatrix(124, 2);
        QCOMPARE(w->puntTekst(), QStringLiteral("CH1: No.124(%1 %2): 124°C")
                                     .arg(f.table->gridData(0).textMatrix(124, 1), time));
        QCOMPARE(w->statistiekTekst(), QStringLiteral(" [MIN: 120°C  MAX: 169°C  ]"));
        QVERIFY(c.markersVisible(Line1));
        // A redraw replaces the statistics; it does not add another copy.
        w->HertekenGrafiek();
        w->HertekenGrafiek();
        QCOMPARE(c.footnote(), w->puntTekst() + QStringLiteral(" [MIN: 120°C  MAX: 169°C  ]"));
        // Beside the line: the selection goes.
        GraphFixture::clickPoint(*w, Line1, 20, QPoint(0, 60));
        QVERIFY(!c.isFootnoteVisible());
        QVERIFY(!c.markersVisible(Line1));
        QCOMPARE(c.footnote(), QString());
    }

    // The footnote tells of one measurement. Logging on moves the window; while the window
    // shows that measurement the footnote stays and its point follows it, and when the window
    // leaves it behind the footnote goes. Data that replace the rows (Receive, a file loaded)
    // take it away at once.
    void footnoteGoesWithItsPoint_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("rowAfter"); // 0: the footnote is gone
        QTest::newRow("logging moves it out") << 5 << "log" << 0;
        QTest::newRow("logging keeps it in view") << 40 << "log" << 27;
        QTest::newRow("scrolled away") << 5 << "scroll" << 0;
        QTest::newRow("Receive replaces the data") << 40 << "receive" << 0;
        QTest::newRow("a file loaded") << 40 << "load" << 0;
    }
    void footnoteGoesWithItsPoint()
    {
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(int, rowAfter);
        GraphFixture f;
        f.records(300);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { numbered(g, 50); });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->EersteMeting(), 251);
        GraphFixture::clickPoint(*w, Line1, row);
        const Chart &c = *w->Diagram();
        QVERIFY(c.isFootnoteVisible());
        const QString told = w->puntTekst();
        if (how == "log") {
            LoggenActief = true;
            f.records(1);
            w->VulGrafiekAan(AantalRijen);
            QCOMPARE(rowFaultAfterTurns(*w), QString());
            LoggenActief = false;
        } else if (how == "scroll") {
            w->HorScrollBar()->setValue(100);
        } else if (how == "receive") {
            // The download empties the graphs and the table, then fills the table anew.
            w->WisGrafiekGegevens();
            for (int i = 0; i < frmTabel::AantalTabellen; ++i)
                f.table->WisTabelGegevens(i);
            AantalRijen = 0;
            f.records(288);
            w->HerInitialiseerGrafiek();
        } else {
            w->LadenGrafiek();
        }
        if (rowAfter == 0) {
            QVERIFY(!c.isFootnoteVisible());
            QCOMPARE(c.footnote(), QString());
            QVERIFY(!c.markersVisible(Line1));
            QCOMPARE(w->GeselecteerdeSerie(), 0);
        } else {
            QVERIFY(c.isFootnoteVisible());
            QVERIFY(c.footnote().startsWith(told));
            QVERIFY(c.markersVisible(Line1));
            QCOMPARE(w->GeselecteerdPunt(), rowAfter);
        }
    }

    void clickOnTheHighLimit()
    {
        GraphFixture f;
        f.records(10);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.AlarmHoog = true;
            g.AlarmHoogWaarde = 25;
            g.AutomatischeSchaal = false;
            g.GrafiekMinimum = 0;
            g.GrafiekMaximum = 40;
        });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        GraphFixture::clickPoint(*w, High, 30);
        QCOMPARE(w->Diagram()->footnote(), QStringLiteral("High limit: 25 "));
        QVERIFY(!w->Diagram()->markersVisible(High));
    }

    void noInspectionWhileLogging()
    {
        GraphFixture f;
        f.records(10);
        frmGrafiek *w = f.graph(1);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        LoggenActief = true;
        GraphFixture::clickPoint(*w, Line1, 5);
        LoggenActief = false;
        QCOMPARE(w->GeselecteerdeSerie(), 0);
        QVERIFY(!w->Diagram()->isFootnoteVisible());
        QVERIFY(!w->Diagram()->markersVisible(Line1));
    }

    // ---- closing ----

    void userClose_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("minimised");
        QTest::newRow("Yes removes it") << int(MsgBox::Yes) << true << false;
        QTest::newRow("No minimises it") << int(MsgBox::No) << false << true;
        QTest::newRow("Cancel keeps it") << int(MsgBox::Cancel) << false << false;
    }
    void userClose()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, minimised);
        GraphFixture f;
        frmGrafiek *w = f.graph(3);
        f.graph(4);
        QPointer<frmGrafiek> guard(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QSignalSpy unloaded(w, &frmGrafiek::ontladen);
        InstellingenGewijzigd = false;
        answerNextBox(answer);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(guard.isNull(), closed);
        QCOMPARE(unloaded.size(), closed ? 1 : 0);
        QCOMPARE(GrafiekInGebruik(3), !closed);
        QCOMPARE(AantalGrafieken, qint16(closed ? 1 : 2));
        QCOMPARE(InstellingenGewijzigd, closed);
        if (!closed)
            QCOMPARE(w->isMinimized(), minimised);
    }

    void closeByCodeAsksNothing()
    {
        GraphFixture f;
        frmGrafiek *w = f.graph(2);
        QPointer<frmGrafiek> guard(w);
        QSignalSpy unloaded(w, &frmGrafiek::ontladen);
        GrafiekVenster.Ontladen();
        QVERIFY(FormMelding::openBoxes().isEmpty());
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(unloaded[0][0].toInt(), 2);
        QCOMPARE(w->property("Tag").toString(), QStringLiteral("grafiek0"));
        QCOMPARE(AantalGrafieken, qint16(0));
        QVERIFY(!GrafiekVenster.bestaand(2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void droppedDataFile()
    {
        GraphFixture f;
        frmGrafiek *w = f.graph(1);
        QSignalSpy dropped(w, &frmGrafiek::bestandGesleept);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/run.csv"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w, &drop);
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped[0][0].toString(), QStringLiteral("/tmp/run.csv"));
    }

    void resizeAndMouseMarkSettingsChanged()
    {
        GraphFixture f;
        frmGrafiek *w = f.graph(1);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        InstellingenGewijzigd = false;
        w->resize(700, 450);
        QVERIFY(InstellingenGewijzigd);
        InstellingenGewijzigd = false;
        QTest::mouseMove(w, QPoint(w->width() / 2, w->height() - 3)); // over the scroll bar's edge
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
        QVERIFY(InstellingenGewijzigd);
    }

    // Printing draws the chart through a scaled painter at the screen's proportions.
    void renderForPrinting()
    {
        GraphFixture f;
        f.records(40);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) { g.LegendeKeuze = true; });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const PrintableGraph &printable = *w;
        QCOMPARE(printable.GrafiekIndex(), qint16(1));
        QCOMPARE(printable.LezenGrafiekIndexen(1).Rg, qint16(1));
        QCOMPARE(printable.LezenGrafiekIndexen(2).Rg, qint16(0));
        QCOMPARE(printable.chartValue(Line1, 40), 40.0);
        // The caption names the window; the chart has no title to print under it.
        QVERIFY(!w->windowTitle().isEmpty());
        QCOMPARE(printable.chartTitle(), QString());
        QImage page(2000, 1200, QImage::Format_ARGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            printable.renderChart(painter, QRectF(500, 300, 1000, 600), true, true);
        }
        int inside = 0, outside = 0;
        for (int y = 0; y < page.height(); y += 4)
            for (int x = 0; x < page.width(); x += 4) {
                const bool drawn = page.pixel(x, y) != qRgb(255, 255, 255);
                const bool in = x >= 500 && x < 1500 && y >= 300 && y < 900;
                (in ? inside : outside) += drawn ? 1 : 0;
            }
        QVERIFY(inside > 100);
        QCOMPARE(outside, 0);
    }

    // ---- new graphs ----

    void newGraph_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("made");
        QTest::newRow("confirmed") << 1 << true;
        QTest::newRow("cancelled") << 2 << false;
    }
    void newGraph()
    {
        QFETCH(int, answer);
        QFETCH(bool, made);
        GraphFixture f;
        f.records(30);
        f.graph(1);
        f.graph(3);
        int asked = 0;
        graphSettingsDialogHook() = [&](int graph) {
            asked = graph;
            WindowSettings::graph[size_t(graph)].SchrijfGrafiekLijnRef(1, 1, 1);
            WindowSettings::graph[size_t(graph)].SchrijfGrafiekLijnRef(1, 2, 2);
            return qint16(answer);
        };
        frmGrafiek *w = NieuweGrafiek(false);
        QCOMPARE(asked, 2);
        QCOMPARE(GekozenNummer, qint16(2));
        QCOMPARE(w != nullptr, made);
        QCOMPARE(GrafiekInGebruik(2), made);
        QCOMPARE(AantalGrafieken, qint16(made ? 3 : 2));
        if (made) {
            QCOMPARE(w->windowTitle(), QStringLiteral("Graph 2"));
            QCOMPARE(w->AantalPunten(), 30);
            QCOMPARE(w->Diagram()->value(Line1, 30), 13.5);
            QVERIFY(!WindowSettings::graph[2].NieuweGrafiek);
        }
    }

    void newRecorderCaption()
    {
        GraphFixture f;
        frmGrafiek *w = NieuweGrafiek(true);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("XY-recorder 1"));
        QVERIFY(w->HorScrollBar()->isHidden());
    }

    // ---- recorder ----

    void recorderSamples()
    {
        GraphFixture f;
        ManualClock clock;
        Clock::install(&clock);
        int printed = 0;
        graphDirectPrintHook() = [&](frmGrafiek &) { ++printed; };
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.XYrecorder = true;
            g.MaxGrafiekZichtbaar = 50;
            g.LabelKeuze = 3;
            g.RecorderTussentijd = 5;
            g.AfdrukkenRecorder = true;
            g.SchrijfGrafiekLijnRef(2, 1, 1);
            g.SchrijfGrafiekLijnRef(2, 2, 2);
        });
        const Chart &c = *w->Diagram();
        // Not due yet.
        clock.advance(4000);
        w->VulGrafiekAan(0);
        QVERIFY(c.rowLabel(50).isEmpty());
        // 120 samples, one per interval; the labels count 0..49 and start again.
        for (int s = 0; s < 120; ++s) {
            clock.advance(5000);
            Toestel[1].Kanaal[1].Waarde = QString::number(s);
            Toestel[1].Kanaal[2].Waarde = s % 10 == 0 ? QStringLiteral("OR.") : QStringLiteral("7");
            w->VulGrafiekAan(0);
            w->VulGrafiekAan(0); // the same moment: no second sample
        }
        QCOMPARE(printed, 2);
        QCOMPARE(w->AantalPunten(), 20);
        for (int r = 1; r <= 50; ++r) {
            const int sample = 70 + r - 1;
            QCOMPARE(c.value(Line1, r), double(sample));
            QCOMPARE(c.rowLabel(r), QString::number(sample % 50));
            QCOMPARE(c.isNull(Line2, r), sample % 10 == 0);
        }
        // Switched off: the newest point is a gap, the older ones move on.
        Toestel[1].Actief = false;
        clock.advance(5000);
        w->VulGrafiekAan(0);
        QVERIFY(c.isNull(Line1, 50));
        QCOMPARE(c.value(Line1, 49), 119.0);
        // Polling off: nothing changes, nothing counts.
        Toestel[1].Actief = true;
        MetenActief = false;
        clock.advance(5000);
        w->VulGrafiekAan(0);
        QVERIFY(c.isNull(Line1, 50));
        QCOMPARE(w->AantalPunten(), 21);
        MetenActief = true;
        Clock::install(nullptr);
    }

    // Labels keep wall time; the schedule keeps to the monotonic clock when the wall clock is
    // set back an hour.
    void recorderClockSetBack()
    {
        GraphFixture f;
        ManualClock clock(QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0)));
        Clock::install(&clock);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.XYrecorder = true;
            g.MaxGrafiekZichtbaar = 50;
            g.LabelKeuze = 1;
            g.RecorderTussentijd = 10;
        });
        clock.advance(10000);
        w->VulGrafiekAan(0);
        QCOMPARE(w->Diagram()->rowLabel(50), QStringLiteral("12:00:10"));
        clock.setWall(QDateTime(QDate(2026, 3, 1), QTime(11, 0, 5)));
        clock.advance(10000);
        w->VulGrafiekAan(0);
        QCOMPARE(w->Diagram()->rowLabel(50), QStringLiteral("11:00:15"));
        QCOMPARE(w->Diagram()->rowLabel(49), QStringLiteral("12:00:10"));
        // 3 s late keeps the rhythm, 12 s late starts again from the sample.
        clock.advance(13000);
        w->VulGrafiekAan(0);
        QCOMPARE(w->volgendeRecorderMs(), clock.monotonicMs() + 7000);
        clock.advance(19000);
        w->VulGrafiekAan(0);
        QCOMPARE(w->volgendeRecorderMs(), clock.monotonicMs() + 10000);
        Clock::install(nullptr);
    }

    void recorderStatistics()
    {
        GraphFixture f;
        ManualClock clock;
        Clock::install(&clock);
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.XYrecorder = true;
            g.MaxGrafiekZichtbaar = 50;
            g.SchrijfGrafiekLijnRef(1, 5, 1);
        });
        w->resize(640, 420);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        for (const char *v : {"1", "2", "6"}) {
            clock.advance(5000);
            Toestel[1].Kanaal[1].Waarde = QString::fromLatin1(v);
            w->VulGrafiekAan(0);
        }
        GraphFixture::clickPoint(*w, Line1, 50);
        QCOMPARE(w->statistiekTekst(), QStringLiteral(" [MEAN:3°C]"));
        QVERIFY(w->puntTekst().startsWith(QStringLiteral("CH1: ")));
        QVERIFY(w->puntTekst().endsWith(QStringLiteral(": 6°C")));
        // The footnote follows the selected position as samples move in.
        clock.advance(5000);
        Toestel[1].Kanaal[1].Waarde = QStringLiteral("11");
        w->VulGrafiekAan(0);
        QVERIFY(w->puntTekst().endsWith(QStringLiteral(": 11°C")));
        QCOMPARE(w->statistiekTekst(), QStringLiteral(" [MEAN:5°C]"));
        Clock::install(nullptr);
    }

    // ---- pictures ----

    void pictures()
    {
        GraphFixture f;
        f.configureSlot(2, 1);
        for (int n = 1; n <= 80; ++n) {
            const double t = n / 8.0;
            f.record({n >= 30 && n <= 36 ? QStringLiteral("OR.") : QString::number(20 + 6 * std::sin(t), 'f', 1),
                      QString::number(18 + 4 * std::cos(t), 'f', 1)},
                     {QString::number(15 + n / 10.0, 'f', 1)});
        }
        frmGrafiek *w = f.graph(1, [](GraphSettings &g) {
            g.MaxGrafiekZichtbaar = 60;
            g.LegendeKeuze = true;
            g.AlarmHoog = true;
            g.AlarmHoogWaarde = 25;
            g.TitelWaardenas = QStringLiteral("Temperature");
            g.TitelTijdsas = QStringLiteral("Time");
            g.LabelKeuze = 1;
            g.SchrijfGrafiekLijnRef(1, 4, 1);
            g.SchrijfGrafiekLijnRef(2, 1, 1);
            g.SchrijfGrafiekLijnRef(2, 2, 2);
            g.SchrijfGrafiekLijnRef(3, 1, 2);
            g.SchrijfGrafiekLijnRef(3, 2, 1);
        });
        w->resize(800, 480);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        GraphFixture::clickPoint(*w, Line1, 20);
        QVERIFY(w->Diagram()->isFootnoteVisible());
        w->Diagram()->replotNow();
        qInfo() << savePicture(*w, QStringLiteral("graph_normal"));

        ManualClock clock;
        Clock::install(&clock);
        frmGrafiek *r = f.graph(2, [](GraphSettings &g) {
            g.XYrecorder = true;
            g.MaxGrafiekZichtbaar = 50;
            g.LegendeKeuze = true;
            g.LabelKeuze = 1;
            g.AlarmLaag = true;
            g.AlarmLaagWaarde = 14;
            g.SchrijfGrafiekLijnRef(2, 1, 2);
            g.SchrijfGrafiekLijnRef(2, 2, 1);
        });
        for (int s = 0; s < 35; ++s) {
            clock.advance(5000);
            Toestel[1].Kanaal[1].Waarde = QString::number(20 + 5 * std::sin(s / 5.0), 'f', 2);
            Toestel[2].Kanaal[1].Waarde = QString::number(12 + s / 5.0, 'f', 2);
            r->VulGrafiekAan(0);
        }
        r->resize(800, 480);
        r->show();
        QVERIFY(QTest::qWaitForWindowExposed(r));
        r->Diagram()->replotNow();
        qInfo() << savePicture(*r, QStringLiteral("graph_recorder"));
        Clock::install(nullptr);
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
