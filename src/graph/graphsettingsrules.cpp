#include "graph/graphsettingsrules.h"

#include "core/conversions.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "core/shared.h"
#include "core/services.h"
#include "support/language.h"
#include "support/utilities.h"

#include <QStringList>

namespace {

constexpr qint32 EenDag = 86400;

QString maskText(const QString &scheiding)
{
    // Characters that mean something in a mask are taken literally behind a backslash.
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;");
    QString out;
    for (QChar c : scheiding) {
        if (meta.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace

QString TussentijdMasker(const QString &scheiding)
{
    const QString s = maskText(scheiding);
    return QStringLiteral("00") + s + QStringLiteral("00") + s + QStringLiteral("00;_");
}

qint32 LeesTussentijd(const QString &tekst, const QString &scheiding)
{
    QString t = tekst;
    t.replace(QLatin1Char('_'), QLatin1Char('0'));
    const QStringList parts = scheiding.isEmpty() ? QStringList{t} : t.split(scheiding);
    qint64 seconden = 0;
    // The last three groups are hours, minutes and seconds; missing ones count as 0.
    const qsizetype n = parts.size();
    const qint64 weights[3] = {3600, 60, 1};
    for (int i = 0; i < 3; ++i) {
        const qsizetype index = n - 3 + i;
        if (index < 0)
            continue;
        seconden += weights[i] * qint64(qMax(0, parts[index].trimmed().toInt()));
    }
    return qint32(qMin<qint64>(seconden, 1000LL * EenDag));
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
