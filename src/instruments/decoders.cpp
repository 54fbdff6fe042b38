#include "instruments/decoders.h"

#include "core/conversions.h"
#include "core/shared.h"
#include "instruments/connection.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "support/language.h"
#include "support/wrappers.h"

#include <QLocale>

namespace {

// Each decoder's receive text: the lines the waits moved out of BufferRS232, consumed from
// the front.
QByteArray ontvangenT57;
QByteArray ontvangenStandaard;

const QByteArray crlf = QByteArrayLiteral("\r\n");

// A controller that keeps sending acknowledgments would restart the channel loop without end;
// a reply is given up after this many restarts.
constexpr int maxHerstarts = 4;

bool validSlot(qint16 slot) { return slot >= 1 && slot <= MaxToestellen; }

// The 1-based position of the first occurrence, 0 when absent.
int positie(const QByteArray &text, char c)
{
    const qsizetype i = text.indexOf(c);
    return i < 0 ? 0 : int(i) + 1;
}

bool binnenEersteDrie(const QByteArray &text, char c)
{
    const int p = positie(text, c);
    return p >= 1 && p <= 3;
}

bool isNumberByte(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

// The leading number of the text as it stands, taken off the text: what lies before it is
// skipped up to a control character. Read from the bytes in place: every reply passes here
// several times, and a copy of the rest of the reply as text each time costs more than the
// whole decoding.
QByteArray takeNumberBytes(QByteArray &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && !isNumberByte(text[begin]) && !IsStuurteken(text[begin], true, 2))
        ++begin;
    qsizetype end = begin;
    while (end < text.size() && isNumberByte(text[end]))
        ++end;
    QByteArray number = text.mid(begin, end - begin);
    text.remove(0, end);
    return number;
}

// A number as the program shows it: with the locale's decimal sign.
QString withDecimalSign(const QByteArray &number)
{
    QString n = QString::fromLatin1(number);
    if (number.contains('.'))
        n.replace(QLatin1Char('.'), DecimaalTeken());
    return n.trimmed();
}

// The leading number of the text with the locale's decimal sign, taken off the text.
QString neemGetal(QByteArray &text) { return withDecimalSign(takeNumberBytes(text)); }

QByteArray volgendVeld(QByteArray &text, QByteArray &scheiding)
{
    return NeemWoord(text, scheiding, 3);
}

QString eenheid(const QByteArray &bytes) { return ZetEenheidOm(bytes).trimmed().left(8); }

// When the reply's bytes came (not when they are decoded), to the whole second as the data
// file writes it. The milliseconds are taken off the moment itself: setting the time of day
// again would work the local time out anew.
QDateTime nu()
{
    const QDateTime t = replyMoment();
    const int ms = t.time().msec();
    return ms == 0 ? t : t.addMSecs(-ms);
}

// The number of an address field. It is all but always a few plain digits, read here
// directly; anything else takes the general conversion.
qint32 addressNumber(const QByteArray &veld)
{
    if (veld.isEmpty() || veld.size() > 9)
        return TekstNaarLong(QString::fromLatin1(veld));
    qint32 n = 0;
    for (char c : veld) {
        if (c < '0' || c > '9')
            return TekstNaarLong(QString::fromLatin1(veld));
        n = n * 10 + (c - '0');
    }
    return n;
}

bool adresKlopt(QByteArray &text, qint16 slot)
{
    return addressNumber(LezenAdresVeld(text, slot)) == Toestel[slot].Idno;
}

void wisKanaal(KanaalGegevens &k)
{
    k.Waarde.clear();
    k.Eenheid.clear();
    k.Status.clear();
    k.GeenWaarde = false;
}

QString geenWaardeTeken(qint16 slot)
{
    return QString::fromLatin1(Protocol::GeenWaardeTeken[size_t(slot)]);
}

void afleidenRelais(qint16 slot, const QString &woord)
{
    ToestelGegevens &t = Toestel[slot];
    t.Relais = QStringLiteral("----");
    for (int k = 1; k <= MaxKanalen && k <= t.Kanalen; ++k) {
        QString &status = t.Kanaal[size_t(k)].Status;
        if (status.trimmed().isEmpty())
            continue;
        if (status.contains(QLatin1String("STOP"))) {
            t.Relais = QStringLiteral("STOP");
            status.replace(QLatin1String("STOP"), QLatin1String(" "));
            continue;
        }
        for (int n = 1; n <= 4; ++n) {
            const QString w = woord + QString::number(n);
            if (status.contains(w)) {
                t.Relais = t.Relais.left(n - 1) + QString::number(n) + t.Relais.mid(n);
                status.replace(w, QLatin1String(" "));
            }
        }
    }
}

// The maintenance record of the T57 family: "M", phase, end date, end time and a fourth field.
void leesOnderhoud(ToestelGegevens &t, QByteArray &r, QByteArray &scheiding)
{
    volgendVeld(r, scheiding);
    for (int j = 1; j <= MaxKanalen; ++j)
        wisKanaal(t.Kanaal[size_t(j)]);
    const QString a = ZetEenheidOm(volgendVeld(r, scheiding));
    const QString b = ZetEenheidOm(volgendVeld(r, scheiding));
    const QString c = ZetEenheidOm(volgendVeld(r, scheiding));
    const QString d = ZetEenheidOm(volgendVeld(r, scheiding));
    t.Kanaal[1].Status = Taaltekst(321) + QStringLiteral(", ") + Taaltekst(322) + a +
                         QStringLiteral(", ") + Taaltekst(323) + b + QLatin1Char(' ') + c +
                         QLatin1Char(' ') + d;
}

// Both decoders share their road; the differences between the families are marked.
bool lezenMeting(qint16 slot, bool t57)
{
    if (!validSlot(slot))
        return false;
    InstrumentConnection &c = InstrumentConnection::current();
    ToestelGegevens &t = Toestel[slot];
    const QByteArray einde = Protocol::AntwoordEinde[size_t(slot)];
    const QString code = t.Type;
    // T575 and T5751 fill their last channel from the second value of every line.
    const bool laatsteUitTweede = t57 && code.left(4) == QLatin1String("T575");
    const bool metTemperatuur = !t57 && code.left(4) != QLatin1String("T552");
    const char eersteTeken = t57 ? '/' : ':';
    const char tweedeTeken = t57 ? ':' : '/';
    QByteArray &r = t57 ? ontvangenT57 : ontvangenStandaard;
    r.clear();

    WachtOpAntwoord(r, einde, 0);
    if (t57) {
        const QByteArray adres = AdresTekst(t.Idno).toLatin1();
        if (!r.isEmpty() && r.contains(adres))
            r.remove(0, r.indexOf(adres));
    }
    t.Defect = false;
    if (!c.CommConditiesOK())
        return false;
    if (r.isEmpty() && replyTimedOut())
        VerhogenFoutTeller(slot);
    int k = 0;
    if (einde.isEmpty() || !r.contains(einde)) {
        VerhogenFoutTeller(slot);
        return false;
    }
    {
        QByteArray lf = einde.right(1);
        QByteArray bevestiging = NeemWoord(r, lf, 1);
        if (!adresKlopt(bevestiging, slot))
            return false;
    }
    QDateTime tijdstip = BerekenTijdstip(nu());
    bool eersteRegel = true;
    int herstarts = 0;

    for (k = 1; k <= MaxKanalen; ++k) {
        // Tested before the channel is cleared: it holds the second values just read.
        if (laatsteUitTweede && k == t.Kanalen) {
            for (int j = t.Kanalen + 1; j <= MaxKanalen; ++j)
                wisKanaal(t.Kanaal[size_t(j)]);
            break;
        }
        t.Kanaal[size_t(k)].Status.clear();
        t.Kanaal[size_t(k)].GeenWaarde = false;
        if (k > t.Kanalen) {
            t.Kanaal[size_t(k)].Waarde.clear();
            t.Kanaal[size_t(k)].Eenheid.clear();
            continue;
        }

        WachtOpAntwoord(r, crlf, 0);
        if (!c.CommConditiesOK())
            return false;
        if (replyTimedOut()) {
            if (k <= 1) {
                if (t57)
                    break;
                return false;
            }
            t.FoutTeller = 0;
            afleidenRelais(slot, t57 ? QStringLiteral("REL") : QStringLiteral("REL "));
            return true;
        }
        if (r.contains(einde)) {
            if (++herstarts > maxHerstarts)
                return false;
            LezenTijdVeld(r, tijdstip, slot);
            k = 1;
        }
        if (!adresKlopt(r, slot))
            return false;
        if (k == 1) {
            while (!binnenEersteDrie(r, eersteTeken)) {
                WachtOpAntwoord(r, crlf, 0);
                if (!c.MSComm1.isOpen() || replyTimedOut())
                    return false;
                if (r.contains(einde)) {
                    if (++herstarts > maxHerstarts)
                        return false;
                    LezenTijdVeld(r, tijdstip, slot);
                    k = 1;
                } else if (!binnenEersteDrie(r, eersteTeken)) {
                    if (!t57)
                        MarkerenToestelDefect(slot);
                    return false;
                }
            }
        }

        QByteArray scheiding = "\t";
        const QByteArray eersteVeld = volgendVeld(r, scheiding);
        if (eersteRegel && positie(eersteVeld, eersteTeken) != 3) {
            if (!t57)
                MarkerenToestelDefect(slot);
            return false;
        }
        if (scheiding != "\t" && !eersteRegel)
            break;
        const QByteArray tweedeVeld = volgendVeld(r, scheiding);
        if (eersteRegel) {
            if (positie(tweedeVeld, tweedeTeken) < 2) {
                if (!t57)
                    MarkerenToestelDefect(slot);
                return false;
            }
            eersteRegel = false;
        }
        if (scheiding != "\t")
            break;

        if (t57 && r.startsWith('M')) {
            leesOnderhoud(t, r, scheiding);
            break;
        }

        LezenWaardeEenheid(t.Kanaal[size_t(k)], r, tijdstip, slot);

        int m = k; // the channel that receives the status text
        if (t57) {
            const QString n = neemGetal(r);
            if (!n.isEmpty()) {
                VerwijderTotRegeleinde(r);
                const int j = laatsteUitTweede ? t.Kanalen : k + 1;
                if (!laatsteUitTweede)
                    ++k; // the next line is for the channel after j
                QByteArray tab = "\t";
                const QByteArray veld = volgendVeld(r, tab);
                if (j >= 1 && j <= MaxKanalen) {
                    KanaalGegevens &tweede = t.Kanaal[size_t(j)];
                    tweede.Tijdstip = tijdstip;
                    tweede.Waarde = n;
                    tweede.Eenheid = eenheid(veld);
                    tweede.GeenWaarde = BevatTekst(tweede.Waarde, geenWaardeTeken(slot));
                }
            } else {
                // The empty second value and second unit fields.
                VerwijderTotRegeleinde(r);
                VerwijderTotRegeleinde(r);
            }
        } else if (metTemperatuur) {
            const QString n = neemGetal(r);
            if (!n.isEmpty() && k < MaxKanalen) {
                ++k;
                KanaalGegevens &temperatuur = t.Kanaal[size_t(k)];
                temperatuur.Tijdstip = tijdstip;
                temperatuur.Waarde = n;
                temperatuur.Eenheid = QStringLiteral("°C");
                temperatuur.GeenWaarde = BevatTekst(n, geenWaardeTeken(slot));
                m = k - 1;
            }
            VerwijderTotRegeleinde(r);
        }

        QByteArray cr = "\r";
        const QByteArray s = NeemWoord(r, cr, 2).trimmed();
        if (!s.isEmpty() && m >= 1 && m <= MaxKanalen) {
            QString &status = t.Kanaal[size_t(m)].Status;
            if (s.size() == 4 && s.contains("STOP"))
                status = ZetEenheidOm(s);
            else
                status = QStringLiteral("CH%1: ").arg(m) + ZetEenheidOm(s);
        }
        VerwijderTotRegeleinde(r);
    }

    if (t57 || k >= 2)
        afleidenRelais(slot, t57 ? QStringLiteral("REL") : QStringLiteral("REL "));
    if (k >= 2) {
        t.FoutTeller = 0;
        return true;
    }
    if (!t57)
        VerhogenFoutTeller(slot);
    return false;
}

} // namespace

bool LezenMetingT57(qint16 slot) { return lezenMeting(slot, true); }
bool LezenMetingStandaard(qint16 slot) { return lezenMeting(slot, false); }

ReadResult tryReadReading(qint16 slot)
{
    if (!validSlot(slot))
        return ReadResult::Failed;
    // A run that ends at a wait for bytes still to come leaves the slot as it found it.
    const ToestelGegevens before = Toestel[slot];
    const qint32 wachttijd = Hoofdmodule::AntwoordWachttijd;
    const bool t57 = IsT57Model(Toestel[slot].Type);
    bool ok = false;
    switch (replayReply([&] { ok = lezenMeting(slot, t57); })) {
    case ReplayOutcome::NotArmed:
        return ReadResult::CutShort;
    case ReplayOutcome::Incomplete:
        Toestel[slot] = before;
        Hoofdmodule::AntwoordWachttijd = wachttijd;
        return ReadResult::Waiting;
    case ReplayOutcome::Complete:
        break;
    }
    return ok ? ReadResult::Counted : ReadResult::Failed;
}

void AfleidenRelaisT57(qint16 slot)
{
    if (validSlot(slot))
        afleidenRelais(slot, QStringLiteral("REL"));
}

void AfleidenRelaisStandaard(qint16 slot)
{
    if (validSlot(slot))
        afleidenRelais(slot, QStringLiteral("REL "));
}

void VerhogenFoutTeller(qint16 slot)
{
    if (!validSlot(slot))
        return;
    if (Toestel[slot].FoutTeller < 10000)
        ++Toestel[slot].FoutTeller;
}

void MarkerenToestelDefect(qint16 slot)
{
    if (!validSlot(slot))
        return;
    Toestel[slot].Defect = true;
    Toestel[slot].Wachtbeurten = 5;
    VerhogenFoutTeller(slot);
}

bool BevatTekst(const QString &text, const QString &part)
{
    return !text.isEmpty() && text.contains(part);
}

QByteArray LezenAdresVeld(QByteArray &text, qint16 slot)
{
    if (!validSlot(slot))
        return {};
    const QByteArray marker = Protocol::AdresTeken[size_t(slot)];
    const qsizetype at = text.indexOf(marker);
    if (text.isEmpty() || at < 0)
        return {};
    text.remove(0, at + marker.size());
    const QByteArray n = takeNumberBytes(text);
    VerwijderTotRegeleinde(text);
    return n.contains('.') ? withDecimalSign(n).toLatin1() : n;
}

void LezenTijdVeld(QByteArray &text, QDateTime &tijdstip, qint16 slot)
{
    if (validSlot(slot)) {
        QByteArray lf = Protocol::AntwoordEinde[size_t(slot)].right(1);
        NeemWoord(text, lf, 1);
    }
    tijdstip = BerekenTijdstip(nu());
}

void LezenWaardeEenheid(KanaalGegevens &kanaal, QByteArray &text, const QDateTime &tijdstip,
                        qint16 slot)
{
    kanaal.Tijdstip = tijdstip;
    kanaal.Waarde = neemGetal(text);
    if (kanaal.Waarde.isEmpty()) {
        VerwijderTotRegeleinde(text);
        return;
    }
    QByteArray tab = "\t";
    if (text.startsWith("E-") || text.startsWith("e-")) {
        // These controllers send a concentration with a negative exponent in g/l, whatever
        // the unit field says.
        kanaal.Waarde += QString::fromLatin1(volgendVeld(text, tab));
        kanaal.Eenheid = QStringLiteral("g/l");
        VerwijderTotRegeleinde(text);
    } else if (text.startsWith("E+") || text.startsWith("e+")) {
        kanaal.Waarde += QString::fromLatin1(volgendVeld(text, tab));
        tab = "\t";
        kanaal.Eenheid = eenheid(volgendVeld(text, tab));
    } else {
        VerwijderTotRegeleinde(text);
        kanaal.Eenheid = eenheid(volgendVeld(text, tab));
    }
    kanaal.GeenWaarde = validSlot(slot) && BevatTekst(kanaal.Waarde, geenWaardeTeken(slot));
}

void LezenWaardeGetal(KanaalGegevens &kanaal, QByteArray &text, const QDateTime &tijdstip,
                      qint16 slot)
{
    kanaal.Tijdstip = tijdstip;
    const QString n = neemGetal(text);
    VerwijderTotRegeleinde(text);
    // A missing or empty field must not repeat the previous value in the records.
    if (n.isEmpty()) {
        kanaal.Waarde.clear();
        kanaal.GeenWaarde = false;
        return;
    }
    if (validSlot(slot) && BevatTekst(n, geenWaardeTeken(slot))) {
        kanaal.GeenWaarde = true;
        kanaal.Waarde = geenWaardeTeken(slot);
        return;
    }
    kanaal.GeenWaarde = false;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    kanaal.Waarde = locale.toString(double(TekstNaarSingle(n)), 'g', 7);
}

QDateTime BerekenTijdstip(const QDateTime &tijdstip)
{
    // Compared to the whole second, as the data file writes both.
    const QDateTime &meet = Hoofdmodule::MeetTijdstip;
    if (meet.isValid() && tijdstip.isValid() &&
        tijdstip.toSecsSinceEpoch() == meet.toSecsSinceEpoch() && Hoofdmodule::AantalRijen > 0)
        return tijdstip.addSecs(1);
    return tijdstip;
}
