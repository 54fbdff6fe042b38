#pragma once
#include <QDateTime>
#include <QString>
#include <QWidget>
#include <array>

#include "core/tablesink.h"

class Grid;
class GridData;
class PrintDevice;
class QTabBar;

// The table window: one grid per controller slot (grid i for slot i + 1) holding every logged
// reading, behind a tab strip that offers only the valid slots. Each grid has 14 columns: row
// number, date, time, value and unit of channels 1..4, control, relays and remark.
class frmTabel : public QWidget, public TableSink {
    Q_OBJECT
public:
    static constexpr int AantalTabellen = 31;
    static constexpr int AantalKolommen = 14;

    explicit frmTabel(QWidget *parent = nullptr);

    qint16 Ti = 0; // for the common window interface

    void StelTabelIn(bool InstellenKolomBreedte) override;
    void InitieerTabel(int Mi);
    void StelNieuweKolomBreedteIn(int Mi);
    void WisTabelGegevens(int i) override;
    // Widens the columns of a grid that are too narrow for their header texts, for six-digit
    // row numbers or for the locale's dates and times; hidden columns stay hidden.
    void fitColumns(int Mi);
    // Selects the tab the window showed when it was last closed, when that slot is available.
    void selectStoredTab();
    // Adds the current record (row AantalRijen, time MeetTijdstip) to every valid slot's grid;
    // with Tnr only that slot gets the readings and the others a stop row.
    void VulTabellenAan(const QString &Info, qint16 Tnr = 0);
    void VulEnkeleTabelAan(int Mi, const QString &Info);
    // Takes the slot's eleven fields off the front of a data-file line into a new row.
    void VulEnkeleTabelAanUitBestand(int y, QString &Info);
    // The same from position `pos` of a line that stays as it is: `pos` moves past the fields
    // taken. Values get `decimal` (DecimaalTeken()) for their decimal points.
    void fillFromFileLine(int y, QStringView line, qsizetype &pos, QStringView decimal) override;
    // Around the rows of a whole file: the grids tell their views once, at the end.
    void beginFileLoad() override;
    void endFileLoad() override;
    void LaadVensterTitel();
    void InstellenZichtbaarheidTabel() override;
    void MSHFlexGrid_DblClick(int Index);
    // Selected rows of a grid (32-bit: a table can hold more rows than 16 bits count).
    qint32 Geselecteerd(int Mi, qint32 m = 0) const override;
    void DeselecteerAlles(int Mi);
    static qint32 BepBestandskolom(qint32 j);
    // Edits of the current tab's selection; each goes to the working copy of the data file.
    void WissenSelectie();
    void ToonLijnSelectie();
    void VerwijderSelectie();
    void VerwijderSelectiesUitMeetbestand(int Mi);
    // A mouse button released on grid Index: the left one snaps the selection to value and unit
    // pairs and lets Copy follow it; the right one offers the Edit menu.
    void MSHFlexGrid_MouseUp(int Index, Qt::MouseButton Button);
    // Re-renders every date and time cell after a change of the relative-time setting.
    void VernieuwTijden();
    // Prints grid Mi from the printer's current position, whole or only its selected rows.
    void PrintTabel(PrintDevice &printer, int Mi, bool AfdrukkenSelectie);
    // The selected cells of grid Mi on the clipboard as tab-separated text.
    void CopyElementen(int Mi);

    Grid *MSHFlexGrid(int i) const { return m_grids[size_t(i)]; }
    GridData &gridData(int i) override;
    void redraw() override { update(); }
    QTabBar *SSTab() const { return m_tabs; }
    int Tab() const override;
    void setTab(int tab);

    void setAfsluitenToegestaan(bool allowed) { m_allowClose = allowed; }

signals:
    void geactiveerd();
    void instellingenGewijzigd();
    // A tab was activated: open the controller settings for that slot.
    void instellingenGevraagd(int slot);
    // A double-click on a remark cell with logging off.
    void opmerkingGevraagd(int grid, qint32 row);
    // The Edit menu is to be brought up to date for this window, then popped up at a point.
    void bewerkMenuBijwerken();
    void bewerkMenuGevraagd(const QPoint &globalPos);
    void bestandGesleept(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void scrollToRow(int i, qint32 row);
    QWidget *container() const;
    // ToestelGeldig for a slot, asked again only when the slot's type or address changed:
    // every record asks it for all 31 slots.
    bool slotValid(int slot);
    const QString &rowNumberText(qint32 row);

    struct KnownSlot {
        QString type;
        qint32 idno = 0;
        bool known = false;
        bool valid = false;
    };
    std::array<KnownSlot, AantalTabellen + 1> m_knownSlots{};
    QString m_rowNumberText;
    qint32 m_rowNumberFor = 0;

    QTabBar *m_tabs;
    std::array<Grid *, AantalTabellen> m_grids{};
    std::array<qint32, AantalTabellen> m_pendingTop{};
    bool m_allowClose = false;
};

// The date (column 1) or time (column 2) of a row as the table shows it: absolute, or signed
// days and signed hh:mm:ss from TijdBasis when RelatieveTijd is on and TijdBasis is set.
QString TabelTijdTekst(const QDateTime &moment, int col);
// The selected cells as the clipboard takes them: a Tab between cells, an empty cell as one
// blank, every row ended by CR LF.
QString KopieerCellen(const GridData &grid);
// The slot's name, or its model code and address when it has none.
QString TabelToestelLabel(int slot);
