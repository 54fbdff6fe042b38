#include "mainwindow/layout.h"

#include <QtTest>

Q_DECLARE_METATYPE(TegelInvoer)

namespace {
TegelInvoer shown(int racks, int graphs, bool table, bool terminal, QSize client = {1200, 800},
                  int iconBand = 0)
{
    TegelInvoer in;
    in.client = client;
    in.iconBand = iconBand;
    in.racks = racks;
    in.graphs = graphs;
    in.table = table;
    in.terminal = terminal;
    in.minimum = QSize(60, 30);
    return in;
}

using Rects = QList<QRect>;
Rects list(const std::vector<QRect> &v) { return Rects(v.begin(), v.end()); }
QRect none() { return QRect(); }
QRect orNone(const std::optional<QRect> &r) { return r ? *r : QRect(); }

// Rows of equal cells, `per` windows each, filling `width` from the top `top`.
Rects rows(const QList<int> &per, int width, int top, int height)
{
    Rects out;
    for (int r = 0; r < per.size(); ++r)
        for (int c = 0; c < per[r]; ++c)
            out << QRect(c * (width / per[r]), top + r * height, width / per[r], height);
    return out;
}
// Columns of equal cells, `per` windows each, filling `height` from the left `left`.
Rects columns(const QList<int> &per, int height, int left, int width)
{
    Rects out;
    for (int col = 0; col < per.size(); ++col)
        for (int k = 0; k < per[col]; ++k)
            out << QRect(left + col * width, k * (height / per[col]), width, height / per[col]);
    return out;
}
} // namespace

// Where the tile commands put the windows, by the bands of the table, the racks and the graphs.
class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void horizontal_data()
    {
        QTest::addColumn<TegelInvoer>("in");
        QTest::addColumn<QRect>("table");
        QTest::addColumn<QRect>("terminal");
        QTest::addColumn<Rects>("racks");
        QTest::addColumn<Rects>("graphs");
        QTest::newRow("7 racks only") << shown(7, 0, false, false) << none() << none()
                                      << rows({4, 3}, 1200, 0, 400) << Rects{};
        QTest::newRow("13 racks") << shown(13, 0, false, false) << none() << none()
                                  << rows({5, 4, 4}, 1200, 0, 266) << Rects{};
        QTest::newRow("31 racks") << shown(31, 0, false, false, {1200, 1200}) << none() << none()
                                  << rows({6, 5, 5, 5, 5, 5}, 1200, 0, 200) << Rects{};
        QTest::newRow("9 graphs: rows of 5 and 4") << shown(0, 9, false, false) << none() << none()
                                                   << Rects{} << rows({5, 4}, 1200, 0, 400);
        QTest::newRow("racks above the icon band")
            << shown(2, 0, false, false, {1200, 800}, 100) << none() << none()
            << rows({2}, 1200, 0, 700) << Rects{};
        QTest::newRow("terminal alone: a tenth of the height")
            << shown(0, 0, false, true) << none() << QRect(0, 0, 1200, 80) << Rects{} << Rects{};
        QTest::newRow("table alone") << shown(0, 0, true, false) << QRect(0, 0, 1200, 800)
                                     << none() << Rects{} << Rects{};
        QTest::newRow("table with racks and graphs, terminal beside it")
            << shown(2, 2, true, true) << QRect(0, 0, 804, 240) << QRect(804, 0, 396, 240)
            << rows({2}, 1200, 240, 320) << rows({2}, 1200, 560, 240);
        QTest::newRow("table and graphs, no racks")
            << shown(0, 2, true, false) << QRect(0, 0, 1200, 400) << none() << Rects{}
            << rows({2}, 1200, 400, 400);
        QTest::newRow("racks and graphs, no table")
            << shown(3, 3, false, false) << none() << none() << rows({3}, 1200, 0, 400)
            << rows({3}, 1200, 400, 400);
        QTest::newRow("tiny main window: nothing placed")
            << shown(3, 3, true, true, {100, 50}) << none() << none() << Rects{} << Rects{};
        QTest::newRow("rack band too low is skipped, graphs take the rest")
            << shown(31, 1, false, false, {1200, 300}) << none() << none() << Rects{}
            << rows({1}, 1200, 0, 300);
    }
    void horizontal()
    {
        QFETCH(TegelInvoer, in);
        QFETCH(QRect, table);
        QFETCH(QRect, terminal);
        QFETCH(Rects, racks);
        QFETCH(Rects, graphs);
        const TegelUitvoer out = TegelHorizontaal(in);
        QCOMPARE(orNone(out.table), table);
        QCOMPARE(orNone(out.terminal), terminal);
        QCOMPARE(list(out.racks), racks);
        QCOMPARE(list(out.graphs), graphs);
    }

    void vertical_data()
    {
        QTest::addColumn<TegelInvoer>("in");
        QTest::addColumn<QRect>("table");
        QTest::addColumn<QRect>("terminal");
        QTest::addColumn<Rects>("racks");
        QTest::addColumn<Rects>("graphs");
        QTest::newRow("9 graphs: columns of 5 and 4") << shown(0, 9, false, false) << none()
                                                      << none() << Rects{}
                                                      << columns({5, 4}, 800, 0, 600);
        QTest::newRow("7 racks: columns of 4 and 3") << shown(7, 0, false, false) << none()
                                                     << none() << columns({4, 3}, 800, 0, 600)
                                                     << Rects{};
        QTest::newRow("terminal alone: a tenth of the width")
            << shown(0, 0, false, true) << none() << QRect(0, 0, 120, 800) << Rects{} << Rects{};
        QTest::newRow("terminal alone above the icon band")
            << shown(0, 0, false, true, {1200, 800}, 50) << none() << QRect(0, 0, 120, 750)
            << Rects{} << Rects{};
        QTest::newRow("table and graphs, no racks: graphs right of the table")
            << shown(0, 2, true, false) << QRect(0, 0, 480, 800) << none() << Rects{}
            << columns({2}, 800, 480, 720);
        QTest::newRow("table over terminal, racks and graphs")
            << shown(2, 2, true, true) << QRect(0, 0, 300, 536) << QRect(0, 536, 300, 264)
            << columns({2}, 800, 300, 420) << columns({2}, 800, 720, 480);
        QTest::newRow("tiny main window: nothing placed")
            << shown(2, 2, true, true, {50, 40}) << none() << none() << Rects{} << Rects{};
    }
    void vertical()
    {
        QFETCH(TegelInvoer, in);
        QFETCH(QRect, table);
        QFETCH(QRect, terminal);
        QFETCH(Rects, racks);
        QFETCH(Rects, graphs);
        const TegelUitvoer out = TegelVerticaal(in);
        QCOMPARE(orNone(out.table), table);
        QCOMPARE(orNone(out.terminal), terminal);
        QCOMPARE(list(out.racks), racks);
        QCOMPARE(list(out.graphs), graphs);
    }

    void noRectangleIsEmpty_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::newRow("tiny") << QSize(10, 10);
        QTest::newRow("narrow") << QSize(70, 900);
        QTest::newRow("flat") << QSize(900, 35);
        QTest::newRow("zero") << QSize(0, 0);
    }
    void noRectangleIsEmpty()
    {
        QFETCH(QSize, client);
        for (bool table : {false, true})
            for (bool terminal : {false, true})
                for (int racks : {0, 1, 7, 31})
                    for (int graphs : {0, 1, 9}) {
                        const TegelInvoer in = shown(racks, graphs, table, terminal, client, 5);
                        for (const TegelUitvoer &out : {TegelHorizontaal(in), TegelVerticaal(in)}) {
                            std::vector<QRect> all = out.racks;
                            all.insert(all.end(), out.graphs.begin(), out.graphs.end());
                            if (out.table)
                                all.push_back(*out.table);
                            if (out.terminal)
                                all.push_back(*out.terminal);
                            for (const QRect &r : all) {
                                QVERIFY2(r.width() >= in.minimum.width()
                                             && r.height() >= in.minimum.height(),
                                         qPrintable(QStringLiteral("%1x%2").arg(r.width()).arg(r.height())));
                            }
                        }
                    }
    }

    void iconBand()
    {
        QCOMPARE(BerekenVensterMaat(800, {}), 0);
        QCOMPARE(BerekenVensterMaat(800, {770, 740}), 60);
    }

    void icons()
    {
        const std::vector<QPoint> p = IconenSchikken(QSize(400, 300), QSize(160, 30), 3);
        QCOMPARE(p.size(), size_t(3));
        QCOMPARE(p[0], QPoint(0, 270));
        QCOMPARE(p[1], QPoint(160, 270));
        QCOMPARE(p[2], QPoint(0, 240)); // the row was full: the next one goes above it
    }

    void cascadeKeepsSizes()
    {
        const std::vector<QPoint> p =
            Trapsgewijs(QSize(500, 400), {QSize(300, 200), QSize(300, 200), QSize(300, 200),
                                          QSize(450, 350)},
                        30);
        QCOMPARE(p[0], QPoint(0, 0));
        QCOMPARE(p[1], QPoint(30, 30));
        QCOMPARE(p[2], QPoint(60, 60));
        QCOMPARE(p[3], QPoint(0, 0)); // would leave the work area: starts again at the top
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
