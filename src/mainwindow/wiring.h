#pragma once

class mdiQLV2;
class frmTabel;

// Connects the main window to everything that reaches it through hooks: the poll loop, the
// settings file, the settings dialogs, the rack and table windows, the data file and the timers.
void KoppelHoofdvenster(mdiQLV2 &venster);
// The main window's share of DataViews alone (toolbar, menus, child windows, Antwoord); part of
// KoppelHoofdvenster, and undone when the window goes.
void KoppelDataDiensten(mdiQLV2 &venster);

// The table window (one for the program), made by KoppelHoofdvenster; null before.
frmTabel *TabelVenster();
