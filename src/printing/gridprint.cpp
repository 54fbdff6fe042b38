#include "printing/gridprint.h"

#include "platform/grid.h"
#include "platform/printdevice.h"
#include "printing/pageengine.h"

namespace Printerkode {

namespace {

constexpr float Inspringing = 0.5f; // text inset from the column's edge
constexpr float Speling = 0.25f;    // how far a character may pass the column's edge

// Prints one row of cells; the header row takes the column's alignment and bold.
void AfdrukkenCellen(PrintDevice &printer, const GridData &grid, qint32 rij, float x, float y,
                     float schaal, float grootte)
{
    const bool hoofding = rij == 0;
    for (int kolom = 0; kolom < grid.cols(); ++kolom) {
        const QString tekst = grid.textMatrix(rij, kolom);
        const float w = float(printer.textWidth(tekst));
        printer.setCurrentY(y);
        const int code = hoofding ? grid.colAlignment(kolom) : grid.cellAlignment(rij, kolom);
        const float c = schaal * float(grid.colWidth(kolom));
        BepaalUitlijning(printer, code, x, w, c);
        KopierenCelLettertype(printer, grid, grootte);
        if (hoofding) {
            QFont font = printer.font();
            font.setBold(true);
            printer.setFont(font);
        }
        AfdrukkenCelTekst(printer, x, x + c, tekst);
        x += c;
    }
}

} // namespace

float BepaalTabelBreedte(const GridData &grid)
{
    float breedte = 0;
    for (int kolom = 0; kolom < grid.cols(); ++kolom)
        breedte += float(grid.colWidth(kolom));
    return breedte;
}

float BepaalTabelSchaal(float afdrukBreedte, float tabelBreedte)
{
    if (tabelBreedte <= 0)
        return TwipSchaal;
    return qMin(TwipSchaal, afdrukBreedte / tabelBreedte);
}

void BepaalUitlijning(PrintDevice &printer, int code, float x, float w, float c)
{
    switch (code) {
    case 0: case 1: case 2: case 9:
        printer.setCurrentX(x + Inspringing);
        break;
    case 3: case 4: case 5:
        printer.setCurrentX(x + c / 2 - w / 2);
        break;
    case 6: case 7: case 8:
        printer.setCurrentX(x + c - w - Inspringing);
        break;
    default:
        break;
    }
}

void AfdrukkenCelTekst(PrintDevice &printer, float links, float rechts, const QString &tekst)
{
    for (const QChar teken : tekst) {
        const QString s(teken);
        const double breedte = printer.textWidth(s);
        if (printer.currentX() < links - Speling) {
            printer.setCurrentX(printer.currentX() + breedte);
        } else if (printer.currentX() + breedte > rechts + Speling) {
            return;
        } else {
            printer.print(s);
        }
    }
}

void KopierenCelLettertype(PrintDevice &printer, const GridData &grid, float grootte)
{
    const QFont cel = grid.font();
    QFont font(cel.family());
    font.setBold(cel.bold());
    font.setItalic(cel.italic());
    font.setUnderline(cel.underline());
    font.setStrikeOut(cel.strikeOut());
    if (grootte > 0)
        font.setPointSizeF(grootte);
    printer.setFont(font);
    printer.setForeColor(Qt::black);
}

void AfdrukkenTabelHoofding(PrintDevice &printer, const GridData &grid, float x, float y,
                            float schaal, float grootte)
{
    if (schaal <= 0 || grootte <= 0)
        return;
    // The header texts are measured a half point smaller than they are printed.
    const qreal bewaard = printer.font().pointSizeF();
    QFont font = printer.font();
    if (bewaard > 0.5)
        font.setPointSizeF(bewaard - 0.5);
    printer.setFont(font);
    AfdrukkenCellen(printer, grid, 0, x, y, schaal, grootte);
    font = printer.font();
    if (bewaard > 0)
        font.setPointSizeF(bewaard);
    printer.setFont(font);
}

void AfdrukkenTabelRij(PrintDevice &printer, const GridData &grid, qint32 rij, float x, float y,
                       float schaal, float grootte)
{
    if (schaal <= 0 || grootte <= 0)
        return;
    AfdrukkenCellen(printer, grid, rij, x, y, schaal, grootte);
}

void AfdrukkenKolomLijnen(PrintDevice &printer, const GridData &grid, float x, float y,
                          float schaal, float lengte)
{
    float rand = x;
    for (int kolom = 0; kolom < grid.cols(); ++kolom) {
        rand += schaal * float(grid.colWidth(kolom));
        printer.drawLine(QPointF(rand, y), QPointF(rand, y + lengte), Qt::black);
    }
    printer.setCurrentPos(QPointF(x, y));
}

void AfdrukkenTabelLijn(PrintDevice &printer, int breedte)
{
    const float y = float(printer.currentY() + printer.textHeight(QStringLiteral(" ")) + 1.0);
    const double x = printer.currentX();
    printer.setCurrentY(y);
    TekenHorizontaleLijn(printer, breedte);
    printer.setCurrentPos(QPointF(x, y));
}

} // namespace Printerkode
