#include "printwindows.h"
#include "recordingdevice.h"

#include "core/shared.h"
#include "instruments/terminal.h"
#include "printing/pageengine.h"
#include "printing/printrun.h"
#include "support/language.h"
#include "support/progress.h"

#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace Printerkode;

namespace {

// Per page, the value printed beside the first label of the heading block's right-hand column
// ("Graph:", "Table:"), the terminal's label, or "Alarm report" on a report's page.
QString headings(const RecordingDevice &device)
{
    QStringList result;
    for (int page = 1; page <= device.pageCount(); ++page) {
        const QStringList texts = device.texts(page);
        QString found = QStringLiteral("-");
        for (qsizetype i = texts.size() - 1; i >= 0; --i) {
            const QString &t = texts[i];
            if (t == QLatin1String("Graph:") || t == QLatin1String("Table:"))
                found = t + QLatin1Char(' ') + texts.value(i + 1);
            else if (t == QLatin1String("Terminal window"))
                found = t;
        }
        if (texts.contains(QStringLiteral("Alarm report")))
            found = QStringLiteral("Alarm report");
        result << found;
    }
    return result.join(QLatin1Char('|'));
}

// The texts of table column 0 (its characters joined per row) on all pages.
QStringList columnZero(const RecordingDevice &device)
{
    QMap<QPair<int, double>, QString> rows;
    for (const auto &op : device.of(RecordingDevice::Text))
        if (mmNear(op.at.left(), 15.5) || mmNear(op.at.left(), 17.5))
            rows[{op.page, op.at.top()}] += op.text;
    return rows.values();
}

} // namespace

class TestPrintRun : public QObject {
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
        PrintAlarmRapport = false;
        PrintEnkelSelectie = false;
        Hoofdmodule::Meetbestandsnaam = QStringLiteral("/data/run.csv");
    }
    void cleanup() { SluitVoortgang(); }

    void allInOrder_data()
    {
        QTest::addColumn<bool>("tableShown");
        QTest::addColumn<bool>("alarm"); // graph 3 has a high limit, the report is asked for
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("progress");
        QTest::newRow("graphs 1, 3, tables 2, 5")
            << true << false << "Graph: g1|Graph: g3|Table: Oven|Table: Press" << 4;
        QTest::newRow("with the alarm report")
            << true << true << "Graph: g1|Graph: g3|Alarm report|Table: Oven|Table: Press" << 4;
        QTest::newRow("table hidden") << false << false << "Graph: g1|Graph: g3" << 2;
    }
    void allInOrder()
    {
        QFETCH(bool, tableShown);
        QFETCH(bool, alarm);
        QFETCH(QString, expected);
        QFETCH(int, progress);
        PrintWindows windows;
        windows.graph(1);
        windows.graph(2).index = 0; // an entry only created
        windows.graph(3).high = alarm;
        PrintAlarmRapport = alarm;
        // Restrict to selection does not apply to "All".
        PrintEnkelSelectie = true;
        windows.table.gridData(1).setSelection(2, 1, 2, 1);
        windows.table.setVisible(tableShown);

        RecordingDevice device;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, true, nullptr), Afloop::Klaar);
        QCOMPARE(headings(device), expected);
        QCOMPARE(FrmVoortgang::instance().ProgressBar->maximum(), progress);
        QCOMPARE(FrmVoortgang::instance().ProgressBar->value(), progress);
        if (tableShown)
            QCOMPARE(columnZero(device),
                     (QStringList{"No", "1", "2", "No", "1", "2", "3"}));
        // No blank page at the end.
        QVERIFY(device.ops.last().kind != RecordingDevice::Page);
    }

    void allWithNothingOpen()
    {
        PrintWindows windows;
        ResetToestellen();
        RecordingDevice device;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, true, nullptr), Afloop::Klaar);
        QVERIFY(device.ops.isEmpty());
    }

    void cancelStopsBeforeTheNextWindow()
    {
        PrintWindows windows;
        windows.table.show();
        windows.graph(1).whileDrawn = [] { FrmVoortgang::instance().CommandCancel->click(); };
        windows.graph(3);
        RecordingDevice device;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, true, nullptr), Afloop::Afgebroken);
        QCOMPARE(headings(device), QStringLiteral("Graph: g1"));
    }

    void failureStopsTheRun()
    {
        PrintWindows windows;
        windows.graph(1);
        windows.graph(3);
        RecordingDevice device;
        device.refuseBegin = true;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, true, nullptr), Afloop::Mislukt);
        QCOMPARE(windows.graph(3).rendered.size(), 0);
    }

    void currentWindow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("selectionOnly");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("table, shown tab") << "table" << false << "Table: Press"
                                          << QStringList{"No", "1", "2", "3"};
        QTest::newRow("table, selection") << "table" << true << "Table: Press"
                                          << QStringList{"No", "2"};
        QTest::newRow("graph") << "graph" << false << "Graph: g3" << QStringList();
        QTest::newRow("graph with its alarm report")
            << "graph alarm" << false << "Graph: g3|Alarm report" << QStringList();
        QTest::newRow("terminal") << "terminal" << false << "Terminal window" << QStringList();
        QTest::newRow("other window") << "other" << false << "" << QStringList();
    }
    void currentWindow()
    {
        QFETCH(QString, kind);
        QFETCH(bool, selectionOnly);
        QFETCH(QString, expected);
        QFETCH(QStringList, rows);
        PrintWindows windows;
        windows.graph(1);
        windows.table.shownTab = 4;
        windows.table.gridData(4).setSelection(2, 1, 2, 2);
        PrintEnkelSelectie = selectionOnly;
        QWidget other;
        other.setProperty("Tag", QStringLiteral("frmSomething"));
        frmTerminal terminal;
        QWidget *window = &other;
        if (kind == QLatin1String("table")) {
            window = &windows.table;
        } else if (kind.startsWith(QLatin1String("graph"))) {
            window = &windows.graph(3);
            windows.graph(3).low = true;
            PrintAlarmRapport = kind.endsWith(QLatin1String("alarm"));
        } else if (kind == QLatin1String("terminal")) {
            terminal.Form_Load();
            terminal.ToevoegenTextBox(QStringLiteral("#002 >?\nanswer\n"), 0);
            window = &terminal;
        }

        RecordingDevice device;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, false, window), Afloop::Klaar);
        QCOMPARE(headings(device), expected);
        QCOMPARE(columnZero(device), rows);
        if (kind.startsWith(QLatin1String("graph"))) {
            QCOMPARE(windows.graph(3).rendered.size(), 1);
            QCOMPARE(windows.graph(1).rendered.size(), 0);
        }
        if (kind == QLatin1String("terminal")) {
            // The text 5 mm under the heading block, 10 mm in from both print limits.
            const auto *answer = device.findText(QStringLiteral("answer"));
            QVERIFY(answer);
            COMPARE_MM(answer->at.left(), PrintLinks + 10);
            qsizetype first = -1;
            double above = 0;
            for (qsizetype i = 0; i < device.ops.size() && first < 0; ++i) {
                const RecordingDevice::Op &op = device.ops[i];
                if (op.kind == RecordingDevice::Text && op.text.startsWith(QLatin1String("#002")))
                    first = i;
                else if (op.kind == RecordingDevice::Text)
                    above = qMax(above, op.at.top() + device.lineHeight);
                else if (op.kind == RecordingDevice::Line)
                    above = qMax(above, qMax(op.at.top(), op.at.bottom()));
            }
            QVERIFY(first >= 0);
            COMPARE_MM(device.ops[first].at.left(), PrintLinks + 10);
            QVERIFY(device.ops[first].at.top() >= above + 5 - 0.001);
        }
    }

    void rackPrintsItsPicture_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("mm");
        const double dpi = QWidget().logicalDpiX();
        const double mm = 25.4 / dpi;
        QTest::newRow("at its size") << QSize(300, 200) << QSizeF(300 * mm, 200 * mm);
        // Far wider than the page: shrunk to the page's width, in proportion.
        QTest::newRow("shrunk to fit")
            << QSize(3000, 200) << QSizeF(203.2, 203.2 * 200 / 3000);
    }
    void rackPrintsItsPicture()
    {
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, mm);
        PrintWindows windows;
        QWidget rack;
        rack.setProperty("Tag", QStringLiteral("meting4"));
        rack.resize(pixels);
        RecordingDevice device;
        InstellenPrinter(device);
        QCOMPARE(AfdrukkenVensters(device, false, &rack), Afloop::Klaar);
        QCOMPARE(device.of(RecordingDevice::Text).size(), 0);
        const auto pictures = device.of(RecordingDevice::Picture);
        QCOMPARE(pictures.size(), 1);
        COMPARE_MM(pictures[0].at, QRectF(QPointF(0, 0), mm));
    }

    void chartPlace_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<double>("y"); // under the heading block
        QTest::addColumn<QRectF>("picture");
        QTest::addColumn<int>("pages");
        // Portrait: 65 % of the 177 mm under y = 100, inset 5 mm; 90 % of that is the picture.
        const double h = 177 * 0.65;
        QTest::newRow("portrait") << 1 << 100.0
                                  << QRectF(20 + 0.05 * 168.2, 110 + 0.05 * h, 0.9 * 168.2, 0.9 * h)
                                  << 1;
        const double hl = (193.2 - 100) * 0.75;
        QTest::newRow("landscape") << 2 << 100.0
                                   << QRectF(20 + 0.05 * 252, 110 + 0.05 * hl, 0.9 * 252, 0.9 * hl)
                                   << 1;
        // Less than 60 mm left: the chart goes to the top of a new page's body (15 mm).
        const double hn = (277 - 15) * 0.65;
        QTest::newRow("no room left") << 1 << 220.0
                                      << QRectF(20 + 0.05 * 168.2, 25 + 0.05 * hn, 0.9 * 168.2,
                                                0.9 * hn)
                                      << 2;
    }
    void chartPlace()
    {
        QFETCH(int, orientation);
        QFETCH(double, y);
        QFETCH(QRectF, picture);
        QFETCH(int, pages);
        PrintOrientatie = orientation;
        FakeGraph graph;
        RecordingDevice device;
        InstellenPrinter(device);
        PaginaTitel = QStringLiteral("T");
        AfdrukkenPaginaHoofding(device);
        device.setCurrentPos(QPointF(15, y));
        AfdrukkenGrafiek(device, graph);
        const auto pictures = device.of(RecordingDevice::Picture);
        QCOMPARE(pictures.size(), 1);
        COMPARE_MM(pictures[0].at, picture);
        QCOMPARE(device.pageCount(), pages);
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
