#pragma once

class mdiQLV2;
class frmGrafiek;

// The Graph menu, the graph windows' right-button pop-up and the hooks through which graph
// windows reach the settings dialog, printing, table edits and the settings copy.
void KoppelGrafieken(mdiQLV2 &w);
// What the main window adds to each new graph window (its pop-up).
void KoppelGrafiekVenster(mdiQLV2 &w, frmGrafiek *graph);
// The Graph menu shows only Settings, a separator and New, as after the captions are loaded.
void HerstelGrafiekMenu(mdiQLV2 &w);
