#pragma once
#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QFontMetricsF>
#include <QHash>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

// A page measured in millimetres, as the printing code sees the printer: positions from the
// top left of the printable area, text placed by the top of its line, fonts in points, one
// current position that printed text moves on, and a draw width for lines.
//
// The device keeps the first failure instead of throwing or staying silent; once failed it
// draws nothing more, and the caller decides what to tell the user. A document is ended
// (endDoc) or discarded (killDoc).
class PrintDevice {
public:
    // Width in millimetres of one unit of draw width.
    static constexpr double DrawUnitMm = 0.1;

    PrintDevice();
    virtual ~PrintDevice();
    PrintDevice(const PrintDevice &) = delete;
    PrintDevice &operator=(const PrintDevice &) = delete;

    // --- The page ---------------------------------------------------------------------------
    // Width and height of the printable area in millimetres, in the current orientation.
    virtual QSizeF pageSize() const = 0;
    // Takes effect for the document not yet begun.
    virtual void setOrientation(QPageLayout::Orientation orientation) = 0;
    virtual QPageLayout::Orientation orientation() const = 0;
    // The names of the fonts the device can print.
    virtual QStringList fonts() const = 0;

    // --- Measuring, in the current font -----------------------------------------------------
    virtual double textWidth(const QString &text) const = 0;
    // The height of one line of text.
    virtual double textHeight(const QString &text) const = 0;

    // --- Drawing state ----------------------------------------------------------------------
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &colour) { m_foreColor = colour; }
    int drawWidth() const { return m_drawWidth; }
    void setDrawWidth(int width) { m_drawWidth = width; }

    double currentX() const { return m_pos.x(); }
    double currentY() const { return m_pos.y(); }
    QPointF currentPos() const { return m_pos; }
    void setCurrentX(double x) { m_pos.setX(x); }
    void setCurrentY(double y) { m_pos.setY(y); }
    void setCurrentPos(const QPointF &pos) { m_pos = pos; }

    // --- Drawing: printing begins at the first of these -------------------------------------
    // Prints the text with its top at the current position in the fore colour; the current X
    // moves on by the text's width.
    void print(const QString &text);
    // Ends the line: back to the left edge (X 0), one line (the height of a blank) lower.
    void endLine();
    // Line and rectangle outline in the current draw width.
    void drawLine(const QPointF &from, const QPointF &to, const QColor &colour);
    void drawRect(const QRectF &rect, const QColor &colour);
    // Lets paint draw into the page rectangle given in millimetres; paint gets the painter and
    // that rectangle in the painter's own coordinates.
    using PaintFunction = std::function<void(QPainter &painter, const QRectF &target)>;
    void drawPicture(const QRectF &rect, const PaintFunction &paint);

    // --- The document -----------------------------------------------------------------------
    // Asks for a new page. It is made only when something is drawn after it, so a document
    // never ends in a blank page, and a page with nothing on it is never followed by another.
    void newPage();
    // Pages begun so far in the current document (0 before the first drawing).
    int pageCount() const { return m_pages; }
    // Ends the document: what was drawn goes to the printer. False when the document failed.
    bool endDoc();
    // Discards the document: nothing of it is printed or kept.
    void killDoc();

    // The first failure since the device was made, or since clearFailure(); empty when none.
    bool failed() const { return !m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    void clearFailure() { m_failure.clear(); }

protected:
    // Keeps the first failure only.
    void fail(const QString &reason);

    // What a device does to begin a document, to start a page after the first one and to end
    // or discard it. A begin or page that fails calls fail() and returns false.
    virtual bool beginDocument() = 0;
    virtual bool startPage() = 0;
    virtual bool finishDocument() = 0;
    virtual void discardDocument() = 0;

    // The drawing itself, in millimetres; called only inside a begun page.
    virtual void drawTextAt(const QPointF &topLeft, const QString &text) = 0;
    virtual void drawLineAt(const QPointF &from, const QPointF &to, const QColor &colour) = 0;
    virtual void drawRectAt(const QRectF &rect, const QColor &colour) = 0;
    virtual void drawPictureAt(const QRectF &rect, const PaintFunction &paint) = 0;

private:
    // Begins the document or the held page before something is drawn; false when nothing may
    // be drawn (the device failed).
    bool ready();

    QFont m_font;
    QColor m_foreColor = Qt::black;
    int m_drawWidth = 1;
    QPointF m_pos;
    bool m_begun = false;
    bool m_pageHeld = false;
    bool m_drawnOnPage = false;
    int m_pages = 0;
    QString m_failure;
};

// The print device over a QPrinter (a printer or a PDF file). Millimetres are turned into the
// printer's own resolution here, not by scaling the painter, which would scale point-sized
// fonts with them.
class PrinterDevice : public PrintDevice {
public:
    // Prints on the given printer (not owned; it must outlive the device).
    explicit PrinterDevice(QPrinter &printer);
    ~PrinterDevice() override;

    QPrinter &printer() { return m_printer; }

    QSizeF pageSize() const override;
    void setOrientation(QPageLayout::Orientation orientation) override;
    QPageLayout::Orientation orientation() const override;
    QStringList fonts() const override;
    double textWidth(const QString &text) const override;
    double textHeight(const QString &text) const override;

protected:
    bool beginDocument() override;
    bool startPage() override;
    bool finishDocument() override;
    void discardDocument() override;
    void drawTextAt(const QPointF &topLeft, const QString &text) override;
    void drawLineAt(const QPointF &from, const QPointF &to, const QColor &colour) override;
    void drawRectAt(const QRectF &rect, const QColor &colour) override;
    void drawPictureAt(const QRectF &rect, const PaintFunction &paint) override;

private:
    // Texts that follow each other on a line in the same font and colour (a table cell is
    // printed a character at a time) are drawn as one: a day's table is millions of them.
    void flushText();

    double dotsPerMm() const;
    // The current font's metrics on the printer, kept while the font stays the same: a
    // table printout measures every character.
    const QFontMetricsF &metrics() const;
    QPointF toDots(const QPointF &mm) const;
    QRectF toDots(const QRectF &mm) const;
    void applyPen(const QColor &colour);

    QPrinter &m_printer;
    std::unique_ptr<QPainter> m_painter;
    mutable QFont m_metricsFont;
    mutable std::optional<QFontMetricsF> m_metrics;
    // Widths of single characters in the metrics' font, in millimetres.
    mutable QHash<QChar, double> m_charWidths;
    QString m_run;
    QPointF m_runStart;
    QPointF m_runEnd;
    QFont m_runFont;
    QColor m_runColour;
    double m_runAscent = 0; // dots
};
