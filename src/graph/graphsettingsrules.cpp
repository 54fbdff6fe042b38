#include "graph/graphsettingsrules.h"

#include "core/conversions.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "core/shared.h"
#include "core/services.h"
#include "support/language.h"
#include "support/utilities.h"

#include <QStringList>
#include <array>

namespace {

constexpr qint32 EenDag = 86400;

// The hours, minutes and seconds of an interval text: the last three groups, "_" as 0, missing
// groups 0.
std::array<qint64, 3> tijdGroepen(const QString &tekst, const QString &scheiding)
{
    QString t = tekst;
    t.replace(QLatin1Char('_'), QLatin1Char('0'));
    const QStringList parts = scheiding.isEmpty() ? QStringList{t} : t.split(scheiding);
    std::array<qint64, 3> groepen{};
    const qsizetype n = parts.size();
    for (int i = 0; i < 3; ++i) {
        const qsizetype index = n - 3 + i;
        if (index >= 0)
            groepen[size_t(i)] = qMax(0, parts[index].trimmed().toInt());
    }
    return groepen;
}

} // namespace

QString TussentijdMasker(const QString &scheiding) { return TijdInvoerMasker(scheiding); }

qint32 LeesTussentijd(const QString &tekst, const QString &scheiding)
{
    const auto [uren, minuten, seconden] = tijdGroepen(tekst, scheiding);
    return qint32(qMin<qint64>(uren * 3600 + minuten * 60 + seconden, 1000LL * EenDag));
}

bool TussentijdIsTijdstip(const QString &tekst, const QString &scheiding)
{
    const auto [uren, minuten, seconden] = tijdGroepen(tekst, scheiding);
    return uren <= 23 && minuten <= 59 && seconden <= 59;
}

qint32 BegrensTussentijd(qint32 seconden)
{
    if (seconden <= 0)
        return 3600;
    if (seconden > 3600)
        return 1;
    return seconden;
}

QString TussentijdTekst(qint32 seconden, const QString &scheiding)
{
    const qint32 s = qBound(0, seconden, EenDag) % EenDag;
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(s / 3600) + scheiding + two(s / 60 % 60) + scheiding + two(s % 60);
}

double LeesGetal(const QString &tekst) { return TekstNaarDouble(tekst); }

qint16 BegrensVerdelingen(const QString &tekst)
{
    QString t = tekst;
    const qint16 n = TekstNaarInteger(t.remove(QLatin1Char('.')));
    if (n >= 21)
        return 20;
    if (n < 1)
        return 1;
    return n;
}

qint16 BegrensGrafiekPunten(const QString &tekst)
{
    QString t = tekst;
    const qint16 n = TekstNaarInteger(t.remove(QLatin1Char('.')));
    return n < 50 ? qint16(50) : n;
}

bool LijnBronBinnenBereik(qint16 slot, qint16 kanaal)
{
    return slot >= 1 && slot <= MaxToestellen && kanaal >= 1 && kanaal <= MaxKanalen;
}

QString BronOmschrijving(int slot, int kanaal)
{
    if (!LijnBronBinnenBereik(qint16(slot), qint16(kanaal)))
        return {};
    const ToestelGegevens &t = Toestel[slot];
    return Taaltekst(297) + u' ' + QString::number(slot) + QStringLiteral(" (") +
           trimBlanks(t.Naam) + QStringLiteral("), ") + Taaltekst(295) + u' ' +
           QString::number(kanaal) + QStringLiteral(" (") +
           trimBlanks(t.Kanaal[size_t(kanaal)].Eenheid) + u')';
}

QString ToestelRegel(int slot)
{
    if (slot < 1 || slot > MaxToestellen)
        return {};
    return Taaltekst(297) + QString::number(slot) + QStringLiteral(": (") +
           trimBlanks(Toestel[slot].Naam) + u')';
}

QString IngangRegel(int slot, int kanaal)
{
    if (!LijnBronBinnenBereik(qint16(slot), qint16(kanaal)))
        return {};
    const KanaalGegevens &k = Toestel[slot].Kanaal[size_t(kanaal)];
    return Taaltekst(295) + QString::number(kanaal) + QStringLiteral(": (") +
           trimBlanks(k.Eenheid) + QStringLiteral(", ") + trimBlanks(k.Naam) + u')';
}

qint16 BepaalToestelNummer(const QString &regel)
{
    if (regel.trimmed().isEmpty())
        return 0;
    QString voor = regel.section(QLatin1Char(':'), 0, 0);
    voor.remove(Taaltekst(297));
    return qMax<qint16>(0, TekstNaarInteger(voor.trimmed()));
}

QString LijnbronTitel(const QString &grafiek, int lijn)
{
    QString t = Taaltekst(336);
    t.replace(QStringLiteral("$$"), grafiek);
    t.replace(QStringLiteral("##"), QString::number(lijn));
    return t;
}

QString KiesUitLijstMelding(int wat)
{
    QString t = Taaltekst(338);
    t.replace(QStringLiteral("$$"), Taaltekst(wat).toLower());
    return t;
}

QString StandaardGrafiekTitel(int graph, bool recorder)
{
    const QString naam = recorder ? VerwijderAmpersand(Taaltekst(344), QString()) : Taaltekst(121);
    return naam + u' ' + QString::number(graph);
}

int NeemNieuweGrafiek(bool recorder)
{
    const int g = VrijeGrafiek();
    if (g < 1 || g > MaxGrafieken)
        return 0;
    ++Hoofdmodule::AantalGrafieken;
    GraphSettings &graph = WindowSettings::graph[size_t(g)];
    graph.resetToLoadDefaults(g);
    graph.XYrecorder = recorder;
    graph.NieuweGrafiek = true;
    graph.caption = StandaardGrafiekTitel(g, recorder);
    graph.visible = true;
    return g;
}
