#include "instruments/capture.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/services.h"
#include "core/shared.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/transport.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <cerrno>

using namespace Hoofdmodule;

namespace {

QByteArray zonderNul(const QByteArray &bytes)
{
    QByteArray kept = bytes;
    kept.removeIf([](char c) { return c == '\0'; });
    return kept;
}

// The capture cannot go on: the user is told why, and the run and the caller's loop end.
void beeindigen(QFile &bestand, const QString &reden)
{
    TransferActief = false;
    bestand.close();
    FormDataTransfer &venster = FormDataTransfer::instance();
    venster.Sluiten();
    // The program closing closed the line: nothing to tell.
    if (!Pump::ending())
        DialogProvider::current().messageBox(MainLink::mainWindow(), reden, MsgBox::OkOnly | MsgBox::Exclamation,
                                             Taaltekst(263));
}

} // namespace

QByteArray TransferRegelBytes(const QByteArray &regel)
{
    return Cp1252::encode(ZetEenheidOm(zonderNul(regel)));
}

void OpvangenDataTransfer(const QString &bestandsnaam)
{
    QFile bestand(bestandsnaam);
    errno = 0;
    if (!bestand.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        beeindigen(bestand, SchrijfFoutTekst(bestandsnaam, errno));
        return;
    }
    FormDataTransfer &venster = FormDataTransfer::instance();
    venster.VideoNr = 101;
    venster.setWindowTitle(Taaltekst(263));
    venster.LabelActie()->setText(KortPad(bestandsnaam, 40) + QStringLiteral("\n\n") +
                                  Taaltekst(305));
    venster.Tonen();

    InstrumentConnection &c = InstrumentConnection::current();
    const QByteArray crlf = QByteArrayLiteral("\r\n");
    do {
        QByteArray regel;
        WachtOpAntwoord(regel, crlf, 0);
        if (!c.MSComm1.isOpen() && TransferActief) {
            beeindigen(bestand, Taaltekst(152) + SeriePoort + QStringLiteral("' !"));
            return;
        }
        // A line that came in while the window was being closed is not written.
        if (regel.isEmpty() || !TransferActief)
            continue;
        const QByteArray bytes = TransferRegelBytes(regel);
        errno = 0;
        if (bestand.write(bytes) != bytes.size()) {
            beeindigen(bestand, SchrijfFoutTekst(bestandsnaam, errno));
            return;
        }
        venster.TextActie()->setPlainText(Cp1252::decode(zonderNul(regel)));
    } while (c.MSComm1.isOpen() && TransferActief && !Pump::ending());
    bestand.close();
    venster.Sluiten();
}
