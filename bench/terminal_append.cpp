// Appends traffic to a terminal window that is already at its line cap, as it is after a day
// of polling 31 controllers, and reports the time per append and the memory before and after.
// Usage: bench_terminal_append [appends]   (default 20000)
#include "core/shared.h"
#include "instruments/terminal.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <cstdio>
#include <unistd.h>

namespace {

// One poll as the line carries it: the frame sent and the reply received.
void exchange(frmTerminal &t, int n)
{
    const QByteArray address = "#0" + QByteArray::number(10 + n % 31);
    t.ToevoegenBytes(address + "\t>?\r\n", Hoofdmodule::TerminalKleurZenden);
    t.ToevoegenBytes(address + "\t<?\r\n" + address + "\t10/12/26\t18:56:29\t7.02\tpH\t19.9\t\xf8" "C\r\n",
                     Hoofdmodule::TerminalKleurOntvangen);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int appends = argc > 1 ? atoi(argv[1]) : 20000;
    frmTerminal terminal;
    terminal.Form_Load();
    terminal.resize(700, 400);
    terminal.show();
    QApplication::processEvents();

    // Fill to the cap first, then measure a stretch long enough to trim many times.
    int n = 0;
    while (terminal.TxtLineInput()->document()->blockCount() < frmTerminal::MaxRegels)
        exchange(terminal, n++);
    QApplication::processEvents();
    const qint64 before = residentBytes();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < appends / 2; ++i) {
        exchange(terminal, n++);
        if (i % 100 == 0)
            QApplication::processEvents(); // the window repaints as it would on screen
    }
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qint64 after = residentBytes();
    const int lines = terminal.TxtLineInput()->document()->blockCount();
    const bool capped = lines <= frmTerminal::MaxRegels + frmTerminal::TrimBlok + 1;
    std::printf("appends at the cap: %d, lines held: %d (%s)\n", appends, lines,
                capped ? "capped" : "NOT CAPPED");
    std::printf("time per append: %.4f ms (goal under 0.2 ms)\n", ms / appends);
    std::printf("resident memory: %.1f MB before, %.1f MB after (%+.1f MB)\n", before / 1e6,
                after / 1e6, (after - before) / 1e6);
    const bool ok = capped && ms / appends < 0.2;
    return ok ? 0 : 1;
}
