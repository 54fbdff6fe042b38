#pragma once

class mdiQLV2;
class frmTabel;

// The table window's edits reached from the main window: Edit > Clear line, Delete line and
// Info, the table's pop-up Edit menu and its remark dialog.
void KoppelTabelBewerkingen(mdiQLV2 &w, frmTabel *tabel);
// Sets Copy, Info, Clear line and Delete line of the Edit menu for the active child window:
// all off while logging or without a valid controller or an active window; Copy for every
// window; Info, Clear line and Delete line for the table window.
void TabelBewerkMenu(mdiQLV2 &w);
