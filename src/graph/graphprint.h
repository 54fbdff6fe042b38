#pragma once
#include <QSize>

class PrintDevice;
class PrintableGraph;

// A graph window on paper and on the clipboard: the chart with its title and legend, the alarm
// report of its limits, and the chart picture to copy. All printing is in millimetres on the
// print device, through the page engine; the graph is read only through PrintableGraph.
namespace Grafiekafdruk {

// The chart inside the rectangle (PositieX, PositieY, Breedte x Hoogte), optionally framed,
// its title centred under it and its legend below when the screen shows one. On return
// PositieX and PositieY hold the column and top of the last legend entry printed (unchanged
// when none is printed).
void PrintGrafiek(const PrintableGraph &grafiek, PrintDevice &printer, float &PositieX,
                  float &PositieY, float Breedte, float Hoogte, bool Kader);

// For every graph line, each episode at or beyond a limit in use, the measurement at which it
// came back and how many there were; from the current position on.
void AfdrukkenAlarmRapport(const PrintableGraph &grafiek, PrintDevice &printer);

// The chart picture on the clipboard, as the screen shows it.
void CopyGrafiek(const PrintableGraph &grafiek, QSize grootte = QSize(960, 640));

} // namespace Grafiekafdruk
