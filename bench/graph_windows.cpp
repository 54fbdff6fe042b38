// 32 graph windows of 30,000 points and 4 lines each, tiled in a work area on screen, fed live
// over a table already holding 30,000 records, as the program runs them; and one graph of 30,000
// points reloaded over 300,000 records. A record counts as done when every window has drawn it
// and painted it on screen.
// Usage: bench_graph_windows [records-per-second]   (default 10: the live phase runs faster than
// the program's one record a second, so the probe sees every record's work several times over)
// Runs offscreen unless QT_QPA_PLATFORM names another platform (xvfb-run with "xcb" puts the
// windows on a real X display).
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphwindow.h"
#include "instruments/protocol.h"
#include "platform/chart.h"
#include "support/language.h"
#include "views/table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Hoofdmodule;

namespace {

constexpr int Slots = 8;
constexpr int Windows = 32;
constexpr int Points = 30000;

void configure(int aantal)
{
    ResetToestellen();
    for (int s = 1; s <= aantal; ++s) {
        ToestelGegevens &t = Toestel[s];
        t.Type = QStringLiteral("T5781");
        t.Idno = s;
        t.Kanalen = 4;
        t.Actief = true;
        for (int k = 1; k <= 4; ++k) {
            t.Kanaal[size_t(k)].Naam = QStringLiteral("CH%1").arg(k);
            t.Kanaal[size_t(k)].Eenheid = QStringLiteral("mg/l");
        }
        InstellenToestelProtocol(qint16(s));
    }
}

// One record: every configured slot logs a value that tells the record, slot and channel.
void record(frmTabel &table, int aantal)
{
    ++AantalRijen;
    MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(0, 0)).addSecs(AantalRijen);
    for (int s = 1; s <= aantal; ++s)
        for (int k = 1; k <= 4; ++k)
            Toestel[s].Kanaal[size_t(k)].Waarde =
                AantalRijen % 997 == 0 ? QString() : QString::number((AantalRijen % 1000) + s + k);
    table.VulTabellenAan(QString(), 0);
}

double expected(qint32 meting, int slot, int kanaal)
{
    return meting % 997 == 0 ? qQNaN() : double((meting % 1000) + slot + kanaal);
}

// Every filled row of the window holds the value its measurement logged.
int wrongRows(const frmGrafiek &w, int slot)
{
    int wrong = 0;
    const Chart &c = *w.Diagram();
    for (int r = 1; r <= w.AantalPunten(); r += 7) {
        const qint32 m = w.EersteMeting() + r - 1;
        for (int k = 1; k <= 4; ++k) {
            const double want = expected(m, slot, k), got = c.value(k + 2, r);
            if (!(got == want || (std::isnan(got) && std::isnan(want))))
                ++wrong;
        }
    }
    return wrong;
}

void lines(GraphSettings &g, int slot)
{
    for (int n = 1; n <= 4; ++n) {
        g.SchrijfGrafiekLijnRef(n, 1, qint16(slot));
        g.SchrijfGrafiekLijnRef(n, 2, qint16(n));
    }
}

// Counts the paints of each chart's picture on screen.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(int windows) : m_paints(size_t(windows) + 1, 0) {}
    void watch(int n, Chart &chart)
    {
        // The chart shows its picture on its one child widget.
        QWidget *plot = chart.findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        plot->setProperty("benchWindow", n);
        plot->installEventFilter(this);
    }
    int paints(int n) const { return m_paints[size_t(n)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints[size_t(watched->property("benchWindow").toInt())];
        return false;
    }

private:
    std::vector<int> m_paints;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int perSecond = argc > 1 ? qMax(1, atoi(argv[1])) : 10;
    qint16 english = 0;
    LaadTaal(english);
    QLocale::setDefault(QLocale::c());
    MetenActief = true;
    int wrong = 0;
    QElapsedTimer timer;

    // ---- one graph reloaded over 300,000 records ----
    configure(1);
    auto big = std::make_unique<frmTabel>();
    big->StelTabelIn(true);
    dataViews().tabel = big.get();
    timer.start();
    for (int i = 0; i < 300000; ++i)
        record(*big, 1);
    const double bigFillMs = timer.nsecsElapsed() / 1e6;
    WindowSettings::reset();
    GraphSettings &one = WindowSettings::graph[1];
    one.resetToLoadDefaults(1);
    one.MaxGrafiekZichtbaar = Points;
    lines(one, 1);
    AantalGrafieken = 1;
    frmGrafiek *reloaded = GrafiekVenster[1];
    reloaded->resize(800, 500);
    reloaded->Form_Load();
    timer.restart();
    reloaded->HerladenGrafiek();
    reloaded->Diagram()->replotNow();
    const double reloadMs = timer.nsecsElapsed() / 1e6;
    wrong += wrongRows(*reloaded, 1);
    const bool reloadedToEnd =
        reloaded->EersteMeting() + reloaded->AantalPunten() - 1 == AantalRijen
        && reloaded->AantalPunten() > Points / 2;
    GrafiekVenster.Ontladen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dataViews().tabel = nullptr;
    big.reset();

    // ---- 32 windows of 30,000 points over a table of 30,000 records ----
    configure(Slots);
    AantalRijen = 0;
    frmTabel table;
    table.StelTabelIn(true);
    dataViews().tabel = &table;
    for (int i = 0; i < Points; ++i)
        record(table, Slots);

    QMainWindow main;
    auto *area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1600, 1000);
    main.show();
    GrafiekVenster.setMaker([area](frmGrafiek *g) { area->addSubWindow(g)->show(); });
    WindowSettings::reset();
    AantalGrafieken = 0;
    timer.restart();
    for (int n = 1; n <= Windows; ++n) {
        GraphSettings &g = WindowSettings::graph[size_t(n)];
        g.resetToLoadDefaults(n);
        g.MaxGrafiekZichtbaar = Points;
        g.LegendeKeuze = true;
        lines(g, (n - 1) % Slots + 1);
        ++AantalGrafieken;
        GrafiekVenster[n]->Form_Load();
    }
    area->tileSubWindows();
    QCoreApplication::processEvents();
    const double loadMs = timer.nsecsElapsed() / 1e6;

    // One full redraw: every row refilled from the table, then drawn.
    frmGrafiek *first = GrafiekVenster[1];
    timer.restart();
    first->HertekenGrafiek();
    first->Diagram()->replotNow();
    const double redrawMs = timer.nsecsElapsed() / 1e6;

    // Live: records at the given pace, each fed to all windows and drawn; a 10 ms probe timer
    // tells how late the program answers meanwhile.
    PaintCounter painted(Windows);
    for (int n = 1; n <= Windows; ++n)
        painted.watch(n, *GrafiekVenster[n]->Diagram());
    int notShown = 0;
    std::vector<double> perRecord, feedOnly;
    double shiftMs = 0;
    double worstProbeLate = 0;
    bool inShift = false;
    int records = 0;
    QElapsedTimer probeClock;
    probeClock.start();
    qint64 probeDue = 10;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.elapsed();
        if (!inShift)
            worstProbeLate = qMax(worstProbeLate, double(now - probeDue));
        probeDue = now + 10;
    });
    probe.start(10);
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        record(table, Slots);
        inShift = records == 0; // the first record moves every full window on
        std::vector<int> paintsBefore(size_t(Windows) + 1);
        for (int n = 1; n <= Windows; ++n)
            paintsBefore[size_t(n)] = painted.paints(n);
        GrafiekVenster.VulGrafiekenAan(AantalRijen);
        const double fed = t.nsecsElapsed() / 1e6;
        // Done when every window has drawn the record and painted it on screen.
        const auto shown = [&] {
            for (int n = 1; n <= Windows; ++n)
                if (GrafiekVenster[n]->Diagram()->isReplotPending()
                    || painted.paints(n) == paintsBefore[size_t(n)])
                    return false;
            return true;
        };
        while (!shown() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!shown())
            ++notShown;
        const double ms = t.nsecsElapsed() / 1e6;
        if (records == 0) {
            shiftMs = ms;
        } else {
            perRecord.push_back(ms);
            feedOnly.push_back(fed);
        }
        ++records;
        if (records > 40)
            app.quit();
        probeDue = probeClock.elapsed() + 10;
        inShift = false;
    });
    pace.start(1000 / perSecond);
    app.exec();

    for (int n = 1; n <= Windows; ++n)
        wrong += wrongRows(*GrafiekVenster[n], (n - 1) % Slots + 1);
    // Measured once every window has drawn, so the lines' sampled columns count too.
    qint64 storedBytes = 0;
    for (int n = 1; n <= Windows; ++n)
        storedBytes += GrafiekVenster[n]->Diagram()->storedBytes();
    const double storedPoints = double(Windows) * 4 * Points;
    const frmGrafiek &last = *GrafiekVenster[Windows];
    const bool newestShown = last.EersteMeting() + last.AantalPunten() - 1 == AantalRijen;

    std::printf("graph over 300,000 records (table filled in %.0f ms): HerladenGrafiek of 30,000 "
                "points and its draw %.1f ms (goal < 2000), ends at the newest: %s\n",
                bigFillMs, reloadMs, reloadedToEnd ? "yes" : "NO");
    std::printf("32 windows x 4 lines x 30,000 points loaded in %.0f ms\n", loadMs);
    std::printf("one full redraw (refill 30,000 rows x 4 lines, draw): %.1f ms (goal < 50)\n",
                redrawMs);
    std::printf("record where all 32 windows move on: %.1f ms (goal < 500)\n", shiftMs);
    std::printf("other records, all 32 windows fed, drawn and on screen: median %.1f ms, worst %.1f ms "
                "(goal: median < 30) over %zu records\n",
                median(perRecord), perRecord.empty() ? 0 : *std::max_element(perRecord.begin(), perRecord.end()),
                perRecord.size());
    std::printf("  of which the feed (table row to chart points): median %.2f ms; the rest is "
                "drawing the 32 charts and painting the windows\n",
                median(feedOnly));
    std::printf("10 ms probe outside the moving record: worst %.1f ms late (goal <= 50)\n",
                worstProbeLate);
    std::printf("memory: %.1f bytes per stored point (goal <= 24)\n", storedBytes / storedPoints);
    std::printf("values checked wrong: %d; newest shown: %s; records not drawn on screen in 5 s: "
                "%d\n",
                wrong, newestShown ? "yes" : "NO", notShown);
    GrafiekVenster.Ontladen();
    dataViews().tabel = nullptr;
    return wrong == 0 && reloadedToEnd && newestShown && notShown == 0 ? 0 : 1;
}
