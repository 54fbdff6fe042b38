#pragma once
#include <QString>
#include <functional>

class PrintDevice;
class PrintableGraph;
class QWidget;

// The print run: which windows go to the printer and in which order, each under its heading
// block, with a progress window whose Cancel stops the run between windows. File > Print asks
// through the print dialog; Graph > Print and a full recorder print one graph at once.
namespace Printerkode {

// What the run needs of the main window; the main window wires it. The graphs 1..32 come
// from the print dialog's hook (printDialogHooks().grafiek).
struct PrintRunHooks {
    // Shows a text in the main window's status bar, made by `text` again whenever the language
    // changes.
    std::function<void(std::function<QString()> text)> statusMelding;
};
PrintRunHooks &printRunHooks();

enum class Afloop { Klaar, Afgebroken, Mislukt };

// Prints on a device that InstellenPrinter has set up: with alles every open graph (with its
// alarm report when asked for) and, while the table window is shown, the table of every valid
// slot; otherwise the one window (graph, table, terminal or rack). Shows the progress window
// and leaves it open; the caller ends the document.
Afloop AfdrukkenVensters(PrintDevice &printer, bool alles, QWidget *venster);

// The chart of a graph into the rest of the page below the current position: 65 % of the
// height left (75 % in landscape), inset 5 mm, on a new page when less than 60 mm is left.
void AfdrukkenGrafiek(PrintDevice &printer, const PrintableGraph &grafiek);

// File > Print: shows the print dialog and prints what it asks for.
void AfdrukkenMetDialoog(QWidget *hoofdvenster);
// Prints one window at once with the stored settings, without the dialog; to the PDF file
// it writes a file named by the time in the data folder. Asked during a run, it prints when
// the run has ended.
void PrintDirect(QWidget *venster);
// A run is printing.
bool RunBezig();

// The file a direct print to PDF writes: the data file's base name and the time, in the
// data folder.
QString DirectPdfBestand();

} // namespace Printerkode
