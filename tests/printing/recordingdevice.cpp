#include "recordingdevice.h"

#include <QImage>
#include <QPainter>

QSizeF RecordingDevice::pageSize() const
{
    return m_orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

double RecordingDevice::textHeight(const QString &text) const
{
    return lineHeight * (text.count(QLatin1Char('\n')) + 1);
}

QStringList RecordingDevice::texts(int page) const
{
    QStringList result;
    for (const Op &op : ops)
        if (op.kind == Text && (page == 0 || op.page == page))
            result << op.text;
    return result;
}

QList<RecordingDevice::Op> RecordingDevice::of(Kind kind) const
{
    QList<Op> result;
    for (const Op &op : ops)
        if (op.kind == kind)
            result << op;
    return result;
}

const RecordingDevice::Op *RecordingDevice::findText(const QString &text) const
{
    for (const Op &op : ops)
        if (op.kind == Text && op.text == text)
            return &op;
    return nullptr;
}

void RecordingDevice::record(Kind kind, const QRectF &at, const QString &text,
                             const QColor &colour)
{
    ops.append(Op{kind, at, text, font(), colour, drawWidth(), m_page});
}

bool RecordingDevice::beginDocument()
{
    if (refuseBegin) {
        fail(QStringLiteral("refused"));
        return false;
    }
    m_page = 1;
    record(Begin, {}, {}, {});
    return true;
}

bool RecordingDevice::startPage()
{
    ++m_page;
    record(Page, {}, {}, {});
    return true;
}

bool RecordingDevice::finishDocument()
{
    record(End, {}, {}, {});
    return true;
}

void RecordingDevice::discardDocument()
{
    record(Discard, {}, {}, {});
}

void RecordingDevice::drawTextAt(const QPointF &topLeft, const QString &text)
{
    record(Text, QRectF(topLeft, QSizeF()), text, foreColor());
}

void RecordingDevice::drawLineAt(const QPointF &from, const QPointF &to, const QColor &colour)
{
    record(Line, QRectF(from, to), {}, colour);
}

void RecordingDevice::drawRectAt(const QRectF &rect, const QColor &colour)
{
    record(Rect, rect, {}, colour);
}

void RecordingDevice::drawPictureAt(const QRectF &rect, const PaintFunction &paint)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, 8, 8));
    record(Picture, rect, {}, {});
}

bool mmNear(double a, double b)
{
    return qAbs(a - b) < 1e-3;
}

bool mmNear(const QPointF &a, const QPointF &b)
{
    return mmNear(a.x(), b.x()) && mmNear(a.y(), b.y());
}

bool mmNear(const QRectF &a, const QRectF &b)
{
    return mmNear(a.topLeft(), b.topLeft()) && mmNear(a.bottomRight(), b.bottomRight());
}

QString mmText(double v)
{
    return QString::number(qRound64(v * 1000) / 1000.0);
}

QString mmText(const QPointF &p)
{
    return mmText(p.x()) + QLatin1Char(',') + mmText(p.y());
}

QString mmText(const QRectF &r)
{
    return mmText(r.topLeft()) + QStringLiteral(" to ") + mmText(r.bottomRight());
}

QString layout(const RecordingDevice &device)
{
    QStringList parts;
    for (const auto &op : device.ops)
        if (op.kind == RecordingDevice::Text)
            parts << op.text + QLatin1Char('@') + mmText(op.at.topLeft());
    return parts.join(QLatin1Char('|'));
}
