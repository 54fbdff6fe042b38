#include "printing/pageengine.h"

#include "core/shared.h"
#include "core/slots.h"
#include "graph/printablegraph.h"
#include "instruments/transport.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/printdevice.h"
#include "support/language.h"

#include <QTime>

namespace Printerkode {

namespace {

// Shrinks two opposite margins in proportion so that the page keeps a body of at least
// MinimaleRomp between them (all of the page when it is smaller than that).
void RuimteHouden(float pagina, float &eerste, float &tweede)
{
    const float toegestaan = qMax(0.0f, pagina - MinimaleRomp);
    const float samen = eerste + tweede;
    if (samen <= toegestaan)
        return;
    const float factor = samen > 0 ? toegestaan / samen : 0.0f;
    eerste *= factor;
    tweede *= factor;
}

bool IsBreekteken(QChar c)
{
    static const QString breektekens = QStringLiteral(" .,!?-;:/\\<[({'\"");
    return breektekens.contains(c);
}

bool IsStuurteken(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\t' || c == u'\b' || c == u'\f' || c == u'\0';
}

} // namespace

float Begrenzen(float waarde, float maximum)
{
    if (waarde < 0)
        return 0;
    if (waarde > maximum)
        return maximum;
    return waarde;
}

void BegrenzenMarges(const PrintDevice &printer)
{
    const QSizeF pagina = printer.pageSize();
    const float hoogte = float(pagina.height());
    const float breedte = float(pagina.width());
    MargeBoven = Begrenzen(MargeBoven, hoogte / 2);
    MargeOnder = Begrenzen(MargeOnder, hoogte / 2);
    MargeLinks = Begrenzen(MargeLinks, breedte / 2);
    MargeRechts = Begrenzen(MargeRechts, breedte / 2);
}

void InstellenPrinter(PrintDevice &printer)
{
    printer.setOrientation(PrintOrientatie == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setForeColor(Qt::black);
    printer.setDrawWidth(1);
    BegrenzenMarges(printer);

    // Each margin may take half the page, so two of them together can leave no body at all;
    // the stored margins stay as the user set them, only this printout gets the room.
    const QSizeF pagina = printer.pageSize();
    float links = MargeLinks, rechts = MargeRechts, boven = MargeBoven, onder = MargeOnder;
    RuimteHouden(float(pagina.width()), links, rechts);
    RuimteHouden(float(pagina.height()), boven, onder);
    PrintLinks = links;
    PrintRechts = float(pagina.width()) - rechts;
    PrintBoven = boven;
    PrintOnder = float(pagina.height()) - onder;
    RompBoven = -1;
    printer.setCurrentPos(QPointF(PrintLinks, PrintBoven));
}

bool BestaatLettertype(const PrintDevice &printer, const QString &naam)
{
    return printer.fonts().contains(naam, Qt::CaseSensitive);
}

void InstellenStandaardLettertype(PrintDevice &printer)
{
    QFont font(PrintLettertype);
    font.setBold(true);
    font.setItalic(PrintCursief);
    font.setPointSizeF(10);
    font.setStrikeOut(false);
    font.setUnderline(false);
    printer.setFont(font);
    printer.setForeColor(Qt::black);
}

void AfdrukkenPaginaHoofding(PrintDevice &printer)
{
    const QFont font = printer.font();
    const QColor kleur = printer.foreColor();
    InstellenStandaardLettertype(printer);

    const QDateTime nu = Clock::current().now();
    const QString datum = DateTimeText::formatDate(nu.date()) + QStringLiteral(" - ")
                          + nu.time().toString(QStringLiteral("hh:mm"));

    printer.setCurrentPos(QPointF(PrintLinks, PrintBoven));
    printer.print(PaginaTitel);
    const float y1 = PrintBoven + 1.25f * float(printer.textHeight(QStringLiteral(" ")));
    printer.setCurrentPos(QPointF(PrintRechts - printer.textWidth(datum), PrintBoven));
    printer.print(datum);

    printer.setDrawWidth(3);
    printer.drawRect(QRectF(QPointF(PrintLinks, y1), QPointF(PrintRechts, PrintOnder)), Qt::black);
    printer.setDrawWidth(1);

    printer.setCurrentPos(QPointF(PrintLinks, y1));
    RompBoven = y1;
    printer.setFont(font);
    printer.setForeColor(kleur);
}

void ControlePaginaEinde(PrintDevice &printer, const QString &tekst)
{
    if (printer.currentY() + printer.textHeight(tekst) < PrintOnder)
        return;
    // On a body that is still empty a new page would not give more room: the line is
    // placed here, so no page loop can turn out blank pages for ever.
    if (printer.currentY() <= RompBoven)
        return;
    printer.newPage();
    AfdrukkenPaginaHoofding(printer);
}

void AfdrukkenTekstTerugloop(PrintDevice &printer, float links, float rechts, QString tekst)
{
    tekst.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    printer.setCurrentX(links);
    QString voorvoegsel;

    const auto nieuweRegel = [&](const QString &maat) {
        printer.endLine();
        ControlePaginaEinde(printer, maat);
        printer.setCurrentX(links);
    };

    while (!tekst.isEmpty()) {
        qsizetype einde = 0;
        while (einde < tekst.size() && !IsBreekteken(tekst[einde]) && !IsStuurteken(tekst[einde]))
            ++einde;
        QString woord;
        woord.reserve(einde);
        for (qsizetype i = 0; i < einde; ++i)
            if (tekst[i] >= u' ')
                woord += tekst[i];
        woord = woord.trimmed();
        const bool heeftStop = einde < tekst.size();
        const QChar stop = heeftStop ? tekst[einde] : QChar();

        const QString afTeDrukken = voorvoegsel + woord;
        // A word that does not fit goes to the next line, unless the line is still empty:
        // a word wider than the whole width then stands on its own line. An empty word
        // (between two break characters) needs no room.
        if (!afTeDrukken.isEmpty() && printer.currentX() > links
            && printer.currentX() + printer.textWidth(afTeDrukken) > rechts)
            nieuweRegel(woord);
        printer.print(afTeDrukken);
        voorvoegsel.clear();

        if (heeftStop) {
            if (stop == u' ') {
                printer.print(QStringLiteral(" "));
            } else if (QStringLiteral(".,!?-;:").contains(stop)) {
                printer.print(QString(stop));
            } else if (stop == u'\t') {
                // A tab keeps the words apart as a blank does.
                printer.print(QStringLiteral(" "));
            } else if (stop == u'\r' || stop == u'\n' || stop == u'\f') {
                nieuweRegel(QStringLiteral(" "));
            } else if (stop >= u' ') {
                // An opening character is printed glued to the next word and measured with it.
                voorvoegsel = stop;
            }
            tekst.remove(0, einde + 1);
        } else {
            tekst.clear();
        }
    }
}

void TekenLijn(PrintDevice &printer, float x, float y, int breedte, float lengte,
               const QColor &kleur)
{
    const int bewaard = printer.drawWidth();
    printer.setDrawWidth(breedte);
    printer.drawLine(QPointF(x, y), QPointF(x + lengte, y), kleur);
    printer.setCurrentPos(QPointF(x + lengte, y));
    printer.setDrawWidth(bewaard);
}

void TekenHorizontaleLijn(PrintDevice &printer, int breedte)
{
    TekenLijn(printer, PrintLinks, float(printer.currentY()), breedte, PrintRechts - PrintLinks,
              Qt::black);
    printer.setCurrentX(PrintLinks);
}

QString BepaalPaginaTitel(const AfTePrintenVenster &venster)
{
    Q_UNUSED(venster);
    return Hoofdmodule::Meetbestandsnaam;
}

namespace {

// One line of the heading block: the label in bold at x, the value in regular weight at
// waardeX, then the line is ended.
void HoofdingRegel(PrintDevice &printer, float x, float waardeX, const QString &label,
                   const QString &waarde)
{
    QFont font = printer.font();
    font.setBold(true);
    printer.setFont(font);
    printer.setCurrentX(x);
    printer.print(label);
    font.setBold(false);
    printer.setFont(font);
    printer.setCurrentX(waardeX);
    printer.print(waarde);
    printer.endLine();
}

} // namespace

void AfdrukkenVensterHoofding(const AfTePrintenVenster &venster, PrintDevice &printer,
                              int nummer)
{
    PaginaTitel = BepaalPaginaTitel(venster);
    AfdrukkenPaginaHoofding(printer);
    InstellenStandaardLettertype(printer);
    const double regel = printer.textHeight(QStringLiteral(" "));

    printer.setCurrentY(printer.currentY() + regel);
    const double blokBoven = printer.currentY();
    const float labelX = PrintLinks + 10, waardeX = PrintLinks + 40;
    HoofdingRegel(printer, labelX, waardeX, Taaltekst(195), PrintOperator);
    HoofdingRegel(printer, labelX, waardeX, Taaltekst(196), PrintBedrijf);
    HoofdingRegel(printer, labelX, waardeX, Taaltekst(197), PrintAfdeling);
    printer.endLine();
    printer.endLine();

    if (!PrintNota.isEmpty()) {
        QFont font = printer.font();
        font.setBold(true);
        printer.setFont(font);
        printer.setCurrentX(labelX);
        printer.print(Taaltekst(198));
        font.setBold(false);
        printer.setFont(font);
        AfdrukkenTekstTerugloop(printer, waardeX, PrintRechts - 10, PrintNota);
        printer.setCurrentY(printer.currentY() + 2 * regel);
    }
    TekenHorizontaleLijn(printer, 3);
    const double blokOnder = printer.currentY();

    if (nummer >= 1) {
        QString regels[4][2];
        const QString soort = venster.Tag.left(5);
        if (soort == QLatin1String("termi")) {
            regels[0][0] = Taaltekst(265);
        } else if (soort == QLatin1String("tabel") && nummer <= MaxToestellen) {
            const ToestelGegevens &toestel = Toestel[nummer];
            regels[0][0] = Taaltekst(122) + QLatin1Char(':');
            regels[0][1] = toestel.Naam.trimmed();
            regels[1][0] = Taaltekst(199);
            regels[1][1] = toestel.Type.trimmed();
            regels[2][0] = Taaltekst(402) + QLatin1Char(':');
            regels[2][1] = AdresTekst(toestel.Idno);
        } else if (soort == QLatin1String("grafi") && venster.grafiek) {
            const PrintableGraph &grafiek = *venster.grafiek;
            if (grafiek.XYrecorder()) {
                regels[0][0] = Taaltekst(344) + QLatin1Char(':');
                const qint64 seconden = grafiek.RecorderTussentijd();
                const QTime tussentijd = QTime(0, 0).addSecs(seconden % 86400);
                regels[1][0] = Taaltekst(126) + QLatin1Char(':');
                regels[1][1] = Taaltekst(134) + QLatin1Char('=')
                               + tussentijd.toString(QStringLiteral("hh:mm:ss"));
            } else {
                regels[0][0] = Taaltekst(121) + QLatin1Char(':');
            }
            regels[0][1] = grafiek.caption().trimmed();
        }
        const float midden = PrintLinks + (PrintRechts - PrintLinks) / 2;
        printer.setCurrentY(blokBoven);
        for (const auto &r : regels)
            HoofdingRegel(printer, midden, midden + 35, r[0], r[1]);
    }

    QFont font = printer.font();
    font.setBold(false);
    printer.setFont(font);
    printer.setCurrentPos(QPointF(PrintLinks, blokOnder));
}

} // namespace Printerkode
