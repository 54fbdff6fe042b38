#pragma once
#include "core/tablesink.h"
#include "platform/grid.h"

#include <QWidget>
#include <array>
#include <memory>

// The table window as printing reads it: a grid per slot with its selection, the tab on show.
// A widget, so the print run can see whether it is shown.
class FakeTable : public QWidget, public TableSink {
public:
    FakeTable() { setProperty("Tag", QStringLiteral("tabel")); }

    GridData &gridData(int grid) override
    {
        auto &g = m_grids[size_t(grid)];
        if (!g)
            g = std::make_unique<GridData>();
        return *g;
    }
    void StelTabelIn(bool) override {}
    void WisTabelGegevens(int) override {}
    void beginFileLoad() override {}
    void endFileLoad() override {}
    void fillFromFileLine(int, QStringView, qsizetype &, QStringView) override {}
    void InstellenZichtbaarheidTabel() override {}
    void redraw() override {}
    int Tab() const override { return shownTab; }
    // As the table window counts them: none while the current row is the header row.
    qint32 Geselecteerd(int tab, qint32 m) const override
    {
        const auto &g = m_grids[size_t(tab)];
        if (!g || g->row() == 0)
            return 0;
        if (m > 0)
            return m >= g->selectedRowFirst() && m <= g->selectedRowLast() ? m : 0;
        return g->selectedRowLast() - g->selectedRowFirst() + 1;
    }

    int shownTab = 0;

private:
    std::array<std::unique_ptr<GridData>, 31> m_grids;
};

// Fills a grid with a header row ("No", "Name", "Val") and `rows` data rows: the row number,
// "n<number>" and "v"; columns of 1000, 2000 and 1000 twips, the last right-aligned.
inline void fillTable(GridData &grid, int rows, double points = 10)
{
    grid.setCols(3);
    grid.setRows(rows + 1);
    const int widths[] = {1000, 2000, 1000};
    const char *heads[] = {"No", "Name", "Val"};
    for (int c = 0; c < 3; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setTextMatrix(0, c, QString::fromLatin1(heads[c]));
    }
    grid.setColAlignment(0, GridAlign::LeftCenter);
    grid.setColAlignment(1, GridAlign::LeftCenter);
    grid.setColAlignment(2, GridAlign::RightCenter);
    for (int r = 1; r <= rows; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r));
        grid.setTextMatrix(r, 1, QStringLiteral("n%1").arg(r));
        grid.setTextMatrix(r, 2, QStringLiteral("v"));
    }
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    grid.setFont(font);
}
