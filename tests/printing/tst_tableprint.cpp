#include "faketable.h"
#include "recordingdevice.h"

#include "core/shared.h"
#include "platform/clock.h"
#include "printing/gridprint.h"
#include "printing/pageengine.h"
#include "printing/tableprint.h"

#include <QtTest>

using namespace Printerkode;

namespace {

// What column 0 shows on each page: the texts of each printed row (its characters joined),
// rows separated by blanks, pages by "|". The page header's title stands left of column 0's
// inset and is left out.
QString columnZero(const RecordingDevice &device)
{
    QMap<int, QMap<double, QString>> pages;
    for (const auto &op : device.of(RecordingDevice::Text)) {
        const double x = op.at.left();
        if (x >= 15.4 && x < 15 + 1000 * TwipSchaal)
            pages[op.page][op.at.top()] += op.text;
    }
    QStringList result;
    for (const auto &rows : pages)
        result << QStringList(rows.values()).join(QLatin1Char(' '));
    return result.join(QLatin1Char('|'));
}

} // namespace

class TestTablePrint : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        StandaardPrintInstellingen();
        PrintOrientatie = 1;
        PaginaTitel = QStringLiteral("T");
    }

    void oneRowInDetail()
    {
        FakeTable table;
        fillTable(table.gridData(4), 1);
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        device.ops.clear();
        device.setCurrentPos(QPointF(15, 100));
        PrintTabel(device, table, 4, false);

        QCOMPARE(layout(device),
                 QStringLiteral("N@15.5,100.5|o@17.5,100.5|N@33.139,100.5|a@35.139,100.5|"
                                "m@37.139,100.5|e@39.139,100.5|V@79.056,100.5|a@81.056,100.5|"
                                "l@83.056,100.5|1@15.5,105.5|n@33.139,105.5|1@35.139,105.5|"
                                "v@83.056,105.5"));
        // Header cells bold, row cells not, at the grid font's size at this scale.
        for (const auto &op : device.of(RecordingDevice::Text)) {
            QCOMPARE(op.font.bold(), op.at.top() < 105);
            QVERIFY(qAbs(op.font.pointSizeF() - 10.0) < 1e-3);
        }
        QStringList lines;
        for (const auto &op : device.of(RecordingDevice::Line))
            lines << mmText(op.at) + QStringLiteral(" w") + QString::number(op.drawWidth);
        QCOMPARE(lines, (QStringList{
                            "32.639,100 to 32.639,105 w1", "67.917,100 to 67.917,105 w1",
                            "85.556,100 to 85.556,105 w1", "15,105 to 193.2,105 w3",
                            "32.639,105 to 32.639,110 w1", "67.917,105 to 67.917,110 w1",
                            "85.556,105 to 85.556,110 w1", "15,110 to 193.2,110 w1"}));
        COMPARE_MM(device.currentPos(), QPointF(15, 110));
    }

    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("top");
        QTest::addColumn<bool>("selectionOnly");
        QTest::addColumn<int>("first"); // selected rows
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("expected");

        QTest::newRow("whole") << 5 << 100.0 << false << 2 << 2 << "No 1 2 3 4 5";
        QTest::newRow("selection") << 8 << 100.0 << true << 6 << 4 << "No 4 5 6";
        QTest::newRow("selection ignored") << 3 << 100.0 << false << 2 << 3 << "No 1 2 3";
        // Header 252..257 and four rows of 5 mm end exactly at PrintOnder (277).
        QTest::newRow("exact fit") << 4 << 252.0 << false << 1 << 1 << "No 1 2 3 4";
        QTest::newRow("one row more") << 5 << 252.0 << false << 1 << 1 << "No 1 2 3 4|No 5";
        QTest::newRow("trailing row only") << 9 << 100.0 << true << 9 << 9 << "No 9";
        // The rows still to come are not selected: no page with only a header row.
        QTest::newRow("nothing more to print") << 10 << 262.0 << true << 2 << 3 << "No 2 3";
        QTest::newRow("selection on the next page")
            << 10 << 262.0 << true << 2 << 4 << "No 2 3|No 4";
        // 51 rows of 5 mm on a body of 262 mm: 50 on the second page.
        QTest::newRow("header repeated")
            << 60 << 262.0 << false << 1 << 1
            << "No 1 2|No " + [] {
                   QStringList n;
                   for (int r = 3; r <= 53; ++r)
                       n << QString::number(r);
                   return n.join(' ');
               }() + "|No 54 55 56 57 58 59 60";
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(double, top);
        QFETCH(bool, selectionOnly);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, expected);
        FakeTable table;
        GridData &grid = table.gridData(0);
        fillTable(grid, rows);
        grid.setSelection(first, 1, last, 2);
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        device.setCurrentPos(QPointF(15, top));
        PrintTabel(device, table, 0, selectionOnly);

        QCOMPARE(columnZero(device), expected);
        // Every page but the first starts with the page header.
        for (int page = 2; page <= device.pageCount(); ++page)
            QCOMPARE(device.texts(page).first(), QStringLiteral("T"));
        // Afterwards the same rows are selected, over the columns 0 to KolomRegeling (as far
        // as the grid has them).
        QCOMPARE(grid.row(), qMin(first, last));
        QCOMPARE(grid.rowSel(), qMax(first, last));
        QCOMPARE(grid.col(), 0);
        QCOMPARE(grid.colSel(), qMin(int(Hoofdmodule::KolomRegeling), grid.cols() - 1));
    }

    void everyPageTakesARow()
    {
        // Margins that leave only the smallest body: each page still gets at least a row.
        MargeBoven = MargeOnder = 200;
        FakeTable table;
        fillTable(table.gridData(0), 30, 40);
        RecordingDevice device;
        device.lineHeight = 30;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        PrintTabel(device, table, 0, false);
        QVERIFY(device.pageCount() <= 30);
        QVERIFY(columnZero(device).endsWith(QStringLiteral(" 30")));
    }

    void scale_data()
    {
        QTest::addColumn<int>("twips"); // width of the middle column
        QTest::addColumn<double>("size");
        QTest::addColumn<double>("valRight"); // right edge of the last column
        // 1000 + 2000 + 1000 twips: 70.6 mm, narrower than the 178.2 mm of the area.
        QTest::newRow("narrow: screen size") << 2000 << 10.0 << 15 + 4000 * double(TwipSchaal);
        // Twice the print width: half size, the last column ends at PrintRechts.
        QTest::newRow("twice as wide: half size")
            << int(2 * 178.2 / double(TwipSchaal)) - 2000 << 5.0 << 193.2;
    }
    void scale()
    {
        QFETCH(int, twips);
        QFETCH(double, size);
        QFETCH(double, valRight);
        FakeTable table;
        GridData &grid = table.gridData(0);
        fillTable(grid, 1);
        grid.setColWidth(1, twips);
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        PrintTabel(device, table, 0, false);
        const auto texts = device.of(RecordingDevice::Text);
        QVERIFY(!texts.isEmpty());
        QVERIFY2(qAbs(texts.last().font.pointSizeF() - size) < 0.01,
                 qPrintable(QString::number(texts.last().font.pointSizeF())));
        const auto lines = device.of(RecordingDevice::Line);
        QVERIFY2(qAbs(lines[2].at.left() - valRight) < 0.01, qPrintable(mmText(lines[2].at)));
    }

    void noWidth()
    {
        FakeTable table;
        GridData &grid = table.gridData(0);
        fillTable(grid, 2);
        for (int c = 0; c < 3; ++c)
            grid.setColWidth(c, 0);
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        device.ops.clear();
        PrintTabel(device, table, 0, false);
        // The cap scale: every column is 0 mm wide, nothing fits in it, the lines stand at X.
        QCOMPARE(device.of(RecordingDevice::Text).size(), 0);
        for (const auto &op : device.of(RecordingDevice::Line))
            if (op.at.left() == op.at.right())
                QCOMPARE(op.at.left(), 15.0);
    }

    void noFontSizeOrWidthPrintsNothing_data()
    {
        QTest::addColumn<bool>("pixelFont");
        QTest::addColumn<float>("rightMargin");
        QTest::newRow("font without a point size") << true << 10.0f;
        QTest::newRow("no print width") << false << 500.0f;
    }
    void noFontSizeOrWidthPrintsNothing()
    {
        QFETCH(bool, pixelFont);
        QFETCH(float, rightMargin);
        FakeTable table;
        GridData &grid = table.gridData(0);
        fillTable(grid, 2);
        if (pixelFont) {
            QFont font = grid.font();
            font.setPixelSize(12);
            grid.setFont(font);
        }
        RecordingDevice device;
        InstellenPrinter(device);
        // Only the table's own room is taken away; the page keeps its header.
        PrintRechts = PrintLinks - rightMargin + 10;
        PrintTabel(device, table, 0, false);
        QVERIFY(device.ops.isEmpty());
    }

    void rowFilter_data()
    {
        QTest::addColumn<bool>("selectionOnly");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("printed");
        QTest::newRow("everything") << false << 9 << true;
        QTest::newRow("selected") << true << 5 << true;
        QTest::newRow("not selected") << true << 9 << false;
    }
    void rowFilter()
    {
        QFETCH(bool, selectionOnly);
        QFETCH(int, row);
        QFETCH(bool, printed);
        FakeTable table;
        fillTable(table.gridData(2), 10);
        table.gridData(2).setSelection(4, 1, 6, 3);
        QCOMPARE(ControleerRijAfdrukken(table, 2, row, selectionOnly), printed);
    }
};

QTEST_MAIN(TestTablePrint)
#include "tst_tableprint.moc"
