#pragma once
#include "platform/printdevice.h"

#include <QList>

// A print device with fixed metrics that writes down what is drawn: every character is 2 mm
// wide and every line 4 mm high, whatever the font, so tests can expect exact millimetres.
// Its page is the printable area of an A4 sheet on a common laser printer.
class RecordingDevice : public PrintDevice {
public:
    enum Kind { Text, Line, Rect, Picture, Begin, Page, End, Discard };
    struct Op {
        Kind kind;
        QRectF at;      // text: top left; line: from (topLeft) to (bottomRight); rect / picture
        QString text;
        QFont font;
        QColor colour;
        int drawWidth = 0;
        int page = 0;
    };

    static constexpr double CharWidth = 2;
    double lineHeight = 4;

    QSizeF portrait{203.2, 287};
    QStringList fontNames{QStringLiteral("Arial"), QStringLiteral("Courier New")};
    bool refuseBegin = false;

    QList<Op> ops;

    QSizeF pageSize() const override;
    void setOrientation(QPageLayout::Orientation orientation) override
    {
        m_orientation = orientation;
    }
    QPageLayout::Orientation orientation() const override { return m_orientation; }
    QStringList fonts() const override { return fontNames; }
    double textWidth(const QString &text) const override { return CharWidth * text.size(); }
    double textHeight(const QString &text) const override;

    // The texts drawn, in order (optionally only on one page).
    QStringList texts(int page = 0) const;
    QList<Op> of(Kind kind) const;
    // The first text drawn that equals text; nullptr when none.
    const Op *findText(const QString &text) const;

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
    void record(Kind kind, const QRectF &at, const QString &text, const QColor &colour);

    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    int m_page = 0;
};

// Millimetres compared to a thousandth, as the page keeps them in single precision.
bool mmNear(double a, double b);
bool mmNear(const QPointF &a, const QPointF &b);
bool mmNear(const QRectF &a, const QRectF &b);
QString mmText(double v);
QString mmText(const QPointF &p);
QString mmText(const QRectF &r);
// The texts drawn as "text@x,y" (millimetres to a thousandth), joined by "|".
QString layout(const RecordingDevice &device);

#define COMPARE_MM(actual, expected)                                                             \
    QVERIFY2(mmNear((actual), (expected)),                                                       \
             qPrintable(mmText(actual) + QStringLiteral(" != ") + mmText(expected)))
