#pragma once
#include <QHash>
#include <QString>
#include <QtGlobal>
#include <functional>

class QWidget;

// The Graph menu's rules, apart from the window that carries the menu.

// A child window's tag names a graph window ("grafiek7"); an empty tag (no active child) does not.
bool IsGrafiekTag(const QString &tag);

// What the Graph menu enables when it opens.
struct GraphMenuEnabling {
    bool settings = false; // mnuExtraSettingsGraph
    bool newGraph = false; // mnuGraphNew
    bool operator==(const GraphMenuEnabling &) const = default;
};
// `activeTag` is the active child window's tag, empty when no child window is active.
GraphMenuEnabling GraphMenuRules(bool validController, int aantalGrafieken,
                                 const QString &activeTag);

// The items of the Graph menu, in menu order, by name.
const QStringList &GraphMenuItems();
// Which items the Graph menu shows: after the captions are loaded, and again after any mouse
// release over a chart, only Settings, the first separator and New; as the chart's right-button
// pop-up, Settings and the copy, print and settings items. Items whose commands are not part of
// the program (`offered` says no) stay hidden in the pop-up.
QHash<QString, bool> GraphMenuVisibility(bool popup,
                                         const std::function<bool(const QString &)> &offered);

// Graph > Settings, and a double-click on a chart: the settings dialog for the graph whose window
// (with its tag "grafiek<n>") is given, bound to it; after OK the window rebuilds its chart.
// Returns the dialog's answer; 2 at once for a window that is no graph, or while the dialog is
// open (it is brought forward).
qint16 GrafiekInstellingenCommando(QWidget *window, const QString &tag,
                                   const std::function<void(int graph)> &herInitialiseer);

// The message when every graph number is taken (text 335, titled "New graph").
void MeldMaximumGrafieken();

// Unloads the graph windows not in use (their GrafiekIndex is 0), or every one with `alles`:
// `unload` is called for each number 1..32 that `hasWindow` says has a window, in that order.
void WissenNietGrafieken(bool alles, const std::function<bool(int graph)> &hasWindow,
                         const std::function<void(int graph)> &unload);

// What making a new graph needs of the graph windows.
struct NewGraphHooks {
    // Creates graph window g (its settings already in WindowSettings::graph[g], NieuweGrafiek
    // set) and shows it; its load opens the graph settings dialog on the lines tab and waits.
    // Returns the Antwoord the dialog left (1 OK).
    std::function<qint16(int graph)> loadNewWindow;
    // After OK: the window builds its chart from the new settings.
    std::function<void(int graph)> herInitialiseer;
    // After Cancel: the window is destroyed.
    std::function<void(int graph)> unloadWindow;
};
// Graph > New > Table values (recorder False) or XY-recorder (True). Returns the new graph's
// number, or 0 when none was made: every number taken (the message), the dialog cancelled, or
// the graph settings dialog already open for another graph (it is brought forward instead).
int NieuweGrafiek(bool recorder, const NewGraphHooks &hooks);
