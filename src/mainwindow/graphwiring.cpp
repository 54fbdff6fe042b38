#include "mainwindow/graphwiring.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphwindow.h"
#include "mainwindow/graphmenu.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/menucommands.h"
#include "printing/printdialog.h"
#include "printing/printrun.h"
#include "views/tableedits.h"

#include <QAction>
#include <QMenu>

using namespace Hoofdmodule;

namespace {

frmGrafiek *activeGraph(mdiQLV2 &w) { return qobject_cast<frmGrafiek *>(activeChild(w)); }

void applyVisibility(mdiQLV2 &w, const QHash<QString, bool> &visible)
{
    for (auto it = visible.cbegin(); it != visible.cend(); ++it)
        if (QAction *a = w.menuItem(it.key()))
            a->setVisible(it.value());
}

void mnuGraph_Click(mdiQLV2 &w)
{
    qint16 slot = 0;
    const bool valid = VolgendToestel(slot);
    QWidget *active = activeChild(w);
    const GraphMenuEnabling e = GraphMenuRules(
        valid, AantalGrafieken, active ? active->property("Tag").toString() : QString());
    w.menuItem("mnuExtraSettingsGraph")->setEnabled(e.settings);
    w.menuItem("mnuGraphNew")->setEnabled(e.newGraph);
    if (e.newGraph)
        w.InstellenKnopMenus();
}

void nieuweGrafiek(bool recorder)
{
    NewGraphHooks hooks;
    hooks.loadNewWindow = [](int g) -> qint16 { return LaadNieuweGrafiek(g) ? 1 : 2; };
    // The window's load already built its chart from the confirmed settings.
    hooks.unloadWindow = [](int g) {
        if (frmGrafiek *window = GrafiekVenster.bestaand(g))
            window->SluitDoorCode();
    };
    NieuweGrafiek(recorder, hooks);
}

} // namespace

void HerstelGrafiekMenu(mdiQLV2 &w) { applyVisibility(w, GraphMenuVisibility(false, {})); }

void KoppelGrafiekVenster(mdiQLV2 &w, frmGrafiek *graph)
{
    QObject::connect(graph, &frmGrafiek::menuGevraagd, &w, [&w](const QPoint &at) {
        QMenu *menu = w.menu("mnuGraph");
        if (!menu)
            return;
        mnuGraph_Click(w);
        mnuEdit_Click(w);
        applyVisibility(w, GraphMenuVisibility(true, {}));
        w.menuItem("mnuGraphCopy")->setEnabled(w.menuItem("mnuEditCopy")->isEnabled());
        w.menuItem("mnuGraphCopySettings")->setEnabled(true);
        w.menuItem("mnuGraphPasteSettings")->setEnabled(w.KopieerSetGraph);
        menu->exec(at);
        HerstelGrafiekMenu(w);
    });
}

void KoppelGrafieken(mdiQLV2 &w)
{
    graphSettingsDialogHook() = [](int g) -> qint16 {
        // A new graph's dialog starts on its lines; later ones where the user left it.
        const bool nieuw = WindowSettings::graph[size_t(g)].NieuweGrafiek;
        return ToonGrafiekInstellingen(g, GrafiekVenster.bestaand(g), nieuw ? 3 : -1);
    };
    graphDirectPrintHook() = [](frmGrafiek &graph) { Printerkode::PrintDirect(&graph); };
    Printerkode::printDialogHooks().grafiek = [](int g) -> const PrintableGraph * {
        return GrafiekVenster.inGebruik(g);
    };
    tableEditHooks().hertekenGrafiek = [](int g) {
        if (frmGrafiek *window = GrafiekVenster.inGebruik(g))
            window->HertekenGrafiek();
    };
    tableEditHooks().isXYRecorder = [](int g) {
        const frmGrafiek *window = GrafiekVenster.inGebruik(g);
        return window && window->XYrecorder();
    };
    // A graph window keeps its settings in WindowSettings::graph: nothing to collect.
    menuHooks().graphApply = [](int g) {
        if (frmGrafiek *window = GrafiekVenster.inGebruik(g))
            window->HerInitialiseerGrafiek();
    };

    auto on = [&w](const char *name, auto handler) {
        if (QAction *a = w.menuItem(name))
            QObject::connect(a, &QAction::triggered, &w, handler);
    };
    if (QMenu *menu = w.menu("mnuGraph"))
        QObject::connect(menu, &QMenu::aboutToShow, &w, [&w] { mnuGraph_Click(w); });
    on("mnuExtraSettingsGraph", [&w] {
        QWidget *active = activeChild(w);
        if (!active || AantalGrafieken <= 0)
            return;
        if (GrafiekInstellenOpen()) {
            BrengGrafiekInstellenNaarVoren();
            return;
        }
        const qint16 antwoord = GrafiekInstellingenCommando(
            active, active->property("Tag").toString(), [](int g) {
                if (frmGrafiek *window = GrafiekVenster.inGebruik(g))
                    window->HerInitialiseerGrafiek();
            });
        w.Antwoord = antwoord;
        if (antwoord == 1)
            InstellingenGewijzigd = true;
    });
    on("mnuGraphNewTable", [] { nieuweGrafiek(false); });
    on("mnuGraphNewRecorder", [] { nieuweGrafiek(true); });
    on("mnuGraphCopy", [&w] {
        mnuEdit_Click(w);
        w.menuItem("mnuEditCopy")->trigger();
    });
    on("mnuGraphPrint", [&w] {
        if (frmGrafiek *graph = activeGraph(w))
            Printerkode::PrintDirect(graph);
    });
    on("mnuGraphCopySettings", [&w] { mnuEditCopySettings_Click(w); });
    on("mnuGraphPasteSettings", [&w] { mnuEditPasteSettings_Click(w); });
}
