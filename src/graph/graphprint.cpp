#include "graph/graphprint.h"

#include "core/conversions.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphrules.h"
#include "graph/printablegraph.h"
#include "graph/unitconversion.h"
#include "platform/grid.h"
#include "platform/printdevice.h"
#include "printing/pageengine.h"
#include "support/language.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <optional>

using namespace Printerkode;

namespace Grafiekafdruk {

namespace {

constexpr int LaagSerie = 1;  // the low limit line
constexpr int HoogSerie = 2;  // the high limit line
constexpr int EersteLijn = 3; // series of graph line 1
constexpr int LaatsteLijn = 34;

// The source of the line of a series, or nullopt when the line has none in range.
std::optional<PrintableGraph::Lijn> Bron(const PrintableGraph &grafiek, int serie)
{
    const PrintableGraph::Lijn lijn = grafiek.LezenGrafiekIndexen(qint16(serie - 2));
    if (lijn.Rg < 1 || lijn.Rg > MaxToestellen || lijn.Kg < 1 || lijn.Kg > 4)
        return std::nullopt;
    return lijn;
}

void Vet(PrintDevice &printer, bool vet)
{
    QFont font = printer.font();
    font.setBold(vet);
    printer.setFont(font);
}

QString Getal(double waarde) { return PuntNaarDecimaal(QString::number(waarde)); }

} // namespace

void PrintGrafiek(const PrintableGraph &grafiek, PrintDevice &printer, float &PositieX,
                  float &PositieY, float Breedte, float Hoogte, bool Kader)
{
    const QString titel = grafiek.chartTitle();
    const bool legende = grafiek.legendShown();

    if (Kader) {
        printer.setDrawWidth(3);
        printer.drawRect(QRectF(PositieX, PositieY, Breedte, Hoogte), Qt::black);
        printer.setDrawWidth(1);
    }
    // The chart is drawn straight onto the page without its title and legend, which follow
    // as text; the user's clipboard is left alone.
    const QRectF plaats(PositieX + 0.05 * Breedte, PositieY + 0.05 * Hoogte, 0.9 * Breedte,
                        0.9 * Hoogte);
    printer.drawPicture(plaats, [&grafiek](QPainter &painter, const QRectF &doel) {
        grafiek.renderChart(painter, doel, false, false);
    });

    printer.setCurrentY(PositieY + Hoogte);
    if (!titel.isEmpty()) {
        printer.setCurrentX(PositieX + Breedte / 2 - printer.textWidth(titel) / 2);
        printer.print(titel);
        printer.endLine();
    }
    if (!legende)
        return;

    const float beginX = PositieX;
    float legendeBoven = float(printer.currentY());
    constexpr float Kolom = 50;
    float kolomX = PositieX;
    for (int serie = LaagSerie; serie <= LaatsteLijn; ++serie) {
        QString tekst;
        if (serie == LaagSerie || serie == HoogSerie) {
            if (!(serie == LaagSerie ? grafiek.AlarmLaag() : grafiek.AlarmHoog()))
                continue;
            // A limit line has no device: its legend text says what it is.
            tekst = grafiek.legendText(serie);
        } else {
            const auto bron = Bron(grafiek, serie);
            if (!bron)
                continue;
            tekst = Toestel[bron->Rg].Naam.trimmed() + QStringLiteral(": ")
                    + grafiek.legendText(serie);
        }
        PositieX = kolomX;
        PositieY = float(printer.currentY());
        TekenLijn(printer, PositieX, PositieY + 1.25f, 5, 5, grafiek.seriesColour(serie));
        printer.setCurrentY(PositieY);
        const float x = float(printer.currentX());
        AfdrukkenTekstTerugloop(printer, x + 3, x + Kolom, tekst);
        printer.endLine();

        if (printer.currentY() + printer.textHeight(QStringLiteral(" ")) + 1 <= PrintOnder)
            continue;
        kolomX += Kolom * 1.25f;
        printer.setCurrentY(legendeBoven);
        if (printer.pageSize().width() < kolomX + Kolom + 8) {
            printer.newPage();
            AfdrukkenPaginaHoofding(printer);
            legendeBoven = float(printer.currentY() + 2 * printer.textHeight(QStringLiteral(" ")));
            printer.setCurrentY(legendeBoven);
            kolomX = beginX;
        }
    }
}

namespace {

// One run of the alarm report over a graph: the X at which measurement lines are printed is
// kept from the last heading, across lines.
struct Rapport {
    const PrintableGraph &grafiek;
    PrintDevice &printer;
    float x = 0;

    float links() const { return PrintLinks + 10; }
    float rechts() const { return PrintRechts - 10; }

    // The unit a line's values are compared in: the line's unit on the chart, to which they
    // are converted as the chart converts them. A line that found no unit compares its values
    // as they came, in the controller's unit.
    QString Eenheid(int serie, const PrintableGraph::Lijn &bron) const
    {
        const QString lijn = grafiek.GrafiekEenheid(serie - 2).trimmed();
        return lijn.isEmpty() ? Toestel[bron.Rg].Kanaal[size_t(bron.Kg)].Eenheid.trimmed() : lijn;
    }

    QString MeetRegel(qint32 nummer, int serie, const PrintableGraph::Lijn &bron) const
    {
        const QString naam = Toestel[bron.Rg].Kanaal[size_t(bron.Kg)].Naam.trimmed();
        if (grafiek.XYrecorder()) {
            return naam + QStringLiteral(" (") + Eenheid(serie, bron) + QStringLiteral("): ")
                   + grafiek.rowLabel(nummer) + QStringLiteral("; ")
                   + Getal(grafiek.chartValue(serie, nummer));
        }
        const GridData &tabel = dataViews().tabel->gridData(bron.Rg - 1);
        const int kolom = (bron.Kg - 1) * 2 + 3;
        return naam + QStringLiteral(" (") + tabel.textMatrix(nummer, kolom + 1)
               + QStringLiteral("): ") + QStringLiteral("%1").arg(nummer, 5, 10, QLatin1Char('0'))
               + QStringLiteral(": ") + tabel.textMatrix(nummer, 1) + QStringLiteral(" - ")
               + tabel.textMatrix(nummer, 2) + QStringLiteral("; ")
               + tabel.textMatrix(nummer, kolom);
    }

    void AfdrukkenMeetRegel(qint32 nummer, int serie, const PrintableGraph::Lijn &bron)
    {
        AfdrukkenTekstTerugloop(printer, x, rechts(), MeetRegel(nummer, serie, bron));
    }

    void AfdrukkenOverschrijding(bool &open, qint32 nummer, int serie,
                                 const PrintableGraph::Lijn &bron, int tekst)
    {
        AfdrukkenTekstTerugloop(printer, links(), rechts(), Taaltekst(tekst));
        x = float(printer.currentX()) + 5;
        AfdrukkenMeetRegel(nummer, serie, bron);
        printer.endLine();
        open = true;
    }

    void AfdrukkenHerstel(bool &open, qint32 nummer, int serie, const PrintableGraph::Lijn &bron)
    {
        if (open) {
            AfdrukkenTekstTerugloop(printer, links(), rechts(), Taaltekst(228));
            AfdrukkenMeetRegel(nummer, serie, bron);
            printer.endLine();
            printer.endLine();
        }
        open = false;
    }

    void AfdrukkenAlarmTelling(qint32 hoog, qint32 laag, int serie,
                               const PrintableGraph::Lijn &bron)
    {
        printer.endLine();
        const QString label = Toestel[bron.Rg].Kanaal[size_t(bron.Kg)].Naam.trimmed()
                              + QStringLiteral(" (") + Eenheid(serie, bron) + QStringLiteral("): ");
        const QString einde = QStringLiteral("\r\n");
        if (grafiek.AlarmHoog()) {
            AfdrukkenTekstTerugloop(printer, links(), rechts(),
                                    label + (hoog >= 1 ? Taaltekst(229) + QLatin1Char(' ')
                                                             + QString::number(hoog)
                                                       : Taaltekst(230))
                                        + einde);
        }
        if (grafiek.AlarmLaag()) {
            AfdrukkenTekstTerugloop(printer, links(), rechts(),
                                    label + (laag >= 1 ? Taaltekst(231) + QStringLiteral("  ")
                                                             + QString::number(laag)
                                                       : Taaltekst(232))
                                        + einde);
        }
    }

    void Lijn(int serie)
    {
        const auto bron = Bron(grafiek, serie);
        if (!bron)
            return;
        bool hoogOpen = false, laagOpen = false;
        qint32 hoog = 0, laag = 0;
        const auto waarde = [&](qint32 nummer, double v) {
            if (grafiek.AlarmHoog()) {
                if (v >= grafiek.AlarmHoogWaarde() && !hoogOpen) {
                    AfdrukkenHerstel(laagOpen, nummer, serie, *bron);
                    AfdrukkenOverschrijding(hoogOpen, nummer, serie, *bron, 225);
                    ++hoog;
                } else if (v < grafiek.AlarmHoogWaarde()) {
                    AfdrukkenHerstel(hoogOpen, nummer, serie, *bron);
                }
            }
            if (grafiek.AlarmLaag()) {
                if (v <= grafiek.AlarmLaagWaarde() && !laagOpen) {
                    AfdrukkenOverschrijding(laagOpen, nummer, serie, *bron, 226);
                    ++laag;
                } else if (v > grafiek.AlarmLaagWaarde()) {
                    AfdrukkenHerstel(laagOpen, nummer, serie, *bron);
                }
            }
        };
        if (grafiek.XYrecorder()) {
            for (qint32 punt = 1; punt <= grafiek.MaxGrafiekZichtbaar(); ++punt)
                if (!grafiek.isNull(serie, punt))
                    waarde(punt, grafiek.chartValue(serie, punt));
        } else if (TableSink *tabel = dataViews().tabel) {
            const GridData &cellen = tabel->gridData(bron->Rg - 1);
            const int kolom = (bron->Kg - 1) * 2 + 3;
            const qint32 laatste = qMin<qint32>(Hoofdmodule::AantalRijen, cellen.rows() - 1);
            const QString lijnEenheid = grafiek.GrafiekEenheid(serie - 2);
            // The factor of the last unit met: a file changes its unit seldom.
            std::optional<QString> eenheid;
            double factor = 1;
            for (qint32 nummer = 1; nummer <= laatste; ++nummer) {
                const QString tekst = cellen.textMatrix(nummer, kolom);
                switch (ReadingOf(tekst, bron->Rg)) {
                case CellReading::None:
                    break;
                case CellReading::OverRange:
                    waarde(nummer, 9999);
                    break;
                case CellReading::Number:
                    if (const QString cel = cellen.textMatrix(nummer, kolom + 1); cel != eenheid) {
                        eenheid = cel;
                        factor = OmrekenFactor(lijnEenheid, cel);
                    }
                    waarde(nummer, OmrekenenMetFactor(tekst.trimmed(), factor));
                    break;
                }
            }
        }
        AfdrukkenAlarmTelling(hoog, laag, serie, *bron);
    }
};

} // namespace

void AfdrukkenAlarmRapport(const PrintableGraph &grafiek, PrintDevice &printer)
{
    InstellenStandaardLettertype(printer);
    printer.setCurrentX(PrintLinks + 10);
    printer.setCurrentY(printer.currentY() + printer.textHeight(QStringLiteral(" ")));
    printer.print(Taaltekst(224));
    printer.endLine();
    printer.endLine();

    const auto grens = [&printer](int tekst, double waarde) {
        Vet(printer, true);
        printer.setCurrentX(PrintLinks + 10);
        printer.print(Taaltekst(tekst) + QLatin1Char(':'));
        printer.setCurrentX(PrintLinks + 40);
        Vet(printer, false);
        printer.print(Getal(waarde));
        printer.endLine();
    };
    if (grafiek.AlarmHoog())
        grens(221, grafiek.AlarmHoogWaarde());
    if (grafiek.AlarmLaag())
        grens(222, grafiek.AlarmLaagWaarde());
    printer.endLine();
    Vet(printer, false);

    Rapport rapport{grafiek, printer};
    for (int serie = EersteLijn; serie <= LaatsteLijn; ++serie)
        rapport.Lijn(serie);
}

void CopyGrafiek(const PrintableGraph &grafiek, QSize grootte)
{
    QImage beeld(grootte, QImage::Format_ARGB32_Premultiplied);
    beeld.fill(Qt::white);
    {
        QPainter painter(&beeld);
        grafiek.renderChart(painter, QRectF(QPointF(0, 0), QSizeF(grootte)),
                            !grafiek.chartTitle().isEmpty(), grafiek.legendShown());
    }
    // Setting the clipboard cannot fail in a way the system reports.
    QGuiApplication::clipboard()->setImage(beeld);
}

} // namespace Grafiekafdruk
