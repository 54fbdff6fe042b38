#include "platform/printdevice.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QPrinter>

// --- PrintDevice -------------------------------------------------------------------------------

PrintDevice::PrintDevice() = default;
PrintDevice::~PrintDevice() = default;

void PrintDevice::fail(const QString &reason)
{
    if (m_failure.isEmpty())
        m_failure = reason.isEmpty() ? QStringLiteral("printing failed") : reason;
}

bool PrintDevice::ready()
{
    if (failed())
        return false;
    if (!m_begun) {
        if (!beginDocument()) {
            fail(QString());
            return false;
        }
        m_begun = true;
        m_pageHeld = false;
        m_drawnOnPage = false;
        m_pages = 1;
    } else if (m_pageHeld) {
        if (!startPage()) {
            fail(QString());
            return false;
        }
        m_pageHeld = false;
        m_drawnOnPage = false;
        ++m_pages;
    }
    return true;
}

void PrintDevice::print(const QString &text)
{
    if (text.isEmpty())
        return;
    if (ready()) {
        drawTextAt(m_pos, text);
        m_drawnOnPage = true;
    }
    // The position moves on even after a failure, so the caller's layout ends as it would.
    m_pos.rx() += textWidth(text);
}

void PrintDevice::endLine()
{
    m_pos = QPointF(0, m_pos.y() + textHeight(QStringLiteral(" ")));
}

void PrintDevice::drawLine(const QPointF &from, const QPointF &to, const QColor &colour)
{
    if (ready()) {
        drawLineAt(from, to, colour);
        m_drawnOnPage = true;
    }
}

void PrintDevice::drawRect(const QRectF &rect, const QColor &colour)
{
    if (ready()) {
        drawRectAt(rect, colour);
        m_drawnOnPage = true;
    }
}

void PrintDevice::drawPicture(const QRectF &rect, const PaintFunction &paint)
{
    if (ready()) {
        drawPictureAt(rect, paint);
        m_drawnOnPage = true;
    }
}

void PrintDevice::newPage()
{
    if (m_begun && m_drawnOnPage)
        m_pageHeld = true;
    m_pos = QPointF();
}

bool PrintDevice::endDoc()
{
    if (m_begun && !finishDocument())
        fail(QString());
    m_begun = false;
    m_pageHeld = false;
    m_drawnOnPage = false;
    m_pos = QPointF();
    return !failed();
}

void PrintDevice::killDoc()
{
    if (m_begun)
        discardDocument();
    m_begun = false;
    m_pageHeld = false;
    m_drawnOnPage = false;
    m_pos = QPointF();
}

// --- PrinterDevice -----------------------------------------------------------------------------

PrinterDevice::PrinterDevice(QPrinter &printer) : m_printer(printer) {}

PrinterDevice::~PrinterDevice()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

QSizeF PrinterDevice::pageSize() const
{
    return m_printer.pageRect(QPrinter::Millimeter).size();
}

void PrinterDevice::setOrientation(QPageLayout::Orientation orientation)
{
    m_printer.setPageOrientation(orientation);
}

QPageLayout::Orientation PrinterDevice::orientation() const
{
    return m_printer.pageLayout().orientation();
}

QStringList PrinterDevice::fonts() const
{
    return QFontDatabase::families();
}

double PrinterDevice::dotsPerMm() const
{
    return m_printer.resolution() / 25.4;
}

QPointF PrinterDevice::toDots(const QPointF &mm) const
{
    return mm * dotsPerMm();
}

QRectF PrinterDevice::toDots(const QRectF &mm) const
{
    const double d = dotsPerMm();
    return QRectF(mm.x() * d, mm.y() * d, mm.width() * d, mm.height() * d);
}

const QFontMetricsF &PrinterDevice::metrics() const
{
    // Measured against the printer itself, which works before printing begins.
    if (!m_metrics || m_metricsFont != font()) {
        m_metricsFont = font();
        m_metrics.emplace(m_metricsFont, &m_printer);
        m_charWidths.clear();
    }
    return *m_metrics;
}

double PrinterDevice::textWidth(const QString &text) const
{
    const QFontMetricsF &fm = metrics();
    if (text.size() != 1)
        return fm.horizontalAdvance(text) / dotsPerMm();
    auto it = m_charWidths.constFind(text[0]);
    if (it == m_charWidths.constEnd())
        it = m_charWidths.insert(text[0], fm.horizontalAdvance(text) / dotsPerMm());
    return *it;
}

double PrinterDevice::textHeight(const QString &text) const
{
    const auto lines = text.count(QLatin1Char('\n')) + 1;
    return lines * metrics().lineSpacing() / dotsPerMm();
}

bool PrinterDevice::beginDocument()
{
    if (!m_painter)
        m_painter = std::make_unique<QPainter>();
    if (m_painter->begin(&m_printer))
        return true;
    const QString file = m_printer.outputFileName();
    fail(file.isEmpty() ? QStringLiteral("the printer %1 cannot start printing")
                              .arg(m_printer.printerName())
                        : QStringLiteral("cannot write %1").arg(file));
    return false;
}

bool PrinterDevice::startPage()
{
    flushText();
    if (m_printer.newPage())
        return true;
    fail(QStringLiteral("the printer cannot start a new page"));
    return false;
}

bool PrinterDevice::finishDocument()
{
    flushText();
    if (m_painter->end())
        return true;
    fail(QStringLiteral("the printer could not finish the document"));
    return false;
}

void PrinterDevice::discardDocument()
{
    m_run.clear();
    // abort() cancels a job on a printer; a PDF file is written all the same, so it goes.
    m_printer.abort();
    if (m_painter->isActive())
        m_painter->end();
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty())
        QFile::remove(m_printer.outputFileName());
}

void PrinterDevice::applyPen(const QColor &colour)
{
    QPen pen(colour);
    pen.setWidthF(qMax(1, drawWidth()) * DrawUnitMm * dotsPerMm());
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
}

void PrinterDevice::drawTextAt(const QPointF &topLeft, const QString &text)
{
    constexpr double Tolerance = 1e-3; // mm
    if (!m_run.isEmpty()
        && (qAbs(topLeft.x() - m_runEnd.x()) > Tolerance
            || qAbs(topLeft.y() - m_runEnd.y()) > Tolerance || foreColor() != m_runColour
            || font() != m_runFont))
        flushText();
    if (m_run.isEmpty()) {
        m_runStart = topLeft;
        m_runFont = font();
        m_runColour = foreColor();
        m_runAscent = metrics().ascent();
    }
    m_run += text;
    m_runEnd = topLeft + QPointF(textWidth(text), 0);
}

void PrinterDevice::flushText()
{
    if (m_run.isEmpty())
        return;
    m_painter->setFont(m_runFont);
    m_painter->setPen(m_runColour);
    // Qt places text by its baseline; the page places it by its top.
    m_painter->drawText(toDots(m_runStart) + QPointF(0, m_runAscent), m_run);
    m_run.clear();
}

void PrinterDevice::drawLineAt(const QPointF &from, const QPointF &to, const QColor &colour)
{
    flushText();
    applyPen(colour);
    m_painter->drawLine(toDots(from), toDots(to));
}

void PrinterDevice::drawRectAt(const QRectF &rect, const QColor &colour)
{
    flushText();
    applyPen(colour);
    m_painter->drawRect(toDots(rect));
}

void PrinterDevice::drawPictureAt(const QRectF &rect, const PaintFunction &paint)
{
    flushText();
    m_painter->save();
    paint(*m_painter, toDots(rect));
    m_painter->restore();
}
