#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QStringList>
#include <QTableView>
#include <QtGlobal>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <vector>

// The grid control: a text matrix whose row 0 is the header row and whose column 0 stays in
// place while the other columns scroll. Logged tables reach hundreds of thousands of rows, so
// the cells live in a compact append-only store (GridData) and the widget (Grid) is only a view
// of it; graphs and printing read cells through GridData without any view.

// Alignment codes of the grid: 0..2 left (top, centre, bottom), 3..5 centre, 6..8 right,
// 9 general (left).
namespace GridAlign {
constexpr int LeftTop = 0, LeftCenter = 1, LeftBottom = 2, CenterTop = 3, CenterCenter = 4,
              CenterBottom = 5, RightTop = 6, RightCenter = 7, RightBottom = 8, General = 9;
Qt::Alignment toQt(int code);
} // namespace GridAlign

// Append-only cell store of one grid's data rows (rows 1..n; row 0 is kept by GridData).
// Each row holds its record time and its cells packed in one byte buffer: one tag byte per cell
// followed by the text as ASCII, or an index into a table of shared texts (units, relay words,
// status words repeat on every row and are kept once). Cells can also say "my row number" or
// "my row's time", which costs one byte and no text. Rewriting a row appends its new encoding
// (in place when it is the newest), so edits are cheap and rare edits waste little.
class GridStore {
public:
    static constexpr qint64 NoTime = std::numeric_limits<qint64>::min();

    explicit GridStore(int cols = 2);
    ~GridStore();
    GridStore(const GridStore &) = delete;
    GridStore &operator=(const GridStore &) = delete;

    int cols() const { return m_cols; }
    // Changes the column count; existing rows keep their first columns.
    void setCols(int cols);
    qint32 rows() const { return m_rows; }
    // Grows with empty rows or drops rows from the end.
    void resize(qint32 rows);
    // Adds an empty row whose column 0 shows its row number; returns its index.
    qint32 appendNumberedRow();
    void clear() { resize(0); }

    // A cell that shows its row's time reads as "" here; `showsTime` tells it apart.
    QString text(qint32 row, int col, bool *showsTime = nullptr) const;
    void setText(qint32 row, int col, const QString &text);
    // Writes a whole row at once (texts.size() == cols()). Columns whose bit is set in timeMask
    // show the row's time instead of a text; a column-0 text equal to the row's number (1-based
    // grid row) is kept as "the row number".
    void setRow(qint32 row, qint64 time, std::span<const QString> texts, quint32 timeMask);
    void setRow(qint32 row, qint64 time, std::span<const QStringView> texts, quint32 timeMask);

    // Record time as local wall-clock milliseconds (see wallMs), or NoTime.
    qint64 time(qint32 row) const;
    void setTime(qint32 row, qint64 time);
    // Whether the cell shows its row's time.
    bool showsTime(qint32 row, int col) const;

    // Bytes held by the store (for measurements).
    qint64 bytesUsed() const;

    static qint64 wallMs(const QDateTime &moment);
    static QDateTime fromWallMs(qint64 ms);

private:
    enum Tag : quint8 { Empty = 0, Blank = 1, RowNumber = 2, Time = 3, Shared = 4, Utf16 = 5,
                        LongAscii = 6, Long = 7, ShortAscii = 0x80 };
    static constexpr quint32 NoCells = 0xFFFFFFFFu;
    static constexpr int RowChunkBits = 12;
    static constexpr int ByteChunkBits = 18;

    struct CellRef {
        quint8 tag;
        quint32 shared; // index when tag is Shared
        const char *bytes;
        qint32 length;
    };

    quint32 &offsetRef(qint32 row);
    quint32 offsetOf(qint32 row) const;
    qint64 &timeRef(qint32 row);
    const char *bytesAt(quint32 offset) const;
    struct Encoder;
    void encodeCell(Encoder &out, qint32 row, int col, QStringView text, bool timeCell);
    quint32 internText(int col, QStringView text);
    void storeEncoding(qint32 row, const Encoder &encoding);
    static const char *decodeCell(const char *p, CellRef &cell);
    void decodeRow(qint32 row, std::vector<CellRef> &cells) const;
    CellRef cellAt(qint32 row, int col) const;
    QString cellText(qint32 row, int col, const CellRef &cell) const;
    void rewriteRow(qint32 row, int col, const QString *text, bool timeCell);

    int m_cols;
    qint32 m_rows = 0;
    std::vector<std::unique_ptr<quint32[]>> m_offsetChunks;
    std::vector<std::unique_ptr<qint64[]>> m_timeChunks;
    std::vector<std::unique_ptr<char[]>> m_byteChunks;
    quint32 m_byteEnd = 0;    // next free byte (global offset)
    quint32 m_lastOffset = NoCells; // encoding that ends at m_byteEnd
    qint32 m_lastRow = -1;
    QStringList m_shared;
    QHash<QString, quint32> m_sharedIndex;
    std::vector<QString> m_long; // texts of cells too long for a row's bytes
    std::vector<std::pair<QString, quint32>> m_lastShared; // per column: last shared text
};

// The grid's state without a view: the header row, the data rows, the selection, column widths
// in twips, alignment codes, the font and the text colour. A Qt model, so views can show it.
class GridData : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int DefaultColWidth = 960; // twips
    using TimeRenderer = std::function<QString(const QDateTime &time, int col)>;

    explicit GridData(QObject *parent = nullptr);

    // The text matrix, header row 0 included.
    qint32 rows() const { return m_store.rows() + 1; }
    void setRows(qint32 rows);
    int cols() const { return m_store.cols(); }
    void setCols(int cols);
    QString textMatrix(qint32 row, int col) const;
    void setTextMatrix(qint32 row, int col, const QString &text);
    // Fills data row `row` (1..rows-1) in one step; see GridStore::setRow.
    void setRowTexts(qint32 row, const QDateTime &time, std::span<const QString> texts,
                     quint32 timeMask);
    // The same with texts that need not be strings of their own, and the time as
    // GridStore::wallMs gives it.
    void setRowTexts(qint32 row, qint64 wallMs, std::span<const QStringView> texts,
                     quint32 timeMask);
    // Adds one row at the end whose column 0 holds its number; returns its index.
    qint32 appendNumberedRow();
    // Empties every cell (header included); rows and columns stay.
    void clearTexts();

    // The record time of a data row (invalid when none).
    QDateTime rowTime(qint32 row) const;
    void setRowTime(qint32 row, const QDateTime &time);
    // How cells that show their row's time are written; re-render after a mode change with
    // refreshTimes().
    void setTimeRenderer(TimeRenderer renderer) { m_timeRenderer = std::move(renderer); }
    void refreshTimes();

    // Column widths in twips; 0 hides the column, -1 restores the default width.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int colAlignment(int col) const;
    void setColAlignment(int col, int code);
    int headerAlignment(int col) const;
    void setHeaderAlignment(int col, int code);
    // The alignment of one cell: the header's for row 0, the column's otherwise.
    int cellAlignment(qint32 row, int col) const;

    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &colour);

    // Selection: the current cell (row, col) and the far corner (rowSel, colSel).
    qint32 row() const { return m_row; }
    int col() const { return m_col; }
    qint32 rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    // Setting the current cell also collapses the selection onto it, as the grid control does.
    void setRow(qint32 row);
    void setCol(int col);
    void setRowSel(qint32 row);
    void setColSel(int col);
    void setSelection(qint32 row, int col, qint32 rowSel, int colSel);
    // Selected rows, first to last in ascending order.
    qint32 selectedRowFirst() const { return qMin(m_row, m_rowSel); }
    qint32 selectedRowLast() const { return qMax(m_row, m_rowSel); }
    int selectedColFirst() const { return qMin(m_col, m_colSel); }
    int selectedColLast() const { return qMax(m_col, m_colSel); }

    const GridStore &store() const { return m_store; }

    // Rows added by appendNumberedRow reach the views together at the next turn of the event
    // loop: a burst of records then costs the views one insertion instead of one per row.
    // Until then rowCount() leaves them out; this tells the views at once.
    void announceRows();
    // While no view is on screen (the grid's tab is not the chosen one) appended rows wait
    // until one is: telling a hidden view of every record lays it out for nothing.
    void setViewsHidden(bool hidden);

    // Filling many rows at once (a file load): what changes between beginFill() and endFill()
    // (cells of known rows, the selection) reaches the views once, at endFill(), instead of
    // once per row.
    void beginFill();
    void endFill();

    // Qt model: data rows only (model row i is grid row i + 1); row 0 is the header.
    // Rows not yet announced are left out (see announceRows).
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void selectionMoved();
    void widthsChanged();
    void appearanceChanged();

private:
    QString renderTime(qint32 dataRow, int col) const;
    void rowsChanged(qint32 firstDataRow, qint32 lastDataRow, int firstCol, int lastCol);
    // Whether the views know of data row dataRow (0-based).
    bool announced(qint32 dataRow) const { return dataRow < m_announced; }

    GridStore m_store;
    qint32 m_announced = 0; // data rows the views know of
    bool m_announceQueued = false;
    bool m_viewsHidden = false;
    bool m_filling = false;
    bool m_selectionMovedInFill = false;
    qint32 m_fillFirst = 0, m_fillLast = -1; // data rows changed while filling
    QStringList m_header;
    std::vector<int> m_widths;
    std::vector<int> m_align;
    std::vector<int> m_headerAlign;
    QFont m_font;
    QColor m_foreColor;
    qint32 m_row = 1, m_rowSel = 1;
    int m_col = 1, m_colSel = 1;
    TimeRenderer m_timeRenderer;
};

// The grid widget: a table view of a GridData whose column 0 stays put when the others scroll.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    GridData &data() { return *m_data; }
    const GridData &data() const { return *m_data; }

    // The cell under the mouse (row 0 over the header); -1 when the mouse is outside.
    qint32 mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }
    // The first data row shown at the top, and scrolling there.
    qint32 topRow();
    void setTopRow(qint32 row);
    // Sets where the mouse is, as a pointer move would (for keyboard-driven tests and callers).
    void setMouseCell(qint32 row, int col) { m_mouseRow = row; m_mouseCol = col; }

    // Column 0 where it stays at the left edge.
    QModelIndex indexAt(const QPoint &pos) const override;
    QRect visualRect(const QModelIndex &index) const override;
    void doItemsLayout() override;
    void reset() override;

signals:
    // The grid control's own events, with the cell under the mouse already known.
    void gridDoubleClicked();
    void gridMouseUp(Qt::MouseButton button);
    void gridKeyDown(int key);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

private:
    void applyWidths();
    void applyAppearance();
    void applySelection();
    // Column 0 is drawn a second time at the left edge over the columns scrolled under it,
    // by the view itself: a second view for it would keep a second copy of every row's
    // position, which every appended row makes Qt compute again.
    int fixedWidth() const;
    void updateFixedColumn(int dx);
    void flushScroll();
    void flushSelection();
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;
    void trackMouse(const QPoint &viewportPos);

    GridData *m_data;
    bool m_syncing = false;
    bool m_selectionDirty = false;
    qint32 m_pendingTop = 0;
    qint32 m_mouseRow = -1;
    int m_mouseCol = -1;
    // Rows added at the end since the view was last laid out (the first of them), and whether
    // anything else changed that needs the whole view laid out and repainted.
    int m_firstAppended = -1;
    bool m_fullLayout = false;
};
