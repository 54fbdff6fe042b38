// Reads a controller's log memory of many records back, as Data > Receive does, from the
// simulated controller on a pseudo-terminal, into a data file on disk and the table window, with
// the wait window showing. Reports the processor time the host spends per record (program and
// simulator together) against a tenth of the record's time on the wire at 38400 baud.
// Usage: bench_download_host [records]   (default 20000)
#include "core/datafile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/datatransfer.h"
#include "instruments/download.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "platform/dialogs.h"
#include "platform/serialport.h"
#include "simulator.h"
#include "views/table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace Hoofdmodule;

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// OK to the instrument's instruction, then the user presses SEND on it.
struct Dialogs : ScriptedDialogProvider {
    std::function<void()> afterBox;
    int messageBox(QWidget *parent, const QString &text, int flags, const QString &title) override
    {
        const int answer = ScriptedDialogProvider::messageBox(parent, text, flags, title);
        if (afterBox)
            QTimer::singleShot(0, afterBox);
        return answer;
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? qMax(2, atoi(argv[1])) : 20000;
    QStandardPaths::setTestModeEnabled(true);
    SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-bench-download"));

    Sim::Simulator sim;
    if (!sim.start()) {
        std::printf("no pseudo-terminal\n");
        return 1;
    }
    Sim::Controller &c = sim.add("T5781", 3, 1);
    c.log.unit = {"pH", "", "\xf8" "C", ""};
    const QDateTime start(QDate(2026, 1, 5), QTime(0, 0));
    for (int i = 0; i < records; ++i) {
        Sim::LogRecord r;
        r.time = start.addSecs(60LL * i);
        r.value = {QByteArray::number(7.0 + (i % 100) / 100.0, 'f', 2), "",
                   QByteArray::number(20.0 + (i % 50) / 10.0, 'f', 1), ""};
        c.log.records << r;
    }
    const QList<QByteArray> lines = c.logLines();
    qint64 wireBytes = 0;
    for (const QByteArray &l : lines)
        wireBytes += l.size();

    SerialPortTable::bind(60, sim.devicePath());
    SerialPort &port = InstrumentConnection::current().MSComm1;
    port.setPortNumber(60);
    port.setSettings(QStringLiteral("38400,N,8,1"));
    if (!port.open()) {
        std::printf("cannot open the line\n");
        return 1;
    }
    ResetToestellen();
    Toestel[1].Type = QStringLiteral("T5781");
    Toestel[1].Idno = 3;
    Toestel[1].Kanalen = 1;
    Toestel[1].Naam = QStringLiteral("Basin");
    InstellenToestelProtocol(1);

    // The data file on the same disk as the build, as a user's documents would be.
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-download-XXXXXX"));
    Meetbestandsnaam = folder.path() + QStringLiteral("/download.csv");
    frmTabel table;
    table.StelTabelIn(true);
    table.resize(700, 400);
    table.show();
    int handedOver = 0;
    PollHooks &h = pollHooks();
    h.writeRecord = [](const QString &info, int tnr) { SchrijfMeting(info, tnr); };
    h.appendTableRow = [&](const QString &info, int tnr) {
        table.VulTabellenAan(info, qint16(tnr));
        // The last record is handed over when the window closes.
        if (++handedOver == records - 1)
            QTimer::singleShot(0, [] { FormDataTransfer::instance().close(); });
    };
    Dialogs dialogs;
    dialogs.afterBox = [&] { sim.transmit(lines); };

    QApplication::processEvents();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    UitlezenLogGeheugen(1);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    port.close();

    QFile written(Meetbestandsnaam);
    written.open(QIODevice::ReadOnly);
    const int fileLines = int(written.readAll().count('\n'));
    const bool complete = handedOver == records && fileLines == records + 1;
    // 10 bits a byte at 38400 baud.
    const double wireMsPerRecord = double(wireBytes) * 10.0 / 38400.0 * 1000.0 / records;
    const double cpuMs = cpu * 1000.0 / records;
    std::printf("records: %d handed over, %d data-file lines (%s)\n", handedOver, fileLines,
                complete ? "complete" : "INCOMPLETE");
    std::printf("wall time: %.2f s; wire time at 38400 baud: %.2f ms a record\n", seconds,
                wireMsPerRecord);
    std::printf("host processor time: %.3f ms a record (goal under 1.3 ms, a tenth of the "
                "wire time: %.2f ms)\n", cpuMs, wireMsPerRecord / 10.0);
    return complete && cpuMs < 1.3 ? 0 : 1;
}
