#include "core/datafile.h"
#include "core/services.h"
#include "core/datafilereader.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/conversions.h"
#include "instruments/pollloop.h"
#include "mainwindow/commandline.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/menucommands.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/splash.h"
#include "support/utilities.h"
#include "support/wrappers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMdiArea>
#include <QMenu>
#include <QDir>
#include <QFileInfo>
#include <QToolBar>

using namespace Hoofdmodule;

bool mdiQLV2::MDIForm_Load(const QStringList &arguments)
{
    QStringList args = arguments;
    APIDLL::WindowsVersie = BepaalWindowsVersie();
    VerzamelSysteemInfo(args);
    DataMap = MapDocumenten + QStringLiteral("/Marquel/QLV-2/Data");
    InstellingenMap = MapDocumenten + QStringLiteral("/Marquel/QLV-2/Settings");

    const Opdrachtregel opdracht = OntleedArgumenten(args);
    const Configuratie config = ConfiguratieVan(opdracht.configuratie);
    InstellingenExtensie = config.InstellingenExtensie;
    InstellingenBestand = config.InstellingenBestand;
    RegisterNaam = config.RegisterNaam;

    TaalIndex = 0;
    LaadTaal(TaalIndex);
    // The current folder is left alone: a relative data file name on the command line is
    // meant from where the program was started.
    AlleenLezen = false;
    LadenBezig = false;
    CommInitOverslaan = false;
    Tijdscheidingsteken = TijdTekst();
    TerminalLettertype = QStringLiteral("Courier New");
    TerminalVet = TerminalCursief = TerminalOnderstreept = false;
    TerminalKleurZenden = 0xFF00FF;
    TerminalKleurOntvangen = 0;
    InitialiserenToestellen();

    TaalIndex = TekstNaarInteger(Registry::read(RegisterNaam, "Settings", "Language", "0"));
    // The language the user chose is kept in the settings file, which is read only later on:
    // what start-up has to say before then comes in that language too.
    BepaalInstellingenBestand();
    if (const QString taal = TaalVanInstellingen(InstellingenBestandsnaam); !taal.isEmpty())
        TaalIndex = ZoekTaalIndex(taal);
    LaadTaal(TaalIndex);
    LaadStrings();

    // The command line's data file. One in a folder that does not exist (told) is not taken:
    // the data file is then the one the settings name, and the title shows that one.
    Meetbestandsnaam.clear();
    if (!opdracht.gegevensbestand.isEmpty()) {
        const QString naam = BestandUitCommando(opdracht.gegevensbestand);
        if (LaatsteAntwoord != 2) {
            Meetbestandsnaam = naam;
            BestandOpCommando = true;
        }
    }
    Antwoord = 1;

    for (const QString &folder : {DataMap, InstellingenMap}) {
        if (MaakMap(folder))
            continue;
        QString text = Taaltekst(480);
        text.replace(QStringLiteral("##"), QDir::toNativeSeparators(folder));
        DialogProvider::current().messageBox(this, text + Taaltekst(481), MsgBox::OkOnly,
                                             QStringLiteral("Marquel QLV-2"));
        return false;
    }

    if (m_showSplash) {
        // Clicks and keys do not close it during its two seconds; it is drawn as usual.
        if (frmSplash *splash = frmSplash::Toon())
            splash->setLocked(true);
        Pump::waitMs(2000);
        frmSplash::Ontladen();
    }

    BepaalInstellingenBestand();
    const SettingsReadResult read = LeesInstellingen(InstellingenBestandsnaam);
    if (read == SettingsReadResult::Cancelled || read == SettingsReadResult::Unreadable)
        return false;
    ZetTitel();

    if (VorigeInstantieActief(this)) {
        // The other copy owns the data file and its working copy: leave them alone, also when
        // the program is closed unattended while the question waits (which answers it No).
        m_declinedSecondCopy = true;
        const QString caption = Taaltekst(507);
        const int answer = DialogProvider::current().messageBox(
            this, caption + Taaltekst(499), MsgBox::YesNo, caption);
        if (answer != MsgBox::Yes || Pump::ending())
            return false;
        m_declinedSecondCopy = false;
    }

    // The stored choice, not isVisible(): the window itself is not shown yet.
    const bool toolbar = TekstNaarBoolean(Registry::read(RegisterNaam, "Settings", "Toolbar", "True"));
    m_toolbar->setVisible(toolbar);
    menuItem("mnuWindowToolbar")->setChecked(toolbar);
    VulRecenteBestanden();
    if (m_afterShow)
        m_afterShow();
    show();
    // Child windows read from the settings file take their places once the window is on
    // screen; that placing is no change of the settings (the flag is cleared below).
    Pump::once();
    if (SeriePoort.isEmpty())
        SeriePoort = QStringLiteral("COM1");
    if (!CommInitOverslaan)
        initCommPoort();
    PlaatsAanduidingenCOM();
    ZetTitel();
    LoggenActief = false;
    activateWindow();
    emit startedUp();
    InstellingenGewijzigd = false;
    MetenActief = true;
    KopieerSetGraph = KopieerSetTab = false;
    ProgrammaStoppen = false;
    InstellingenHerladen = false;

    while (!ProgrammaStoppen && !Pump::ending()) {
        if (InstellingenHerladen) {
            // Stop logging (with its stop record) before the slot table is reset, so the
            // record still has a field for every controller.
            StopVerbinding();
            DataLog::instance().close();
            if (m_beforeReload)
                m_beforeReload();
            InitialiserenToestellen();
            resetReadSettings();
            LeesInstellingen(InstellingenBestandsnaam);
            InstellingenHerladen = false;
        }
        StartenMeten();
    }
    return true;
}

void mdiQLV2::mnuFileExit_Click()
{
    m_unloadMode = UnloadMode::FromCode;
    close();
    m_unloadMode = UnloadMode::User;
}

void mdiQLV2::AfsluitenOnbewaakt()
{
    m_unloadMode = UnloadMode::Unattended;
    close();
}

bool mdiQLV2::MDIForm_QueryUnload(UnloadMode mode)
{
    if (m_declinedSecondCopy)
        return true;
    StopVerbinding();
    if (mode == UnloadMode::Unattended)
        return true; // no question may wait: a pending working copy is settled at the next start
    bool cancel = false;
    if (m_settleWorkingCopy && !m_settleWorkingCopy())
        cancel = true;
    if (!cancel && mode == UnloadMode::User && InstellingenGewijzigd) {
        const int answer = DialogProvider::current().messageBox(
            this, Taaltekst(183), MsgBox::YesNoCancel | MsgBox::Question, InstellingenBestandsnaam);
        // A save that failed (the user was told) keeps the program, so the changes are not
        // lost: the user can save elsewhere or close again and answer No.
        if (answer == MsgBox::Yes)
            cancel = !BewaarInstellingen(InstellingenBestandsnaam);
        else if (answer == MsgBox::Cancel)
            cancel = true;
    }
    return !cancel;
}

void mdiQLV2::MDIForm_Unload()
{
    DataLog::instance().close();
    SluitCommPoort();
    TimerOpvragen.stop();
    TimerControleTeller.stop();
    ProgrammaStoppen = true;
    // Every wait returns at once, boxes answer Cancel and the loops unwind to main().
    Pump::setEnding(true);
    if (!m_declinedSecondCopy) {
        const QDir folder(resourceFolder());
        for (const QString &name : folder.entryList({QStringLiteral("tmp~*")}, QDir::Files))
            QFile::remove(folder.filePath(name));
    }
}

void mdiQLV2::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // A record's write waits for the user's answer: the close (with its stop record) comes
    // after it. A shutdown cannot wait for the user: its box is answered Cancel.
    if (RecordWriteRunning()) {
        event->ignore();
        const UnloadMode mode = m_unloadMode;
        AfterRecordWrite(this, [this, mode] {
            m_unloadMode = mode;
            close();
            m_unloadMode = UnloadMode::User;
        });
        if (mode == UnloadMode::Unattended)
            for (FormMelding *box : FormMelding::openBoxes())
                box->reject();
        return;
    }
    if (!MDIForm_QueryUnload(m_unloadMode)) {
        event->ignore();
        return;
    }
    m_unloaded = true;
    MDIForm_Unload();
    event->accept();
}

void mdiQLV2::MDIForm_OLEDragDrop(const QStringList &files)
{
    if (RecordWriteRunning()) {
        AfterRecordWrite(this, [this, files] { MDIForm_OLEDragDrop(files); });
        return;
    }
    const QString first = files.value(0);
    if (first.isEmpty())
        return;
    if (!first.right(4).toLower().endsWith(QLatin1String(".csv"))) {
        DialogProvider::current().messageBox(this, Taaltekst(312), MsgBox::Exclamation, first);
        return;
    }
    if (!acceptAsDataFile(first))
        return;
    // The file being logged is closed by a load: logging stops first, with its stop record.
    StopVerbinding();
    DataLog::instance().close();
    Meetbestandsnaam = QFileInfo(first).absoluteFilePath();
    HerstelGrafieken();
    LaadMeetbestand();
    if (Antwoord == 1 && QFileInfo::exists(Meetbestandsnaam))
        UpdateFileMenu(Meetbestandsnaam);
    VulRecenteBestanden();
    ZetTitel();
}

void mdiQLV2::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void mdiQLV2::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    event->acceptProposedAction();
    MDIForm_OLEDragDrop(files);
}

void mdiQLV2::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // A new size is a setting worth keeping.
    if (isVisible()) {
        InstellingenGewijzigd = true;
        ActiverenKnopBewaren();
    }
}
