// Fills the table window with logged records for four controllers and compares it with a
// QTableWidget filled the same way (one row per record per controller, 14 text cells).
// Usage: bench_table_fill [records]   (default 300000)
#include "core/shared.h"
#include "core/slots.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "support/language.h"
#include "views/table.h"

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

qint64 residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

void setReading(qint32 record)
{
    for (int s = 1; s <= Controllers; ++s)
        for (int k = 1; k <= 4; ++k)
            Toestel[s].Kanaal[size_t(k)].Waarde =
                QString::number(20.0 + ((record * 7 + s * 13 + k) % 1000) / 10.0, 'f', 1);
}

// The texts the table window puts in a row, for the anchor.
void rowTexts(int slot, qint32 r, std::array<QString, 14> &cells)
{
    const ToestelGegevens &t = Toestel[slot];
    cells[0] = QString::number(r);
    cells[1] = MeetTijdstip.date().toString(QStringLiteral("dd/MM/yyyy"));
    cells[2] = MeetTijdstip.time().toString(QStringLiteral("HH:mm:ss"));
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

    // Ours.
    qint64 before = residentBytes();
    frmTabel table;
    table.StelTabelIn(true);
    table.resize(900, 500);
    table.show();
    table.setTab(0);
    Pump::once();
    QElapsedTimer timer;
    timer.start();
    for (qint32 r = 1; r <= records; ++r) {
        AantalRijen = r;
        MeetTijdstip = start.addSecs(r);
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
    const int appends = 1000;
    qint64 appendNs = 0, worstNs = 0, paintNs = 0;
    qint32 topRow = 0;
    for (int n = 1; n <= appends; ++n) {
        QElapsedTimer one;
        one.start();
        AantalRijen = records + n;
        MeetTijdstip = start.addSecs(records + n);
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
    std::printf("records %d, controllers %d, rows %lld\n", records, Controllers, rows);
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
    timer.restart();
    for (qint32 r = 1; r <= records; ++r) {
        MeetTijdstip = start.addSecs(r);
        setReading(r);
        for (int s = 1; s <= Controllers; ++s) {
            QTableWidget *w = widgets[size_t(s - 1)];
            rowTexts(s, r, cells);
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
    for (auto *w : widgets)
        delete w;
    return 0;
}
