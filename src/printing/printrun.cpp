#include "printing/printrun.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/tablesink.h"
#include "core/windowsettings.h"
#include "graph/graphprint.h"
#include "graph/printablegraph.h"
#include "instruments/terminal.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/printdevice.h"
#include "printing/pageengine.h"
#include "printing/printdialog.h"
#include "printing/tableprint.h"
#include "support/language.h"
#include "support/utilities.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QWidget>
#include <memory>

namespace Printerkode {

PrintRunHooks &printRunHooks()
{
    static PrintRunHooks hooks;
    return hooks;
}

namespace {

bool runBezig = false;
// Direct prints asked while a run was printing, in the order asked.
QList<QPointer<QWidget>> wachtend;

QString SoortVan(const QWidget *venster)
{
    return venster ? venster->property("Tag").toString().left(5).toLower() : QString();
}

const PrintableGraph *OpenGrafiek(int nummer)
{
    const auto &grafiek = printDialogHooks().grafiek;
    const PrintableGraph *g = grafiek ? grafiek(nummer) : nullptr;
    return g && g->GrafiekIndex() == nummer ? g : nullptr;
}

// The graph behind a graph window: the window itself when it is one, else the graph that
// carries its number.
const PrintableGraph *GrafiekVan(const QWidget *venster, int nummer)
{
    if (const auto *g = dynamic_cast<const PrintableGraph *>(venster))
        return g;
    return OpenGrafiek(nummer);
}

bool MetAlarm(const PrintableGraph &grafiek)
{
    return PrintAlarmRapport && (grafiek.AlarmHoog() || grafiek.AlarmLaag());
}

void GrafiekMetHoofding(PrintDevice &printer, const PrintableGraph &grafiek, int nummer)
{
    const AfTePrintenVenster venster{QStringLiteral("grafiek%1").arg(nummer), &grafiek};
    AfdrukkenVensterHoofding(venster, printer, nummer);
    AfdrukkenGrafiek(printer, grafiek);
}

void AlarmRapportMetHoofding(PrintDevice &printer, const PrintableGraph &grafiek, int nummer)
{
    const AfTePrintenVenster venster{QStringLiteral("grafiek%1").arg(nummer), &grafiek};
    AfdrukkenVensterHoofding(venster, printer, nummer);
    Grafiekafdruk::AfdrukkenAlarmRapport(grafiek, printer);
}

void TabelMetHoofding(PrintDevice &printer, TableSink &tabel, int slot, bool selectie)
{
    AfdrukkenVensterHoofding({QStringLiteral("tabel"), nullptr}, printer, slot);
    PrintTabel(printer, tabel, slot - 1, selectie);
}

bool TabelZichtbaar(const TableSink *tabel)
{
    const auto *venster = dynamic_cast<const QWidget *>(tabel);
    return venster && venster->isVisible();
}

// The window's picture on a page of its own, at its size on the screen or shrunk to fit.
void AfdrukkenVensterBeeld(PrintDevice &printer, QWidget &venster)
{
    if (venster.width() <= 0 || venster.height() <= 0)
        return;
    const double mmPerPixelX = 25.4 / qMax(1, venster.logicalDpiX());
    const double mmPerPixelY = 25.4 / qMax(1, venster.logicalDpiY());
    const QSizeF natuurlijk(venster.width() * mmPerPixelX, venster.height() * mmPerPixelY);
    const QSizeF pagina = printer.pageSize();
    const double factor = qMin(1.0, qMin(pagina.width() / natuurlijk.width(),
                                         pagina.height() / natuurlijk.height()));
    const QRectF plaats(QPointF(0, 0), natuurlijk * factor);
    QPointer<QWidget> doel = &venster;
    printer.drawPicture(plaats, [doel](QPainter &painter, const QRectF &rect) {
        if (!doel)
            return;
        painter.translate(rect.topLeft());
        painter.scale(rect.width() / doel->width(), rect.height() / doel->height());
        doel->render(&painter, QPoint(), QRegion(),
                     QWidget::DrawChildren | QWidget::DrawWindowBackground);
    });
}

Afloop AllesAfdrukken(PrintDevice &printer)
{
    TableSink *tabel = dataViews().tabel;
    const bool tabellen = tabel && TabelZichtbaar(tabel);
    QList<int> grafieken, toestellen;
    for (int i = 1; i <= MaxGrafieken; ++i)
        if (OpenGrafiek(i))
            grafieken << i;
    if (tabellen)
        for (int j = 1; j <= MaxToestellen; ++j)
            if (ToestelGeldig(j))
                toestellen << j;

    ToonVoortgang(0, int(grafieken.size() + toestellen.size()), 0, Taaltekst(356));
    int gedaan = 0;
    const auto volgende = [&] {
        bool afgebroken = false;
        StapVoortgang(gedaan++, &afgebroken);
        return !afgebroken;
    };
    for (int i : grafieken) {
        if (!volgende())
            return Afloop::Afgebroken;
        const PrintableGraph *grafiek = OpenGrafiek(i);
        if (!grafiek)
            continue; // closed while the progress window was served
        GrafiekMetHoofding(printer, *grafiek, i);
        printer.newPage();
        if (MetAlarm(*grafiek)) {
            AlarmRapportMetHoofding(printer, *grafiek, i);
            printer.newPage();
        }
        if (printer.failed())
            return Afloop::Mislukt;
    }
    for (int j : toestellen) {
        if (!volgende())
            return Afloop::Afgebroken;
        if (!dataViews().tabel || !ToestelGeldig(j))
            continue;
        // "All" prints every table whole, whatever the selection.
        TabelMetHoofding(printer, *dataViews().tabel, j, false);
        printer.newPage();
        if (printer.failed())
            return Afloop::Mislukt;
    }
    StapVoortgang(gedaan, nullptr);
    return Afloop::Klaar;
}

Afloop VensterAfdrukken(PrintDevice &printer, QWidget *venster)
{
    ToonVoortgang(0, 2, 1, Taaltekst(356));
    const QString soort = SoortVan(venster);
    // The number is read from the window chosen, not from the one asked for earlier.
    const int n = venster ? VensterSoort(venster->property("Tag").toString()) : 0;
    if (soort == QLatin1String("metin")) {
        AfdrukkenVensterBeeld(printer, *venster);
    } else if (soort == QLatin1String("tabel")) {
        if (TableSink *tabel = dataViews().tabel) {
            const int t = tabel->Tab();
            if (t >= 0)
                TabelMetHoofding(printer, *tabel, t + 1, PrintEnkelSelectie);
        }
    } else if (soort == QLatin1String("termi")) {
        if (const auto *terminal = qobject_cast<const frmTerminal *>(venster)) {
            AfdrukkenVensterHoofding({QStringLiteral("terminal"), nullptr}, printer, 1);
            terminal->PrintTerminalTekst(printer, &AfdrukkenTekstTerugloop);
        }
    } else if (soort == QLatin1String("grafi")) {
        if (const PrintableGraph *grafiek = GrafiekVan(venster, n)) {
            GrafiekMetHoofding(printer, *grafiek, n);
            bool afgebroken = false;
            StapVoortgang(2, &afgebroken);
            if (afgebroken)
                return Afloop::Afgebroken;
            printer.newPage();
            if (MetAlarm(*grafiek))
                AlarmRapportMetHoofding(printer, *grafiek, n);
        }
    }
    return printer.failed() ? Afloop::Mislukt : Afloop::Klaar;
}

QString Basisnaam()
{
    const QString naam = QFileInfo(Hoofdmodule::Meetbestandsnaam).completeBaseName();
    return naam.isEmpty() ? QStringLiteral("Untitled") : naam;
}

QString DataFolder() { return Hoofdmodule::DataMap.isEmpty() ? QDir::homePath() : Hoofdmodule::DataMap; }

struct RunVlag {
    RunVlag() { runBezig = true; }
    ~RunVlag() { runBezig = false; }
};

// Prints with the settings the dialog has read: the printer chosen, the file asked for when it
// is the PDF file, the windows, and then the end of the document, the stored settings and the
// one message a failure gives.
void Uitvoeren(bool alles, QWidget *venster, bool direct, QWidget *ouder)
{
    const auto orientatie = PrintOrientatie == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    std::unique_ptr<QPrinter> qprinter = MaakPrinter(PrintToestel, orientatie);
    QString bestand;
    if (qprinter->outputFormat() == QPrinter::PdfFormat) {
        if (direct) {
            bestand = DirectPdfBestand();
        } else {
            bestand = DialogProvider::current().saveFileName(
                ouder, VerwijderAmpersand(Taaltekst(106), QString()),
                QDir(DataFolder()).absoluteFilePath(Basisnaam() + QStringLiteral(".pdf")),
                Taaltekst(508) + QStringLiteral(" (*.pdf)"), QStringLiteral("pdf"));
            if (bestand.isEmpty())
                return; // nothing printed, nothing stored
        }
        qprinter->setOutputFileName(bestand);
    }

    RunVlag vlag;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PrinterDevice printer(*qprinter);
    InstellenPrinter(printer);
    const Afloop afloop = alles ? AllesAfdrukken(printer) : VensterAfdrukken(printer, venster);
    SluitVoortgang();
    bool gelukt = afloop != Afloop::Mislukt && !printer.failed();
    if (gelukt)
        gelukt = printer.endDoc();
    if (!gelukt)
        printer.killDoc();
    if (!gelukt && !bestand.isEmpty())
        QFile::remove(bestand);
    QApplication::restoreOverrideCursor();

    if (!gelukt) {
        QString melding = Taaltekst(550);
        melding.replace(QLatin1Char('#'), printer.failure());
        DialogProvider::current().messageBox(ouder, melding, MsgBox::Exclamation,
                                             VerwijderAmpersand(Taaltekst(106), QString()));
        return;
    }
    if (afloop == Afloop::Klaar)
        BewarenPrinterinstellingen(QStringLiteral("Printer"));
    if (!bestand.isEmpty() && QFileInfo::exists(bestand) && printRunHooks().statusMelding) {
        printRunHooks().statusMelding([bestand] {
            return Taaltekst(551).replace(QLatin1Char('#'), QDir::toNativeSeparators(bestand));
        });
    }
}

void WachtendeAfdrukken()
{
    while (!wachtend.isEmpty() && !runBezig) {
        QPointer<QWidget> venster = wachtend.takeFirst();
        if (venster)
            PrintDirect(venster);
    }
}

} // namespace

Afloop AfdrukkenVensters(PrintDevice &printer, bool alles, QWidget *venster)
{
    return alles ? AllesAfdrukken(printer) : VensterAfdrukken(printer, venster);
}

void AfdrukkenGrafiek(PrintDevice &printer, const PrintableGraph &grafiek)
{
    constexpr float MinimaleHoogte = 60;
    const float f = PrintOrientatie == 2 ? 0.75f : 0.65f;
    float y = float(printer.currentY());
    if (PrintOnder - y < MinimaleHoogte && y > RompBoven) {
        printer.newPage();
        AfdrukkenPaginaHoofding(printer);
        y = float(printer.currentY());
    }
    float x = PrintLinks + 5;
    float boven = y + 10;
    Grafiekafdruk::PrintGrafiek(grafiek, printer, x, boven, PrintRechts - PrintLinks - 10,
                                (PrintOnder - y) * f, false);
}

bool RunBezig() { return runBezig; }

QString DirectPdfBestand()
{
    const QString tijd = Clock::current().now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QDir(DataFolder()).absoluteFilePath(Basisnaam() + QLatin1Char('-') + tijd
                                               + QStringLiteral(".pdf"));
}

void AfdrukkenMetDialoog(QWidget *hoofdvenster)
{
    if (runBezig)
        return;
    // One dialog for the main window's life, hidden between prints: after Print what the user
    // typed in it or chose stays, also when the print did not finish; after Cancel it loads the
    // stored settings again. Without a main window it lasts one print.
    static QPointer<formPrint> bewaard;
    std::unique_ptr<formPrint> eenmalig;
    if (hoofdvenster && (!bewaard || bewaard->parentWidget() != hoofdvenster))
        bewaard = new formPrint(hoofdvenster);
    if (!hoofdvenster)
        eenmalig = std::make_unique<formPrint>();
    formPrint &dialoog = hoofdvenster ? *bewaard : *eenmalig;
    dialoog.PrintDirekt = false;
    if (dialoog.TonenEnWachten()) {
        QWidget *venster = PrintAlles ? nullptr : dialoog.tePrintenVenster.data();
        if (PrintAlles || venster)
            Uitvoeren(PrintAlles, venster, false, hoofdvenster);
    }
    WachtendeAfdrukken();
}

void PrintDirect(QWidget *venster)
{
    if (!venster)
        return;
    if (runBezig) {
        wachtend << venster;
        return;
    }
    QWidget *ouder = venster->window();
    {
        formPrint dialoog(ouder);
        dialoog.PrintDirekt = true;
        dialoog.tePrintenVenster = venster;
        dialoog.Form_Load();
        dialoog.UitlezenPrinterinstellingen();
    }
    Uitvoeren(false, venster, true, ouder);
    WachtendeAfdrukken();
}

} // namespace Printerkode
