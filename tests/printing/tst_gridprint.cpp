#include "recordingdevice.h"

#include "platform/grid.h"
#include "printing/gridprint.h"
#include "printing/pageengine.h"

#include <QtTest>

using namespace Printerkode;

namespace {

// A grid of three columns: 1000, 0 (hidden) and 2000 twips; header "No", "Hid", "Value".
void fillGrid(GridData &grid)
{
    grid.setCols(3);
    grid.setRows(3);
    grid.setColWidth(0, 1000);
    grid.setColWidth(1, 0);
    grid.setColWidth(2, 2000);
    grid.setTextMatrix(0, 0, QStringLiteral("No"));
    grid.setTextMatrix(0, 1, QStringLiteral("Hid"));
    grid.setTextMatrix(0, 2, QStringLiteral("Value"));
    grid.setTextMatrix(1, 0, QStringLiteral("1"));
    grid.setTextMatrix(1, 1, QStringLiteral("x"));
    grid.setTextMatrix(1, 2, QStringLiteral("12.5"));
    grid.setColAlignment(0, GridAlign::LeftCenter);
    grid.setColAlignment(2, GridAlign::RightCenter);
    // The header row is printed by the column's alignment, not by how the screen shows it.
    grid.setHeaderAlignment(2, GridAlign::CenterCenter);
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(8);
    font.setItalic(true);
    grid.setFont(font);
}

} // namespace

class TestGridPrint : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        StandaardPrintInstellingen();
        PrintOrientatie = 1;
    }

    void scale_data()
    {
        QTest::addColumn<float>("printWidth");
        QTest::addColumn<float>("gridWidth");
        QTest::addColumn<float>("scale");
        QTest::addColumn<float>("fontSize"); // of an 8-point grid font
        QTest::newRow("narrow grid at its screen size") << 178.2f << 5000.0f << TwipSchaal << 8.0f;
        QTest::newRow("exactly the width") << 100.0f << 100.0f / TwipSchaal << TwipSchaal << 8.0f;
        QTest::newRow("twice as wide at half size")
            << 100.0f << 2 * 100.0f / TwipSchaal << TwipSchaal / 2 << 4.0f;
        QTest::newRow("no width at all") << 178.2f << 0.0f << TwipSchaal << 8.0f;
    }
    void scale()
    {
        QFETCH(float, printWidth);
        QFETCH(float, gridWidth);
        QFETCH(float, scale);
        QFETCH(float, fontSize);
        const float s = BepaalTabelSchaal(printWidth, gridWidth);
        COMPARE_MM(s * 1000, scale * 1000);
        COMPARE_MM(8 * s * TwipsPerMm, fontSize);
    }

    void totalWidth()
    {
        GridData grid;
        fillGrid(grid);
        QCOMPARE(BepaalTabelBreedte(grid), 3000.0f);
        grid.setColWidth(1, -1); // back to the default width
        QCOMPARE(BepaalTabelBreedte(grid), 3000.0f + GridData::DefaultColWidth);
    }

    void alignment_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("x");
        QTest::newRow("left top") << 0 << 10.5;
        QTest::newRow("left bottom") << 2 << 10.5;
        QTest::newRow("general") << 9 << 10.5;
        QTest::newRow("centre") << 4 << 18.0;
        QTest::newRow("centre bottom") << 5 << 18.0;
        QTest::newRow("right") << 7 << 25.5;
        QTest::newRow("unknown code leaves X") << 12 << 77.0;
        QTest::newRow("negative code leaves X") << -1 << 77.0;
    }
    void alignment()
    {
        QFETCH(int, code);
        QFETCH(double, x);
        RecordingDevice device;
        device.setCurrentX(77);
        BepaalUitlijning(device, code, 10, 4, 20);
        COMPARE_MM(device.currentX(), x);
    }

    // A column from 10 to 20 mm; characters are 2 mm wide.
    void clipping_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << 10.5 << "abcd" << "a@10.5,0|b@12.5,0|c@14.5,0|d@16.5,0";
        QTest::newRow("cut at the right edge plus 0.25")
            << 10.5 << "abcdefghij" << "a@10.5,0|b@12.5,0|c@14.5,0|d@16.5,0";
        QTest::newRow("last character within the tolerance")
            << 12.25 << "abcd" << "a@12.25,0|b@14.25,0|c@16.25,0|d@18.25,0";
        // Right aligned: 10 + 10 - 14 - 0.5 = 5.5; what starts left of 9.75 is left out.
        QTest::newRow("right-aligned number cut on the left")
            << 5.5 << "1234567" << "4@11.5,0|5@13.5,0|6@15.5,0|7@17.5,0";
        QTest::newRow("starting at the tolerance") << 9.75 << "ab" << "a@9.75,0|b@11.75,0";
    }
    void clipping()
    {
        QFETCH(double, start);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        RecordingDevice device;
        device.setCurrentX(start);
        AfdrukkenCelTekst(device, 10, 20, text);
        QCOMPARE(layout(device), expected);
    }

    void headerRow()
    {
        GridData grid;
        fillGrid(grid);
        RecordingDevice device;
        QFont printerFont(QStringLiteral("Arial"));
        printerFont.setPointSizeF(10);
        device.setFont(printerFont);
        AfdrukkenTabelHoofding(device, grid, 15, 50.5, 0.01f, 6);
        // Column 0 from 15 to 25 left; the hidden column prints nothing; column 2 from 25 to
        // 45 right: 45 - 10 - 0.5.
        QCOMPARE(layout(device), QStringLiteral("N@15.5,50.5|o@17.5,50.5|V@34.5,50.5|a@36.5,50.5|"
                                                "l@38.5,50.5|u@40.5,50.5|e@42.5,50.5"));
        for (const auto &op : device.of(RecordingDevice::Text)) {
            QCOMPARE(op.font.family(), QStringLiteral("Courier New"));
            QVERIFY(op.font.bold()); // a header is bold whatever the grid's font
            QVERIFY(op.font.italic());
            QCOMPARE(op.font.pointSizeF(), 6.0);
            QCOMPARE(op.colour, QColor(Qt::black));
        }
        // The caller's size comes back; the rest is the last cell's font.
        QCOMPARE(device.font().pointSizeF(), 10.0);
    }

    void dataRow()
    {
        GridData grid;
        fillGrid(grid);
        grid.setSelection(2, 0, 2, 2);
        RecordingDevice device;
        AfdrukkenTabelRij(device, grid, 1, 15, 60.5, 0.01f, 6);
        // "12.5" right aligned in 25..45: 45 - 8 - 0.5.
        QCOMPARE(layout(device),
                 QStringLiteral("1@15.5,60.5|1@36.5,60.5|2@38.5,60.5|.@40.5,60.5|5@42.5,60.5"));
        QVERIFY(!device.ops.first().font.bold());
        QCOMPARE(device.ops.first().font.pointSizeF(), 6.0);
        // Printing reads the grid without moving its selection.
        QCOMPARE(grid.row(), 2);
        QCOMPARE(grid.rowSel(), 2);
    }

    void nothingAtNoSizeOrScale_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<float>("size");
        QTest::newRow("size 0") << 0.01f << 0.0f;
        QTest::newRow("negative size") << 0.01f << -2.0f;
        QTest::newRow("scale 0") << 0.0f << 6.0f;
    }
    void nothingAtNoSizeOrScale()
    {
        QFETCH(float, scale);
        QFETCH(float, size);
        GridData grid;
        fillGrid(grid);
        RecordingDevice device;
        AfdrukkenTabelHoofding(device, grid, 15, 50, scale, size);
        AfdrukkenTabelRij(device, grid, 1, 15, 60, scale, size);
        QVERIFY(device.ops.isEmpty());
    }

    void columnLines()
    {
        GridData grid;
        fillGrid(grid);
        RecordingDevice device;
        device.setDrawWidth(2);
        device.setCurrentPos(QPointF(99, 99));
        AfdrukkenKolomLijnen(device, grid, 15, 50, 0.01f, 5);
        const auto lines = device.of(RecordingDevice::Line);
        QCOMPARE(lines.size(), 3);
        // At the right edge of every column, the hidden one on its neighbour's line.
        const double edges[] = {25, 25, 45};
        for (int i = 0; i < 3; ++i) {
            COMPARE_MM(lines[i].at, QRectF(QPointF(edges[i], 50), QPointF(edges[i], 55)));
            QCOMPARE(lines[i].drawWidth, 2);
            QCOMPARE(lines[i].colour, QColor(Qt::black));
        }
        QCOMPARE(device.currentPos(), QPointF(15, 50));
    }

    void ruleUnderRow()
    {
        RecordingDevice device;
        InstellenPrinter(device);
        device.setCurrentPos(QPointF(33, 100));
        AfdrukkenTabelLijn(device, 3);
        const auto lines = device.of(RecordingDevice::Line);
        QCOMPARE(lines.size(), 1);
        COMPARE_MM(lines[0].at, QRectF(QPointF(15, 105), QPointF(193.2, 105)));
        QCOMPARE(lines[0].drawWidth, 3);
        QCOMPARE(device.currentPos(), QPointF(33, 105));
        QCOMPARE(device.drawWidth(), 1);
    }
};

QTEST_MAIN(TestGridPrint)
#include "tst_gridprint.moc"
