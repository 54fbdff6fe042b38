#include "views/rackstop.h"

#include "core/conversions.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "support/language.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <array>

using namespace Hoofdmodule;

namespace {

std::array<bool, MaxToestellen + 1> &pending()
{
    static std::array<bool, MaxToestellen + 1> flags{};
    return flags;
}

} // namespace

QByteArray VerwachteEcho(const QString &model, qint32 idno, const QByteArray &commando)
{
    const QString family = model.trimmed().left(4);
    const bool firstOnly = family == QLatin1String("T574") || family == QLatin1String("T578")
                           || family == QLatin1String("T575");
    return AdresTekst(idno).toLatin1() + "\t<" + (firstOnly ? commando.left(1) : commando);
}

bool ZendCommandoEnWachtOpAntwoord(qint16 slot, const QByteArray &Commando,
                                   const QString &TekstActie, const QString &Titel)
{
    if (slot < 1 || slot > MaxToestellen)
        return true;
    // The wait window disables the main window while it is up.
    FormDataTransfer &window = FormDataTransfer::instance();
    window.VideoNr = 102;
    window.setWindowTitle(Titel);
    window.LabelActie()->setText(TekstActie);
    window.Tonen();
    window.TextActie()->setPlainText(Taaltekst(300));
    const QByteArray echo = VerwachteEcho(Toestel[slot].Type, Toestel[slot].Idno, Commando);
    const QByteArray frame = '>' + Commando;
    qint32 ms = 1000;
    WachtMilliseconden(ms);
    ZendCommando(slot, frame);
    InstrumentConnection &c = InstrumentConnection::current();
    QByteArray received;
    bool lijnWeg = false;
    for (;;) {
        if (received.contains(echo) || !received.contains("\r\n")) {
            WachtOpAntwoord(received, "\r\n", 25);
            if (!c.CommConditiesOK()) {
                lijnWeg = true; // the line is gone: nothing to ask the controller
                break;
            }
            bool cancelled = false;
            if (!received.contains(echo) && c.TellerCOMM() >= AntwoordWachttijd) {
                const int answer = WindowHost::current().message(
                    Taaltekst(296), MsgBox::RetryCancel | MsgBox::Exclamation, Titel);
                if (answer == MsgBox::Retry)
                    ZendCommando(slot, frame);
                else
                    cancelled = true;
            }
            if (received.contains(echo) || cancelled)
                break;
        } else {
            // A line that is not the echo: skipped.
            VerwijderTotRegeleinde(received);
        }
    }
    window.Sluiten();
    if (lijnWeg && !Pump::ending()) {
        // The controller never heard the command: the user must hear why.
        DialogProvider::current().messageBox(
            nullptr, Taaltekst(152) + SeriePoort + QStringLiteral("' !"),
            MsgBox::OkOnly | MsgBox::Exclamation, Titel);
    }
    return !lijnWeg;
}

bool StopCommandoBezig(qint16 slot)
{
    return slot >= 1 && slot <= MaxToestellen && pending()[size_t(slot)];
}

bool StopCommandoInWachtrij(qint16 slot, const QString &titel, std::function<void()> klaar)
{
    if (slot < 1 || slot > MaxToestellen || pending()[size_t(slot)])
        return false;
    pending()[size_t(slot)] = true;
    TussenOpvraagStappen(nullptr, [slot, titel, klaar = std::move(klaar)] {
        // Polling pauses for the length of the exchange only.
        const bool measuring = MetenActief;
        MetenActief = false;
        const bool gehoord = ZendCommandoEnWachtOpAntwoord(
            slot, Protocol::StopCommando[size_t(slot)], Taaltekst(304), titel);
        MetenActief = measuring;
        pending()[size_t(slot)] = false;
        if (klaar && gehoord)
            klaar();
    });
    return true;
}
