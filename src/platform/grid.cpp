#include "platform/grid.h"

#include "platform/datetimetext.h"

#include <QHeaderView>
#include <QPainter>
#include <QPaintEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QScrollBar>
#include <algorithm>
#include <utility>
#include <array>
#include <cstring>

namespace GridAlign {
Qt::Alignment toQt(int code)
{
    switch (code) {
    case LeftTop: return Qt::AlignLeft | Qt::AlignTop;
    case LeftCenter: return Qt::AlignLeft | Qt::AlignVCenter;
    case LeftBottom: return Qt::AlignLeft | Qt::AlignBottom;
    case CenterTop: return Qt::AlignHCenter | Qt::AlignTop;
    case CenterCenter: return Qt::AlignCenter;
    case CenterBottom: return Qt::AlignHCenter | Qt::AlignBottom;
    case RightTop: return Qt::AlignRight | Qt::AlignTop;
    case RightCenter: return Qt::AlignRight | Qt::AlignVCenter;
    case RightBottom: return Qt::AlignRight | Qt::AlignBottom;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}
} // namespace GridAlign

// ---------------------------------------------------------------------------------------------
// GridStore

namespace {
constexpr int MaxCols = 64;
// A cell longer than this keeps its text apart from the row's bytes, so that one row always
// fits one byte chunk.
constexpr qsizetype MaxCellLength = 4096;
constexpr int MaxSharedLength = 24;
constexpr quint32 MaxShared = 1u << 16;

quint32 getVarint(const char *&p)
{
    quint32 v = 0;
    int shift = 0;
    for (;;) {
        const quint8 b = quint8(*p++);
        v |= quint32(b & 0x7F) << shift;
        if (!(b & 0x80))
            return v;
        shift += 7;
    }
}

// What one pass over a text tells the encoder: texts that repeat from row to row (units,
// relay marks, status words) are short and have no digits, and ASCII texts take one byte a
// character.
struct TextKind {
    bool share;
    bool ascii;
};

TextKind kindOf(QStringView text)
{
    bool digit = false, ascii = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            ascii = false;
            if (c.isDigit())
                digit = true;
        } else if (u >= u'0' && u <= u'9') {
            digit = true;
        }
    }
    return {!digit && text.size() <= MaxSharedLength, ascii};
}

// True when the text is the decimal number n (n >= 0), without building a string.
bool isNumber(QStringView text, qint64 n)
{
    if (text.isEmpty() || text.size() > 19 || (text.size() > 1 && text.front() == u'0'))
        return false;
    qint64 value = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return false;
        value = value * 10 + (u - u'0');
    }
    return value == n;
}
} // namespace

// One row's encoding while it is built. Reused from row to row, so that filling a row costs
// no allocation; each cell reserves its worst case before it writes.
struct GridStore::Encoder {
    std::vector<char> bytes = std::vector<char>(256);
    size_t size = 0;

    char *reserve(size_t n)
    {
        if (size + n > bytes.size()) [[unlikely]]
            grow(n);
        return bytes.data() + size;
    }
    Q_NEVER_INLINE void grow(size_t n) { bytes.resize(std::max(bytes.size() * 2, size + n)); }
    void put(char c) { *reserve(1) = c; ++size; }
    // Only after reserve(): at most 5 bytes.
    void putVarintReserved(quint32 v)
    {
        char *p = bytes.data() + size;
        while (v >= 0x80) {
            *p++ = char(0x80 | (v & 0x7F));
            v >>= 7;
        }
        *p++ = char(v);
        size = size_t(p - bytes.data());
    }
    void putVarint(quint32 v)
    {
        reserve(5);
        putVarintReserved(v);
    }
};

GridStore::GridStore(int cols) : m_cols(qBound(1, cols, MaxCols))
{
    m_lastShared.resize(size_t(m_cols));
}

GridStore::~GridStore() = default;

qint64 GridStore::wallMs(const QDateTime &moment)
{
    if (!moment.isValid())
        return NoTime;
    return moment.date().toJulianDay() * 86400000LL + moment.time().msecsSinceStartOfDay();
}

QDateTime GridStore::fromWallMs(qint64 ms)
{
    if (ms == NoTime)
        return QDateTime();
    qint64 day = ms / 86400000LL;
    qint64 rest = ms % 86400000LL;
    if (rest < 0) {
        rest += 86400000LL;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(rest)));
}

quint32 &GridStore::offsetRef(qint32 row)
{
    return m_offsetChunks[size_t(row >> RowChunkBits)][row & ((1 << RowChunkBits) - 1)];
}

quint32 GridStore::offsetOf(qint32 row) const
{
    return m_offsetChunks[size_t(row >> RowChunkBits)][row & ((1 << RowChunkBits) - 1)];
}

qint64 &GridStore::timeRef(qint32 row)
{
    return m_timeChunks[size_t(row >> RowChunkBits)][row & ((1 << RowChunkBits) - 1)];
}

qint64 GridStore::time(qint32 row) const
{
    if (row < 0 || row >= m_rows)
        return NoTime;
    return m_timeChunks[size_t(row >> RowChunkBits)][row & ((1 << RowChunkBits) - 1)];
}

void GridStore::setTime(qint32 row, qint64 time)
{
    if (row >= 0 && row < m_rows)
        timeRef(row) = time;
}

const char *GridStore::bytesAt(quint32 offset) const
{
    return m_byteChunks[offset >> ByteChunkBits].get() + (offset & ((1u << ByteChunkBits) - 1));
}

void GridStore::resize(qint32 rows)
{
    rows = qMax(0, rows);
    if (rows == 0) {
        m_offsetChunks.clear();
        m_timeChunks.clear();
        m_byteChunks.clear();
        m_byteEnd = 0;
        m_lastOffset = NoCells;
        m_lastRow = -1;
        m_shared.clear();
        m_sharedIndex.clear();
        m_long.clear();
        m_lastShared.assign(size_t(m_cols), {});
        m_rows = 0;
        return;
    }
    const size_t chunksNeeded = size_t((rows + (1 << RowChunkBits) - 1) >> RowChunkBits);
    while (m_offsetChunks.size() < chunksNeeded) {
        m_offsetChunks.emplace_back(new quint32[1 << RowChunkBits]);
        m_timeChunks.emplace_back(new qint64[1 << RowChunkBits]);
    }
    for (qint32 r = m_rows; r < rows; ++r) {
        offsetRef(r) = NoCells;
        timeRef(r) = NoTime;
    }
    if (rows < m_rows && m_lastRow >= rows) {
        m_lastRow = -1;
        m_lastOffset = NoCells;
    }
    m_rows = rows;
}

quint32 GridStore::internText(int col, QStringView text)
{
    auto &last = m_lastShared[size_t(col)];
    if (!last.first.isNull() && last.first == text)
        return last.second;
    const QString key = text.toString();
    auto it = m_sharedIndex.constFind(key);
    quint32 id;
    if (it != m_sharedIndex.cend()) {
        id = it.value();
    } else {
        id = quint32(m_shared.size());
        m_shared.append(key);
        m_sharedIndex.insert(key, id);
    }
    last = {key, id};
    return id;
}

void GridStore::encodeCell(Encoder &out, qint32 row, int col, QStringView input,
                           bool timeCell)
{
    if (timeCell) {
        out.put(char(Time));
        return;
    }
    const QStringView text = input;
    if (text.size() > MaxCellLength) {
        // Rare (a long remark): kept whole, as a save must write what was read.
        m_long.push_back(text.toString());
        out.reserve(6);
        out.bytes[out.size++] = char(Long);
        out.putVarintReserved(quint32(m_long.size() - 1));
        return;
    }
    if (text.isEmpty()) {
        out.put(char(Empty));
        return;
    }
    if (text.size() == 1 && text.front() == u' ') {
        out.put(char(Blank));
        return;
    }
    if (col == 0 && isNumber(text, qint64(row) + 1)) {
        out.put(char(RowNumber));
        return;
    }
    const TextKind kind = kindOf(text);
    if (kind.share // never cut: shared texts are short
        && (m_sharedIndex.size() < qsizetype(MaxShared)
            || m_sharedIndex.contains(text.toString()))) {
        const quint32 id = internText(col, text);
        out.reserve(6);
        out.bytes[out.size++] = char(Shared);
        out.putVarintReserved(id);
    } else if (kind.ascii) {
        const size_t length = size_t(text.size());
        out.reserve(6 + length);
        if (length < 0x80) {
            out.bytes[out.size++] = char(ShortAscii | length);
        } else {
            out.bytes[out.size++] = char(LongAscii);
            out.putVarintReserved(quint32(length));
        }
        char *p = out.bytes.data() + out.size;
        const char16_t *u = text.utf16();
        for (size_t i = 0; i < length; ++i)
            p[i] = char(u[i]);
        out.size += length;
    } else {
        const size_t bytes = size_t(text.size()) * 2;
        out.reserve(6 + bytes);
        out.bytes[out.size++] = char(Utf16);
        out.putVarintReserved(quint32(text.size()));
        std::memcpy(out.bytes.data() + out.size, text.utf16(), bytes);
        out.size += bytes;
    }
}

void GridStore::storeEncoding(qint32 row, const Encoder &encoding)
{
    const quint32 chunkSize = 1u << ByteChunkBits;
    const quint32 size = quint32(encoding.size);
    // The newest encoding can be replaced where it lies: a live row is written twice (first
    // numbered, then filled), and this keeps that free.
    if (row == m_lastRow && offsetRef(row) == m_lastOffset && m_lastOffset != NoCells)
        m_byteEnd = m_lastOffset;
    quint32 chunk = m_byteEnd >> ByteChunkBits;
    quint32 pos = m_byteEnd & (chunkSize - 1);
    if (chunk < m_byteChunks.size() && pos + size > chunkSize) {
        ++chunk;
        pos = 0;
    }
    if (chunk >= 4095) { // 1 GB of text in one grid: keep the row empty rather than overflow
        offsetRef(row) = NoCells;
        return;
    }
    while (m_byteChunks.size() <= chunk)
        m_byteChunks.emplace_back(new char[chunkSize]);
    const quint32 offset = (chunk << ByteChunkBits) | pos;
    std::memcpy(m_byteChunks[chunk].get() + pos, encoding.bytes.data(), size);
    offsetRef(row) = offset;
    m_byteEnd = offset + size;
    m_lastOffset = offset;
    m_lastRow = row;
}

const char *GridStore::decodeCell(const char *p, CellRef &cell)
{
    cell = CellRef{quint8(*p++), 0, nullptr, 0};
    if (cell.tag & ShortAscii) {
        cell.length = cell.tag & 0x7F;
        cell.tag = ShortAscii;
        cell.bytes = p;
        p += cell.length;
    } else if (cell.tag == LongAscii) {
        cell.length = qint32(getVarint(p));
        cell.bytes = p;
        p += cell.length;
    } else if (cell.tag == Utf16) {
        cell.length = qint32(getVarint(p));
        cell.bytes = p;
        p += cell.length * 2;
    } else if (cell.tag == Shared || cell.tag == Long) {
        cell.shared = getVarint(p);
    }
    return p;
}

void GridStore::decodeRow(qint32 row, std::vector<CellRef> &cells) const
{
    cells.clear();
    const quint32 offset = offsetOf(row);
    if (offset == NoCells) {
        cells.assign(size_t(m_cols), CellRef{Empty, 0, nullptr, 0});
        return;
    }
    const char *p = bytesAt(offset);
    for (int c = 0; c < m_cols; ++c) {
        CellRef cell;
        p = decodeCell(p, cell);
        cells.push_back(cell);
    }
}

GridStore::CellRef GridStore::cellAt(qint32 row, int col) const
{
    // A graph refills thousands of rows a column or two at a time: only the cells up to the
    // one asked for are read.
    CellRef cell{Empty, 0, nullptr, 0};
    const quint32 offset = offsetOf(row);
    if (offset == NoCells)
        return cell;
    const char *p = bytesAt(offset);
    for (int c = 0; c <= col; ++c)
        p = decodeCell(p, cell);
    return cell;
}

QString GridStore::cellText(qint32 row, int col, const CellRef &cell) const
{
    switch (cell.tag) {
    case Blank: return QStringLiteral(" ");
    case RowNumber: return QString::number(qint64(row) + 1);
    case Shared: return m_shared.value(qsizetype(cell.shared));
    case Long: return cell.shared < m_long.size() ? m_long[cell.shared] : QString();
    case ShortAscii:
    case LongAscii: return QString::fromLatin1(cell.bytes, cell.length);
    case Utf16: {
        QString text(cell.length, Qt::Uninitialized);
        std::memcpy(text.data(), cell.bytes, size_t(cell.length) * 2);
        return text;
    }
    default: Q_UNUSED(col); return QString();
    }
}

QString GridStore::text(qint32 row, int col, bool *showsTime) const
{
    if (showsTime)
        *showsTime = false;
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return QString();
    const CellRef cell = cellAt(row, col);
    if (cell.tag == Time) {
        if (showsTime)
            *showsTime = true;
        return QString();
    }
    return cellText(row, col, cell);
}

bool GridStore::showsTime(qint32 row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return false;
    return cellAt(row, col).tag == Time;
}

void GridStore::rewriteRow(qint32 row, int col, const QString *text, bool timeCell)
{
    thread_local std::vector<CellRef> cells;
    decodeRow(row, cells);
    thread_local Encoder encoding;
    encoding.size = 0;
    for (int c = 0; c < m_cols; ++c) {
        if (c == col) {
            encodeCell(encoding, row, c, text ? *text : QString(), timeCell);
            continue;
        }
        const CellRef &cell = cells[size_t(c)];
        switch (cell.tag) {
        case Shared:
        case Long:
            encoding.put(char(cell.tag));
            encoding.putVarint(cell.shared);
            break;
        case ShortAscii:
        case LongAscii:
        case Utf16:
            encodeCell(encoding, row, c, cellText(row, c, cell), false);
            break;
        default:
            encoding.put(char(cell.tag));
        }
    }
    storeEncoding(row, encoding);
}

void GridStore::setText(qint32 row, int col, const QString &text)
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return;
    rewriteRow(row, col, &text, false);
}

void GridStore::setRow(qint32 row, qint64 time, std::span<const QString> texts, quint32 timeMask)
{
    std::array<QStringView, MaxCols> views;
    const size_t n = std::min(texts.size(), views.size());
    for (size_t c = 0; c < n; ++c)
        views[c] = texts[c];
    setRow(row, time, std::span<const QStringView>(views.data(), n), timeMask);
}

void GridStore::setRow(qint32 row, qint64 time, std::span<const QStringView> texts,
                       quint32 timeMask)
{
    if (row < 0 || row >= m_rows)
        return;
    timeRef(row) = time;
    thread_local Encoder encoding;
    encoding.size = 0;
    for (int c = 0; c < m_cols; ++c) {
        const bool timeCell = c < 32 && (timeMask >> c) & 1u;
        encodeCell(encoding, row, c, size_t(c) < texts.size() ? texts[size_t(c)] : QStringView(),
                   timeCell);
    }
    storeEncoding(row, encoding);
}

qint32 GridStore::appendNumberedRow()
{
    const qint32 row = m_rows;
    resize(row + 1);
    thread_local Encoder encoding;
    encoding.size = 0;
    encoding.put(char(RowNumber));
    for (int c = 1; c < m_cols; ++c)
        encoding.put(char(Empty));
    storeEncoding(row, encoding);
    return row;
}

void GridStore::setCols(int cols)
{
    cols = qBound(1, cols, MaxCols);
    if (cols == m_cols)
        return;
    // Re-encode every row with the new width; rare (set-up only), so simplicity wins.
    const int oldCols = m_cols;
    const qint32 rows = m_rows;
    std::vector<std::vector<QString>> texts(static_cast<size_t>(rows));
    std::vector<qint64> times(static_cast<size_t>(rows));
    std::vector<quint32> masks(static_cast<size_t>(rows));
    std::vector<bool> empty(static_cast<size_t>(rows));
    for (qint32 r = 0; r < rows; ++r) {
        times[size_t(r)] = time(r);
        empty[size_t(r)] = offsetOf(r) == NoCells;
        if (empty[size_t(r)])
            continue;
        for (int c = 0; c < oldCols && c < cols; ++c) {
            if (showsTime(r, c) && c < 32)
                masks[size_t(r)] |= 1u << c;
            texts[size_t(r)].push_back(text(r, c));
        }
    }
    resize(0);
    m_cols = cols;
    m_lastShared.assign(size_t(m_cols), {});
    resize(rows);
    for (qint32 r = 0; r < rows; ++r) {
        if (empty[size_t(r)])
            timeRef(r) = times[size_t(r)];
        else
            setRow(r, times[size_t(r)], texts[size_t(r)], masks[size_t(r)]);
    }
}

qint64 GridStore::bytesUsed() const
{
    qint64 bytes = qint64(m_offsetChunks.size()) * (1 << RowChunkBits) * (4 + 8);
    // The last byte chunk counts only as far as it is used: it is filled before another starts.
    if (!m_byteChunks.empty())
        bytes += qint64(m_byteChunks.size() - 1) * (1 << ByteChunkBits)
            + (m_byteEnd & ((1u << ByteChunkBits) - 1));
    for (const QString &s : m_shared)
        bytes += 2 * (s.size() * 2 + 32); // the text in the list and as hash key
    for (const QString &s : m_long)
        bytes += s.size() * 2 + 32;
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// GridData

GridData::GridData(QObject *parent) : QAbstractTableModel(parent), m_store(2)
{
    // The narrow default widths (a date in 1000 twips) were made for a small sans-serif font.
    // Where that font is missing a narrow one keeps a date readable in its column.
    m_font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                        QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Arial Narrow")});
    m_font.setPointSizeF(8.25);
    m_header = QStringList(2);
    m_widths.assign(2, -1);
    m_align.assign(2, GridAlign::General);
    m_headerAlign.assign(2, GridAlign::General);
    m_store.resize(1);
    m_announced = 1;
}

void GridData::announceRows()
{
    m_announceQueued = false;
    const qint32 rows = m_store.rows();
    if (rows <= m_announced)
        return;
    beginInsertRows(QModelIndex(), m_announced, rows - 1);
    m_announced = rows;
    endInsertRows();
}

void GridData::setViewsHidden(bool hidden)
{
    m_viewsHidden = hidden;
    if (!hidden)
        announceRows();
}

void GridData::setRows(qint32 rows)
{
    rows = qMax(1, rows);
    const qint32 dataRows = rows - 1;
    announceRows();
    const qint32 old = m_store.rows();
    if (dataRows == old)
        return;
    if (dataRows > old) {
        beginInsertRows(QModelIndex(), old, dataRows - 1);
        m_store.resize(dataRows);
        m_announced = dataRows;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), dataRows, old - 1);
        m_store.resize(dataRows);
        m_announced = dataRows;
        endRemoveRows();
    }
    m_row = qMin(m_row, rows - 1);
    m_rowSel = qMin(m_rowSel, rows - 1);
}

void GridData::setCols(int cols)
{
    cols = qBound(1, cols, MaxCols);
    if (cols == this->cols())
        return;
    beginResetModel();
    m_store.setCols(cols);
    m_announced = m_store.rows();
    m_header.resize(cols);
    m_widths.resize(size_t(cols), -1);
    m_align.resize(size_t(cols), GridAlign::General);
    m_headerAlign.resize(size_t(cols), GridAlign::General);
    m_col = qMin(m_col, cols - 1);
    m_colSel = qMin(m_colSel, cols - 1);
    endResetModel();
    emit widthsChanged();
}

QString GridData::renderTime(qint32 dataRow, int col) const
{
    const QDateTime time = GridStore::fromWallMs(m_store.time(dataRow));
    if (!time.isValid())
        return QString();
    if (m_timeRenderer)
        return m_timeRenderer(time, col);
    return col == 1 ? DateTimeText::formatDate(time.date()) : DateTimeText::formatTime(time.time());
}

QString GridData::textMatrix(qint32 row, int col) const
{
    if (col < 0 || col >= cols())
        return QString();
    if (row == 0)
        return m_header.value(col);
    const qint32 dataRow = row - 1;
    bool time = false;
    const QString text = m_store.text(dataRow, col, &time);
    return time ? renderTime(dataRow, col) : text;
}

void GridData::setTextMatrix(qint32 row, int col, const QString &text)
{
    if (col < 0 || col >= cols() || row < 0 || row >= rows())
        return;
    if (row == 0) {
        m_header[col] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    m_store.setText(row - 1, col, text);
    rowsChanged(row - 1, row - 1, col, col);
}

void GridData::rowsChanged(qint32 first, qint32 last, int firstCol, int lastCol)
{
    if (m_filling) {
        if (m_fillLast < m_fillFirst) {
            m_fillFirst = first;
            m_fillLast = last;
        } else {
            m_fillFirst = qMin(m_fillFirst, first);
            m_fillLast = qMax(m_fillLast, last);
        }
        return;
    }
    if (announced(last))
        emit dataChanged(index(first, firstCol), index(last, lastCol), {Qt::DisplayRole});
}

void GridData::beginFill()
{
    if (m_filling)
        return;
    m_filling = true;
    m_selectionMovedInFill = false;
    m_fillFirst = 0;
    m_fillLast = -1;
}

void GridData::endFill()
{
    if (!m_filling)
        return;
    m_filling = false;
    const qint32 last = qMin(m_fillLast, m_announced - 1);
    if (m_fillFirst <= last)
        emit dataChanged(index(m_fillFirst, 0), index(last, cols() - 1), {Qt::DisplayRole});
    if (m_selectionMovedInFill)
        emit selectionMoved();
}

void GridData::setRowTexts(qint32 row, const QDateTime &time, std::span<const QString> texts,
                           quint32 timeMask)
{
    if (row < 1 || row >= rows())
        return;
    m_store.setRow(row - 1, GridStore::wallMs(time), texts, timeMask);
    rowsChanged(row - 1, row - 1, 0, cols() - 1);
}

void GridData::setRowTexts(qint32 row, qint64 wallMs, std::span<const QStringView> texts,
                           quint32 timeMask)
{
    if (row < 1 || row >= rows())
        return;
    m_store.setRow(row - 1, wallMs, texts, timeMask);
    rowsChanged(row - 1, row - 1, 0, cols() - 1);
}

qint32 GridData::appendNumberedRow()
{
    const qint32 dataRow = m_store.appendNumberedRow();
    if (!m_announceQueued && !m_viewsHidden) {
        m_announceQueued = true;
        QMetaObject::invokeMethod(this, &GridData::announceRows, Qt::QueuedConnection);
    }
    return dataRow + 1;
}

void GridData::clearTexts()
{
    beginResetModel();
    const qint32 dataRows = m_store.rows();
    m_store.clear();
    m_store.resize(dataRows);
    m_announced = dataRows;
    for (QString &h : m_header)
        h.clear();
    endResetModel();
}

QDateTime GridData::rowTime(qint32 row) const
{
    return GridStore::fromWallMs(m_store.time(row - 1));
}

void GridData::setRowTime(qint32 row, const QDateTime &time)
{
    m_store.setTime(row - 1, GridStore::wallMs(time));
}

void GridData::refreshTimes()
{
    if (m_announced > 0)
        emit dataChanged(index(0, 0), index(m_announced - 1, cols() - 1), {Qt::DisplayRole});
}

int GridData::colWidth(int col) const
{
    if (col < 0 || col >= cols())
        return 0;
    const int w = m_widths[size_t(col)];
    return w < 0 ? DefaultColWidth : w;
}

void GridData::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols())
        return;
    m_widths[size_t(col)] = twips < 0 ? -1 : twips;
    emit widthsChanged();
}

int GridData::colAlignment(int col) const
{
    return col >= 0 && col < cols() ? m_align[size_t(col)] : GridAlign::General;
}

void GridData::setColAlignment(int col, int code)
{
    if (col < 0 || col >= cols())
        return;
    m_align[size_t(col)] = code;
    if (m_announced > 0)
        emit dataChanged(index(0, col), index(m_announced - 1, col), {Qt::TextAlignmentRole});
}

int GridData::headerAlignment(int col) const
{
    return col >= 0 && col < cols() ? m_headerAlign[size_t(col)] : GridAlign::General;
}

void GridData::setHeaderAlignment(int col, int code)
{
    if (col < 0 || col >= cols())
        return;
    m_headerAlign[size_t(col)] = code;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

int GridData::cellAlignment(qint32 row, int col) const
{
    return row == 0 ? headerAlignment(col) : colAlignment(col);
}

void GridData::setFont(const QFont &font)
{
    m_font = font;
    emit appearanceChanged();
}

void GridData::setForeColor(const QColor &colour)
{
    m_foreColor = colour;
    emit appearanceChanged();
}

void GridData::setRow(qint32 row)
{
    setSelection(row, m_col, row, m_col);
}

void GridData::setCol(int col)
{
    setSelection(m_row, col, m_row, col);
}

void GridData::setRowSel(qint32 row)
{
    setSelection(m_row, m_col, row, m_colSel);
}

void GridData::setColSel(int col)
{
    setSelection(m_row, m_col, m_rowSel, col);
}

void GridData::setSelection(qint32 row, int col, qint32 rowSel, int colSel)
{
    const qint32 lastRow = rows() - 1;
    const int lastCol = cols() - 1;
    m_row = qBound(0, row, lastRow);
    m_rowSel = qBound(0, rowSel, lastRow);
    m_col = qBound(0, col, lastCol);
    m_colSel = qBound(0, colSel, lastCol);
    if (m_filling)
        m_selectionMovedInFill = true;
    else
        emit selectionMoved();
}

int GridData::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_announced);
}

int GridData::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : cols();
}

QVariant GridData::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    // A cell shows no more than fits a row's bytes; it keeps its whole text all the same.
    case Qt::DisplayRole: return textMatrix(index.row() + 1, index.column()).left(MaxCellLength);
    case Qt::TextAlignmentRole: return int(GridAlign::toQt(colAlignment(index.column())));
    case Qt::ForegroundRole: return m_foreColor.isValid() ? QVariant(m_foreColor) : QVariant();
    default: return QVariant();
    }
}

QVariant GridData::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return m_header.value(section);
    case Qt::TextAlignmentRole: return int(GridAlign::toQt(headerAlignment(section)));
    default: return QVariant();
    }
}

// ---------------------------------------------------------------------------------------------
// Grid

namespace {
// A column header that keeps its size hint until what it depends on changes. Qt's header
// forgets its own whenever the view lays itself out, which every appended row makes it do,
// and then measures every header text again: most of the cost of a live record.
class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

    QSize sizeHint() const override
    {
        if (!m_hint.isValid())
            m_hint = QHeaderView::sizeHint();
        return m_hint;
    }
    void forgetHint() { m_hint = QSize(); }

    void setModel(QAbstractItemModel *model) override
    {
        if (this->model())
            disconnect(this->model(), nullptr, this, nullptr);
        QHeaderView::setModel(model);
        forgetHint();
        if (!model)
            return;
        const auto forget = [this] { forgetHint(); };
        connect(model, &QAbstractItemModel::headerDataChanged, this, forget);
        connect(model, &QAbstractItemModel::modelReset, this, forget);
        connect(model, &QAbstractItemModel::layoutChanged, this, forget);
        connect(model, &QAbstractItemModel::columnsInserted, this, forget);
        connect(model, &QAbstractItemModel::columnsRemoved, this, forget);
    }

protected:
    // Section 0 stays at the left edge while the others scroll under it.
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        const int width = fixedWidth();
        if (width <= 0)
            return;
        QPainter painter(viewport());
        painter.setClipRegion(event->region());
        paintSection(&painter, QRect(0, 0, width, viewport()->height()), 0);
    }

public:
    // The width of section 0 where it covers the others (0 when it is hidden or in its own place).
    int fixedWidth() const
    {
        if (count() == 0 || isSectionHidden(0) || sectionViewportPosition(0) == 0)
            return 0;
        return sectionSize(0);
    }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::LayoutDirectionChange:
        case QEvent::Polish:
            forgetHint();
            break;
        default:
            break;
        }
        return QHeaderView::event(event);
    }

private:
    mutable QSize m_hint;
};

void useGridHeader(QTableView *view)
{
    view->setHorizontalHeader(new GridHeader(view));
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setHighlightSections(false);
}

} // namespace

Grid::Grid(QWidget *parent) : QTableView(parent), m_data(new GridData(this))
{
    useGridHeader(this);
    setModel(m_data);
    m_data->setViewsHidden(true); // until the grid is first shown
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Whole rows, so that a row number is a scroll position and the top row is never cut.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (m_syncing)
                    return;
                m_syncing = true;
                m_data->setColWidth(section, pixelsToTwips(size));
                m_syncing = false;
                if (section == 0)
                    updateFixedColumn(0);
            });
    connect(m_data, &GridData::widthsChanged, this, &Grid::applyWidths);
    connect(m_data, &GridData::appearanceChanged, this, &Grid::applyAppearance);
    connect(m_data, &GridData::selectionMoved, this, &Grid::applySelection);
    connect(m_data, &QAbstractItemModel::modelReset, this, &Grid::applyWidths);
    // Whatever moves or removes rows or columns lays the whole view out again.
    const auto fullLayout = [this] { m_fullLayout = true; };
    connect(m_data, &QAbstractItemModel::rowsRemoved, this, fullLayout);
    connect(m_data, &QAbstractItemModel::rowsMoved, this, fullLayout);
    connect(m_data, &QAbstractItemModel::columnsInserted, this, fullLayout);
    connect(m_data, &QAbstractItemModel::columnsRemoved, this, fullLayout);
    connect(m_data, &QAbstractItemModel::columnsMoved, this, fullLayout);
    connect(m_data, &QAbstractItemModel::layoutChanged, this, fullLayout);
    applyAppearance();
    applyWidths();
}

Grid::~Grid() = default;

int Grid::twipsToPixels(int twips) const
{
    return int(qRound(twips * logicalDpiX() / 1440.0));
}

int Grid::pixelsToTwips(int pixels) const
{
    return int(qRound(pixels * 1440.0 / logicalDpiX()));
}

void Grid::applyWidths()
{
    if (m_syncing)
        return;
    m_syncing = true;
    for (int c = 0; c < m_data->cols(); ++c) {
        const int twips = m_data->colWidth(c);
        setColumnHidden(c, twips == 0);
        if (twips > 0)
            setColumnWidth(c, twipsToPixels(twips));
    }
    // Hidden columns do not count in the header's height.
    static_cast<GridHeader *>(horizontalHeader())->forgetHint();
    m_syncing = false;
    updateFixedColumn(0);
}

void Grid::applyAppearance()
{
    setFont(m_data->font());
    horizontalHeader()->setFont(m_data->font());
    const int height = QFontMetrics(m_data->font()).height() + 4;
    verticalHeader()->setDefaultSectionSize(height);
}

void Grid::applySelection()
{
    if (m_syncing)
        return;
    // A hidden grid (another tab) takes its selection when it is shown: a record moves the
    // current row of every grid, and only the one on screen needs its view told at once.
    if (!isVisible()) {
        m_selectionDirty = true;
        return;
    }
    // On screen the selection follows at the next turn of the event loop: telling the view
    // moves its cursor, which lays it out, and a burst of records needs that only once.
    if (!m_selectionDirty) {
        m_selectionDirty = true;
        QMetaObject::invokeMethod(this, &Grid::flushSelection, Qt::QueuedConnection);
    }
}

void Grid::flushSelection()
{
    if (!m_selectionDirty || m_syncing)
        return;
    m_selectionDirty = false;
    m_data->announceRows(); // the selection may reach rows the view does not know yet
    m_syncing = true;
    QItemSelectionModel *sm = selectionModel();
    const qint32 r1 = m_data->selectedRowFirst(), r2 = m_data->selectedRowLast();
    const int c1 = m_data->selectedColFirst(), c2 = m_data->selectedColLast();
    if (r1 < 1 || m_data->rowCount() == 0) {
        sm->clearSelection();
    } else {
        const QItemSelection range(m_data->index(r1 - 1, c1), m_data->index(r2 - 1, c2));
        sm->select(range, QItemSelectionModel::ClearAndSelect);
        const QModelIndex corner = m_data->index(m_data->rowSel() - 1, m_data->colSel());
        sm->setCurrentIndex(corner, QItemSelectionModel::NoUpdate);
    }
    m_syncing = false;
}

void Grid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    if (m_syncing)
        return;
    // The user's rectangle: the current cell is the corner that moved, the anchor the other.
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    if (indexes.isEmpty())
        return;
    int top = indexes.first().row(), bottom = top, left = indexes.first().column(), right = left;
    for (const QModelIndex &i : indexes) {
        top = qMin(top, i.row());
        bottom = qMax(bottom, i.row());
        left = qMin(left, i.column());
        right = qMax(right, i.column());
    }
    QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid())
        current = indexes.last();
    const int corRow = qBound(top, current.row(), bottom);
    const int corCol = qBound(left, current.column(), right);
    const int ancRow = corRow == top ? bottom : top;
    const int ancCol = corCol == left ? right : left;
    m_syncing = true;
    m_data->setSelection(ancRow + 1, ancCol, corRow + 1, corCol);
    m_syncing = false;
}

qint32 Grid::topRow()
{
    m_data->announceRows();
    flushSelection();
    flushScroll();
    const int r = rowAt(0);
    return r < 0 ? (m_data->rowCount() > 0 ? 1 : 0) : r + 1;
}

void Grid::setTopRow(qint32 row)
{
    if (row < 1 || row >= m_data->rows())
        return;
    // Laying the view out again costs more than the record itself, so a burst of records
    // scrolls once, when events are next handled (or when someone asks for the top row).
    const bool scheduled = m_pendingTop > 0;
    m_pendingTop = row;
    if (!scheduled)
        QMetaObject::invokeMethod(this, &Grid::flushScroll, Qt::QueuedConnection);
}

void Grid::flushScroll()
{
    if (m_pendingTop <= 0)
        return;
    m_data->announceRows();
    const qint32 row = qMin(m_pendingTop, qint32(m_data->rowCount()));
    m_pendingTop = 0;
    if (row < 1)
        return;
    // Scrolling works in whole rows, so the wanted row lands on top unless the end of the
    // table comes first (then the last page shows, as the grid control does).
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(qMin(int(row - 1), verticalScrollBar()->maximum()));
}

void Grid::showEvent(QShowEvent *event)
{
    m_data->setViewsHidden(false);
    QTableView::showEvent(event);
    flushSelection();
}

void Grid::hideEvent(QHideEvent *event)
{
    QTableView::hideEvent(event);
    m_data->setViewsHidden(true);
}

int Grid::fixedWidth() const
{
    return static_cast<const GridHeader *>(horizontalHeader())->fixedWidth();
}

void Grid::updateFixedColumn(int dx)
{
    // Also where a horizontal scroll has just moved the column's old picture.
    const int width = fixedWidth() + qAbs(dx);
    viewport()->update(QRect(0, 0, width, viewport()->height()));
    horizontalHeader()->viewport()->update(QRect(0, 0, width, horizontalHeader()->height()));
}

void Grid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0)
        updateFixedColumn(dx);
}

void Grid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const int width = fixedWidth();
    if (width <= 0 || model()->rowCount() == 0)
        return;
    // Column 0 again, over the columns that scrolled under it, cell by cell as the view draws.
    const QRect strip(0, 0, width, viewport()->height());
    const QRegion region = event->region() & strip;
    if (region.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setClipRegion(region);
    painter.fillRect(strip, viewport()->palette().brush(viewport()->backgroundRole()));
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int grid = showGrid() ? 1 : 0;
    const QColor gridColour = QColor::fromRgba(
        uint(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QRect bounds = region.boundingRect();
    int first = rowAt(bounds.top());
    int last = rowAt(bounds.bottom());
    if (first < 0)
        return;
    if (last < 0)
        last = model()->rowCount() - 1;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel *sm = selectionModel();
    for (int r = first; r <= last; ++r) {
        const QModelIndex index = m_data->index(r, 0);
        const QRect cell(0, rowViewportPosition(r), width, rowHeight(r));
        QStyleOptionViewItem opt = option;
        opt.rect = cell.adjusted(0, 0, -grid, -grid);
        if (sm && sm->isSelected(index))
            opt.state |= QStyle::State_Selected;
        if (focus && index == current)
            opt.state |= QStyle::State_HasFocus;
        style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &opt, &painter, this);
        itemDelegateForIndex(index)->paint(&painter, opt, index);
        if (grid) {
            const QPen old = painter.pen();
            painter.setPen(QPen(gridColour, 0, gridStyle()));
            painter.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
            painter.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
            painter.setPen(old);
        }
    }
}

void Grid::rowsInserted(const QModelIndex &parent, int start, int end)
{
    if (!parent.isValid() && end == model()->rowCount() - 1)
        m_firstAppended = m_firstAppended < 0 ? start : qMin(m_firstAppended, start);
    else
        m_fullLayout = true;
    QTableView::rowsInserted(parent, start, end);
}

void Grid::reset()
{
    m_fullLayout = true;
    QTableView::reset();
}

void Grid::doItemsLayout()
{
    const int first = std::exchange(m_firstAppended, -1);
    const bool full = std::exchange(m_fullLayout, false);
    if (first < 0 || full) {
        QTableView::doItemsLayout();
        return;
    }
    // Only rows added at the end (a live record): the rows already shown stay where they are,
    // so the scroll range is brought up to date and only the new rows' area repainted, not the
    // whole view.
    const int offset = verticalHeader()->offset();
    updateGeometries();
    // Scrolled to the end, the view keeps the last row at the bottom edge; a longer table
    // puts the top row back on a row boundary, which moves every row by part of a row. The
    // pixels on screen must move with them, or the old picture stays between the new rows.
    if (const int moved = verticalHeader()->offset() - offset; moved != 0)
        viewport()->scroll(0, -moved);
    const int last = model()->rowCount() - 1;
    const int top = qMax(0, rowViewportPosition(first));
    const int bottom = qMin(viewport()->height(), rowViewportPosition(last) + rowHeight(last));
    if (top < bottom)
        viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

QModelIndex Grid::indexAt(const QPoint &pos) const
{
    if (pos.x() >= 0 && pos.x() < fixedWidth()) {
        const int r = rowAt(pos.y());
        return r < 0 ? QModelIndex() : m_data->index(r, 0);
    }
    return QTableView::indexAt(pos);
}

QRect Grid::visualRect(const QModelIndex &index) const
{
    const int width = fixedWidth();
    if (width > 0 && index.isValid() && index.column() == 0)
        return QRect(0, rowViewportPosition(index.row()), width, rowHeight(index.row()));
    return QTableView::visualRect(index);
}

QRegion Grid::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region = QTableView::visualRegionForSelection(selection);
    const int width = fixedWidth();
    if (width <= 0)
        return region;
    for (const QItemSelectionRange &range : selection) {
        if (range.left() != 0 || !range.isValid())
            continue;
        const int top = rowViewportPosition(range.top());
        const int bottom = rowViewportPosition(range.bottom()) + rowHeight(range.bottom());
        region += QRect(0, top, width, bottom - top);
    }
    return region;
}

void Grid::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QList<int> &roles)
{
    QTableView::dataChanged(topLeft, bottomRight, roles);
    if (topLeft.column() == 0 && fixedWidth() > 0)
        updateFixedColumn(0);
}

void Grid::trackMouse(const QPoint &viewportPos)
{
    const int r = rowAt(viewportPos.y());
    const int c = viewportPos.x() >= 0 && viewportPos.x() < fixedWidth() ? 0
                                                                         : columnAt(viewportPos.x());
    m_mouseRow = r < 0 ? -1 : r + 1;
    m_mouseCol = c;
}

void Grid::mouseMoveEvent(QMouseEvent *event)
{
    trackMouse(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void Grid::mouseReleaseEvent(QMouseEvent *event)
{
    trackMouse(event->position().toPoint());
    QTableView::mouseReleaseEvent(event);
    emit gridMouseUp(event->button());
}

void Grid::mouseDoubleClickEvent(QMouseEvent *event)
{
    trackMouse(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    emit gridDoubleClicked();
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    emit gridKeyDown(event->key());
    QTableView::keyPressEvent(event);
}

bool Grid::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick
        && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonPress)
        return QTableView::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint pos = mouse->position().toPoint();
    if (watched == horizontalHeader()->viewport()) {
        m_mouseRow = 0;
        m_mouseCol = pos.x() >= 0 && pos.x() < fixedWidth()
            ? 0
            : horizontalHeader()->logicalIndexAt(pos.x());
        // A click on a header cell selects its whole column, every data row, as the grid
        // control does; its release is the grid's mouse-up like any other.
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton
            && m_mouseCol >= 0 && m_data->rows() > 1)
            m_data->setSelection(1, m_mouseCol, m_data->rows() - 1, m_mouseCol);
        else if (type == QEvent::MouseButtonRelease)
            emit gridMouseUp(mouse->button());
        if (type == QEvent::MouseButtonDblClick)
            emit gridDoubleClicked();
    } else if (watched == viewport() && type == QEvent::MouseMove) {
        trackMouse(pos);
    }
    return QTableView::eventFilter(watched, event);
}
