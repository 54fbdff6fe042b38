#include "instruments/download.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/utilities.h"
#include "support/wrappers.h"

#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>

using namespace Hoofdmodule;

namespace {

const QByteArray crlf = QByteArrayLiteral("\r\n");

bool validSlot(qint16 slot) { return slot >= 1 && slot <= MaxToestellen; }

InstrumentConnection &line() { return InstrumentConnection::current(); }

// The line can carry the exchange: the port is open and the program is not ending.
bool lijnBruikbaar() { return line().MSComm1.isOpen() && !Pump::ending(); }

// The wait window while it shows, so a question asked in the middle of a download stays
// usable; otherwise the main window.
QWidget *vraagOuder()
{
    if (FormDataTransfer *w = FormDataTransfer::bestaand(); w && w->Geladen())
        return w;
    return MainLink::mainWindow();
}

int systeemVraag(const QString &tekst, int vlaggen, const QString &titel)
{
    const int antwoord = DialogProvider::current().messageBox(vraagOuder(), tekst, vlaggen, titel);
    LaatsteAntwoord = qint16(antwoord);
    return antwoord;
}

QString metNaam(int tekst, qint16 slot)
{
    return Taaltekst(tekst).replace(QStringLiteral("##"), Toestel[slot].Naam);
}

QByteArray veld(QByteArray &text)
{
    QByteArray tab = "\t";
    return NeemWoord(text, tab, 3);
}

QString veldTekst(QByteArray &text) { return QString::fromLatin1(veld(text)); }

bool isT57(qint16 slot) { return Toestel[slot].Type.left(3) == QLatin1String("T57"); }

bool eenheidMetWaarde(const QString &eenheid)
{
    return eenheid.contains(QLatin1String("cm")) || eenheid.contains(QLatin1String("/l"));
}

// How one memory command ended.
enum class Echo { Ontvangen, Genegeerd, Afgebroken, LijnWeg };

Echo zendGeheugen(qint16 slot, const QByteArray &commando)
{
    if (!validSlot(slot))
        return Echo::Afgebroken;
    InstrumentConnection &c = line();
    QByteArray antwoord;
    const QByteArray verwacht = VerwachteEcho(slot, commando);
    qint32 pauze = Ontvangen::CommandoPauze;
    WachtMilliseconden(pauze);
    if (!lijnBruikbaar())
        return Echo::LijnWeg;
    ZendCommando(slot, '>' + commando);
    for (;;) {
        // Lines that are not the echo (the controller's last words) go.
        while (antwoord.contains(crlf) && !antwoord.contains(verwacht))
            antwoord.remove(0, antwoord.indexOf('\n') + 1);
        WachtOpAntwoord(antwoord, crlf, 30);
        if (!c.CommConditiesOK() || Pump::ending())
            return Echo::LijnWeg;
        if (antwoord.contains(verwacht))
            return Echo::Ontvangen;
        if (AntwoordWachttijd <= c.TellerCOMM()) {
            const int keuze = systeemVraag(Taaltekst(291),
                                           MsgBox::AbortRetryIgnore | MsgBox::Question,
                                           Taaltekst(262));
            if (keuze == MsgBox::Abort) {
                OntvangenActief = false;
                return Echo::Afgebroken;
            }
            if (keuze == MsgBox::Ignore)
                return Echo::Genegeerd;
            if (!lijnBruikbaar())
                return Echo::LijnWeg;
            antwoord.clear();
            ZendCommando(slot, '>' + commando);
            continue;
        }
        if (!OntvangenActief)
            return Echo::Afgebroken;
    }
}

QByteArray genummerd(qint16 nummer)
{
    QByteArray commando("N");
    commando += char(NaarByte(nummer));
    commando += char(HoogsteByte(nummer));
    return commando;
}

// One download's reading of the lines: headers set the units, records are handed over.
class Lezer {
public:
    explicit Lezer(qint16 slot) : m_slot(slot), m_t(Toestel[slot]), m_t57(isT57(slot)) {}

    void regel(QByteArray r)
    {
        m_t.FoutTeller = 0;
        LezenAdresVeld(r, m_slot);
        if (r.toLower().startsWith("   #")) {
            kopRegel(r);
        } else if (AantalRijen >= 0 && r.startsWith("LOG.")) {
            record(r);
        }
    }

    // The last group of a T57 transmission, still to be handed over.
    void einde()
    {
        if (m_t57 && m_open)
            overdragenGroep();
    }

private:
    void kopRegel(QByteArray &r)
    {
        r.remove(0, 4);
        VerwijderTotRegeleinde(r);
        const QByteArray datum = veld(r);
        const QByteArray tijd = veld(r);
        const QByteArray d = datum.left(1).toLower(), t = tijd.left(1).toLower();
        if (d != "d" || (t != "t" && t != "h" && t != "z"))
            return;
        const bool t542 = m_t.Type == QLatin1String("T542");
        for (int k = 1; k <= MaxKanalen; ++k) {
            KanaalGegevens &kanaal = m_t.Kanaal[size_t(k)];
            if (t542 && k > 1 && eenheidMetWaarde(kanaal.Eenheid))
                VerwijderTotRegeleinde(r);
            kanaal.Eenheid = ZetEenheidOm(veld(r)).trimmed().left(8);
            if (m_t.Type != QLatin1String("T552"))
                kanaal.Eenheid = kanaal.Eenheid.left(7);
        }
        AantalRijen = 0;
    }

    void record(QByteArray &r)
    {
        r.remove(0, 4);
        NeemGetal(r, 2);
        VerwijderTotRegeleinde(r);
        QString datum = veldTekst(r);
        QString tijd = veldTekst(r);
        QDateTime tijdstip = TekstNaarDatum(datum);
        TekstNaarTijd(tijdstip, tijd);
        if (!m_t57) {
            ++AantalRijen;
            MeetTijdstip = tijdstip;
            standaardRecord(r);
            VerwerkenMeting(QString(), m_slot);
            return;
        }
        // A T57 controller sends one line per channel, all lines of a record with the same
        // time: a line with a new time first hands the group before it over.
        if (m_open && tijdstip != m_groepTijd)
            overdragenGroep();
        m_groepTijd = tijdstip;
        m_open = true;
        MeetTijdstip = tijdstip;
        t57Regel(r);
    }

    void standaardRecord(QByteArray &r)
    {
        const bool t542 = m_t.Type == QLatin1String("T542");
        for (int k = 1; k <= MaxKanalen; ++k) {
            KanaalGegevens &kanaal = m_t.Kanaal[size_t(k)];
            kanaal.Status.clear();
            kanaal.GeenWaarde = false;
            if (k <= m_t.Kanalen) {
                if (t542 && eenheidMetWaarde(kanaal.Eenheid)) {
                    LezenWaardeEenheid(kanaal, r, MeetTijdstip, m_slot);
                } else {
                    LezenWaardeGetal(kanaal, r, MeetTijdstip, m_slot);
                    if (t542)
                        kanaal.Eenheid = QStringLiteral("°C");
                }
            }
            kanaal.Tijdstip = MeetTijdstip;
        }
    }

    void t57Regel(QByteArray &r)
    {
        if (!r.startsWith("CH"))
            return;
        r.remove(0, 2);
        const int k = TekstNaarInteger(veldTekst(r));
        if (k < 1 || k > MaxKanalen)
            return;
        const int j = m_t.Type.left(4) == QLatin1String("T575") ? 4 : k + 2;
        LezenWaardeEenheid(m_t.Kanaal[size_t(k)], r, MeetTijdstip, m_slot);
        if (j <= MaxKanalen)
            LezenWaardeEenheid(m_t.Kanaal[size_t(j)], r, MeetTijdstip, m_slot);
        const QString vlag = ZetEenheidOm(veld(r));
        m_t.Relais = ZetEenheidOm(veld(r)).remove(QLatin1String("REL."));
        const QString kanaal = QStringLiteral("CH%1: ").arg(k);
        QString &status = m_t.Kanaal[size_t(k)].Status;
        // An empty flag, too, names its channel: the record shows which channels reported.
        if (vlag == QLatin1String("A"))
            status = kanaal + Taaltekst(220);
        else if (vlag == QLatin1String("S")) {
            status = kanaal + QStringLiteral("S");
            m_t.Relais = Taaltekst(115);
        } else if (vlag == QLatin1String("M"))
            status = kanaal + Taaltekst(321);
        else
            status = kanaal + vlag;
    }

    void overdragenGroep()
    {
        const QDateTime regelTijd = MeetTijdstip;
        MeetTijdstip = m_groepTijd;
        ++AantalRijen;
        VerwerkenMeting(QString(), m_slot);
        MeetTijdstip = regelTijd;
        m_open = false;
        m_t.Relais = QStringLiteral("----");
        // A group starts empty: a channel whose line is missing from the next record must not
        // repeat this record's value as if it had been measured again.
        for (int k = 1; k <= MaxKanalen; ++k) {
            KanaalGegevens &kanaal = m_t.Kanaal[size_t(k)];
            kanaal.Status.clear();
            kanaal.Waarde.clear();
            kanaal.GeenWaarde = false;
        }
    }

    qint16 m_slot;
    ToestelGegevens &m_t;
    bool m_t57;
    QDateTime m_groepTijd;
    bool m_open = false; // a T57 group has lines that were not handed over yet
};

// The line was lost in the middle of a download: nothing more can come, so it ends here
// instead of starting again and again.
void lijnVerloren(FormDataTransfer &venster)
{
    OntvangenActief = false;
    DataLog::instance().close();
    venster.Sluiten();
    // The program closing closed the line: nothing to tell.
    if (!Pump::ending())
        systeemVraag(Taaltekst(152) + SeriePoort + QStringLiteral("' !"),
                     MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(262));
}

void toonRegel(FormDataTransfer &venster, const QByteArray &regel)
{
    QByteArray schoon = regel;
    schoon.removeIf([](char c) { return c == '\0' || c == '\xff'; });
    venster.TextActie()->setPlainText(Taaltekst(303) + QLatin1Char('\n') +
                                      ZetEenheidOm(schoon.trimmed()));
}

} // namespace

QByteArray VerwachteEcho(qint16 slot, const QByteArray &commando)
{
    if (!validSlot(slot))
        return {};
    QByteArray echo = AdresTekst(Toestel[slot].Idno).toLatin1() + "\t<" + commando + crlf;
    echo.removeIf([](char c) { return c == '\0' || c == '\xff'; });
    return echo;
}

void ZendGeheugenCommando(qint16 slot, const QByteArray &commando, bool &genegeerd)
{
    genegeerd = zendGeheugen(slot, commando) == Echo::Genegeerd;
}

void ZendGeheugenRecordCommando(qint16 slot, qint16 nummer, bool &genegeerd)
{
    ZendGeheugenCommando(slot, genummerd(nummer), genegeerd);
}

void UitlezenLogGeheugen(qint16 slot)
{
    if (!validSlot(slot))
        return;
    FormDataTransfer &venster = FormDataTransfer::instance();
    venster.VideoNr = 102;
    venster.setWindowTitle(Toestel[slot].Naam + QStringLiteral(": ") + Taaltekst(262));
    venster.setWindowIcon(QIcon(AnimatieBron(107)));
    venster.LabelActie()->setText(metNaam(292, slot));
    venster.TextActie()->clear();
    venster.Tonen();
    OntvangenActief = true;
    venster.TextActie()->setPlainText(Taaltekst(300));

    const bool t57 = isT57(slot);
    if (!t57) {
        // The controller's memory menu: open it, choose the log, and start the transmission.
        const QList<QByteArray> start = {"M", genummerd(7), "4", QByteArray(), genummerd(4), "4"};
        for (const QByteArray &commando : start) {
            if (commando.isEmpty()) {
                qint32 pauze = Ontvangen::GeheugenPauze;
                WachtMilliseconden(pauze);
                continue;
            }
            const Echo e = zendGeheugen(slot, commando);
            if (e == Echo::LijnWeg) {
                lijnVerloren(venster);
                return;
            }
            if (!OntvangenActief) {
                venster.Sluiten();
                return;
            }
            // Ignore: the user starts the transmission on the instrument.
            if (e == Echo::Genegeerd)
                break;
        }
    } else {
        systeemVraag(metNaam(316, slot), MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(262));
    }
    if (!OntvangenActief) {
        venster.Sluiten();
        return;
    }

    venster.LabelActie()->setText(Taaltekst(305));
    venster.TextActie()->setPlainText(Taaltekst(303));
    venster.LaadVideo(101);

    AantalRijen = t57 ? 0 : -1;
    DataLog::instance().open();
    Lezer lezer(slot);
    InstrumentConnection &c = line();
    QByteArray ontvangen;
    bool verloren = false;
    do {
        QByteArray regel;
        do {
            WachtOpAntwoord(ontvangen, crlf, 0);
            if (!c.CommConditiesOK() || Pump::ending()) {
                verloren = true;
                break;
            }
            const qsizetype einde = ontvangen.indexOf(crlf);
            if (einde < 0) {
                regel.clear();
            } else {
                regel = ontvangen.left(einde + 2);
                ontvangen.remove(0, einde + 2);
            }
        } while (regel.size() <= 7 && OntvangenActief);
        if (verloren || !OntvangenActief)
            break;
        toonRegel(venster, regel);
        lezer.regel(regel);
    } while (c.MSComm1.isOpen() && OntvangenActief);

    if (verloren || !lijnBruikbaar()) {
        // What was complete is kept; the line cannot give the rest.
        lezer.einde();
        lijnVerloren(venster);
        return;
    }
    if (!t57) {
        const Echo e = zendGeheugen(slot, "1");
        if (e != Echo::Genegeerd && e != Echo::LijnWeg)
            zendGeheugen(slot, "C");
    }
    lezer.einde();
    DataLog::instance().close();
    venster.Sluiten();
}

QDateTime TekstNaarDatum(QString &tekst)
{
    const QDateTime nul(QDate(1899, 12, 30), QTime(0, 0));
    QString t = tekst.replace(QLatin1Char('-'), QLatin1Char('/'));
    tekst.clear();
    const qsizetype eerste = t.indexOf(QLatin1Char('/'));
    if (eerste < 0)
        return nul;
    const qsizetype tweede = t.indexOf(QLatin1Char('/'), eerste + 1);
    if (tweede < 0)
        return nul;
    bool okDag = false, okMaand = false, okJaar = false;
    int dag = t.left(eerste).trimmed().toInt(&okDag);
    int maand = t.mid(eerste + 1, tweede - eerste - 1).trimmed().toInt(&okMaand);
    int jaar = t.mid(tweede + 1).trimmed().toInt(&okJaar);
    if (!okDag || !okMaand || !okJaar)
        dag = maand = jaar = 0;
    if (jaar >= 0 && jaar < 30)
        jaar += 2000;
    else if (jaar >= 30 && jaar < 100)
        jaar += 1900;
    // Months and days beyond their range carry into the next ones, as the instruments expect.
    const QDate datum = QDate(jaar, 1, 1).addMonths(maand - 1).addDays(dag - 1);
    return QDateTime(datum, QTime(0, 0));
}

void TekstNaarTijd(QDateTime &datum, QString &tekst)
{
    const QString scheiding = Tijdscheidingsteken.isEmpty() ? QStringLiteral(":")
                                                            : Tijdscheidingsteken;
    QString t = tekst.replace(QLatin1Char(':'), scheiding);
    tekst.clear();
    const qsizetype eerste = t.indexOf(scheiding);
    if (eerste < 0)
        return;
    bool ok = false;
    const int uren = t.left(eerste).trimmed().toInt(&ok);
    if (!ok)
        return;
    datum = datum.addSecs(qint64(uren) * 3600);
    const qsizetype tweede = t.indexOf(scheiding, eerste + scheiding.size());
    if (tweede < 0)
        return;
    const int minuten = t.mid(eerste + scheiding.size(), tweede - eerste - scheiding.size())
                            .trimmed()
                            .toInt(&ok);
    if (!ok)
        return;
    datum = datum.addSecs(qint64(minuten) * 60);
    const int seconden = t.mid(tweede + scheiding.size(), 2).trimmed().toInt(&ok);
    if (!ok)
        return;
    datum = datum.addSecs(seconden);
}
