#include "mainwindow/wiring.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "graph/graphwindow.h"
#include "instruments/connection.h"
#include "instruments/controllerdialog.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/terminal.h"
#include "instruments/transport.h"
#include "mainwindow/datamenu.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/graphwiring.h"
#include "mainwindow/menucommands.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/tableeditmenu.h"
#include "core/conversions.h"
#include "graph/graphprint.h"
#include "graph/printablegraph.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/grid.h"
#include "platform/serialport.h"
#include "printing/printdialog.h"
#include "printing/printrun.h"
#include "support/helpwindow.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/messagebox.h"
#include "support/splash.h"
#include "support/utilities.h"
#include "support/wrappers.h"
#include "views/rack.h"
#include "views/readingdisplay.h"
#include "views/table.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>
#include <QPointer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <memory>
#include <optional>

using namespace Hoofdmodule;

namespace {
// A child window in the work area. Its window menu's Close would take Ctrl+W, which the File
// menu's Save as owns: with both, Qt runs neither.
// A child window's normal place, noted whenever it moves or resizes in the normal state: read
// while the window is maximised or minimised, it is the place it goes back to. Asking the
// window itself means putting it in the normal state for a moment, and the work area then
// activates it and moves its maximised state from window to window.
class NormalePlaats : public QObject {
public:
    using QObject::QObject;
    static constexpr const char *Eigenschap = "normalePlaats";

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            if (auto *sub = qobject_cast<QMdiSubWindow *>(watched);
                sub && !(sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
                sub->setProperty(Eigenschap, sub->geometry());
        return false;
    }
};

QMdiSubWindow *kindVenster(mdiQLV2 &w, QWidget *child)
{
    QMdiSubWindow *sub = w.mdiArea()->addSubWindow(child);
    static NormalePlaats *plaatsen = nullptr;
    if (!plaatsen)
        plaatsen = new NormalePlaats(QCoreApplication::instance());
    sub->installEventFilter(plaatsen);
    if (QMenu *menu = sub->systemMenu())
        for (QAction *a : menu->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) > 0)
                a->setShortcuts(keys);
        }
    return sub;
}
} // namespace

namespace {

constexpr double TwipsPerPixel = 15.0;

QPointer<frmTabel> tableWindow;
QPointer<QMdiSubWindow> tableSubWindow;
QPointer<frmTerminal> terminalWindow;

QRect pixels(const WindowPlacement &p)
{
    return QRect(int(p.left / TwipsPerPixel), int(p.top / TwipsPerPixel),
                 int(p.width / TwipsPerPixel), int(p.height / TwipsPerPixel));
}

qint16 stateOf(const QWidget *w)
{
    return w->isMinimized() ? 1 : w->isMaximized() ? 2 : 0;
}

WindowPlacement twips(const QRect &r, qint16 state)
{
    WindowPlacement p;
    p.state = state;
    p.left = float(r.x() * TwipsPerPixel);
    p.top = float(r.y() * TwipsPerPixel);
    p.width = float(r.width() * TwipsPerPixel);
    p.height = float(r.height() * TwipsPerPixel);
    return p;
}

// The main window's place is that of its work area without the frame, as it was before it was
// maximised or minimised: setGeometry() restores exactly that.
WindowPlacement placementOfMain(const QWidget &w)
{
    const QRect normal = w.normalGeometry();
    return twips(normal.isValid() ? normal : w.geometry(), stateOf(&w));
}

// A child window is written with the state the user sees it in and the normal place it keeps
// meanwhile, as noted while it was normal; it is not touched.
WindowPlacement placementOfChild(QMdiSubWindow *sub)
{
    const qint16 state = stateOf(sub);
    if (state == 0)
        return twips(sub->geometry(), 0);
    const QRect normal = sub->property(NormalePlaats::Eigenschap).toRect();
    if (normal.isValid())
        return twips(normal, state);
    // Never normal since it was made: it is put there for a moment, as hidden as it was.
    QWidget *area = sub->parentWidget();
    const bool updates = area && area->updatesEnabled();
    if (area)
        area->setUpdatesEnabled(false);
    const Qt::WindowStates before = sub->windowState();
    sub->setWindowState(before & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    const WindowPlacement p = twips(sub->geometry(), state);
    sub->setWindowState(before);
    if (area)
        area->setUpdatesEnabled(updates);
    return p;
}

void applyState(QWidget *w, qint16 state)
{
    if (state == 1)
        w->setWindowState((w->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
    else if (state == 2)
        w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

QMdiSubWindow *subWindowOf(QWidget *w)
{
    return w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr;
}

// Child windows are placed within the work area, which has its size only once the main window
// is on screen: placements read before that wait until it is shown.
void place(QMdiSubWindow *sub, const WindowPlacement &p, bool visible)
{
    if (!sub)
        return;
    QWidget *main = sub->mdiArea() ? sub->mdiArea()->window() : nullptr;
    if (main && !main->isVisible()) {
        QObject *context = sub;
        QObject::connect(qobject_cast<mdiQLV2 *>(main), &mdiQLV2::shown, context,
                         [sub, p, visible] { place(sub, p, visible); },
                         Qt::SingleShotConnection);
        return;
    }
    sub->setWindowState(sub->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    sub->setGeometry(pixels(p));
    sub->setVisible(visible);
    if (!visible) // a hidden child window would be shown by its state
        return;
    if (p.state != 2) {
        applyState(sub, p.state);
        return;
    }
    // The work area keeps one child window maximised, the active one, and hands that state on
    // to the next window it activates: the window is maximised once every window read with it
    // has its place.
    QTimer::singleShot(0, sub, [sub] {
        if (!sub->isVisible())
            return;
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->showMaximized();
    });
}

QFont fontOf(const FontSettings &f)
{
    QFont font(f.name);
    if (f.size > 0)
        font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeThrough);
    return font;
}

FontSettings settingsOf(const QFont &font, qint32 colour)
{
    FontSettings f;
    f.name = font.family();
    f.size = float(font.pointSizeF());
    f.bold = font.bold();
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeThrough = font.strikeOut();
    f.colour = colour;
    return f;
}

class MainWindowHost : public WindowHost {
public:
    explicit MainWindowHost(mdiQLV2 &w) : m_w(w) {}

    void collectWindowSettings() override
    {
        WindowSettings::mainWindow = placementOfMain(m_w);
        for (int d = 1; d <= MaxToestellen; ++d) {
            FormRack *rack = RackVenster.bestaand(d);
            if (!rack)
                continue;
            RackWindowSettings &s = WindowSettings::rack[size_t(d)];
            s.visible = rack->Zichtbaar();
            if (QMdiSubWindow *sub = subWindowOf(rack))
                s.placement = placementOfChild(sub);
            for (int k = 0; k < 4; ++k) {
                QLabel *label = rack->LabelKanaal(k);
                s.channelLabelFonts[size_t(k)] = settingsOf(
                    label->font(), QColorNaarKleur(label->palette().color(QPalette::WindowText)));
            }
        }
        if (tableSubWindow) {
            WindowSettings::table.TabelTonen = tableSubWindow->isVisible();
            WindowSettings::table.placement = placementOfChild(tableSubWindow);
        }
        if (terminalWindow) {
            terminalWindow->InstellingenBewaren(WindowSettings::terminal);
            WindowSettings::terminal.placement = placementOfChild(subWindowOf(terminalWindow));
        }
        for (int n = 1; n <= MaxGrafieken; ++n)
            if (frmGrafiek *graph = GrafiekVenster.inGebruik(n)) {
                GraphSettings &s = WindowSettings::graph[size_t(n)];
                if (QMdiSubWindow *sub = subWindowOf(graph)) {
                    s.visible = sub->isVisible();
                    s.placement = placementOfChild(sub);
                }
            }
        if (tableWindow)
            for (int i = 0; i < frmTabel::AantalTabellen; ++i) {
                const GridData &g = tableWindow->MSHFlexGrid(i)->data();
                TableGridSettings &stored = WindowSettings::table.grids[size_t(i)];
                stored.font = settingsOf(g.font(), QColorNaarKleur(g.foreColor()));
                for (int c = 0; c < TabelKolommen; ++c)
                    stored.columnWidths[size_t(c)] = g.colWidth(c);
            }
    }
    void hideWindows() override
    {
        for (int d = 1; d <= MaxToestellen; ++d)
            if (FormRack *rack = RackVenster.bestaand(d))
                if (QMdiSubWindow *sub = subWindowOf(rack))
                    sub->hide();
        if (tableSubWindow)
            tableSubWindow->hide();
    }
    void mainWindowRead() override
    {
        const WindowPlacement &p = WindowSettings::mainWindow;
        m_w.setWindowState(m_w.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        m_w.setGeometry(pixels(p));
        applyState(&m_w, p.state);
    }
    void deviceRead(int slot) override
    {
        InstellenToestelProtocol(qint16(slot));
        if (!ToestelGeldig(slot))
            return;
        FormRack *rack = RackVenster[slot];
        const RackWindowSettings &s = WindowSettings::rack[size_t(slot)];
        for (int k = 0; k < 4; ++k) {
            QLabel *label = rack->LabelKanaal(k);
            label->setFont(fontOf(s.channelLabelFonts[size_t(k)]));
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, KleurNaarQColor(s.channelLabelFonts[size_t(k)].colour));
            label->setPalette(palette);
        }
        rack->FormInstellenControls();
        rack->LaadVensterTitel();
        // Last: setting the controls up puts the window in its normal state.
        place(subWindowOf(rack), s.placement, s.visible);
    }
    void graphRead(int graph) override
    {
        frmGrafiek *window = GrafiekVenster[graph];
        if (!window)
            return;
        window->Form_Load();
        const GraphSettings &s = WindowSettings::graph[size_t(graph)];
        place(subWindowOf(window), s.placement, s.visible);
    }
    void terminalRead() override
    {
        if (!terminalWindow)
            return;
        const TerminalSettings &t = WindowSettings::terminal;
        terminalWindow->InstellingenToepassen(t);
        place(subWindowOf(terminalWindow), t.placement, t.menuChecked);
    }
    void tableRead() override
    {
        if (!tableWindow)
            return;
        for (int i = 0; i < frmTabel::AantalTabellen; ++i) {
            Grid &grid = *tableWindow->MSHFlexGrid(i);
            GridData &g = grid.data();
            const TableGridSettings &stored = WindowSettings::table.grids[size_t(i)];
            g.setFont(fontOf(stored.font));
            g.setForeColor(KleurNaarQColor(stored.font.colour));
            for (int c = 0; c < TabelKolommen; ++c)
                g.setColWidth(c, stored.columnWidths[size_t(c)]);
            tableWindow->fitColumns(i);
        }
        tableWindow->StelTabelIn(false);
        if (WindowSettings::table.TabelTonen)
            tableWindow->selectStoredTab();
        place(tableSubWindow, WindowSettings::table.placement, WindowSettings::table.TabelTonen);
    }
    void saveButtonEnabled() override { ActiverenKnopBewaren(); }
    void titleChanged() override { m_w.ZetTitel(); }
    int generalSettingsDialog() override { return frmInstellen::TonenEnWachten(); }
    void reloadTexts() override { m_w.LaadStrings(); }
    void tileWindows() override { mnuWindowTileHorizontal_Click(m_w); }
    QSizeF screenTwips() const override
    {
        const QScreen *screen = m_w.screen();
        const QSize s = screen ? screen->availableSize() : QSize(1280, 1024);
        return QSizeF(s.width() * TwipsPerPixel, s.height() * TwipsPerPixel);
    }
    QSizeF mainClientTwips() const override
    {
        // Before the window is on screen its work area has no size yet: judge by the size the
        // main window is about to take.
        if (!m_w.isVisible()) {
            const WindowPlacement &p = WindowSettings::mainWindow;
            return p.state == 2 ? screenTwips() : QSizeF(p.width, p.height);
        }
        const QSize s = m_w.mdiArea()->size();
        return QSizeF(s.width() * TwipsPerPixel, s.height() * TwipsPerPixel);
    }
    int message(const QString &text, int flags, const QString &title) override
    {
        return TonenMelding(text, flags, title);
    }

private:
    mdiQLV2 &m_w;
};

SerialPort &port() { return InstrumentConnection::current().MSComm1; }

void startHelp(const QString &topic)
{
    ToonHelp(topic);
}

void showRack(int slot, bool shown)
{
    FormRack *rack = RackVenster[slot];
    if (!rack)
        return;
    rack->FormInstellenControls();
    rack->LaadStrings();
    rack->LaadVensterTitel();
    if (QMdiSubWindow *sub = subWindowOf(rack))
        sub->setVisible(shown);
}

void installPollHooks(mdiQLV2 &w)
{
    PollHooks &h = pollHooks();
    h.portOpen = [&w] { return w.poortOpen(); };
    h.openPort = [&w] { w.OpenCommPoort(); };
    h.clearPortBuffers = [&w] { w.WissenBuffersComm(); };
    h.runSettingsDialog = [] { frmInstellen::TonenEnWachten(1); };
    h.newDataFileName = [] { NieuweBestandsnaam(); };
    h.loadDataFile = [] { LaadMeetbestand(); };
    h.addRecentFile = [](const QString &name) {
        // A data file named on the command line that is not there does not go on the list.
        if (BestandOpCommando && !QFileInfo::exists(VervangDatum(name)))
            return;
        if (dataViews().updateFileMenu)
            dataViews().updateFileMenu(name);
    };
    h.prepareRackWindows = [] {
        for (int d = 1; d <= MaxToestellen; ++d) {
            FormRack *rack = RackVenster[d];
            if (rack && rack->Zichtbaar())
                rack->LaadStrings();
        }
    };
    h.measuringIndicators = [&w](bool on) {
        w.toolButton("tbrMeasure")->setChecked(on);
        w.toolButton("tbrLogger")->setEnabled(on);
        w.toolButton("tbrReceive")->setEnabled(!on);
        w.toolButton("tbrTransfer")->setEnabled(!on);
        if (QLabel *p = w.panel("Connect"))
            p->setEnabled(on);
        w.menuItem("mnuDataMeasure")->setChecked(on);
        // Keeps the menu's enabled items (and so their shortcuts) in step with measuring.
        w.mnuData_Click();
        for (int d = 1; d <= MaxToestellen; ++d) {
            qint16 slot = qint16(d);
            bool leeg = false;
            TonenMeting(slot, leeg);
        }
    };
    h.refreshLamps = [](int slot, bool busy, bool all) {
        markLampsChanged(qint16(slot), busy, all);
    };
    h.measuringShown = [&w] { w.InstellenKnopMeten(); };
    h.showReading = [](int slot) { markReadingChanged(qint16(slot)); };
    h.setLogTimerEnabled = [&w](bool on) {
        if (!on)
            w.TimerOpvragen.stop();
        else if (!w.TimerOpvragen.isActive())
            w.startLogTimer();
    };
    h.startStopLogging = [&w] { w.StartStopVerbinding(); };
    h.recordDue = [&w] { return w.recordDue(); };
    h.takeRecord = [&w] { w.takeRecord(); };
    h.cycleEnded = [&w] { w.cycleEnded(); };
    // The loop has waited for a quiet line itself, without holding up the event loop.
    h.sendPoll = [](int slot) {
        sendFrameNow(qint16(slot), Protocol::PollCommando[size_t(slot)]);
        expectReply(qint16(slot));
    };
    h.readReply = [](int slot) { return tryReadReading(qint16(slot)); };
    h.writeRecord = [](const QString &info, int tnr) {
        DataLog::instance().SchrijfMeting(info, tnr);
    };
    h.appendTableRow = [](const QString &info, int tnr) {
        if (tableWindow)
            tableWindow->VulTabellenAan(info, qint16(tnr));
    };
    h.feedGraphs = [](qint32 rows) { GrafiekVenster.VulGrafiekenAan(rows); };
    h.sampleRecorders = [](qint32 rows) { GrafiekVenster.BemonsterRecorders(rows); };
    h.recordersRunning = [] { return GrafiekVenster.RecordersActief(); };
}

void installSettingsDialogHooks(mdiQLV2 &w)
{
    SettingsDialogHooks &h = settingsDialogHooks();
    h.portOpen = [&w] { return w.poortOpen(); };
    h.closePort = [&w] { w.SluitCommPoort(); };
    h.scanPorts = [&w] {
        QStringList names;
        for (const QString &n : w.ZoekSerielePoorten().split(QLatin1Char(',')))
            if (!n.trimmed().isEmpty())
                names << n.trimmed();
        return names;
    };
    h.portDevice = [](const QString &name) {
        const int n = LeesPoortNummer(name);
        return n > 0 ? SerialPortTable::devicePath(n) : QString();
    };
    h.initPort = [&w] { w.initCommPoort(); };
    h.openPort = [&w] {
        w.OpenCommPoort();
        return w.poortOpen();
    };
    h.closeFiles = [] { DataLog::instance().close(); };
    h.reopenDataFile = [] { DataLog::instance().open(); };
    h.wakeLogTimer = [&w] { w.wakeLogTimer(); };
    h.mainTexts = [&w] { w.LaadStrings(); };
    h.rackWindow = [](int slot, bool shown) { showRack(slot, shown); };
    h.deviceProtocol = [](int slot) { InstellenToestelProtocol(qint16(slot)); };
    h.rackFonts = [](const ApparaatBronnen &bronnen) {
        std::array<std::optional<FormRack::Lettertypen>, MaxToestellen + 1> lettertypen;
        for (int d = 1; d <= MaxToestellen; ++d)
            if (FormRack *rack = RackVenster.bestaand(d))
                lettertypen[size_t(d)] = rack->HuidigeLettertypen();
        for (int s = 1; s <= MaxToestellen; ++s) {
            const int bron = bronnen[size_t(s)];
            FormRack *rack = RackVenster.bestaand(s);
            if (bron == s || !rack || !ToestelGeldig(s))
                continue;
            if (bron == 0)
                rack->StandaardLettertypen();
            else if (const auto &l = lettertypen[size_t(bron)])
                rack->ZetLettertypen(*l);
            rack->Form_Resize(); // the value size follows the window
        }
    };
    h.tableWindow = [](const std::array<bool, MaxToestellen + 1> &eigenRijen) {
        if (!tableWindow)
            return;
        // Rows logged for another controller are not shown under this one's name; the data
        // file keeps them, and a grid refills from the next record on.
        for (int s = 1; s <= MaxToestellen; ++s)
            if (ToestelGeldig(s) && !eigenRijen[size_t(s)])
                tableWindow->WisTabelGegevens(s - 1);
        tableWindow->StelTabelIn(false);
    };
    h.saveButton = [] { ActiverenKnopBewaren(); };
    h.startHelp = startHelp;

    ControllerDialogHooks &c = controllerDialogHooks();
    // The edited slot's lamp lights and every other rack's lamp shows it is not being polled.
    c.markRack = [](int slot, bool editing) {
        VernieuwenToestelVensters(qint16(slot), editing, editing);
    };
    c.rackEditEnded = [](int slot) {
        if (FormRack *rack = RackVenster.bestaand(slot); rack && rack->Zichtbaar()) {
            rack->WissenVensterMetingen();
            rack->LaadVensterTitel();
        }
    };
    c.rackCaption = [](int slot) {
        if (FormRack *rack = RackVenster.bestaand(slot); rack && rack->Zichtbaar())
            rack->LaadVensterTitel();
    };
    c.tableCaption = [] {
        if (tableWindow)
            tableWindow->LaadVensterTitel();
    };
    c.startHelp = startHelp;
}

void installMenus(mdiQLV2 &w)
{
    auto on = [&w](const char *name, std::function<void()> handler) {
        w.onMenuItem(QLatin1String(name), std::move(handler));
    };
    auto button = [&w](const char *key, const char *item) {
        QAction *b = w.toolButton(key);
        QAction *a = w.menuItem(item);
        if (b && a)
            QObject::connect(b, &QAction::triggered, a, [&w, a, b] {
                // The button reflects state; the menu command sets it again, and acts only
                // when the Data menu's own rules enable it.
                b->setChecked(!b->isChecked());
                w.mnuData_Click();
                a->trigger();
            });
    };
    on("mnuFileExit", [&w] { w.mnuFileExit_Click(); });
    on("mnuFileOpen", [&w] {
        w.StopVerbinding();
        // A pending working copy of the data file is settled first, under its expanded name.
        bool cancelled = true;
        HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
        if (cancelled)
            return;
        QString name = Meetbestandsnaam;
        OpenMeetbestand(name);
        w.LaadStrings();
        if (LaatsteAntwoord == 1 && Antwoord() != 2 && QFileInfo::exists(VervangDatum(name)))
            UpdateFileMenu(name);
        VulRecenteBestanden();
    });
    // Pending edits of the data file are settled before it is copied or left: Cancel leaves
    // everything as it was.
    on("mnuFileSaveAs", [] {
        bool cancelled = true;
        HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
        if (cancelled)
            return;
        BewaarMeetbestandAls(Meetbestandsnaam, false);
    });
    on("mnuFileNew", [&w] {
        bool cancelled = true;
        HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
        if (cancelled)
            return;
        // A new data file: logging stops with its stop record and the table starts empty.
        w.StopVerbinding();
        DataLog::instance().close();
        QString name = Meetbestandsnaam;
        BewaarMeetbestandAls(name, true);
        if (Antwoord() == 1) {
            HerstelGrafieken();
            AantalRijen = 0;
        }
        w.LaadStrings();
    });
    for (int i = 0; i < 4; ++i) {
        QAction *entry = w.menuItem(QStringLiteral("mnuRecentFile%1").arg(i));
        QObject::connect(entry, &QAction::triggered, &w, [&w, entry] {
            const QString name = entry->data().toString();
            if (name.isEmpty() || !acceptAsDataFile(name))
                return;
            // Opening a file while logging stops logging first, as File > Open does.
            w.StopVerbinding();
            bool cancelled = true;
            HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
            if (cancelled)
                return;
            DataLog::instance().close();
            Meetbestandsnaam = name;
            RelatieveTijd = false;
            HerstelGrafieken();
            ZetAntwoord(1);
            LaadMeetbestand();
            if (Antwoord() == 1)
                dataViews().updateFileMenu(name);
            w.ZetTitel();
        });
    }
    on("mnuFileSettings", [&w] {
        w.StopVerbinding();
        const bool alreadyOpen = frmInstellen::geopend() != nullptr;
        frmInstellen *dialog = frmInstellen::Tonen();
        w.LaadStrings();
        // The dialog answers after this command has returned; only its OK changes the settings.
        // (A dialog already open is only brought forward, and already followed.)
        if (!alreadyOpen)
            QObject::connect(dialog, &QDialog::accepted, &w, [&w] {
                w.PlaatsAanduidingenCOM();
                InstellingenGewijzigd = true;
                ActiverenKnopBewaren();
            });
    });
    on("mnuFileSaveSettings", [] { saveSettingsCommand(); });
    on("mnuSaveSettingsAs", [] { saveSettingsAsCommand(); });
    on("mnuReadSettings", [&w] {
        // From the settings file in use: after Save settings as, that is in another folder.
        const QString chosen = DialogProvider::current().openFileName(
            &w, VerwijderAmpersand(Taaltekst(315), QString()), InstellingenBestandsnaam,
            Taaltekst(119) + QStringLiteral(" (*") + InstellingenExtensie + QLatin1Char(')'));
        // A file deleted while the dialog was open is not taken.
        if (chosen.isEmpty() || !QFileInfo::exists(chosen))
            return;
        InstellingenBestandsnaam = chosen;
        Registry::write(RegisterNaam, "Settings", "FileNameSettings", chosen);
        InstellingenHerladen = true;
    });
    on("mnuDataMeasure", [&w] {
        if (MetenActief)
            StartStopMeten();
        else
            InstellenKnoppenMeten();
        w.InstellenKnopMeten();
    });
    on("mnuDatalogging", [&w] { w.StartStopVerbinding(); });
    on("mnuDataReceive", [&w] { w.mnuDataReceive_Click(); });
    on("mnuDataTransfer", [&w] { w.mnuDataTransfer_Click(); });
    on("mnuDataRack", [&w] {
        // Each use brings the next controller's rack window forward, in turn.
        static qint16 laatsteRackVenster = 0;
        const qint16 slot = VolgendRackVenster(laatsteRackVenster);
        if (slot == 0)
            return;
        showRack(slot, true);
        if (QMdiSubWindow *sub = subWindowOf(RackVenster[slot])) {
            if (sub->isMinimized())
                sub->showNormal();
            w.mdiArea()->setActiveSubWindow(sub);
        }
        laatsteRackVenster = slot;
    });
    on("mnuDataTabel", [&w] {
        if (tableSubWindow && AantalToestellen() > 0) {
            tableSubWindow->show();
            if (tableSubWindow->isMinimized())
                tableSubWindow->showNormal();
            w.mdiArea()->setActiveSubWindow(tableSubWindow);
        }
    });
    on("mnuExtraTerminal", [] {
        if (terminalWindow)
            terminalWindow->mnuExtraTerminal_Click();
    });
    if (QAction *b = w.toolButton("tbrTerminal"))
        QObject::connect(b, &QAction::triggered, &w, [] {
            if (!terminalWindow)
                return;
            if (terminalWindow->MenuAangevinkt()) {
                terminalWindow->container()->show();
                terminalWindow->container()->raise();
                terminalWindow->setFocus();
            } else {
                terminalWindow->mnuExtraTerminal_Click();
            }
        });
    on("mnuHelpContents", [] { startHelp(HelpCommando() + QStringLiteral("::/main_window.htm")); });
    on("mnuHelpInfo", [] { frmSplash::Toon(); });
    on("mnuSysInfo", [] { StartSysteemInfo(Taaltekst(247)); });
    Printerkode::printDialogHooks().startHelp = [](const QString &command) { startHelp(command); };
    Printerkode::printRunHooks().statusMelding = [&w](std::function<QString()> text) {
        w.setPanelText(QStringLiteral("Message"), std::move(text));
    };
    on("mnuFilePrint", [&w] {
        if (ZijnErVensters())
            Printerkode::AfdrukkenMetDialoog(&w);
    });
    on("mnuEditCopy", [&w] {
        QMdiSubWindow *sub = w.mdiArea()->currentSubWindow();
        QWidget *active = sub ? sub->widget() : nullptr;
        if (auto *table = qobject_cast<frmTabel *>(active))
            table->CopyElementen(table->Tab());
        else if (auto *rack = qobject_cast<FormRack *>(active))
            rack->FormCopy();
        else if (auto *terminal = qobject_cast<frmTerminal *>(active))
            terminal->CopyTerminal();
        else if (const auto *graph = dynamic_cast<const PrintableGraph *>(active))
            Grafiekafdruk::CopyGrafiek(*graph);
    });
    on("mnuWindowToolbar", [&w] {
        const bool shown = w.menuItem("mnuWindowToolbar")->isChecked();
        if (QToolBar *bar = w.findChild<QToolBar *>("Toolbar"))
            bar->setVisible(shown);
        Registry::write(RegisterNaam, "Settings", "Toolbar", BooleanTekst(shown));
    });
    QObject::connect(w.menu("mnuData"), &QMenu::aboutToShow, &w, [&w] { w.mnuData_Click(); });
    button("tbrMeasure", "mnuDataMeasure");
    button("tbrLogger", "mnuDatalogging");
    button("tbrReceive", "mnuDataReceive");
    button("tbrTransfer", "mnuDataTransfer");
    for (auto [key, item] : {std::pair{"tbrSaveSettings", "mnuFileSaveSettings"},
                             {"tbrNew", "mnuFileNew"},
                             {"tbrOpen", "mnuFileOpen"},
                             {"tbrSave", "mnuFileSaveAs"},
                             {"tbrProperties", "mnuFileSettings"},
                             {"tbrTable", "mnuDataTabel"},
                             {"tbrRack", "mnuDataRack"},
                             {"tbrCascade", "mnuWindowCascade"},
                             {"tbrHor", "mnuWindowTileHorizontal"},
                             {"tbrVer", "mnuWindowTileVertical"},
                             {"tbrHelp", "mnuHelpContents"},
                             {"tbrPrint", "mnuFilePrint"},
                             {"tbrCopy", "mnuEditCopy"}}) {
        QAction *b = w.toolButton(key);
        QAction *a = w.menuItem(item);
        if (b && a)
            QObject::connect(b, &QAction::triggered, a, &QAction::trigger);
    }
}

} // namespace

frmTabel *TabelVenster() { return tableWindow; }

void KoppelDataDiensten(mdiQLV2 &w)
{
    DataViews &views = dataViews();
    views.antwoord = &w.Antwoord;
    views.toolButtonEnabled = [&w](const QString &key, bool enabled) {
        if (QAction *b = w.toolButton(key))
            b->setEnabled(enabled);
    };
    views.menuItemEnabled = [&w](const QString &name, bool enabled) {
        if (QAction *a = w.menuItem(name))
            a->setEnabled(enabled);
    };
    views.recentFilesMenu = [&w](const QStringList &names) {
        if (QAction *sep = w.menuItem(QStringLiteral("SeparatorRecentFiles")))
            sep->setVisible(!names.isEmpty());
        for (int i = 0; i < 4; ++i) {
            QAction *entry = w.menuItem(QStringLiteral("mnuRecentFile%1").arg(i));
            if (!entry)
                continue;
            const bool used = i < names.size();
            entry->setText(used ? names[i] : QString());
            entry->setData(used ? names[i] : QString());
            entry->setVisible(used);
        }
    };
    views.activeWindow = [&w]() -> QWidget * {
        QMdiSubWindow *active = w.mdiArea()->currentSubWindow();
        return active ? active->widget() : nullptr;
    };
    // Child windows the user sees, minimised ones included; hidden ones do not count.
    views.ActieveVensters = [&w] {
        int n = 0;
        for (QMdiSubWindow *sub : w.mdiArea()->subWindowList())
            if (!sub->isHidden() && !sub->widget()->property("Tag").toString().isEmpty())
                ++n;
        return n;
    };
    // Nothing may reach a window that is gone.
    QObject::connect(&w, &QObject::destroyed, [] { dataViews() = DataViews(); });
}

void KoppelHoofdvenster(mdiQLV2 &w)
{
    static std::unique_ptr<MainWindowHost> host;
    host = std::make_unique<MainWindowHost>(w);
    WindowHost::install(host.get());
    QObject::connect(&w, &QObject::destroyed, [] {
        WindowHost::install(nullptr);
        host.reset();
        pollHooks() = PollHooks();
        GrafiekVenster.setMaker(nullptr);
        MainLink::setMainWindow(nullptr);
    });
    MainLink::setMainWindow(&w);
    MainLink::setBlankMessagePanel([&w] { w.setPanelText("Message", " "); });

    RackVenster.setMaker([&w](FormRack *rack) {
        QMdiSubWindow *sub = kindVenster(w, rack);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->resize(FormRack::DesignWidth / 15 + 8, FormRack::DesignHeight / 15 + 30);
        sub->hide();
        QObject::connect(rack, &FormRack::instellingenGewijzigd, &w, [] { ActiverenKnopBewaren(); });
        QObject::connect(rack, &FormRack::instellingenGevraagd, &w,
                         [](int slot, int kanaal) { FormSettingsController::Tonen(slot, kanaal); });
        QObject::connect(rack, &FormRack::bestandGesleept, &w,
                         [&w](const QString &path) { w.MDIForm_OLEDragDrop({path}); });
    });

    GrafiekVenster.setMaker([&w](frmGrafiek *graph) {
        QMdiSubWindow *sub = kindVenster(w, graph);
        sub->resize(500, 350);
        sub->hide();
        QObject::connect(graph, &frmGrafiek::bestandGesleept, &w,
                         [&w](const QString &path) { w.MDIForm_OLEDragDrop({path}); });
        QObject::connect(graph, &frmGrafiek::recorderGestart, &w, [&w] {
            if (!w.TimerOpvragen.isActive())
                w.startLogTimer();
        });
        QObject::connect(graph, &frmGrafiek::ontladen, &w, [&w](int number) {
            // Settings copied from a graph that is gone can no longer be pasted.
            if (w.Rs == number && w.KopieerSetGraph)
                w.KopieerSetGraph = false;
            ActiverenKnopBewaren();
        });
        KoppelGrafiekVenster(w, graph);
    });

    tableWindow = new frmTabel;
    tableSubWindow = kindVenster(w, tableWindow);
    tableSubWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    tableSubWindow->resize(700, 400);
    tableSubWindow->hide();
    QObject::connect(tableWindow, &frmTabel::instellingenGevraagd, &w,
                     [](int slot) { FormSettingsController::Tonen(slot); });
    QObject::connect(tableWindow, &frmTabel::bestandGesleept, &w,
                     [&w](const QString &path) { w.MDIForm_OLEDragDrop({path}); });

    terminalWindow = new frmTerminal;
    QMdiSubWindow *terminalSub = kindVenster(w, terminalWindow);
    terminalSub->setAttribute(Qt::WA_DeleteOnClose, false);
    terminalSub->resize(500, 300);
    terminalSub->hide();
    terminalWindow->VolgVerbinding(InstrumentConnection::current());
    QObject::connect(terminalWindow, &frmTerminal::menuAangevinkt, &w, [&w](bool checked) {
        if (QAction *a = w.menuItem("mnuExtraTerminal"))
            a->setChecked(checked);
    });

    KoppelDataDiensten(w);
    DataViews &views = dataViews();
    views.tabel = tableWindow;
    views.stopVerbinding = [&w] { w.StopVerbinding(); };
    views.updateFileMenu = [](const QString &name) {
        if (!name.isEmpty())
            UpdateFileMenu(name);
        VulRecenteBestanden();
    };
    views.tonenMeting = [](qint16 slot) {
        bool leeg = true;
        TonenMeting(slot, leeg);
    };
    views.wisGrafiekGegevens = [](int graph) {
        if (frmGrafiek *window = GrafiekVenster.inGebruik(graph))
            window->WisGrafiekGegevens();
    };
    views.ladenGrafiek = [](int graph) {
        if (frmGrafiek *window = GrafiekVenster.inGebruik(graph))
            window->LadenGrafiek();
    };
    // A reload starts from no windows: the new file brings its own rack and graph windows back.
    w.setBeforeReload([] {
        RackVenster.Ontladen();
        GrafiekVenster.Ontladen();
    });
    w.setSettleWorkingCopy([] {
        bool cancelled = false;
        HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
        return !cancelled;
    });

    installPollHooks(w);
    installSettingsDialogHooks(w);
    installMenus(w);
    KoppelMenuCommandos(w);
    KoppelTabelBewerkingen(w, tableWindow);
    KoppelGrafieken(w);

    QObject::connect(&w.TimerOpvragen, &QTimer::timeout, &w, [&w] { w.TimerOpvragen_Timer(); });
    QObject::connect(&w.TimerControleTeller, &QTimer::timeout, &w,
                     [&w] { w.TimerControleTeller_Timer(); });
    for (const char *key : {"Settings", "Connect"})
        if (QLabel *p = w.panel(key))
            p->installEventFilter(&w);

    QObject::connect(&DataLog::instance(), &DataLog::unwrittenRecordsChanged, &w, [&w](int count) {
        if (count <= 0) {
            w.setPanelText("Message", QStringLiteral(" "));
            return;
        }
        w.setPanelText("Message", [count] {
            return Taaltekst(502).replace(QStringLiteral("##"), QString::number(count));
        });
    });
    QObject::connect(&DataLog::instance(), &DataLog::loggingSwitchedOff, &w,
                     [&w] { w.PlaatsAanduidingenCOM(); });
    QObject::connect(&port(), &SerialPort::lost, &w, [&w] {
        w.setPanelText("Settings", &mdiQLV2::checkPortText);
        LineLost();
    });
}
