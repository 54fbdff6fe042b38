#include "fakegraph.h"
#include "faketable.h"
#include "recordingdevice.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphprint.h"
#include "instruments/protocol.h"
#include "platform/clock.h"
#include "printing/pageengine.h"
#include "support/language.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QtTest>

using namespace Printerkode;
using namespace Grafiekafdruk;

namespace {

// The printed lines in order: the texts of each line joined, "~" where a text does not start
// where the one before it ended (a new column of the line).
QStringList printedLines(const RecordingDevice &device)
{
    QStringList result;
    int page = -1;
    double y = -1, end = 0;
    for (const auto &op : device.of(RecordingDevice::Text)) {
        if (op.page != page || !mmNear(op.at.top(), y)) {
            result << QString();
            page = op.page;
            y = op.at.top();
        } else if (!mmNear(op.at.left(), end)) {
            result.last() += QLatin1Char('~');
        }
        result.last() += op.text;
        end = op.at.left() + RecordingDevice::CharWidth * op.text.size();
    }
    return result;
}

} // namespace

class TestGraphPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qint16 english = 0;
        LaadTaal(english);
    }
    void init()
    {
        StandaardPrintInstellingen();
        PrintOrientatie = 1;
        PaginaTitel = QStringLiteral("T");
        ResetToestellen();
        Toestel[2].Naam = QStringLiteral(" Oven ");
        Toestel[2].Kanaal[1].Naam = QStringLiteral("Temp ");
        Toestel[2].Kanaal[1].Eenheid = QStringLiteral("C  ");
        dataViews().tabel = &m_table;
        // The mark slot 2's model sends for a channel without a reading.
        Protocol::GeenWaardeTeken[2] = "--";
    }
    void cleanup()
    {
        dataViews().tabel = nullptr;
        Protocol::GeenWaardeTeken[2].clear();
    }

    void alarmEpisodes_data()
    {
        // The table's value cells, measurement 1..n: "value" in C, or "value|unit".
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("lineUnit"); // the line's unit on the chart
        QTest::addColumn<bool>("high");
        QTest::addColumn<bool>("low");
        QTest::addColumn<QStringList>("expected"); // what follows the limits

        const QStringList both = {"Temp (C): Number of times the high limit was exceeded: 1",
                                  "Temp (C): Number of times the low limit was exceeded:  1"};
        QTest::newRow("10, 30, 31, 5, 12 with 25/8")
            << QStringList{"10", "30", "31", "5", "12"} << QString() << true << true
            << QStringList{"High limit exceeded:~Temp (C): 00002: d2 - t2; 30",
                           "Recovered:~Temp (C): 00004: d4 - t4; 5",
                           "Low limit exceeded:~Temp (C): 00004: d4 - t4; 5",
                           "Recovered:~Temp (C): 00005: d5 - t5; 12"} + both;
        QTest::newRow("on the limits") << QStringList{"25", "8"} << QString() << true << true
                                       << QStringList{"High limit exceeded:~Temp (C): 00001: d1 - t1; 25",
                                                      "Recovered:~Temp (C): 00002: d2 - t2; 8",
                                                      "Low limit exceeded:~Temp (C): 00002: d2 - t2; 8"}
                                              + both;
        QTest::newRow("OR. counts as 9999")
            << QStringList{"10", "OR."} << QString() << true << false
            << QStringList{"High limit exceeded:~Temp (C): 00002: d2 - t2; OR.", both[0]};
        QTest::newRow("empty cells are skipped; comma decimals")
            << QStringList{"", "25,5", "", "24,9"} << QString() << true << false
            << QStringList{"High limit exceeded:~Temp (C): 00002: d2 - t2; 25,5",
                           "Recovered:~Temp (C): 00004: d4 - t4; 24,9", both[0]};
        QTest::newRow("never past a limit")
            << QStringList{"10", "12"} << QString() << true << true
            << QStringList{"Temp (C): High limit has not been exceeded.",
                           "Temp (C): Low limit has not been exceeded."};
        QTest::newRow("low limit only") << QStringList{"3", "9", "2"} << QString() << false << true
                                        << QStringList{"Low limit exceeded:~Temp (C): 00001: d1 - t1; 3",
                                                       "Recovered:~Temp (C): 00002: d2 - t2; 9",
                                                       "Low limit exceeded:~Temp (C): 00003: d3 - t3; 2",
                                                       "Temp (C): Number of times the low limit was exceeded:  2"};
        // The table writes one blank for a read failure, a controller switched off or a
        // deleted line; none of them, nor the model's mark, is a reading of 0.
        QTest::newRow("no reading: blank, empty, the model's mark")
            << QStringList{"10", " ", "", "--", "12", "3"} << QString() << false << true
            << QStringList{"Low limit exceeded:~Temp (C): 00006: d6 - t6; 3",
                           "Temp (C): Number of times the low limit was exceeded:  1"};
        // The file's readings turn from mg into g on a line in mg: 0.061 g is 61 mg, above the
        // 8 mg limit; 0.0004 g is 0.4 mg, below it. The count names the unit compared in.
        QTest::newRow("readings in the line's unit")
            << QStringList{"600|mg", "0.061|g", "0.0004|g", "0.2|g"} << QStringLiteral("mg")
            << false << true
            << QStringList{"Low limit exceeded:~Temp (g): 00003: d3 - t3; 0.0004",
                           "Recovered:~Temp (g): 00004: d4 - t4; 0.2",
                           "Temp (mg): Number of times the low limit was exceeded:  1"};
    }
    void alarmEpisodes()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, lineUnit);
        QFETCH(bool, high);
        QFETCH(bool, low);
        QFETCH(QStringList, expected);
        FakeGraph graph;
        graph.high = high;
        graph.low = low;
        graph.highValue = 25;
        graph.lowValue = 8;
        if (cells.contains(QStringLiteral("OR.")))
            graph.highValue = 9999;
        graph.lines[4] = {2, 1};
        graph.units[4] = lineUnit;
        fillValues(cells);

        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        device.ops.clear();
        device.setCurrentPos(QPointF(15, 100));
        AfdrukkenAlarmRapport(graph, device);

        QStringList limits;
        if (high)
            limits << "High limit:~" + QString::number(graph.highValue);
        if (low)
            limits << QStringLiteral("Low limit:~8");
        QCOMPARE(printedLines(device), QStringList{"Alarm report"} + limits + expected);
        // The heading one line under the position, an empty line under it.
        COMPARE_MM(device.ops.first().at.topLeft(), QPointF(25, 104));
        COMPARE_MM(device.ops.at(1).at.top(), 112);
    }

    void recorderValues()
    {
        FakeGraph graph;
        graph.recorder = true;
        graph.high = true;
        graph.highValue = 25;
        graph.points = 4;
        graph.lines[1] = {2, 1};
        graph.values[3] = {10.0, qQNaN(), 30.5, 20.0};
        graph.labels = QStringList{"12:00:01", "12:00:02", "12:00:03", "12:00:04"};
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenAlarmRapport(graph, device);
        QCOMPARE(printedLines(device).mid(2),
                 (QStringList{"High limit exceeded:~Temp (C): 12:00:03; 30.5",
                              "Recovered:~Temp (C): 12:00:04; 20",
                              "Temp (C): Number of times the high limit was exceeded: 1"}));

        // The chart holds its values in the line's unit, which may no longer be the
        // controller's: the report names the line's.
        graph.units[1] = QStringLiteral("mg");
        device.ops.clear();
        AfdrukkenAlarmRapport(graph, device);
        QCOMPARE(printedLines(device).mid(2),
                 (QStringList{"High limit exceeded:~Temp (mg): 12:00:03; 30.5",
                              "Recovered:~Temp (mg): 12:00:04; 20",
                              "Temp (mg): Number of times the high limit was exceeded: 1"}));
    }

    void linesWithoutSourceAreSkipped()
    {
        FakeGraph graph;
        graph.high = true;
        graph.highValue = 25;
        graph.lines[1] = {0, 1};
        graph.lines[2] = {2, 0};
        graph.lines[3] = {32, 1};
        graph.lines[5] = {2, 5};
        fillValues({"30"});
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenAlarmRapport(graph, device);
        QCOMPARE(printedLines(device), (QStringList{"Alarm report", "High limit:~25"}));
    }

    void fortyThousandMeasurements()
    {
        QStringList cells;
        for (int m = 1; m <= 40000; ++m)
            cells << (m == 40000 ? QStringLiteral("30") : QStringLiteral("10"));
        fillValues(cells);
        FakeGraph graph;
        graph.high = true;
        graph.highValue = 25;
        graph.lines[1] = {2, 1};
        RecordingDevice device;
        InstellenPrinter(device);
        AfdrukkenAlarmRapport(graph, device);
        QCOMPARE(printedLines(device).mid(2),
                 (QStringList{"High limit exceeded:~Temp (C): 40000: d40000 - t40000; 30",
                              "Temp (C): Number of times the high limit was exceeded: 1"}));
    }

    void chartAndTitle()
    {
        FakeGraph graph;
        graph.chartTitleText = QStringLiteral("Oven");
        RecordingDevice device;
        InstellenPrinter(device);
        float x = 20, y = 50;
        PrintGrafiek(graph, device, x, y, 160, 100, true);

        const auto frames = device.of(RecordingDevice::Rect);
        QCOMPARE(frames.size(), 1);
        COMPARE_MM(frames[0].at, QRectF(20, 50, 160, 100));
        QCOMPARE(frames[0].drawWidth, 3);
        QCOMPARE(device.drawWidth(), 1);
        const auto pictures = device.of(RecordingDevice::Picture);
        QCOMPARE(pictures.size(), 1);
        COMPARE_MM(pictures[0].at, QRectF(28, 55, 144, 90));
        QCOMPARE(graph.rendered.size(), 1);
        // The title centred under the chart; no legend, so the position comes back as it was.
        QCOMPARE(layout(device), QStringLiteral("Oven@96,150"));
        QCOMPARE(x, 20.f);
        QCOMPARE(y, 50.f);
        // The user's clipboard is not touched.
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
    }

    void noTitleNoFrame()
    {
        FakeGraph graph;
        RecordingDevice device;
        InstellenPrinter(device);
        float x = 20, y = 50;
        PrintGrafiek(graph, device, x, y, 160, 100, false);
        QCOMPARE(device.of(RecordingDevice::Rect).size(), 0);
        QCOMPARE(device.of(RecordingDevice::Text).size(), 0);
        COMPARE_MM(device.currentY(), 150);
    }

    void legendColumnsAndNewPage()
    {
        FakeGraph graph;
        graph.legend = true;
        graph.high = graph.low = true;
        graph.legends[1] = QStringLiteral("Low limit");
        graph.legends[2] = QStringLiteral("High limit");
        for (int line = 1; line <= 20; ++line) {
            graph.lines[line] = {2, 1};
            graph.legends[line + 2] = QStringLiteral("C Temp%1").arg(line);
        }
        RecordingDevice device;
        InstellenPrinter(device);
        float x = 20, y = 100;
        PrintGrafiek(graph, device, x, y, 170, 150, false);

        // Colour samples: 5 mm lines of draw width 5, 1.25 mm below each entry's top.
        QStringList columns;
        QString key;
        for (const auto &op : device.of(RecordingDevice::Line)) {
            QCOMPARE(op.drawWidth, 5);
            COMPARE_MM(op.at.width(), 5);
            const QString k = QStringLiteral("p%1 x%2:").arg(op.page).arg(mmText(op.at.left()));
            if (k != key)
                columns << k;
            key = k;
            columns.last() += QLatin1Char(' ') + mmText(op.at.top() - 1.25);
        }
        QCOMPARE(columns, (QStringList{"p1 x20: 250 254 258 262 266 270",
                                       "p1 x82.5: 250 254 258 262 266 270",
                                       "p1 x145: 250 254 258 262 266 270",
                                       "p2 x20: 23 27 31 35"}));
        // The limit lines carry their own text; the lines their device's name.
        const QStringList lines = printedLines(device);
        QCOMPARE(lines.first(), QStringLiteral("Low limit"));
        QCOMPARE(lines.at(1), QStringLiteral("High limit"));
        QCOMPARE(lines.at(2), QStringLiteral("Oven: C Temp1"));
        QCOMPARE(layout(device).section(QLatin1Char('|'), 0, 0), QStringLiteral("Low@28,250"));
        // The new page has its header.
        QCOMPARE(device.texts(2).first(), QStringLiteral("T"));
        QCOMPARE(x, 20.f);
        QCOMPARE(y, 35.f);
    }

    void copyPutsAnImageOnTheClipboard()
    {
        FakeGraph graph;
        graph.colour = Qt::blue;
        CopyGrafiek(graph, QSize(300, 200));
        const QImage image = QGuiApplication::clipboard()->image();
        QCOMPARE(image.size(), QSize(300, 200));
        QCOMPARE(image.pixelColor(150, 100), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    }

private:
    // Grid of slot 2: measurement m has the value cell, its unit ("C" unless the cell gives
    // one after a "|"), "d<m>" and "t<m>".
    void fillValues(const QStringList &cells)
    {
        GridData &grid = m_table.gridData(1);
        grid.setCols(14);
        grid.setRows(int(cells.size()) + 1);
        for (int m = 1; m <= cells.size(); ++m) {
            grid.setTextMatrix(m, 1, QStringLiteral("d%1").arg(m));
            grid.setTextMatrix(m, 2, QStringLiteral("t%1").arg(m));
            const QStringList cell = cells[m - 1].split(QLatin1Char('|'));
            grid.setTextMatrix(m, 3, cell[0]);
            grid.setTextMatrix(m, 4, cell.value(1, QStringLiteral("C")));
        }
        Hoofdmodule::AantalRijen = qint32(cells.size());
    }

    FakeTable m_table;
};

QTEST_MAIN(TestGraphPrint)
#include "tst_graphprint.moc"
