#pragma once
#include <QString>
#include <optional>

class QWidget;

// The rules that decide which menu items and toolbar buttons of the main window are offered.
// They are plain functions of the program's state, so the menus, the toolbar and the table's
// pop-up menu share one rule and tests can walk every case.

// The kind of a child window: the first five letters of its tag ("metin" rack, "grafi" graph,
// "tabel" table, "termi" terminal), lower case; empty for no window.
QString vensterKind(const QWidget *window);
QString vensterKind(const QString &tag);

struct EditMenuInput {
    bool slotValid = false;   // some slot holds a valid controller
    bool windowsOpen = false; // at least one child window is shown
    bool logging = false;     // LoggenActief
    QString kind;             // of the active child window ("" for none)
    bool readOnly = false;    // AlleenLezen: logged lines cannot be edited
    bool copySetGraph = false;
    bool copySetTab = false;
    bool relatieveTijd = false;
};

struct EditMenuState {
    bool copy = false;
    bool info = false;
    bool clearLine = false;
    bool deleteLine = false;
    bool relatieveTijd = false;
    bool relatieveTijdChecked = false;
    bool timeOrigin = false;
    bool copySettings = false;
    bool pasteSettings = false;
    // Text entry of the window kind behind Copy/Replace settings (121 graph, 122 table), 0 none.
    int settingsKindEntry = 0;
    bool operator==(const EditMenuState &) const = default;
};

// Edit menu: nothing while logging runs or without a valid slot and an active child window.
EditMenuState editMenuRules(const EditMenuInput &in);

struct FileMenuInput {
    bool readOnly = false;     // AlleenLezen
    bool windowsShown = false; // a child window is shown (there is something to print)
};
struct FileMenuState {
    bool saveAs = false;
    bool print = false;
    bool operator==(const FileMenuState &) const = default;
};
FileMenuState fileMenuRules(const FileMenuInput &in);

// Window menu: the font is for rack, table and terminal windows, graph settings for graphs.
struct WindowMenuState {
    bool font = false;
    bool graphSettings = false;
    bool operator==(const WindowMenuState &) const = default;
};
WindowMenuState windowMenuRules(bool windowActive, const QString &kind);

// Toolbar and menu states that follow the active child window. A member left empty keeps
// whatever state it had.
struct ButtonInput {
    bool windowsShown = false;
    QString kind;
    bool measuring = false;   // MetenActief
    int aantalGrafieken = 0;  // graph windows open
};
struct ButtonStates {
    std::optional<bool> graphSettings; // button 9 and mnuExtraSettingsGraph
    std::optional<bool> font;          // button 10 and mnuWindowFont
    std::optional<bool> saveSettings;  // button 11
    std::optional<bool> receiveButton; // button 15
    std::optional<bool> transferButton; // button 16
    std::optional<bool> receiveItem;   // mnuDataReceive
    std::optional<bool> transferItem;  // mnuDataTransfer
    bool operator==(const ButtonStates &) const = default;
};
ButtonStates buttonRules(const ButtonInput &in);

// The graph that the graph button brings forward: the next one in use after the active graph
// (after 0 when another kind of window is active), wrapping round; 0 when none is in use.
template <typename InUse>
int volgendeGrafiek(int activeGraph, int maxGraphs, InUse inUse)
{
    for (int step = 1; step <= maxGraphs; ++step) {
        const int g = (activeGraph + step - 1) % maxGraphs + 1;
        if (inUse(g))
            return g;
    }
    return 0;
}
