#include "core/slots.h"

#include "core/conversions.h"
#include "support/utilities.h"

#include <QtGlobal>
#include <cmath>

ToestelTabel Toestel;

ToestelGegevens &ToestelTabel::operator[](int slot)
{
    Q_ASSERT_X(slot >= 1 && slot <= MaxToestellen, "Toestel", "slot outside 1..31");
    return m_slots[size_t(slot)];
}

const ToestelGegevens &ToestelTabel::operator[](int slot) const
{
    Q_ASSERT_X(slot >= 1 && slot <= MaxToestellen, "Toestel", "slot outside 1..31");
    return m_slots[size_t(slot)];
}

void ResetToestellen()
{
    for (int d = 1; d <= MaxToestellen; ++d) {
        ToestelGegevens &t = Toestel[d];
        t.Actief = true;
        t.Naam.clear();
        t.Idno = 0;
        t.FoutTeller = 0;
        t.Type.clear();
        t.Kanalen = 0;
        for (int k = 1; k <= MaxKanalen; ++k) {
            KanaalGegevens &c = t.Kanaal[size_t(k)];
            c.Naam = QStringLiteral("CH%1").arg(k);
            c.Waarde.clear();
            c.Eenheid.clear();
            c.Status.clear();
        }
    }
}

QString ControleerBaudrate(const QString &baudrate)
{
    // The leading number as the whole-number conversion reads it, before its own rounding.
    QString upToComma = baudrate.section(',', 0, 0);
    const double v = std::nearbyint(TekstNaarDouble(upToComma));
    if (v >= 300 && v <= 38400) {
        const double n = std::nearbyint(std::log2(v / 300.0));
        return QString::number(qint64(300 * std::pow(2.0, n)));
    }
    // The two faster rates the settings dialog offers are no power-of-two multiple of 300:
    // they are taken as they stand, so a line set up at 115200 comes back at 115200.
    if (v == 57600 || v == 115200)
        return QString::number(qint64(v));
    return QStringLiteral("9600");
}

QString ControleerCommPoort(const QString &poort)
{
    QString rest = poort;
    rest.remove(QStringLiteral("COM"));
    const qint16 n = TekstNaarInteger(rest);
    if (n < 1 || n > 255)
        return QStringLiteral("COM1");
    return QStringLiteral("COM%1").arg(n);
}

qint32 ControleerIdno(qint32 &idno)
{
    if (idno < 1 || idno > 999)
        idno = 1000;
    return idno;
}

qint16 ControleerAantalKanalen(qint16 &kanalen)
{
    if (kanalen < 1 || kanalen > 4)
        kanalen = 4;
    return kanalen;
}

QString ControleerType(const QString &type)
{
    const QString code = trimBlanks(type);
    if (code.isEmpty())
        return {};
    // A substring test on the packed list: stored settings files may hold fragments it accepts.
    if (QStringLiteral("T512T542T552T578T575T5781T5751T5741").contains(code))
        return code;
    return {};
}

bool ToestelGeldig(int slot)
{
    ToestelGegevens &t = Toestel[slot];
    const QString code = ControleerType(t.Type);
    const qint32 idno = ControleerIdno(t.Idno);
    return !code.isEmpty() && idno < 1000;
}

qint16 ZoekToestelIndex(qint32 &idno, qint16 &index)
{
    for (int d = 1; d < index && d <= MaxToestellen; ++d) {
        if (Toestel[d].Idno == idno) {
            index = qint16(d);
            return 0;
        }
    }
    return index;
}

QString AdresTekstVan(qint32 idno) { return QStringLiteral("#%1").arg(idno, 3, 10, QLatin1Char('0')); }
