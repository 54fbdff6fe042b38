#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

// Where the tile, cascade and arrange-icons commands put the child windows, as plain geometry:
// the work area's size and the windows that are shown go in, rectangles come out.

struct TegelInvoer {
    QSize client;            // the work area
    int iconBand = 0;        // height kept free at the bottom for minimised windows
    bool table = false;      // the table window is shown (visible and not minimised)
    bool terminal = false;   // the terminal window is shown
    int racks = 0;           // shown rack windows, in slot order
    int graphs = 0;          // shown graph windows, in graph-number order
    QSize minimum{1, 1};     // the smallest any child window may become
    // The smallest each kind of window may become (its title bar and frame, its controls): a
    // band is judged by its own windows.
    QSize tableMinimum{1, 1};
    QSize terminalMinimum{1, 1};
    QSize rackMinimum{1, 1};
    QSize graphMinimum{1, 1};
};

struct TegelUitvoer {
    std::optional<QRect> table;
    std::optional<QRect> terminal;
    std::vector<QRect> racks;  // one per shown rack; empty when their band had no room
    std::vector<QRect> graphs; // one per shown graph; empty when their band had no room
};

// Bands stacked from the top: table beside terminal, racks in rows of six, graphs in rows of six.
TegelUitvoer TegelHorizontaal(const TegelInvoer &in);
// Columns from the left: table over terminal, racks in columns of six, graphs in columns of eight.
TegelUitvoer TegelVerticaal(const TegelInvoer &in);

// The height of the band of minimised windows: the client height less the highest icon top.
int BerekenVensterMaat(int clientHeight, const std::vector<int> &iconTops);

// Minimised windows lined up along the bottom, left to right, a new row above when one is full.
std::vector<QPoint> IconenSchikken(const QSize &client, const QSize &icon, int count);

// Windows stepped down and to the right, each keeping its size; a window that would leave the
// work area starts a new cascade at the top.
std::vector<QPoint> Trapsgewijs(const QSize &client, const std::vector<QSize> &sizes, int step);
