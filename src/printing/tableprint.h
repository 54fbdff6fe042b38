#pragma once
#include <QtGlobal>

class PrintDevice;
class TableSink;

// Printing one grid of the table window: the header row repeated on every page, then its
// rows, each between column lines and closed by a rule, shrunk to the print width.
namespace Printerkode {

// Whether row m of grid Mi is printed: every row, or with AfdrukkenSelectie only the
// selected ones.
bool ControleerRijAfdrukken(const TableSink &tabel, int Mi, qint32 m, bool AfdrukkenSelectie);

// Prints grid Mi from the current position on, whole or only its selected rows, breaking
// pages where a row that prints does not fit. Afterwards the selection covers the same rows
// and the columns 0 to KolomRegeling.
void PrintTabel(PrintDevice &printer, TableSink &tabel, int Mi, bool AfdrukkenSelectie);

} // namespace Printerkode
