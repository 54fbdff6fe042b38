#include "graph/graphrules.h"

#include "instruments/protocol.h"
#include "platform/datetimetext.h"

#include <QLocale>
#include <cmath>

qint32 GeldigAantalPunten(qint32 maxGrafiekZichtbaar)
{
    return maxGrafiekZichtbaar < 1 ? 99 : maxGrafiekZichtbaar;
}

qint32 LabelStap(qint32 maxGrafiekZichtbaar, qint32 aantalTijdVerdelingen)
{
    return qMax(1, GeldigAantalPunten(maxGrafiekZichtbaar) / qMax(1, aantalTijdVerdelingen));
}

VensterStand LadenGrafiekStand(qint32 max, qint32 aantalRijen)
{
    VensterStand s;
    s.AantalPunten = max;
    s.EersteMeting = aantalRijen - max + 1;
    if (s.EersteMeting < 1) {
        s.AantalPunten -= 1 - s.EersteMeting;
        s.EersteMeting = 1;
    }
    s.AantalPunten = qMax(0, s.AantalPunten);
    return s;
}

bool VerschuifVenster(VensterStand &s, qint32 max, qint32 aantalRijen)
{
    if (s.AantalPunten < max || s.EersteMeting > aantalRijen)
        return false;
    s.AantalPunten = qint32(3 * qint64(max) / 4);
    s.EersteMeting += max - s.AantalPunten;
    if (s.EersteMeting >= aantalRijen)
        s.EersteMeting = aantalRijen - s.AantalPunten;
    if (s.EersteMeting < 1)
        s.EersteMeting = 1;
    if (s.EersteMeting + s.AantalPunten > aantalRijen)
        s.AantalPunten = qMax(0, aantalRijen - s.EersteMeting);
    return true;
}

bool VolgendePunt(VensterStand &s, qint32 max, qint32 aantalRijen)
{
    const bool verschoven = VerschuifVenster(s, max, aantalRijen);
    s.AantalPunten = qMax(1, s.AantalPunten + 1);
    return verschoven;
}

VensterStand ScrollStand(int waarde, qint32 max, qint32 aantalRijen)
{
    VensterStand s;
    qint64 e = waarde;
    if (aantalRijen > ScrollBereik)
        e = e * aantalRijen / ScrollBereik;
    s.EersteMeting = qint32(qMax<qint64>(1, e));
    if (s.EersteMeting > aantalRijen - max + 1)
        s.AantalPunten = qMax(0, aantalRijen - s.EersteMeting + 1);
    else
        s.AantalPunten = max;
    return s;
}

ScrollBarStand AanpassenScrollBarStand(qint32 eersteMeting, qint32 aantalRijen)
{
    if (aantalRijen >= ScrollBereik)
        return {ScrollBereik, int(qint64(eersteMeting) * ScrollBereik / aantalRijen), 0};
    return {qMax(1, aantalRijen), eersteMeting, 1};
}

bool RecorderMoment(qint64 &volgendeMs, qint64 nuMs, qint32 tussentijdSeconden)
{
    if (nuMs < volgendeMs)
        return false;
    const qint64 tussentijd = qint64(qMax(1, tussentijdSeconden)) * 1000;
    if (volgendeMs < nuMs - tussentijd)
        volgendeMs = nuMs;
    volgendeMs += tussentijd;
    return true;
}

QString RijLabel(qint16 labelKeuze, const QString &nummer, const QString &datum,
                 const QString &tijd, bool *geen)
{
    if (geen)
        *geen = false;
    switch (LabelSoort(labelKeuze)) {
    case LabelSoort::DatumTijd: return datum + QLatin1Char(' ') + tijd;
    case LabelSoort::Tijd: return tijd;
    case LabelSoort::Datum: return datum;
    case LabelSoort::Nummer: return nummer;
    }
    if (geen)
        *geen = true;
    return QString();
}

QString RecorderLabel(qint16 labelKeuze, const QDateTime &nu, qint32 aantalPunten)
{
    switch (LabelSoort(labelKeuze)) {
    case LabelSoort::DatumTijd: return DateTimeText::format(nu);
    case LabelSoort::Tijd: return DateTimeText::formatTime(nu.time());
    case LabelSoort::Datum: return DateTimeText::formatDate(nu.date());
    case LabelSoort::Nummer: break;
    }
    return QString::number(aantalPunten);
}

QString VoetnootGetal(double waarde)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(waarde, 'g', 15);
}

CellReading ReadingOf(const QString &waarde, int slot)
{
    const QString tekst = waarde.trimmed();
    const QByteArray geen = slot >= 1 && slot <= MaxToestellen
                                ? Protocol::GeenWaardeTeken[size_t(slot)]
                                : QByteArray();
    if (tekst.isEmpty() || (!geen.isEmpty() && tekst == QLatin1String(geen)))
        return CellReading::None;
    if (tekst.startsWith(QLatin1String("OR.")))
        return CellReading::OverRange;
    return CellReading::Number;
}

QString StatistiekTekst(std::span<const double> waarden, int vlaggen, const QString &eenheid,
                        const QString &gemiddeldeTekst)
{
    if ((vlaggen & 7) == 0)
        return QString();
    double minimum = 0, maximum = 0, som = 0;
    qint64 aantal = 0;
    for (double v : waarden) {
        if (std::isnan(v))
            continue;
        if (aantal == 0)
            minimum = maximum = v;
        minimum = qMin(minimum, v);
        maximum = qMax(maximum, v);
        som += v;
        ++aantal;
    }
    if (aantal == 0)
        return QString();
    QString tekst = QStringLiteral(" [");
    if (vlaggen & 1)
        tekst += QStringLiteral("MIN: ") + VoetnootGetal(minimum) + eenheid + QStringLiteral("  ");
    if (vlaggen & 2)
        tekst += QStringLiteral("MAX: ") + VoetnootGetal(maximum) + eenheid + QStringLiteral("  ");
    if (vlaggen & 4)
        tekst += gemiddeldeTekst + VoetnootGetal(som / double(aantal)) + eenheid;
    return tekst + QLatin1Char(']');
}
