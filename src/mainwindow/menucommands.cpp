#include "mainwindow/menucommands.h"

#include "core/datafile.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "instruments/terminal.h"
#include "mainwindow/layout.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/menurules.h"
#include "mainwindow/sysinfo.h"
#include "mainwindow/toolbaricons.h"
#include "mainwindow/wiring.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/utilities.h"
#include "support/wrappers.h"
#include "views/rack.h"
#include "views/table.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolBar>
#include <QPointer>
#include <QRegularExpression>
#include <QToolButton>

using namespace Hoofdmodule;

namespace {

QString tagOf(const QWidget *w) { return w ? w->property("Tag").toString() : QString(); }

// Child windows that are shown (minimised ones too): hidden ones are not open for the user.
QList<QMdiSubWindow *> openSubWindows(mdiQLV2 &w)
{
    QList<QMdiSubWindow *> out;
    for (QMdiSubWindow *sub : w.mdiArea()->subWindowList())
        if (!sub->isHidden() && !tagOf(sub->widget()).isEmpty())
            out << sub;
    return out;
}

QMdiSubWindow *activeSub(mdiQLV2 &w)
{
    QMdiSubWindow *sub = w.mdiArea()->currentSubWindow();
    return sub && !sub->isHidden() ? sub : nullptr;
}

QMdiSubWindow *subWithTag(mdiQLV2 &w, const QString &tag)
{
    for (QMdiSubWindow *sub : w.mdiArea()->subWindowList())
        if (tagOf(sub->widget()).compare(tag, Qt::CaseInsensitive) == 0)
            return sub;
    return nullptr;
}

void arrangeIcons(mdiQLV2 &w);

QString graphTag(int g) { return QStringLiteral("grafiek%1").arg(g); }

void enable(mdiQLV2 &w, const char *name, bool on)
{
    if (QAction *a = w.menuItem(QLatin1String(name)))
        a->setEnabled(on);
}

void enableButton(mdiQLV2 &w, const char *key, std::optional<bool> on)
{
    if (!on)
        return;
    if (QAction *b = w.toolButton(QLatin1String(key)))
        b->setEnabled(*on);
}

void enableItem(mdiQLV2 &w, const char *name, std::optional<bool> on)
{
    if (on)
        enable(w, name, *on);
}

void applyWindowMenuRules(mdiQLV2 &w)
{
    QWidget *active = activeChild(w);
    const WindowMenuState s = windowMenuRules(ZijnErVensters() && active, vensterKind(active));
    enable(w, "mnuWindowFont", s.font);
    enable(w, "mnuExtraSettingsGraph", s.graphSettings);
}

GridData *currentTableGrid()
{
    frmTabel *t = TabelVenster();
    return t ? &t->MSHFlexGrid(t->Tab())->data() : nullptr;
}

void writeTimeSettings()
{
    if (TijdBasis.isValid())
        Registry::write(RegisterNaam, QStringLiteral("Time"), QStringLiteral("Base"),
                        DateTimeText::format(TijdBasis));
}

// The record time of a table row whose date and time cells are filled, in the whole seconds
// those cells show; invalid otherwise. A row logged live holds its time to the millisecond: as
// a reference that would put every later record a second short once the file is read back.
QDateTime rowMoment(const GridData &g, qint32 row)
{
    if (row < 1 || row >= g.rows() || g.textMatrix(row, 1).trimmed().isEmpty()
        || g.textMatrix(row, 2).trimmed().isEmpty())
        return QDateTime();
    const QDateTime moment = g.rowTime(row);
    return moment.addMSecs(-moment.time().msec());
}

void mnuRelatieveTijd_Click(mdiQLV2 &w)
{
    GridData *g = currentTableGrid();
    if (!g)
        return;
    RelatieveTijd = !RelatieveTijd;
    if (!RelatieveTijd) {
        LaadMeetbestand();
    } else {
        const qint32 row = g->rowSel();
        if (row > 0) {
            const QDateTime moment = rowMoment(*g, row);
            g->setRow(row);
            if (moment.isValid()) {
                TijdBasis = moment;
                LaadMeetbestand();
                writeTimeSettings();
            }
        } else {
            RelatieveTijd = false;
        }
    }
    w.menuItem("mnuRelatieveTijd")->setChecked(RelatieveTijd);
    Registry::write(RegisterNaam, QStringLiteral("Time"), QStringLiteral("Relative"),
                    RelatieveTijd ? QStringLiteral("-1") : QStringLiteral("0"));
}

void mnuTimeOrigin_Click()
{
    GridData *g = currentTableGrid();
    if (!g || !RelatieveTijd)
        return;
    const qint32 row = g->row();
    if (row < 1) {
        RelatieveTijd = false;
        return;
    }
    const QDateTime moment = rowMoment(*g, row);
    if (!moment.isValid())
        return;
    TijdBasis = moment;
    LaadMeetbestand();
    writeTimeSettings();
}

// The windows the tile commands place, in slot and graph-number order.
struct Placed {
    QMdiSubWindow *table = nullptr;
    QMdiSubWindow *terminal = nullptr;
    QList<QMdiSubWindow *> racks;
    QList<QMdiSubWindow *> graphs;
    QList<QMdiSubWindow *> minimised;
};

bool shown(QMdiSubWindow *sub) { return sub && !sub->isHidden() && !sub->isMinimized(); }

Placed windowsToPlace(mdiQLV2 &w)
{
    Placed p;
    for (QMdiSubWindow *sub : openSubWindows(w))
        if (sub->isMinimized())
            p.minimised << sub;
    QMdiSubWindow *table = subWithTag(w, QStringLiteral("tabel"));
    QMdiSubWindow *terminal = subWithTag(w, QStringLiteral("terminal"));
    p.table = shown(table) ? table : nullptr;
    p.terminal = shown(terminal) ? terminal : nullptr;
    for (int d = 1; d <= MaxToestellen; ++d)
        if (ToestelGeldig(d))
            if (QMdiSubWindow *sub = subWithTag(w, QStringLiteral("meting%1").arg(d)); shown(sub))
                p.racks << sub;
    for (int g = 1; g <= MaxGrafieken; ++g)
        if (QMdiSubWindow *sub = subWithTag(w, graphTag(g)); shown(sub))
            p.graphs << sub;
    return p;
}

void put(QMdiSubWindow *sub, const std::optional<QRect> &r)
{
    if (!sub || !r)
        return;
    if (sub->isMaximized())
        sub->showNormal();
    sub->setGeometry(*r);
}

void tile(mdiQLV2 &w, bool vertical)
{
    // The tile commands leave the settings' changed flag alone.
    arrangeIcons(w);
    const Placed p = windowsToPlace(w);
    std::vector<int> iconTops;
    for (QMdiSubWindow *sub : p.minimised)
        iconTops.push_back(sub->y());
    TegelInvoer in;
    in.client = w.mdiArea()->viewport()->size();
    in.iconBand = BerekenVensterMaat(in.client.height(), iconTops);
    in.table = p.table != nullptr;
    in.terminal = p.terminal != nullptr;
    in.racks = int(p.racks.size());
    in.graphs = int(p.graphs.size());
    // A window is never made smaller than its title bar, frame and controls can hold; each
    // band is judged by its own windows, not by the largest of all.
    const auto smallest = [](const QList<QMdiSubWindow *> &subs) {
        QSize m(1, 1);
        for (QMdiSubWindow *sub : subs)
            m = m.expandedTo(sub->minimumSizeHint());
        return m;
    };
    if (p.table)
        in.tableMinimum = smallest({p.table});
    if (p.terminal)
        in.terminalMinimum = smallest({p.terminal});
    in.rackMinimum = smallest(p.racks);
    in.graphMinimum = smallest(p.graphs);
    const TegelUitvoer out = vertical ? TegelVerticaal(in) : TegelHorizontaal(in);
    put(p.table, out.table);
    put(p.terminal, out.terminal);
    for (size_t i = 0; i < out.racks.size(); ++i)
        put(p.racks[qsizetype(i)], out.racks[i]);
    for (size_t i = 0; i < out.graphs.size(); ++i)
        put(p.graphs[qsizetype(i)], out.graphs[i]);
}

const char *const windowListEntry = "windowListEntry";

// The Window menu ends with the open child windows; the active one is checked.
void fillWindowList(mdiQLV2 &w)
{
    QMenu *menu = w.menu("mnuWindow");
    for (QAction *a : menu->actions())
        if (a->property(windowListEntry).toBool())
            delete a;
    const QList<QMdiSubWindow *> subs = openSubWindows(w);
    if (subs.isEmpty())
        return;
    menu->addSeparator()->setProperty(windowListEntry, true);
    QMdiSubWindow *active = activeSub(w);
    int n = 0;
    for (QMdiSubWindow *sub : subs) {
        ++n;
        QString title = sub->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *a = menu->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title);
        a->setObjectName(QStringLiteral("mnuWindowList%1").arg(n));
        a->setCheckable(true);
        a->setChecked(sub == active);
        QObject::connect(a, &QAction::triggered, &w, [&w, sub = QPointer<QMdiSubWindow>(sub)] {
            if (!sub)
                return;
            if (sub->isMinimized())
                sub->showNormal();
            w.mdiArea()->setActiveSubWindow(sub);
        });
        a->setProperty(windowListEntry, true);
    }
}

// A graph's own caption as its window shows it, else as its settings keep it.
QString graphCaption(mdiQLV2 &w, int g)
{
    if (QMdiSubWindow *sub = subWithTag(w, graphTag(g)))
        return sub->widget()->windowTitle();
    return g >= 1 && g <= MaxGrafieken ? WindowSettings::graph[size_t(g)].caption : QString();
}

} // namespace

QWidget *activeChild(mdiQLV2 &w)
{
    QMdiSubWindow *sub = activeSub(w);
    return sub ? sub->widget() : nullptr;
}

MenuHooks &menuHooks()
{
    static MenuHooks hooks;
    return hooks;
}

void mnuEdit_Click(mdiQLV2 &w)
{
    QWidget *active = activeChild(w);
    EditMenuInput in;
    qint16 slot = 0;
    in.slotValid = VolgendToestel(slot);
    in.windowsOpen = ZijnErVensters();
    in.logging = LoggenActief;
    in.kind = vensterKind(active);
    in.readOnly = AlleenLezen;
    in.copySetGraph = w.KopieerSetGraph;
    in.copySetTab = w.KopieerSetTab;
    in.relatieveTijd = RelatieveTijd;
    const EditMenuState s = editMenuRules(in);
    enable(w, "mnuEditCopy", s.copy);
    enable(w, "mnuEditInfo", s.info);
    enable(w, "mnuClearLine", s.clearLine);
    enable(w, "mnuDeleteLine", s.deleteLine);
    enable(w, "mnuRelatieveTijd", s.relatieveTijd);
    w.menuItem("mnuRelatieveTijd")->setChecked(s.relatieveTijdChecked);
    enable(w, "mnuTimeOrigin", s.timeOrigin);
    enable(w, "mnuEditCopySettings", s.copySettings);
    enable(w, "mnuEditPasteSettings", s.pasteSettings);
    const QString kind = s.settingsKindEntry
        ? QStringLiteral(" (") + Taaltekst(s.settingsKindEntry) + QLatin1Char(')')
        : QString();
    w.menuItem("mnuEditCopySettings")->setText(Taaltekst(342) + kind);
    w.menuItem("mnuEditPasteSettings")->setText(Taaltekst(343) + kind);
    if (QAction *b = w.toolButton("tbrCopy"))
        b->setEnabled(s.copy);
}

void InstellenButtons(mdiQLV2 &w)
{
    mnuEdit_Click(w);
    const ButtonStates s =
        buttonRules({ZijnErVensters(), vensterKind(activeChild(w)), MetenActief, AantalGrafieken});
    // The copy button follows whether there is something to copy.
    InstellenWerkbalk();
    enableButton(w, "tbrGraphSettings", s.graphSettings);
    enableItem(w, "mnuExtraSettingsGraph", s.graphSettings);
    enableButton(w, "tbrFont", s.font);
    enableItem(w, "mnuWindowFont", s.font);
    enableButton(w, "tbrSaveSettings", s.saveSettings);
    enableButton(w, "tbrReceive", s.receiveButton);
    enableButton(w, "tbrTransfer", s.transferButton);
    enableItem(w, "mnuDataReceive", s.receiveItem);
    enableItem(w, "mnuDataTransfer", s.transferItem);
}

void TonenGrafieken(mdiQLV2 &w)
{
    if (AantalGrafieken < 1)
        return;
    // With no graph active the search starts at the first graph.
    QWidget *active = activeChild(w);
    const int start = vensterKind(active) == QLatin1String("grafi") ? VensterSoort(tagOf(active)) : 0;
    const int g = volgendeGrafiek(start, MaxGrafieken, [&w](int n) {
        return GrafiekInGebruik(n) && subWithTag(w, graphTag(n));
    });
    if (g == 0)
        return;
    QMdiSubWindow *sub = subWithTag(w, graphTag(g));
    sub->show();
    if (sub->isMinimized())
        sub->showNormal();
    w.mdiArea()->setActiveSubWindow(sub);
}

void mnuEditCopySettings_Click(mdiQLV2 &w)
{
    w.KopieerSetGraph = false;
    w.KopieerSetTab = false;
    if (!ZijnErVensters())
        return;
    QWidget *active = activeChild(w);
    const QString kind = vensterKind(active);
    if (kind == QLatin1String("tabel") && TabelVenster()) {
        w.Rs = qint16(TabelVenster()->Tab());
        w.KopieerSetTab = true;
    } else if (kind == QLatin1String("grafi")) {
        w.Rs = qint16(VensterSoort(tagOf(active)));
        w.KopieerSetGraph = true;
    }
    // Replace settings is offered from now on, also to its toolbar and pop-up callers.
    mnuEdit_Click(w);
}

void mnuEditPasteSettings_Click(mdiQLV2 &w)
{
    if (!ZijnErVensters())
        return;
    QWidget *active = activeChild(w);
    const QString kind = vensterKind(active);
    const QString title = VerwijderAmpersand(Taaltekst(343), QString());
    const auto ask = [&w, &title](QString text, const QString &from, const QString &to) {
        text.replace(QStringLiteral("XX"), from);
        text.replace(QStringLiteral("YY"), to);
        w.Antwoord = qint16(DialogProvider::current().messageBox(
            &w, text, MsgBox::YesNo | MsgBox::Question, title));
        return w.Antwoord == MsgBox::Yes;
    };
    if (kind == QLatin1String("tabel") && w.KopieerSetTab && TabelVenster()) {
        const int target = TabelVenster()->Tab();
        if (w.Rs < 0 || w.Rs > 30 || target < 0 || target > 30)
            return;
        if (ask(Taaltekst(340), Toestel[w.Rs + 1].Naam, Toestel[target + 1].Naam))
            KopieerTabelInstellingen(w.Rs, target);
    } else if (kind == QLatin1String("grafi") && w.KopieerSetGraph) {
        const int target = VensterSoort(tagOf(active));
        if (w.Rs < 1 || w.Rs > MaxGrafieken || target < 1 || target > MaxGrafieken)
            return;
        if (ask(Taaltekst(341), graphCaption(w, w.Rs), graphCaption(w, target)))
            KopieerGrafiekInstellingen(w.Rs, target);
    }
}

void KopieerTabelInstellingen(int vanM, int naarM)
{
    frmTabel *t = TabelVenster();
    if (!t || vanM < 0 || naarM < 0 || vanM >= frmTabel::AantalTabellen
        || naarM >= frmTabel::AantalTabellen)
        return;
    const GridData &from = t->MSHFlexGrid(vanM)->data();
    GridData &to = t->MSHFlexGrid(naarM)->data();
    for (int c = 0; c < to.cols(); ++c)
        to.setColWidth(c, from.colWidth(c));
    QFont font = to.font();
    font.setFamily(from.font().family());
    if (from.font().pointSizeF() > 0)
        font.setPointSizeF(from.font().pointSizeF());
    font.setBold(from.font().bold());
    font.setItalic(from.font().italic());
    font.setStrikeOut(from.font().strikeOut());
    font.setUnderline(from.font().underline());
    to.setForeColor(from.foreColor());
    to.setFont(font);
    t->MSHFlexGrid(naarM)->viewport()->update();
}

void copyGraphSettings(const GraphSettings &from, GraphSettings &to)
{
    to.AutomatischeSchaal = from.AutomatischeSchaal;
    to.GrafiekMinimum = from.GrafiekMinimum;
    to.GrafiekMaximum = from.GrafiekMaximum;
    to.AantalWaardenVerdelingen = from.AantalWaardenVerdelingen;
    to.AantalTijdVerdelingen = from.AantalTijdVerdelingen;
    to.AantalWaardenOnderverdelingen = from.AantalWaardenOnderverdelingen;
    to.MaxGrafiekZichtbaar = from.MaxGrafiekZichtbaar;
    to.LabelKeuze = from.LabelKeuze;
    to.LegendeKeuze = from.LegendeKeuze;
    // The statistics switches live in the line table (entries 3..5 of each line); the lines'
    // sources (entries 1 and 2) stay the target's own.
    for (int lijn = 1; lijn <= MaxGrafiekLijnen; ++lijn)
        for (int entry = 3; entry <= 5; ++entry)
            to.SchrijfGrafiekLijnRef(lijn, entry, from.LeesGrafiekLijnRef(lijn, entry));
    for (int serie = 1; serie <= GrafiekReeksen; ++serie)
        to.ZetDiagramKleur(serie, from.GrafiekKleur(serie));
    to.AlarmHoog = from.AlarmHoog;
    to.AlarmLaag = from.AlarmLaag;
    to.AlarmHoogWaarde = from.AlarmHoogWaarde;
    to.AlarmLaagWaarde = from.AlarmLaagWaarde;
}

void KopieerGrafiekInstellingen(int vanG, int naarG)
{
    if (vanG < 1 || naarG < 1 || vanG > MaxGrafieken || naarG > MaxGrafieken)
        return;
    const MenuHooks &h = menuHooks();
    if (h.graphCollect) {
        h.graphCollect(vanG);
        h.graphCollect(naarG);
    }
    copyGraphSettings(WindowSettings::graph[size_t(vanG)], WindowSettings::graph[size_t(naarG)]);
    if (h.graphApply)
        h.graphApply(naarG);
    else
        WindowHost::current().graphRead(naarG);
}

bool OnRecentFilesList(const QString &filename)
{
    return RecenteBestanden().contains(filename, Qt::CaseInsensitive);
}

void UpdateFileMenu(const QString &name)
{
    const QString filename = VervangDatum(name);
    const QStringList list = RecenteBestanden();
    const qsizetype i = list.indexOf(QRegularExpression(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(filename)),
        QRegularExpression::CaseInsensitiveOption));
    if (i < 0) {
        ToevoegenRecentBestand(filename);
    } else if (i > 0) {
        const QString section = QStringLiteral("Recent Files");
        for (qsizetype k = i; k >= 1; --k) {
            const QString value = list[k - 1];
            Registry::write(RegisterNaam, section, QStringLiteral("RecentFile%1").arg(k + 1), value);
        }
        Registry::write(RegisterNaam, section, QStringLiteral("RecentFile1"), filename);
    }
    VulRecenteBestanden();
}

void mnuWindowFont_Click(mdiQLV2 &w)
{
    if (!ZijnErVensters())
        return;
    QWidget *active = activeChild(w);
    const QString kind = vensterKind(active);
    if (kind == QLatin1String("metin")) {
        auto *rack = qobject_cast<FormRack *>(active);
        if (!rack)
            return;
        // A cancelled dialog leaves the rack as it was: the units keep their own face.
        if (KiesLettertype(rack->LabelWaarde(0), false, false))
            rack->ZetWaardeLettertype(rack->WaardeLettertype());
    } else if (kind == QLatin1String("tabel")) {
        frmTabel *t = TabelVenster();
        if (!t)
            return;
        Grid *grid = t->MSHFlexGrid(t->Tab());
        GridData &g = grid->data();
        grid->setFont(g.font());
        QPalette palette = grid->palette();
        palette.setColor(QPalette::WindowText, g.foreColor());
        grid->setPalette(palette);
        KiesLettertype(grid, true, true);
        g.setFont(grid->font());
        g.setForeColor(grid->palette().color(QPalette::WindowText));
        grid->viewport()->update();
    } else if (kind == QLatin1String("termi")) {
        if (auto *terminal = qobject_cast<frmTerminal *>(active))
            KiesLettertype(terminal->TxtLineInput(), true, true);
    }
}

void mnuWindowTileHorizontal_Click(mdiQLV2 &w) { tile(w, false); }
void mnuWindowTileVertical_Click(mdiQLV2 &w) { tile(w, true); }

void mnuWindowCascade_Click(mdiQLV2 &w)
{
    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *sub : w.mdiArea()->subWindowList(QMdiArea::StackingOrder))
        if (!sub->isHidden() && !sub->isMinimized())
            subs << sub;
    std::vector<QSize> sizes;
    for (QMdiSubWindow *sub : subs) {
        if (sub->isMaximized())
            sub->showNormal();
        sizes.push_back(sub->size());
    }
    const int step = w.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, subs.value(0)) + 4;
    const std::vector<QPoint> at = Trapsgewijs(w.mdiArea()->viewport()->size(), sizes, step);
    for (qsizetype i = 0; i < subs.size(); ++i) {
        subs[i]->move(at[size_t(i)]);
        subs[i]->raise();
    }
    InstellingenGewijzigd = true;
}

void mnuWindowArrangeIcons_Click(mdiQLV2 &w)
{
    arrangeIcons(w);
    InstellingenGewijzigd = true;
}

namespace {
void arrangeIcons(mdiQLV2 &w)
{
    QList<QMdiSubWindow *> icons;
    for (QMdiSubWindow *sub : openSubWindows(w))
        if (sub->isMinimized())
            icons << sub;
    if (!icons.isEmpty()) {
        const std::vector<QPoint> at =
            IconenSchikken(w.mdiArea()->viewport()->size(), icons.first()->size(), int(icons.size()));
        for (qsizetype i = 0; i < icons.size(); ++i)
            icons[i]->move(at[size_t(i)]);
    }
}
} // namespace

void KoppelMenuCommandos(mdiQLV2 &w)
{
    auto on = [&w](const char *name, std::function<void()> handler) {
        w.onMenuItem(QLatin1String(name), std::move(handler));
    };
    QObject::connect(w.menu("mnuEdit"), &QMenu::aboutToShow, &w, [&w] { mnuEdit_Click(w); });
    QObject::connect(w.menu("mnuFile"), &QMenu::aboutToShow, &w, [&w] {
        const FileMenuState s = fileMenuRules({AlleenLezen, ZijnErVensters()});
        enable(w, "mnuFileSaveAs", s.saveAs);
        enable(w, "mnuFilePrint", s.print);
    });
    QObject::connect(w.menu("mnuView"), &QMenu::aboutToShow, &w, [&w] {
        const bool any = AantalToestellen() > 0;
        enable(w, "mnuDataRack", any);
        enable(w, "mnuDataTabel", any);
    });
    QObject::connect(w.menu("mnuWindow"), &QMenu::aboutToShow, &w, [&w] {
        applyWindowMenuRules(w);
        fillWindowList(w);
    });
    on("mnuEditCopySettings", [&w] { mnuEditCopySettings_Click(w); });
    on("mnuEditPasteSettings", [&w] { mnuEditPasteSettings_Click(w); });
    on("mnuRelatieveTijd", [&w] { mnuRelatieveTijd_Click(w); });
    on("mnuTimeOrigin", [] { mnuTimeOrigin_Click(); });
    on("mnuViewGraph", [&w] { TonenGrafieken(w); });
    on("mnuWindowFont", [&w] { mnuWindowFont_Click(w); });
    on("mnuWindowTileHorizontal", [&w] { mnuWindowTileHorizontal_Click(w); });
    on("mnuWindowTileVertical", [&w] { mnuWindowTileVertical_Click(w); });
    on("mnuWindowCascade", [&w] { mnuWindowCascade_Click(w); });
    on("mnuWindowArrangeIcons", [&w] { mnuWindowArrangeIcons_Click(w); });
    // The relative-time items are checkable by the program only: a click runs the command.
    w.menuItem("mnuRelatieveTijd")->setCheckable(true);
    // The toolbar is shown until the stored setting says otherwise.
    w.menuItem("mnuWindowToolbar")->setChecked(!w.findChild<QToolBar *>("Toolbar")->isHidden());

    auto button = [&w](const char *key, auto handler) {
        if (QAction *b = w.toolButton(QLatin1String(key)))
            QObject::connect(b, &QAction::triggered, &w, handler);
    };
    button("tbrFont", [&w] {
        applyWindowMenuRules(w);
        mnuWindowFont_Click(w);
    });
    button("tbrGraphSettings", [&w] {
        applyWindowMenuRules(w);
        if (QAction *a = w.menuItem("mnuExtraSettingsGraph"); a && a->isEnabled())
            a->trigger();
    });
    button("tbrGraph", [&w] { TonenGrafieken(w); });
    // The graph button's drop-down: new graphs from table values or as XY recorder.
    if (QAction *graph = w.toolButton("tbrGraph")) {
        auto *dropDown = new QMenu(&w);
        dropDown->setObjectName("tbrGraphMenu");
        for (const char *item : {"mnuGraphNewTable", "mnuGraphNewRecorder"}) {
            QAction *entry = dropDown->addAction(QString());
            entry->setObjectName(QLatin1String(item) + QLatin1String("Button"));
            QObject::connect(entry, &QAction::triggered, &w, [&w, item] {
                if (QAction *a = w.menuItem(QLatin1String(item)))
                    a->trigger();
            });
        }
        graph->setMenu(dropDown);
        if (auto *tb = qobject_cast<QToolButton *>(
                w.findChild<QToolBar *>("Toolbar")->widgetForAction(graph)))
            tb->setPopupMode(QToolButton::MenuButtonPopup);
    }
    const auto labelDropDown = [&w] {
        if (QAction *graph = w.toolButton("tbrGraph"); graph && graph->menu()) {
            const QList<QAction *> entries = graph->menu()->actions();
            entries[0]->setText(Taaltekst(357));
            entries[1]->setText(VerwijderAmpersand(Taaltekst(344), QString()));
        }
    };
    labelDropDown();
    QObject::connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, &w,
                     labelDropDown);

    // "/sysinfo" is answered while the program starts, before its language is loaded and its
    // main window shown: the report waits for the start-up to end, so that it opens in front
    // of the main window and with its captions.
    setSystemInfoViewer([&w] {
        if (w.isVisible())
            ToonSysteemInfo(&w);
        else
            QObject::connect(&w, &mdiQLV2::startedUp, &w, [&w] { ToonSysteemInfo(&w); },
                             Qt::SingleShotConnection);
    });
    QObject::connect(&w, &QObject::destroyed, [] { setSystemInfoViewer({}); });

    ZetWerkbalkIconen(w);
    QObject::connect(w.mdiArea(), &QMdiArea::subWindowActivated, &w,
                     [&w](QMdiSubWindow *) {
                         // The work area still activates windows while the main window goes.
                         if (mdiQLV2::instance() == &w)
                             InstellenButtons(w);
                     });
    InstellenButtons(w);
}
