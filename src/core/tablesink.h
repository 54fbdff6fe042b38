#pragma once
#include <QStringView>
#include <QtGlobal>

class GridData;

// What the data-file services need of the table window: its grids' data (grid i for slot i + 1)
// and the few commands that fill, empty and show them. The table window implements it; the
// main window hands it over in DataViews.
class TableSink {
public:
    virtual ~TableSink() = default;

    // The rows of one grid, read and written in place.
    virtual GridData &gridData(int grid) = 0;
    // One tab per valid slot and every grid set up; with true the column widths too.
    virtual void StelTabelIn(bool InstellenKolomBreedte) = 0;
    // Empties the rows of grid `grid`.
    virtual void WisTabelGegevens(int grid) = 0;
    // Around the rows of a whole file: the grids tell their views once, at the end.
    virtual void beginFileLoad() = 0;
    virtual void endFileLoad() = 0;
    // Takes slot `slot`'s eleven fields of a data-file line from `pos` on into a new row
    // (AantalRijen, MeetTijdstip); `pos` moves past them. Values get `decimal` for their points.
    virtual void fillFromFileLine(int slot, QStringView line, qsizetype &pos,
                                  QStringView decimal) = 0;
    // Shows the grid of the selected tab only.
    virtual void InstellenZichtbaarheidTabel() = 0;
    // Draws the window again after its rows changed.
    virtual void redraw() = 0;
    // The tab on show (slot minus 1) and the number of selected rows on a tab's grid.
    virtual int Tab() const = 0;
    virtual qint32 Geselecteerd(int tab, qint32 m = 0) const = 0;
};
