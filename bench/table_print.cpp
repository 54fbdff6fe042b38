// Prints a day of logged records (one a second: 86,400 rows) of one controller's table to a
// PDF file, as File > Print does for the table window, and reports how long the user waits.
// The goal is under 40 s. Usage: bench_table_print [rows] [file.pdf]   (default 86400)
#include "core/printsettings.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/grid.h"
#include "platform/printdevice.h"
#include "printing/pageengine.h"
#include "support/language.h"
#include "views/table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

using namespace Hoofdmodule;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint32 rows = argc > 1 ? qint32(atol(argv[1])) : 86400;
    QTemporaryDir dir;
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : dir.filePath(QStringLiteral("table.pdf"));
    qint16 english = 0;
    LaadTaal(english);
    ToestelGegevens &t = Toestel[1];
    t.Type = QStringLiteral("T542");
    t.Idno = 1;
    t.Kanalen = 4;
    t.Naam = QStringLiteral("Oven");
    for (int k = 1; k <= 4; ++k) {
        t.Kanaal[size_t(k)].Naam = QStringLiteral("CH%1").arg(k);
        t.Kanaal[size_t(k)].Eenheid = QStringLiteral("°C");
    }
    frmTabel table;
    table.StelTabelIn(true);
    const QDateTime start(QDate(2026, 1, 5), QTime(0, 0));
    for (qint32 r = 1; r <= rows; ++r) {
        for (int k = 1; k <= 4; ++k)
            t.Kanaal[size_t(k)].Waarde = QString::number(20 + (r * 7 + k) % 100 / 10.0, 'f', 1);
        AantalRijen = r;
        MeetTijdstip = start.addSecs(r - 1);
        table.VulTabellenAan(QString());
    }
    Printerkode::StandaardPrintInstellingen();
    Printerkode::PrintLettertype = QStringLiteral("DejaVu Sans");

    QElapsedTimer clock;
    clock.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    PrinterDevice device(printer);
    Printerkode::InstellenPrinter(device);
    Printerkode::AfdrukkenVensterHoofding({QStringLiteral("tabel"), nullptr}, device, 1);
    table.PrintTabel(device, 0, false);
    const bool ended = device.endDoc();
    const double seconds = clock.elapsed() / 1000.0;

    // What was checked: the document ended, and the file holds the pages the device made.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    info.waitForFinished(60000);
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    const int pages = match.hasMatch() ? match.captured(1).toInt() : -1;
    const bool ok = ended && !device.failed() && pages == device.pageCount();
    std::printf("table print to PDF: %d rows, %d pages, %.1f MB, %.2f s (goal: under 40 s)%s\n",
                int(rows), pages, QFileInfo(file).size() / 1e6, seconds,
                ok ? "" : "  FAILED: the file does not hold the pages printed");
    return ok && seconds < 40 ? 0 : 1;
}
