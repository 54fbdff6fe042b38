#include "printing/tableprint.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/tablesink.h"
#include "platform/grid.h"
#include "platform/printdevice.h"
#include "printing/gridprint.h"
#include "printing/pageengine.h"

namespace Printerkode {

bool ControleerRijAfdrukken(const TableSink &tabel, int Mi, qint32 m, bool AfdrukkenSelectie)
{
    return !AfdrukkenSelectie || tabel.Geselecteerd(Mi, m) >= 1;
}

void PrintTabel(PrintDevice &printer, TableSink &tabel, int Mi, bool AfdrukkenSelectie)
{
    GridData &grid = tabel.gridData(Mi);
    qint32 r1 = 0, r2 = 0;
    SelectieRijen(grid, r1, r2);
    const auto herstellen = [&] { grid.setSelection(r1, 0, r2, Hoofdmodule::KolomRegeling); };

    const float breedte = PrintRechts - PrintLinks;
    const float schaal = BepaalTabelSchaal(breedte, BepaalTabelBreedte(grid));
    const float grootte = float(grid.font().pointSizeF()) * schaal * TwipsPerMm;
    if (breedte <= 0 || grootte <= 0) {
        herstellen();
        return;
    }

    // The rows are measured in the font they are printed in.
    KopierenCelLettertype(printer, grid, grootte);
    const float hoogte = float(printer.textHeight(QStringLiteral(" "))) + 1;
    const qint32 rijen = grid.rows();
    const auto volgende = [&](qint32 r) {
        while (r < rijen && !ControleerRijAfdrukken(tabel, Mi, r, AfdrukkenSelectie))
            ++r;
        return r;
    };

    float y0 = float(printer.currentY());
    qint32 r = volgende(1);
    for (;;) {
        const bool versePagina = y0 <= RompBoven;
        AfdrukkenTabelHoofding(printer, grid, PrintLinks, y0 + 0.5f, schaal, grootte);
        AfdrukkenKolomLijnen(printer, grid, PrintLinks, y0, schaal, hoogte);
        AfdrukkenTabelLijn(printer, 3);
        QFont font = printer.font();
        font.setBold(false);
        printer.setFont(font);

        // A fresh page takes at least one row, however little room the margins leave.
        bool geplaatst = false;
        while (r < rijen && ((versePagina && !geplaatst)
                             || printer.currentY() + hoogte <= PrintOnder)) {
            const float y = float(printer.currentY());
            printer.setCurrentX(PrintLinks);
            AfdrukkenTabelRij(printer, grid, r, PrintLinks, y + 0.5f, schaal, grootte);
            AfdrukkenKolomLijnen(printer, grid, PrintLinks, y, schaal, hoogte);
            AfdrukkenTabelLijn(printer, 1);
            geplaatst = true;
            r = volgende(r + 1);
        }
        if (r >= rijen || printer.failed())
            break;
        printer.newPage();
        AfdrukkenPaginaHoofding(printer);
        y0 = float(printer.currentY());
    }
    herstellen();
}

} // namespace Printerkode
