#include "recordingdevice.h"

#include "platform/clock.h"
#include "platform/grid.h"
#include "printing/gridprint.h"
#include "printing/pageengine.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Printerkode;

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A PDF printer on A4 whose printable area is the whole sheet.
void pdfPrinter(QPrinter &printer, const QString &file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString lines(int count)
{
    QStringList result;
    for (int i = 1; i <= count; ++i)
        result << QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
    return result.join(QLatin1Char('\n'));
}

// A header row and two rows of a two-column grid with its lines, as a table printout has them.
void printTable(PrintDevice &device)
{
    GridData grid;
    grid.setCols(2);
    grid.setRows(3);
    grid.setColWidth(0, 1800);
    grid.setColWidth(1, 1400);
    grid.setColAlignment(1, GridAlign::RightCenter);
    const char *cells[3][2] = {{"Time", "Value"}, {"10:00:00", "1.25"}, {"10:00:05", "21.5"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            grid.setTextMatrix(r, c, QString::fromLatin1(cells[r][c]));
    const float scale = BepaalTabelSchaal(PrintRechts - PrintLinks, BepaalTabelBreedte(grid));
    const float size = float(grid.font().pointSizeF()) * scale * TwipsPerMm;
    const float pitch = float(device.textHeight(QStringLiteral(" "))) + 1;
    float y = float(device.currentY());
    AfdrukkenTabelHoofding(device, grid, PrintLinks, y + 0.5f, scale, size);
    AfdrukkenKolomLijnen(device, grid, PrintLinks, y, scale, pitch);
    AfdrukkenTabelLijn(device, 3);
    for (int r = 1; r < 3; ++r) {
        y = float(device.currentY());
        AfdrukkenTabelRij(device, grid, r, PrintLinks, y + 0.5f, scale, size);
        AfdrukkenKolomLijnen(device, grid, PrintLinks, y, scale, pitch);
        AfdrukkenTabelLijn(device, 1);
    }
    device.setCurrentY(device.currentY() + pitch);
}

} // namespace

class TestPrintDevice : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        StandaardPrintInstellingen();
        PrintOrientatie = 1;
        Clock::install(&m_clock);
    }
    void cleanup() { Clock::install(nullptr); }

    // What reaches the device, for a script of calls: t draws a text, n asks for a new page,
    // e ends the document, k kills it.
    void heldPages_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no blank last page") << "tne" << "Begin Text End";
        QTest::newRow("page made when drawn on") << "tnte" << "Begin Text Page Text End";
        QTest::newRow("new pages collapse") << "tnnnte" << "Begin Text Page Text End";
        QTest::newRow("new page before anything") << "ntnte" << "Begin Text Page Text End";
        QTest::newRow("never drawn") << "nne" << "";
        QTest::newRow("killed") << "tntk" << "Begin Text Page Text Discard";
        QTest::newRow("killed before drawing") << "nk" << "";
        QTest::newRow("a second document") << "tetne" << "Begin Text End Begin Text End";
    }
    void heldPages()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        static const char *const names[] = {"Text", "Line", "Rect", "Picture",
                                            "Begin", "Page", "End", "Discard"};
        RecordingDevice device;
        for (const QChar step : script) {
            if (step == u't')
                device.print(QStringLiteral("x"));
            else if (step == u'n')
                device.newPage();
            else if (step == u'e')
                QVERIFY(device.endDoc());
            else
                device.killDoc();
        }
        QStringList got;
        for (const auto &op : device.ops)
            got << QString::fromLatin1(names[op.kind]);
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
    }

    void positionMovesWithText()
    {
        RecordingDevice device;
        device.setCurrentPos(QPointF(10, 20));
        device.print(QStringLiteral("abc"));
        QCOMPARE(device.currentPos(), QPointF(16, 20));
        device.endLine();
        QCOMPARE(device.currentPos(), QPointF(0, 24));
        device.print(QString());
        QCOMPARE(device.ops.size(), 2); // Begin and the one text
        device.newPage();
        QCOMPARE(device.currentPos(), QPointF(0, 0));
    }

    void failureIsKeptAndStopsDrawing()
    {
        RecordingDevice device;
        device.refuseBegin = true;
        device.print(QStringLiteral("abc"));
        QVERIFY(device.failed());
        QCOMPARE(device.failure(), QStringLiteral("refused"));
        device.refuseBegin = false;
        device.drawLine(QPointF(0, 0), QPointF(5, 0), Qt::black);
        device.print(QStringLiteral("d"));
        QVERIFY(device.ops.isEmpty());
        QCOMPARE(device.currentX(), 8.0); // the layout still moves on
        QVERIFY(!device.endDoc());
        QCOMPARE(device.failure(), QStringLiteral("refused"));
    }

    void printerMetrics_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSizeF>("page");
        QTest::newRow("portrait") << 1 << QSizeF(210, 297);
        QTest::newRow("landscape") << 2 << QSizeF(297, 210);
    }
    void printerMetrics()
    {
        QFETCH(int, orientation);
        QFETCH(QSizeF, page);
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, dir.filePath(QStringLiteral("m.pdf")));
        PrinterDevice device(printer);
        PrintOrientatie = orientation;
        InstellenPrinter(device);
        COMPARE_MM(device.pageSize().width(), page.width());
        COMPARE_MM(device.pageSize().height(), page.height());
        COMPARE_MM(PrintRechts, page.width() - 10);
        COMPARE_MM(PrintOnder, page.height() - 10);

        // A 10-point line is about 4 mm high at any resolution: fonts stay in points.
        InstellenStandaardLettertype(device);
        const double high = device.textHeight(QStringLiteral(" "));
        QVERIFY2(high > 3 && high < 6, qPrintable(QString::number(high)));
        QPrinter screen(QPrinter::ScreenResolution);
        pdfPrinter(screen, dir.filePath(QStringLiteral("s.pdf")));
        PrinterDevice low(screen);
        low.setFont(device.font());
        QVERIFY(qAbs(low.textHeight(QStringLiteral(" ")) - high) < 0.5);
        QVERIFY(qAbs(low.textWidth(QStringLiteral("Width")) - device.textWidth("Width")) < 0.5);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("m.pdf")))); // measuring prints nothing
    }

    void pdfEndToEnd_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QString>("pageSize");
        QTest::newRow("portrait") << 1 << "595 x 842 pts (A4)";
        QTest::newRow("landscape") << 2 << "842 x 595 pts (A4)";
    }
    void pdfEndToEnd()
    {
        QFETCH(int, orientation);
        QFETCH(QString, pageSize);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("out.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            pdfPrinter(printer, file);
            PrinterDevice device(printer);
            PrintOrientatie = orientation;
            InstellenPrinter(device);
            PaginaTitel = QStringLiteral("Report title");
            AfdrukkenPaginaHoofding(device);
            printTable(device);
            // A picture gets its rectangle in the printer's own dots, as a chart is drawn.
            QRectF target;
            device.drawPicture(QRectF(20, 60, 50, 10), [&](QPainter &painter, const QRectF &r) {
                target = r;
                painter.fillRect(r, Qt::lightGray);
            });
            const double dots = printer.resolution() / 25.4;
            COMPARE_MM(target, QRectF(20 * dots, 60 * dots, 50 * dots, 10 * dots));
            InstellenStandaardLettertype(device);
            // Enough lines for a second page in either orientation, not for a third.
            AfdrukkenTekstTerugloop(device, PrintLinks + 5, PrintRechts - 5, lines(70));
            device.newPage(); // as after every window: no blank page may follow
            QVERIFY(device.endDoc());
            QVERIFY(!device.failed());
            QCOMPARE(device.pageCount(), 2);
        }
        const QString info = run(QStringLiteral("pdfinfo"), {file});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Page size:       ") + pageSize), qPrintable(info));

        const QString text = run(QStringLiteral("pdftotext"), {"-layout", file, "-"});
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        qsizetype at = -1;
        for (int i = 1; i <= 70; ++i) {
            const QString line = QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
            const qsizetype next = text.indexOf(line);
            QVERIFY2(next > at, qPrintable(QString::number(i)));
            at = next;
        }
        for (const QString &page : pages) {
            QVERIFY(page.trimmed().startsWith(QStringLiteral("Report title")));
            QVERIFY(page.contains(QStringLiteral(" - 10:00")));
        }
        QVERIFY(pages.last().contains(QStringLiteral("line 070")));
        QVERIFY(pages.first().contains(QRegularExpression(QStringLiteral("Time +Value"))));
        QVERIFY(pages.first().contains(QRegularExpression(QStringLiteral("10:00:05 +21.5"))));
        // QLV2_KEEP_PDF=folder keeps the files to look at (pdftoppm -png).
        const QString keep = qEnvironmentVariable("QLV2_KEEP_PDF");
        if (!keep.isEmpty())
            QFile::copy(file, keep + QStringLiteral("/printdevice-%1.pdf").arg(orientation));
    }

    void neverDrawnWritesNoFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("none.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, file);
        PrinterDevice device(printer);
        InstellenPrinter(device);
        device.newPage();
        QVERIFY(device.endDoc());
        QVERIFY(!QFile::exists(file));
    }

    void killedJobLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("killed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, file);
        PrinterDevice device(printer);
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        device.newPage();
        AfdrukkenPaginaHoofding(device);
        device.killDoc();
        QVERIFY(!QFile::exists(file));
        QVERIFY(!device.failed());
    }

    void unwritablePathFails()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("missing/folder/out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, file);
        PrinterDevice device(printer);
        InstellenPrinter(device);
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        AfdrukkenPaginaHoofding(device);
        QVERIFY(device.failed());
        QVERIFY2(device.failure().contains(file), qPrintable(device.failure()));
        QVERIFY(!device.endDoc());
        QVERIFY(!QFile::exists(file));
    }

private:
    ManualClock m_clock;
};

QTEST_MAIN(TestPrintDevice)
#include "tst_printdevice.moc"
