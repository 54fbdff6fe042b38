#include "fakegraph.h"
#include "recordingdevice.h"

#include "core/shared.h"
#include "core/slots.h"
#include "graph/printablegraph.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "printing/pageengine.h"
#include "support/language.h"

#include <QtTest>

using namespace Printerkode;

class TestPageEngine : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        StandaardPrintInstellingen();
        PrintOrientatie = 1;
        PaginaTitel.clear();
        PrintOperator.clear();
        PrintBedrijf.clear();
        PrintAfdeling.clear();
        PrintNota.clear();
        Clock::install(&m_clock);
    }
    void cleanup() { Clock::install(nullptr); }
    void initTestCase()
    {
        qint16 engels = 0;
        LaadTaal(engels);
    }

    void printArea_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QList<float>>("margins"); // left, right, top, bottom as stored
        QTest::addColumn<QList<float>>("area"); // PrintLinks, PrintRechts, PrintBoven, PrintOnder
        QTest::addColumn<QList<float>>("stored");  // margins after the set-up

        using L = QList<float>;
        QTest::newRow("defaults on A4") << 1 << L{15, 10, 10, 10} << L{15, 193.2f, 10, 277}
                                        << L{15, 10, 10, 10};
        QTest::newRow("landscape") << 2 << L{15, 10, 10, 10} << L{15, 277, 10, 193.2f}
                                   << L{15, 10, 10, 10};
        QTest::newRow("top past half the page") << 1 << L{15, 10, 200, 10}
                                                << L{15, 193.2f, 143.5f, 277}
                                                << L{15, 10, 143.5f, 10};
        QTest::newRow("negative left") << 1 << L{-5, 10, 10, 10} << L{0, 193.2f, 10, 277}
                                       << L{0, 10, 10, 10};
        // Each of the two clamps to half the page, so together they would leave no body.
        QTest::newRow("top and bottom take the page") << 1 << L{15, 10, 200, 200}
                                                      << L{15, 193.2f, 123.5f, 163.5f}
                                                      << L{15, 10, 143.5f, 143.5f};
        QTest::newRow("left and right leave 23 mm") << 1 << L{90, 90, 10, 10}
                                                    << L{81.6f, 121.6f, 10, 277}
                                                    << L{90, 90, 10, 10};
        QTest::newRow("uneven margins shrink in proportion") << 1 << L{100, 80, 10, 10}
                                                             << L{90.667f, 130.667f, 10, 277}
                                                             << L{100, 80, 10, 10};
    }
    void printArea()
    {
        QFETCH(int, orientation);
        QFETCH(QList<float>, margins);
        QFETCH(QList<float>, area);
        QFETCH(QList<float>, stored);
        PrintOrientatie = orientation;
        MargeLinks = margins[0];
        MargeRechts = margins[1];
        MargeBoven = margins[2];
        MargeOnder = margins[3];
        RecordingDevice device;
        InstellenPrinter(device);
        const QList<float> got{PrintLinks, PrintRechts, PrintBoven, PrintOnder};
        const QList<float> kept{MargeLinks, MargeRechts, MargeBoven, MargeOnder};
        for (int i = 0; i < 4; ++i) {
            COMPARE_MM(got[i], area[i]);
            COMPARE_MM(kept[i], stored[i]);
        }
        QCOMPARE(device.orientation(),
                 orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        QVERIFY(device.ops.isEmpty()); // setting up prints nothing
    }

    void begrenzen_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<float>("expected");
        QTest::newRow("inside") << 12.5f << 20.0f << 12.5f;
        QTest::newRow("negative") << -0.1f << 20.0f << 0.0f;
        QTest::newRow("above") << 20.1f << 20.0f << 20.0f;
        QTest::newRow("at the maximum") << 20.0f << 20.0f << 20.0f;
    }
    void begrenzen()
    {
        QFETCH(float, value);
        QFETCH(float, maximum);
        QFETCH(float, expected);
        QCOMPARE(Begrenzen(value, maximum), expected);
    }

    void fontExists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("listed") << "Courier New" << true;
        QTest::newRow("other case") << "arial" << false;
        QTest::newRow("missing") << "Helvetica" << false;
    }
    void fontExists()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        RecordingDevice device;
        QCOMPARE(BestaatLettertype(device, name), exists);
    }

    void pageHeader()
    {
        RecordingDevice device;
        InstellenPrinter(device);
        PaginaTitel = QStringLiteral("/data/run.csv");
        QFont before(QStringLiteral("Courier New"));
        before.setPointSizeF(7);
        device.setFont(before);
        device.setForeColor(Qt::red);
        AfdrukkenPaginaHoofding(device);

        const QString date = DateTimeText::formatDate(m_clock.now().date()) + " - 10:00";
        QCOMPARE(layout(device), QStringLiteral("/data/run.csv@15,10|%1@%2,10")
                                     .arg(date, mmText(193.2 - 2 * date.size())));
        const auto texts = device.of(RecordingDevice::Text);
        for (const auto &op : texts) {
            QCOMPARE(op.font.family(), QStringLiteral("Arial"));
            QVERIFY(op.font.bold());
            QCOMPARE(op.font.pointSizeF(), 10.0);
            QCOMPARE(op.colour, QColor(Qt::black));
        }
        const auto frames = device.of(RecordingDevice::Rect);
        QCOMPARE(frames.size(), 1);
        COMPARE_MM(frames[0].at, QRectF(QPointF(15, 15), QPointF(193.2, 277)));
        QCOMPARE(frames[0].drawWidth, 3);
        // The body starts under the title line, in the caller's font and colour.
        COMPARE_MM(device.currentPos(), QPointF(15, 15));
        QCOMPARE(device.font(), before);
        QCOMPARE(device.foreColor(), QColor(Qt::red));
        QCOMPARE(device.drawWidth(), 1);
    }

    void wrap_data()
    {
        QTest::addColumn<float>("right");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("parentheses fit")
            << 120.0f << "alpha, beta (gamma)"
            << "alpha@20,50|,@30,50| @32,50|beta@34,50| @42,50|(gamma)@44,50";
        QTest::newRow("parenthesised word moves whole")
            << 55.0f << "alpha, beta (gamma)"
            << "alpha@20,50|,@30,50| @32,50|beta@34,50| @42,50|(gamma)@20,54";
        QTest::newRow("CR LF and LF") << 120.0f << "one\r\ntwo\nthree"
                                      << "one@20,50|two@20,54|three@20,58";
        QTest::newRow("form feed only ends the line") << 120.0f << "one\ftwo"
                                                      << "one@20,50|two@20,54";
        QTest::newRow("word wider than the width")
            << 40.0f << "ab abcdefghijklmno cd"
            << "ab@20,50| @24,50|abcdefghijklmno@20,54| @50,54|cd@20,58";
        QTest::newRow("punctuation stays past the limit") << 30.0f << "abcde. f"
                                                          << "abcde@20,50|.@30,50| @32,50|f@20,54";
        QTest::newRow("control characters are no prefix")
            << 120.0f << QStringLiteral("a\x01""b(\bc x") + QChar(0) + "y"
            << "ab@20,50|(@24,50|c@26,50| @28,50|x@30,50|y@32,50";
        QTest::newRow("tab") << 120.0f << "a\tb" << "a@20,50| @22,50|b@24,50";
        QTest::newRow("quote and slash glue")
            << 120.0f << "say \"hi\" a/b"
            << "say@20,50| @26,50|\"hi@28,50|\"@34,50| @36,50|a@38,50|/b@40,50";
    }
    void wrap()
    {
        QFETCH(float, right);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        RecordingDevice device;
        InstellenPrinter(device);
        device.setCurrentPos(QPointF(77, 50));
        AfdrukkenTekstTerugloop(device, 20, right, text);
        QCOMPARE(layout(device), expected);
        QCOMPARE(device.pageCount(), 1);
    }

    void pageEnd_data()
    {
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("newPage");
        QTest::newRow("line reaches the bottom") << 273.0 << true;
        QTest::newRow("line ends just above it") << 272.9 << false;
        QTest::newRow("past the bottom") << 280.0 << true;
    }
    void pageEnd()
    {
        QFETCH(double, y);
        QFETCH(bool, newPage);
        RecordingDevice device;
        InstellenPrinter(device);
        PaginaTitel = QStringLiteral("title");
        AfdrukkenPaginaHoofding(device);
        device.setCurrentPos(QPointF(40, y));
        ControlePaginaEinde(device, QStringLiteral("word"));
        QCOMPARE(device.pageCount(), newPage ? 2 : 1);
        const QStringList header{QStringLiteral("title"), device.texts(1).last()};
        QCOMPARE(device.texts(2), newPage ? header : QStringList());
        COMPARE_MM(device.currentPos(), newPage ? QPointF(15, 15) : QPointF(40, y));
    }

    void wrapAcrossPages()
    {
        RecordingDevice device;
        InstellenPrinter(device);
        PaginaTitel = QStringLiteral("T");
        AfdrukkenPaginaHoofding(device);
        device.setCurrentY(269);
        AfdrukkenTekstTerugloop(device, 20, 60, QStringLiteral("one two\nthree"));
        QCOMPARE(device.pageCount(), 2);
        // "three" is on the second page, at the top of the body under a fresh header.
        const auto *three = device.findText(QStringLiteral("three"));
        QVERIFY(three);
        QCOMPARE(three->page, 2);
        COMPARE_MM(three->at.topLeft(), QPointF(20, 15));
        QCOMPARE(device.texts(2).first(), QStringLiteral("T"));
    }

    // A line taller than the whole body is placed at the top of the body: a new page would
    // give it no more room, and a page loop would turn out blank pages for ever.
    void lineTallerThanBody()
    {
        RecordingDevice device;
        device.lineHeight = 300;
        InstellenPrinter(device);
        AfdrukkenPaginaHoofding(device);
        ControlePaginaEinde(device, QStringLiteral("a"));
        QCOMPARE(device.pageCount(), 1);
        AfdrukkenTekstTerugloop(device, 20, 60, QStringLiteral("a\nb"));
        QCOMPARE(device.pageCount(), 2);
        COMPARE_MM(device.findText(QStringLiteral("a"))->at.topLeft(), QPointF(20, RompBoven));
        COMPARE_MM(device.findText(QStringLiteral("b"))->at.topLeft(), QPointF(20, RompBoven));
    }

    void lines()
    {
        RecordingDevice device;
        InstellenPrinter(device);
        device.setDrawWidth(2);
        TekenLijn(device, 30, 40, 5, 5, Qt::blue);
        QCOMPARE(device.currentPos(), QPointF(35, 40));
        QCOMPARE(device.drawWidth(), 2);
        device.setCurrentPos(QPointF(100, 120));
        TekenHorizontaleLijn(device, 3);
        const auto drawn = device.of(RecordingDevice::Line);
        QCOMPARE(drawn.size(), 2);
        QCOMPARE(drawn[0].at, QRectF(QPointF(30, 40), QPointF(35, 40)));
        QCOMPARE(drawn[0].drawWidth, 5);
        QCOMPARE(drawn[0].colour, QColor(Qt::blue));
        COMPARE_MM(drawn[1].at, QRectF(QPointF(15, 120), QPointF(193.2, 120)));
        QCOMPARE(drawn[1].drawWidth, 3);
        QCOMPARE(drawn[1].colour, QColor(Qt::black));
        QCOMPARE(device.drawWidth(), 2);
    }

    void headingBlock_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("graph"); // -1 none, 0 normal, 1 recorder
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<double>("ruleY");

        const QStringList left{"/d/run.csv", "DATE", "Operator:", "Ann", "Company:", "Acme",
                               "Division:", "Lab"};
        QTest::newRow("table of slot 5")
            << "tabel" << 5 << "" << -1
            << left + QStringList{"Table:", "Oven", "Device:", "T578", "ID.no.:", "#012"}
            << 39.0;
        QTest::newRow("number 0 leaves the column out") << "tabel" << 0 << "" << -1 << left << 39.0;
        QTest::newRow("terminal") << "terminal" << 1 << "" << -1
                                  << left + QStringList{"Terminal window"} << 39.0;
        QTest::newRow("note") << "tabel" << 0 << "hello world" << -1
                              << left + QStringList{"Note:", "hello", " ", "world"} << 47.0;
        QTest::newRow("graph") << "grafiek3" << 3 << "" << 0
                               << left + QStringList{"Graph:", "Oven temperatures"} << 39.0;
        QTest::newRow("recorder")
            << "grafiek3" << 3 << "" << 1
            << left + QStringList{"XY-recorder:", "Oven temperatures", "Info:",
                                  "Interval of time=00:01:30"}
            << 39.0;
    }
    void headingBlock()
    {
        QFETCH(QString, tag);
        QFETCH(int, number);
        QFETCH(QString, note);
        QFETCH(int, graph);
        QFETCH(QStringList, texts);
        QFETCH(double, ruleY);
        Hoofdmodule::Meetbestandsnaam = QStringLiteral("/d/run.csv");
        PrintOperator = QStringLiteral("Ann");
        PrintBedrijf = QStringLiteral("Acme");
        PrintAfdeling = QStringLiteral("Lab");
        PrintNota = note;
        Toestel[5].Naam = QStringLiteral(" Oven ");
        Toestel[5].Type = QStringLiteral("T578    ");
        Toestel[5].Idno = 12;
        RecordingDevice device;
        InstellenPrinter(device);
        FakeGraph fake;
        fake.recorder = graph == 1;
        AfdrukkenVensterHoofding(AfTePrintenVenster{tag, graph >= 0 ? &fake : nullptr}, device,
                                 number);

        QStringList got = device.texts();
        got[1] = QStringLiteral("DATE");
        QCOMPARE(got, texts);
        // Labels at PrintLinks + 10 and values at + 40, one 4 mm line each from 19 mm on.
        COMPARE_MM(device.findText("Operator:")->at.topLeft(), QPointF(25, 19));
        COMPARE_MM(device.findText("Lab")->at.topLeft(), QPointF(55, 27));
        QVERIFY(!device.findText("Lab")->font.bold());
        QVERIFY(device.findText("Division:")->font.bold());
        if (number == 5) {
            COMPARE_MM(device.findText("Table:")->at.topLeft(), QPointF(104.1, 19));
            COMPARE_MM(device.findText("#012")->at.topLeft(), QPointF(139.1, 27));
        }
        const auto rules = device.of(RecordingDevice::Line);
        QCOMPARE(rules.size(), 1);
        COMPARE_MM(rules[0].at.top(), ruleY);
        QCOMPARE(rules[0].drawWidth, 3);
        COMPARE_MM(device.currentPos(), QPointF(15, ruleY));
        QVERIFY(!device.font().bold());
    }

private:
    ManualClock m_clock;
};

QTEST_MAIN(TestPageEngine)
#include "tst_pageengine.moc"
