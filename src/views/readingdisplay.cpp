#include "views/readingdisplay.h"

#include "core/conversions.h"
#include "core/shared.h"
#include "core/slots.h"
#include "support/language.h"
#include "views/rack.h"

#include <QDateTime>

QColor WaardeKleur(bool geenWaarde, const QString &status)
{
    if (geenWaarde || status.contains(QStringLiteral("ALARM")))
        return RackKleur::Rood;
    if (status.contains(QLatin1Char('<')) || status.contains(QLatin1Char('>')))
        return RackKleur::Geel;
    return RackKleur::Groen;
}

QString MeetTijdTekst(const QDateTime &moment)
{
    if (!moment.isValid())
        return QString();
    return TijdMetScheidingsteken(moment) + QLatin1Char(' ');
}

namespace {
void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette pal = label->palette();
    if (pal.color(QPalette::WindowText) == colour)
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void emptyValues(FormRack &rack)
{
    for (int k = 0; k < 4; ++k) {
        rack.LabelWaarde(k)->setText(QString());
        rack.LabelEenheid(k)->setText(QString());
    }
}
} // namespace

void TonenMeting(FormRack &rack, bool leeg)
{
    const qint16 slot = rack.Ti;
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot) || !rack.Zichtbaar())
        return;
    const ToestelGegevens &t = Toestel[slot];
    if (!t.Actief) {
        rack.Panel(2)->setText(Taaltekst(380));
        rack.ToonStatusTekst(Taaltekst(380));
        emptyValues(rack);
        return;
    }
    QString status;
    rack.Panel(4)->setText(MeetTijdTekst(t.Kanaal[1].Tijdstip));
    if (!Hoofdmodule::MetenActief) {
        for (int k = 0; k < 4; ++k)
            setTextColour(rack.LabelWaarde(k), FormRack::greyTextColour());
        return;
    }
    if (t.Defect) {
        emptyValues(rack);
        setTextColour(rack.LabelWaarde(0), RackKleur::Geel);
        rack.LabelWaarde(0)->setText(QStringLiteral("MAN."));
        rack.ToonStatusTekst(Taaltekst(283));
        return;
    }
    const int kanalen = qBound(0, int(t.Kanalen), MaxKanalen);
    for (int k = 0; k < kanalen; ++k) {
        const KanaalGegevens &c = t.Kanaal[size_t(k + 1)];
        setTextColour(rack.LabelWaarde(k), WaardeKleur(c.GeenWaarde, c.Status));
        rack.LabelKanaal(k)->setText(c.Naam.trimmed());
        if (leeg || t.FoutTeller > 2) {
            rack.LabelWaarde(k)->setText(QString());
            rack.LabelEenheid(k)->setText(QString());
        } else if (c.GeenWaarde) {
            rack.LabelWaarde(k)->setText(QStringLiteral("OR."));
            rack.LabelEenheid(k)->setText(c.Eenheid.trimmed());
        } else {
            rack.LabelWaarde(k)->setText(c.Waarde);
            if (!c.Status.trimmed().isEmpty())
                status += c.Status + QLatin1Char(' ');
            rack.LabelEenheid(k)->setText(c.Eenheid.trimmed());
        }
    }
    const bool stopped = t.Relais.contains(QStringLiteral("STOP"))
        || status.contains(QStringLiteral("STOP"));
    rack.ToonStopPaneel(stopped);
    rack.ToonPanelen();
    rack.Panel(2)->setText(status);
    rack.Panel(3)->setText(t.Relais.trimmed());
}

void TonenMeting(qint16 &slot, bool &leeg)
{
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot))
        return;
    if (FormRack *rack = RackVenster[slot])
        TonenMeting(*rack, leeg);
}

void TonenToestelStatus(qint16 slot)
{
    if (FormRack *rack = RackVenster[slot])
        emptyValues(*rack);
}

void VernieuwenRackVenster(qint16 slot)
{
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot))
        return;
    FormRack *rack = RackVenster[slot];
    if (!rack || !rack->Zichtbaar())
        return;
    const ToestelGegevens &t = Toestel[slot];
    rack->ShapeLED()->setColour(t.FoutTeller > 2 && t.Actief ? RackKleur::Rood : RackKleur::Grijs);
}

void VernieuwenToestelVensters(qint16 slot, bool bezig, bool alle)
{
    for (qint16 i = 1; i <= MaxToestellen; ++i) {
        if (!ToestelGeldig(i))
            continue;
        FormRack *rack = RackVenster.bestaand(i);
        if (!rack || !rack->Zichtbaar())
            continue;
        const ToestelGegevens &t = Toestel[i];
        if (!t.Actief) {
            VernieuwenRackVenster(i);
        } else if (i == slot) {
            rack->ShapeLED()->setColour(!bezig ? RackKleur::Donkergroen
                                               : (t.FoutTeller > 2 ? RackKleur::Rood
                                                                   : RackKleur::Groen));
        } else if (t.FoutTeller >= 3) {
            rack->ShapeLED()->setColour(RackKleur::Rood);
        } else if (alle) {
            rack->ShapeLED()->setColour(RackKleur::Donkergroen);
        }
    }
}
