#include "mainwindow/layout.h"

#include <algorithm>
#include <cmath>

namespace {

struct Shares {
    double fr = 0, fg = 0, ft = 0, fx = 0;
};

// Rounding to the nearest whole number with halves to even, as the tile commands always did.
int roundEven(double v) { return int(std::nearbyint(v)); }

int groups(int count, int limit)
{
    if (count <= limit)
        return 1;
    return count / limit + ((count / limit) * limit < count ? 1 : 0);
}

// How many windows go in each group (row or column), walked in order.
std::vector<int> perGroup(int count, int limit)
{
    const int n = groups(count, limit);
    std::vector<int> per;
    int placed = 0;
    for (int g = 0; g < n; ++g) {
        int k = (count - placed) / (n - g);
        if ((count - placed) % (n - g) >= 1 && k < limit)
            ++k;
        per.push_back(k);
        placed += k;
    }
    return per;
}

void terminalShare(Shares &s, const TegelInvoer &in, int n)
{
    if (!in.terminal)
        return;
    s.fx = 0.33;
    if (s.ft == 0) {
        s.fx = 1.0;
        if (s.fr > 0)
            s.fr -= 0.1;
        if (s.fg > 0)
            s.fg -= 0.1;
        s.ft = 1 - s.fr - s.fg;
        if (n == in.racks)
            s.ft = 1 - s.fr;
        if (n == in.graphs)
            s.ft = 1 - s.fg;
    }
}

Shares shares(const TegelInvoer &in, bool vertical)
{
    const int r = in.racks, g = in.graphs;
    const int n = r + g + (in.table ? 1 : 0);
    Shares s;
    if (n == 1)
        s = {1, 1, 1};
    else if (n == 2 && r == 2)
        s = {1, 0, 0};
    else if (n == 2 && g == 2)
        s = {0, 1, 0};
    else if (n == 2 && r == 1 && g == 1)
        s = {0.5, 0.5, 0};
    else if (n == 2)
        s = {0.5, 0.5, 0.5};
    else if (r > 0 && g > 0 && in.table)
        s = vertical ? Shares{0.35, 0.4, 0.25} : Shares{0.4, 0.3, 0.3};
    else if (r > 0 && g > 0)
        s = {0.5, 0.5, 0};
    else if (in.table) {
        if (vertical)
            s = {0.6, 0.6, 0.4};
        else
            s = {r > 6 ? 0.75 : 0.5, g > 6 ? 0.75 : 0.5, (r > 6 || g > 6) ? 0.25 : 0.5};
    } else
        s = {1, 1, 0};
    terminalShare(s, in, n);
    return s;
}

bool fits(const QSize &size, const QSize &minimum)
{
    return size.width() >= minimum.width() && size.height() >= minimum.height()
        && size.width() > 0 && size.height() > 0;
}

std::optional<QRect> cell(int x, int y, int w, int h, const QSize &minimum)
{
    if (!fits(QSize(w, h), minimum))
        return std::nullopt;
    return QRect(x, y, w, h);
}

// Places `count` windows in rows (horizontal) or columns (vertical) of at most `limit`,
// starting at `offset` along the stacking direction, each row `thickness` thick. A band whose
// cells would be smaller than the minimum is left out whole.
std::vector<QRect> band(int count, int limit, int offset, int thickness, int across,
                        bool vertical, const QSize &minimum, int *next)
{
    std::vector<QRect> out;
    const std::vector<int> per = perGroup(count, limit);
    for (int k : per) {
        const int length = k > 0 ? across / k : 0;
        const QSize size = vertical ? QSize(thickness, length) : QSize(length, thickness);
        if (!fits(size, minimum))
            return {};
    }
    for (size_t row = 0; row < per.size(); ++row) {
        const int length = across / per[row];
        for (int col = 0; col < per[row]; ++col) {
            const int along = int(row) * thickness + offset;
            out.push_back(vertical ? QRect(along, col * length, thickness, length)
                                   : QRect(col * length, along, length, thickness));
            *next = along + thickness;
        }
    }
    return out;
}

} // namespace

TegelUitvoer TegelHorizontaal(const TegelInvoer &in)
{
    TegelUitvoer out;
    const Shares s = shares(in, false);
    const double sw = in.client.width();
    const double h = in.client.height() - in.iconBand;
    int tb = 0;
    if (in.table) {
        out.table = cell(0, 0, roundEven((1 - s.fx) * sw), roundEven(h * s.ft),
                         in.minimum.expandedTo(in.tableMinimum));
        if (out.table)
            tb = out.table->height();
        if (in.terminal && out.table)
            out.terminal = cell(out.table->width(), 0, roundEven(sw * s.fx), roundEven(h * s.ft),
                                in.minimum.expandedTo(in.terminalMinimum));
    } else if (in.terminal) {
        out.terminal = cell(0, 0, roundEven(sw), roundEven(h * s.ft),
                            in.minimum.expandedTo(in.terminalMinimum));
        if (out.terminal)
            tb = out.terminal->height();
    }
    int next = tb;
    if (in.racks >= 1) {
        const int rows = groups(in.racks, 6);
        const int rowH = in.graphs > 0 ? roundEven(h * s.fr) / rows : roundEven(h - tb) / rows;
        out.racks = band(in.racks, 6, tb, rowH, roundEven(sw), false,
                         in.minimum.expandedTo(in.rackMinimum), &next);
    }
    if (in.graphs >= 1) {
        const int rows = groups(in.graphs, 6);
        const int rowH = roundEven(h - next) / rows;
        out.graphs = band(in.graphs, 6, next, rowH, roundEven(sw), false,
                          in.minimum.expandedTo(in.graphMinimum), &next);
    }
    return out;
}

TegelUitvoer TegelVerticaal(const TegelInvoer &in)
{
    TegelUitvoer out;
    const Shares s = shares(in, true);
    const double sw = in.client.width();
    const double h = in.client.height() - in.iconBand;
    int cw = 0;
    if (in.table) {
        out.table = cell(0, 0, roundEven(sw * s.ft), roundEven(h * (1 - s.fx)),
                         in.minimum.expandedTo(in.tableMinimum));
        if (out.table)
            cw = out.table->width();
        if (in.terminal && out.table)
            out.terminal = cell(0, out.table->height(), roundEven(sw * s.ft), roundEven(h * s.fx),
                                in.minimum.expandedTo(in.terminalMinimum));
    } else if (in.terminal) {
        out.terminal = cell(0, 0, roundEven(sw * s.ft), roundEven(h),
                            in.minimum.expandedTo(in.terminalMinimum));
        if (out.terminal)
            cw = out.terminal->width();
    }
    // Graphs start right of the table column also when there are no racks.
    int next = cw;
    if (in.racks >= 1) {
        const int cols = groups(in.racks, 6);
        const int colW = in.graphs > 0 ? roundEven(sw * s.fr) / cols : roundEven(sw - cw) / cols;
        out.racks = band(in.racks, 6, cw, colW, roundEven(h), true,
                         in.minimum.expandedTo(in.rackMinimum), &next);
    }
    if (in.graphs >= 1) {
        const int cols = groups(in.graphs, 8);
        const int colW = roundEven(sw - next) / cols;
        out.graphs = band(in.graphs, 8, next, colW, roundEven(h), true,
                          in.minimum.expandedTo(in.graphMinimum), &next);
    }
    return out;
}

int BerekenVensterMaat(int clientHeight, const std::vector<int> &iconTops)
{
    int m = clientHeight;
    for (int top : iconTops)
        m = std::min(m, top);
    return clientHeight - m;
}

std::vector<QPoint> IconenSchikken(const QSize &client, const QSize &icon, int count)
{
    std::vector<QPoint> out;
    const int perRow = std::max(1, icon.width() > 0 ? client.width() / icon.width() : 1);
    for (int i = 0; i < count; ++i)
        out.emplace_back((i % perRow) * icon.width(),
                         client.height() - (i / perRow + 1) * icon.height());
    return out;
}

std::vector<QPoint> Trapsgewijs(const QSize &client, const std::vector<QSize> &sizes, int step)
{
    std::vector<QPoint> out;
    int k = 0;
    for (const QSize &size : sizes) {
        QPoint p(k * step, k * step);
        if (k > 0 && (p.x() + size.width() > client.width()
                      || p.y() + size.height() > client.height())) {
            k = 0;
            p = QPoint(0, 0);
        }
        out.push_back(p);
        ++k;
    }
    return out;
}
