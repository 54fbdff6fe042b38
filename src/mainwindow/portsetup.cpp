#include "core/shared.h"
#include "instruments/connection.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/progress.h"
#include "support/utilities.h"

#include <QAction>
#include <QProgressBar>

using namespace Hoofdmodule;

namespace {
SerialPort &port() { return InstrumentConnection::current().MSComm1; }
} // namespace

QString mdiQLV2::checkPortText() { return Taaltekst(148) + SeriePoort + Taaltekst(149); }

void mdiQLV2::initCommPoort()
{
    LoggenActief = false;
    InstellenCommPoort();
    if (Antwoord == 2)
        setPanelText("Settings", &mdiQLV2::checkPortText);
    else
        setPanelText("Connect", [] { return Taaltekst(150); });
}

void mdiQLV2::InstellenCommPoort()
{
    if (port().isOpen()) {
        TonenMelding(Taaltekst(147), MsgBox::Exclamation, QStringLiteral("RS232"));
        Antwoord = 2;
        return;
    }
    port().setPortNumber(LeesPoortNummer(SeriePoort));
    port().setSettings(Baudrate + QStringLiteral(",N,8,1"));
    port().setDtr(true);
    port().setRts(false);
    Antwoord = 1;
}

void mdiQLV2::OpenCommPoort()
{
    if (!reopenPortQuietly()) {
        // A run that was logging ends here, with its stop record, and the indicators say so
        // before the box asks for attention.
        if (LoggenActief)
            StopVerbinding();
        setPanelText("Settings", &mdiQLV2::checkPortText);
        Antwoord = 2;
        TonenMelding(Taaltekst(152) + SeriePoort + QStringLiteral("' !"), MsgBox::Exclamation,
                     QStringLiteral("RS232"));
        return;
    }
    Antwoord = 1;
}

bool mdiQLV2::reopenPortQuietly()
{
    if (!port().isOpen() && !port().open())
        return false;
    port().setDtr(true);
    port().setRts(false);
    // The panel names the port in use, also after an earlier port's "Check ..." text.
    toonPoortPaneel();
    return true;
}

void mdiQLV2::SluitCommPoort()
{
    if (port().isOpen())
        port().close();
}

bool mdiQLV2::poortOpen() const { return port().isOpen(); }

bool mdiQLV2::CommConditiesOK() const { return InstrumentConnection::current().CommConditiesOK(); }

void mdiQLV2::WissenBuffersComm()
{
    if (!port().isOpen())
        return;
    // A poll's reply coming in (logging switched on mid-exchange) is not cut into: with part of
    // a line dropped, its value would be read without its unit. The next frame drops what is
    // left of it anyway.
    if (!ReplyAwaited())
        port().clearInput();
    port().clearOutput();
}

QString mdiQLV2::ZoekSerielePoorten()
{
    // The ports the system lists (and the numbers bound to devices), each tried once: a probe
    // of all 255 numbers would take long and find nothing more.
    SerialPortTable::bindAdapters();
    const QList<int> numbers = SerialPortTable::presentNumbers();
    FrmVoortgang &progress = FrmVoortgang::instance();
    progress.VoortgangTekst = Taaltekst(401);
    progress.show();
    progress.ProgressBar->setRange(0, qMax(1, int(numbers.size())));
    progress.ProgressBar->setValue(0);
    QStringList found;
    int step = 0;
    for (int n : numbers) {
        progress.setWindowTitle(VerwijderAmpersand(Taaltekst(114), QString()) +
                                QStringLiteral(": Port ") + QString::number(n));
        progress.ProgressBar->setValue(++step);
        Pump::once();
        AfbrekenZoeken = progress.VoortgangOnderbroken;
        if (AfbrekenZoeken)
            break;
        SerialPort probe;
        probe.setPortNumber(n);
        if (probe.open()) {
            probe.close();
            found << QStringLiteral("COM%1").arg(n);
        }
    }
    FrmVoortgang::unload();
    // The configured port stays the one a later open uses.
    port().setPortNumber(LeesPoortNummer(SeriePoort));
    return found.join(QStringLiteral(", "));
}
