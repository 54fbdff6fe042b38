#include "mainwindow/datamenu.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/capture.h"
#include "instruments/download.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "views/table.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace Hoofdmodule;

DataMenuState DataMenuRegels(const DataMenuInput &in)
{
    DataMenuState s;
    // The check mark shows the flag, whatever window is active: nothing else may read it as the
    // measuring state.
    s.measureChecked = in.measuring;
    if (!in.slotValid)
        return s;
    s.measure = true;
    if (!in.readOnly && s.measureChecked)
        s.logging = true;
    if (!in.measuring && !in.activeTag.isEmpty()) {
        s.receive = VensterSoortTag(in.activeTag) != QLatin1String("grafi");
        s.transfer = true;
    }
    if (in.receiving || in.transferring)
        s.measure = false;
    return s;
}

QString VensterSoortTag(const QString &tag) { return tag.left(5).toLower(); }

qint16 VolgendRackVenster(qint16 laatste)
{
    for (int d = qMax(0, int(laatste)) + 1; d <= MaxToestellen; ++d)
        if (ToestelGeldig(d))
            return qint16(d);
    // Once round: from the first slot again, and no further when none is valid.
    for (int d = 1; d <= MaxToestellen; ++d)
        if (ToestelGeldig(d))
            return qint16(d);
    return 0;
}

namespace {

QWidget *actiefVenster(const mdiQLV2 &w)
{
    QMdiSubWindow *sub = w.mdiArea()->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

frmTabel *tabelVenster() { return dynamic_cast<frmTabel *>(dataViews().tabel); }

// A download or a capture is running: choosing its item again ends it. The items' check marks
// show these; choosing a checkable item has already flipped its mark when the handler runs.
bool ontvangenLoopt = false;
bool transferLoopt = false;

struct Loopt {
    bool &flag;
    explicit Loopt(bool &f) : flag(f) { flag = true; }
    ~Loopt() { flag = false; }
};

} // namespace

void mdiQLV2::mnuData_Click()
{
    QWidget *actief = actiefVenster(*this);
    DataMenuInput in;
    in.slotValid = AantalToestellen() > 0;
    in.readOnly = AlleenLezen;
    in.measuring = MetenActief;
    in.activeTag = actief ? actief->property("Tag").toString() : QString();
    in.receiving = menuItem("mnuDataReceive")->isChecked();
    in.transferring = menuItem("mnuDataTransfer")->isChecked();
    const DataMenuState s = DataMenuRegels(in);
    menuItem("mnuDataMeasure")->setEnabled(s.measure);
    menuItem("mnuDataMeasure")->setChecked(s.measureChecked);
    menuItem("mnuDatalogging")->setEnabled(s.logging);
    menuItem("mnuDataReceive")->setEnabled(s.receive);
    menuItem("mnuDataTransfer")->setEnabled(s.transfer);
}

void mdiQLV2::mnuDataReceive_Click()
{
    QAction *receive = menuItem("mnuDataReceive");
    QAction *transfer = menuItem("mnuDataTransfer");
    receive->setChecked(ontvangenLoopt);
    QWidget *actief = actiefVenster(*this);
    if (!actief)
        return;
    const QString soort = VensterSoortTag(actief->property("Tag").toString());
    if (ontvangenLoopt) {
        OntvangenActief = false;
        return;
    }
    frmTabel *tabel = tabelVenster();
    if (soort == QLatin1String("metin"))
        GekozenNummer = qint16(VensterSoort(actief->property("Tag").toString()));
    else if (soort == QLatin1String("tabel") && tabel)
        GekozenNummer = qint16(tabel->Tab() + 1);
    else
        return;
    if (!ToestelGeldig(GekozenNummer))
        return;
    if (tabel)
        tabel->setTab(GekozenNummer - 1);
    QString vraag = Taaltekst(289);
    vraag.replace(QStringLiteral("##"), Toestel[GekozenNummer].Naam);
    Antwoord = qint16(DialogProvider::current().messageBox(
        this, vraag, MsgBox::YesNo | MsgBox::Question, Taaltekst(262)));
    if (Antwoord != MsgBox::Yes)
        return;
    // Pending edits of the data file are settled first, as File > New does: the download may
    // take the data file's name, and edits accepted later would then be put over it.
    bool cancelled = true;
    HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
    if (cancelled)
        return;
    // Records must not land in the file being logged: logging ends first, with its stop record.
    StopVerbinding();
    DataLog::instance().close();
    QString naam = Meetbestandsnaam;
    BewaarMeetbestandAls(naam, true);
    if (Antwoord == 1) {
        // The port may have been closed since polling stopped: one try to open it.
        if (!poortOpen())
            OpenCommPoort();
        if (poortOpen()) {
            Loopt loopt(ontvangenLoopt);
            OpvragenGehouden lijnBezet;
            TakeOverLine();
            HerstelGrafieken();
            receive->setChecked(true);
            menuItem("mnuDatalogging")->setChecked(false);
            transfer->setChecked(false);
            transfer->setEnabled(false);
            toolButton("tbrReceive")->setChecked(true);
            WissenBuffersComm();
            TimerOpvragen.stop();
            setPanelText("Connect", [] { return Taaltekst(237); });
            if (QLabel *p = panel("Message"))
                p->setEnabled(false);
            do
                UitlezenLogGeheugen(GekozenNummer);
            while (OntvangenActief);
            receive->setChecked(false);
            transfer->setEnabled(true);
            toolButton("tbrReceive")->setChecked(false);
            if (QLabel *p = panel("Message"))
                p->setEnabled(true);
            // The download is over: the panel says again whether logging is on, instead of
            // "Receive ON" until the next refresh.
            InstellenKnopLoggen();
        }
        ZetTitel();
    }
    toolButton("tbrReceive")->setChecked(receive->isChecked());
    mnuData_Click();
}

void mdiQLV2::mnuDataTransfer_Click()
{
    QAction *receive = menuItem("mnuDataReceive");
    QAction *transfer = menuItem("mnuDataTransfer");
    transfer->setChecked(transferLoopt);
    if (transferLoopt) {
        TransferActief = false;
        return;
    }
    Antwoord = qint16(DialogProvider::current().messageBox(
        this, Taaltekst(293), MsgBox::YesNo | MsgBox::Question, Taaltekst(263)));
    if (Antwoord != MsgBox::Yes)
        return;
    // The first capture proposes a file of its own: with no name the dialog would be handed the
    // data folder itself, and take it for a file "Data" in the folder above.
    if (TransferBestand.isEmpty())
        TransferBestand = QDir(DataMap).absoluteFilePath(QStringLiteral("Untitled.txt"));
    TransferBestand = KiesBestandOpslaan(TransferBestand, QStringLiteral(".txt"), 216, 186, 0);
    // A cancelled dialog still captures, into "Untitled.txt": in the data folder, as every
    // file the program names by itself, not wherever the last dialog left the current folder.
    if (QFileInfo(TransferBestand).isRelative())
        TransferBestand = QDir(DataMap).absoluteFilePath(TransferBestand);
    if (!poortOpen())
        OpenCommPoort();
    if (poortOpen()) {
        Loopt loopt(transferLoopt);
        OpvragenGehouden lijnBezet;
        TakeOverLine();
        TransferActief = true;
        receive->setChecked(false);
        menuItem("mnuDatalogging")->setChecked(false);
        transfer->setChecked(true);
        receive->setEnabled(false);
        toolButton("tbrTransfer")->setChecked(true);
        WissenBuffersComm();
        TimerOpvragen.stop();
        setPanelText("Connect", [] { return Taaltekst(234); });
        if (QLabel *p = panel("Message"))
            p->setEnabled(false);
        do
            OpvangenDataTransfer(TransferBestand);
        while (TransferActief);
        if (QLabel *p = panel("Message"))
            p->setEnabled(true);
        // The capture is over: the panel says again whether logging is on, as after Receive.
        InstellenKnopLoggen();
    }
    receive->setEnabled(true);
    transfer->setChecked(false);
    toolButton("tbrTransfer")->setChecked(false);
    mnuData_Click();
}
