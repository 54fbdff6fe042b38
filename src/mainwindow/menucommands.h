#pragma once
#include <QString>
#include <functional>

class mdiQLV2;
class QWidget;
struct GraphSettings;

// The main window's Edit, File, View, Window and Help commands, its toolbar states and the
// copying of window settings, wired to its menus and toolbar by KoppelMenuCommandos.

// What the commands need of the graph windows, which are wired elsewhere. Empty members are
// skipped: a graph's settings are then read from and left in WindowSettings::graph.
struct MenuHooks {
    // The window of graph n writes its settings into WindowSettings::graph[n].
    std::function<void(int graph)> graphCollect;
    // The window of graph n takes its settings from WindowSettings::graph[n] and rebuilds.
    std::function<void(int graph)> graphApply;
};
MenuHooks &menuHooks();

void KoppelMenuCommandos(mdiQLV2 &w);

// The widget of the active child window the user sees; null when none is active or it is hidden.
QWidget *activeChild(mdiQLV2 &w);

// The Edit menu's items for the active child window (also before the table's pop-up menu).
void mnuEdit_Click(mdiQLV2 &w);
// The toolbar and menu items that follow the active child window; run when one is activated.
void InstellenButtons(mdiQLV2 &w);
// Brings the next graph window in use forward.
void TonenGrafieken(mdiQLV2 &w);
// Copy and paste of window settings.
void mnuEditCopySettings_Click(mdiQLV2 &w);
void mnuEditPasteSettings_Click(mdiQLV2 &w);
void KopieerTabelInstellingen(int vanM, int naarM);
void KopieerGrafiekInstellingen(int vanG, int naarG);
// The display settings that a paste carries from one graph to another: scale, divisions,
// statistics switches, label and legend choice, alarm limits and series colours.
void copyGraphSettings(const GraphSettings &from, GraphSettings &to);

// The recent-file list: the name (its "#date#" filled in) goes on top; a name already listed,
// in any letter case, moves there instead of appearing twice.
void UpdateFileMenu(const QString &filename);
bool OnRecentFilesList(const QString &filename);

// Window > Font for the active rack, table or terminal window.
void mnuWindowFont_Click(mdiQLV2 &w);
// The four arrangements of the child windows.
void mnuWindowTileHorizontal_Click(mdiQLV2 &w);
void mnuWindowTileVertical_Click(mdiQLV2 &w);
void mnuWindowCascade_Click(mdiQLV2 &w);
void mnuWindowArrangeIcons_Click(mdiQLV2 &w);
