// Fills the table window with logged records for four controllers and compares it with a
// QTableWidget filled the same way (one row per record per controller, 14 text cells).
// Usage: bench_table_fill [records]   (default 300000)
#include "core/shared.h"
#include "core/slots.h"
#include "platform/datetimetext.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "support/language.h"
#include "views/table.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTableWidget>
#include <cstdio>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {
constexpr int Controllers = 4;


// Readings arrive as text from the line; the 1000 different ones are made once, so that neither
// fill below pays for formatting numbers that the table never formats.
std::array<QString, 1000> readingTexts;

void setReading(qint32 record)
{
    for (int s = 1; s <= Controllers; ++s)
        for (int k = 1; k <= 4; ++k)
            Toestel[s].Kanaal[size_t(k)].Waarde = readingTexts[size_t((record * 7 + s * 13 + k) % 1000)];
}

// The texts the table window shows in a row, for the anchor: the date and time as the table
// writes them, with the formats looked up once.
struct RowFormats {
    QLocale locale;
    QString date = DateTimeText::dateFormat(locale);
    QString time = DateTimeText::timeFormat(locale);
};

void rowTexts(const RowFormats &f, int slot, qint32 r, std::array<QString, 14> &cells)
{
    const ToestelGegevens &t = Toestel[slot];
    cells[0] = QString::number(r);
    cells[1] = f.locale.toString(MeetTijdstip.date(), f.date);
    cells[2] = f.locale.toString(MeetTijdstip.time(), f.time);
    for (int k = 1; k <= 4; ++k) {
        cells[size_t(1 + 2 * k)] = t.Kanaal[size_t(k)].Waarde;
        cells[size_t(2 + 2 * k)] = t.Kanaal[size_t(k)].Eenheid;
    }
    cells[11] = QString();
    cells[12] = t.Relais;
    cells[13] = QString();
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint32 records = argc > 1 ? qint32(atol(argv[1])) : 300000;
    qint16 english = 0;
    LaadTaal(english);
    for (int s = 1; s <= Controllers; ++s) {
        ToestelGegevens &t = Toestel[s];
        t.Type = QStringLiteral("T542");
        t.Idno = s;
        t.Kanalen = 4;
        t.Relais = QStringLiteral("----");
        for (int k = 1; k <= 4; ++k)
            t.Kanaal[size_t(k)].Eenheid = QStringLiteral("°C");
    }
    const QDateTime start(QDate(2026, 1, 5), QTime(10, 0, 0));
    for (size_t i = 0; i < readingTexts.size(); ++i)
        readingTexts[i] = QString::number(20.0 + double(i) / 10.0, 'f', 1);

    // Records come with their time, as the poll loop gives them; the times are made before
    // either fill is timed (a local date-time costs a time-zone look-up, which is neither
    // table's work). What making them costs is shown apart.
    constexpr int appends = 1000;
    QElapsedTimer timer;
    timer.start();
    std::vector<QDateTime> moments(size_t(records + appends + 1));
    for (qint32 r = 1; r <= records + appends; ++r)
        moments[size_t(r)] = start.addSecs(r);
    const qint64 recordsMs = timer.elapsed();

    // Ours.
    qint64 before = residentBytes();
    frmTabel table;
    table.StelTabelIn(true);
    table.resize(900, 500);
    table.show();
    table.setTab(0);
    Pump::once();
    timer.restart();
    for (qint32 r = 1; r <= records; ++r) {
        AantalRijen = r;
        MeetTijdstip = moments[size_t(r)];
        setReading(r);
        table.VulTabellenAan(QString());
    }
    Pump::once();
    const qint64 oursMs = timer.elapsed();
    qint64 storeBytes = 0;
    qint64 rows = 0;
    for (int i = 0; i < Controllers; ++i) {
        storeBytes += table.MSHFlexGrid(i)->data().store().bytesUsed();
        rows += table.MSHFlexGrid(i)->data().rows() - 1;
    }
    const qint64 oursRss = residentBytes() - before;

    // Live appends with the view at the end: the record into all four grids and the visible
    // grid scrolled to it (topRow() applies the scroll at once), then the repaint, timed apart.
    qint64 appendNs = 0, worstNs = 0, paintNs = 0;
    qint32 topRow = 0;
    for (int n = 1; n <= appends; ++n) {
        QElapsedTimer one;
        one.start();
        AantalRijen = records + n;
        MeetTijdstip = moments[size_t(records + n)];
        setReading(records + n);
        table.VulTabellenAan(QString());
        topRow = table.MSHFlexGrid(0)->topRow();
        const qint64 ns = one.nsecsElapsed();
        appendNs += ns;
        worstNs = qMax(worstNs, ns);
        one.restart();
        table.MSHFlexGrid(0)->viewport()->repaint();
        paintNs += one.nsecsElapsed();
    }
    const double appendMs = appendNs / 1e6 / appends;
    std::printf("records %d, controllers %d, rows %lld (making their times: %lld ms)\n",
                records, Controllers, rows, recordsMs);
    std::printf("grid model: fill %lld ms, store %.1f bytes/row, resident %.1f bytes/row\n",
                oursMs, double(storeBytes) / rows, double(oursRss) / rows);
    std::printf("live append (4 grids, view scrolled to the end): mean %.3f ms, worst %.3f ms"
                " (top row %d of %lld); repaint of the visible page %.3f ms\n",
                appendMs, worstNs / 1e6, topRow, rows / Controllers + appends,
                paintNs / 1e6 / appends);
    std::fflush(stdout);

    // Anchor: a QTableWidget per controller, one item per cell.
    before = residentBytes();
    std::array<QTableWidget *, Controllers> widgets{};
    for (auto &w : widgets) {
        w = new QTableWidget(1, 14);
        w->resize(900, 500);
    }
    widgets[0]->show();
    Pump::once();
    std::array<QString, 14> cells;
    const RowFormats formats;
    timer.restart();
    for (qint32 r = 1; r <= records; ++r) {
        MeetTijdstip = moments[size_t(r)];
        setReading(r);
        for (int s = 1; s <= Controllers; ++s) {
            QTableWidget *w = widgets[size_t(s - 1)];
            rowTexts(formats, s, r, cells);
            w->setRowCount(r + 1);
            for (int c = 0; c < 14; ++c)
                w->setItem(r - 1, c, new QTableWidgetItem(cells[size_t(c)]));
        }
    }
    widgets[0]->scrollToBottom();
    Pump::once();
    const qint64 anchorMs = timer.elapsed();
    const qint64 anchorRss = residentBytes() - before;
    std::printf("QTableWidget anchor: fill %lld ms, resident %.1f bytes/row\n", anchorMs,
                double(anchorRss) / rows);
    std::printf("speed-up %.1fx, memory %.1fx smaller\n", double(anchorMs) / qMax<qint64>(1, oursMs),
                double(anchorRss) / qMax<qint64>(1, oursRss));

    // Both hold the same texts: the first, a middle and the last record of every controller.
    int compared = 0, differing = 0;
    for (int i = 0; i < Controllers; ++i) {
        const GridData &g = table.MSHFlexGrid(i)->data();
        for (qint32 r : {qint32(1), qMax(1, records / 2), records}) {
            for (int c = 0; c < 14; ++c) {
                const QTableWidgetItem *item = widgets[size_t(i)]->item(r - 1, c);
                ++compared;
                if (!item || item->text() != g.textMatrix(r, c))
                    ++differing;
            }
        }
    }
    std::printf("texts compared %d, differing %d\n", compared, differing);
    for (auto *w : widgets)
        delete w;
    return 0;
}
