#include "graph/graphrules.h"

#include <QtTest>
#include <cmath>
#include <vector>

Q_DECLARE_METATYPE(VensterStand)

namespace {

// What a chart shows, row by row, when the window draws the way the graph window does: a move
// redraws rows 1..AantalPunten from EersteMeting on and empties the rest; each new measurement
// fills one more row.
struct ChartModel {
    qint32 max;
    VensterStand stand;
    std::vector<qint32> rows; // measurement per row, 0 = empty; index row - 1

    explicit ChartModel(qint32 m) : max(m), rows(size_t(m), 0) {}
    void redraw()
    {
        for (qint32 r = 1; r <= max; ++r)
            rows[size_t(r - 1)] = r <= stand.AantalPunten ? stand.EersteMeting + r - 1 : 0;
    }
    void feed(qint32 n)
    {
        if (VerschuifVenster(stand, max, n))
            redraw();
        stand.AantalPunten = qMax(1, stand.AantalPunten + 1);
        rows[size_t(stand.AantalPunten - 1)] = stand.EersteMeting + stand.AantalPunten - 1;
    }
    // Every filled row shows EersteMeting + r - 1, and nothing lies beyond AantalPunten.
    QString fault() const
    {
        for (qint32 r = 1; r <= max; ++r) {
            const qint32 want = r <= stand.AantalPunten ? stand.EersteMeting + r - 1 : 0;
            if (rows[size_t(r - 1)] != want)
                return QStringLiteral("row %1 shows %2, not %3").arg(r).arg(rows[size_t(r - 1)]).arg(want);
        }
        return QString();
    }
};

} // namespace

class TestGraphRules : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void load_data()
    {
        QTest::addColumn<qint32>("max");
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<VensterStand>("expected");
        QTest::newRow("no measurements") << 99 << 0 << VensterStand{1, 0};
        QTest::newRow("10 measurements show rows 1..10") << 99 << 10 << VensterStand{1, 10};
        QTest::newRow("200 measurements, the last 99") << 99 << 200 << VensterStand{102, 99};
        QTest::newRow("exactly full") << 50 << 50 << VensterStand{1, 50};
        QTest::newRow("one more than full") << 50 << 51 << VensterStand{2, 50};
    }
    void load()
    {
        QFETCH(qint32, max);
        QFETCH(qint32, rows);
        QFETCH(VensterStand, expected);
        const VensterStand s = LadenGrafiekStand(max, rows);
        QCOMPARE(s, expected);
        if (rows > 0) // the newest measurement is in the last filled row
            QCOMPARE(s.EersteMeting + s.AantalPunten - 1, rows);
    }

    // A live window, from empty on, measurement after measurement: after every step each row
    // shows its own measurement and the newest is in the last filled row.
    void liveShift_data()
    {
        QTest::addColumn<qint32>("max");
        QTest::addColumn<qint32>("records");
        QTest::addColumn<qint32>("moveBy");
        QTest::newRow("50 points move by 13") << 50 << 400 << 13;
        QTest::newRow("99 points move by 25") << 99 << 700 << 25;
        QTest::newRow("30000 points move by 7500") << 30000 << 75000 << 7500;
    }
    void liveShift()
    {
        QFETCH(qint32, max);
        QFETCH(qint32, records);
        QFETCH(qint32, moveBy);
        ChartModel chart(max);
        qint32 moves = 0;
        for (qint32 n = 1; n <= records; ++n) {
            const qint32 before = chart.stand.EersteMeting;
            chart.feed(n);
            if (chart.stand.EersteMeting != before) {
                ++moves;
                QCOMPARE(chart.stand.EersteMeting - before, moveBy);
                QCOMPARE(chart.stand.AantalPunten, 3 * max / 4 + 1);
            }
            const QString fault = chart.fault();
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("after %1: %2").arg(n).arg(fault)));
            QCOMPARE(chart.stand.EersteMeting + chart.stand.AantalPunten - 1, n);
        }
        QVERIFY(moves > 0);
    }

    void firstMoveOf99()
    {
        // A full window of 99 keeps 74 rows; the new measurement lands in row 75.
        VensterStand s{1, 99};
        QVERIFY(VolgendePunt(s, 99, 100));
        QCOMPARE(s, (VensterStand{26, 75}));
    }

    // The window scrolled back, then live measurements go on: it moves on from where the user
    // left it, every row still showing its own measurement.
    void scrolledBackMovesOn()
    {
        const qint32 max = 50;
        ChartModel chart(max);
        for (qint32 n = 1; n <= 500; ++n)
            chart.feed(n);
        chart.stand = ScrollStand(100, max, 500);
        QCOMPARE(chart.stand, (VensterStand{100, 50}));
        chart.redraw();
        for (qint32 n = 501; n <= 900; ++n) {
            chart.feed(n);
            const QString fault = chart.fault();
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("after %1: %2").arg(n).arg(fault)));
        }
        // It moved on by quarters, one measurement per record, and has not reached the end yet.
        QCOMPARE(chart.stand.EersteMeting + chart.stand.AantalPunten - 1, 100 + 50 + 400 - 1);
    }

    void scroll_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<qint32>("max");
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<VensterStand>("expected");
        QTest::newRow("middle") << 100 << 50 << 500 << VensterStand{100, 50};
        QTest::newRow("last full window") << 451 << 50 << 500 << VensterStand{451, 50};
        QTest::newRow("past the last full window") << 480 << 50 << 500 << VensterStand{480, 21};
        QTest::newRow("the end") << 500 << 50 << 500 << VensterStand{500, 1};
        QTest::newRow("below 1") << 0 << 50 << 500 << VensterStand{1, 50};
        QTest::newRow("scaled beyond 30000") << 22500 << 99 << 60000 << VensterStand{45000, 99};
        QTest::newRow("scaled, far end") << 30000 << 99 << 300000 << VensterStand{300000, 1};
        QTest::newRow("no 32-bit overflow") << 29999 << 99 << 2000000000
                                            << VensterStand{1999933333, 99};
    }
    void scroll()
    {
        QFETCH(int, value);
        QFETCH(qint32, max);
        QFETCH(qint32, rows);
        QFETCH(VensterStand, expected);
        QCOMPARE(ScrollStand(value, max, rows), expected);
    }

    void scrollBar_data()
    {
        QTest::addColumn<qint32>("first");
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("minimum");
        QTest::newRow("29,999 measurements") << 1234 << 29999 << 29999 << 1234 << 1;
        QTest::newRow("60,000 with E 45,001") << 45001 << 60000 << 30000 << 22500 << 0;
        QTest::newRow("300,000 at the end") << 299902 << 300000 << 30000 << 29990 << 0;
        QTest::newRow("past 71,582 no overflow") << 100000 << 200000 << 30000 << 15000 << 0;
        QTest::newRow("none") << 1 << 0 << 1 << 1 << 1;
        // The first records of a scaled bar: its far left shows measurement 1.
        QTest::newRow("100,000 at the start") << 1 << 100000 << 30000 << 0 << 0;
    }
    void scrollBar()
    {
        QFETCH(qint32, first);
        QFETCH(qint32, rows);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, minimum);
        const ScrollBarStand bar = AanpassenScrollBarStand(first, rows);
        QCOMPARE(bar, (ScrollBarStand{maximum, value, minimum}));
        // The bar's far left is measurement 1.
        QCOMPARE(ScrollStand(bar.minimum, 99, rows).EersteMeting, 1);
    }

    // File > New after a long run: the graphs are emptied (EersteMeting back to 1) and the
    // first record of the new file goes into row 1.
    void newFileAfterLongRun()
    {
        ChartModel chart(99);
        for (qint32 n = 1; n <= 5000; ++n)
            chart.feed(n);
        QVERIFY(chart.stand.EersteMeting > 4000);
        chart.stand = VensterStand();
        chart.redraw();
        for (qint32 n = 1; n <= 150; ++n) {
            chart.feed(n);
            const QString fault = chart.fault();
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            QCOMPARE(chart.stand.EersteMeting + chart.stand.AantalPunten - 1, n);
        }
    }

    void counts_data()
    {
        QTest::addColumn<qint32>("points");
        QTest::addColumn<qint32>("divisions");
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<qint32>("step");
        QTest::newRow("99 in 7") << 99 << 7 << 99 << 14;
        QTest::newRow("zero divisions") << 99 << 0 << 99 << 99;
        QTest::newRow("more divisions than points") << 50 << 60 << 50 << 1;
        QTest::newRow("zero points counts as 99") << 0 << 7 << 99 << 14;
        QTest::newRow("negative points counts as 99") << -5 << 3 << 99 << 33;
    }
    void counts()
    {
        QFETCH(qint32, points);
        QFETCH(qint32, divisions);
        QFETCH(qint32, rows);
        QFETCH(qint32, step);
        QCOMPARE(GeldigAantalPunten(points), rows);
        QCOMPARE(LabelStap(points, divisions), step);
    }

    void recorderSchedule_data()
    {
        QTest::addColumn<qint64>("next");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("due");
        QTest::addColumn<qint64>("nextAfter");
        QTest::newRow("on time") << qint64(100000) << qint64(100000) << true << qint64(105000);
        QTest::newRow("3 s late keeps the rhythm") << qint64(100000) << qint64(103000) << true
                                                   << qint64(105000);
        QTest::newRow("12 s late starts anew") << qint64(100000) << qint64(112000) << true
                                               << qint64(117000);
        QTest::newRow("exactly one interval late") << qint64(100000) << qint64(105000) << true
                                                   << qint64(105000);
        QTest::newRow("not yet") << qint64(105000) << qint64(104999) << false << qint64(105000);
    }
    void recorderSchedule()
    {
        QFETCH(qint64, next);
        QFETCH(qint64, now);
        QFETCH(bool, due);
        QFETCH(qint64, nextAfter);
        QCOMPARE(RecorderMoment(next, now, 5), due);
        QCOMPARE(next, nextAfter);
    }

    void recorderSameSecond()
    {
        qint64 next = 100000;
        QVERIFY(RecorderMoment(next, 100200, 5));
        QVERIFY(!RecorderMoment(next, 100700, 5));
        QVERIFY(!RecorderMoment(next, 104999, 5));
        QVERIFY(RecorderMoment(next, 105000, 5));
    }

    void labels_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("normal");
        QTest::addColumn<bool>("none");
        QTest::addColumn<QString>("recorder");
        const QDateTime at(QDate(2026, 1, 5), QTime(10, 4, 5));
        QTest::newRow("date and time") << 0 << "5 Jan 2026 10:04:05" << false
                                       << "5 Jan 2026 10:04:05";
        QTest::newRow("time") << 1 << "10:04:05" << false << "10:04:05";
        QTest::newRow("date") << 2 << "5 Jan 2026" << false << "5 Jan 2026";
        QTest::newRow("number") << 3 << "17" << false << "42";
        QTest::newRow("other choice") << 7 << "" << true << "42";
    }
    void labels()
    {
        QFETCH(int, choice);
        QFETCH(QString, normal);
        QFETCH(bool, none);
        QFETCH(QString, recorder);
        bool geen = false;
        QCOMPARE(RijLabel(qint16(choice), "17", "5 Jan 2026", "10:04:05", &geen), normal);
        QCOMPARE(geen, none);
        QCOMPARE(RecorderLabel(qint16(choice), QDateTime(QDate(2026, 1, 5), QTime(10, 4, 5)), 42),
                 recorder);
    }

    void statistics_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("text");
        const double n = qQNaN();
        QTest::newRow("mean of 1, 2, 6") << QList<double>{1, 2, 6} << 4 << " [MEAN:3°C]";
        QTest::newRow("gaps skipped") << QList<double>{4, n, n, n, 7} << 7
                                      << " [MIN: 4°C  MAX: 7°C  MEAN:5.5°C]";
        QTest::newRow("first value null") << QList<double>{n, 5, 3} << 3 << " [MIN: 3°C  MAX: 5°C  ]";
        QTest::newRow("all null") << QList<double>{n, n} << 7 << "";
        QTest::newRow("no rows") << QList<double>{} << 7 << "";
        QTest::newRow("no flags") << QList<double>{1, 2} << 0 << "";
        QTest::newRow("negative and fractions") << QList<double>{-0.25, 1e-7} << 1
                                                << " [MIN: -0.25°C  ]";
        QTest::newRow("large numbers without grouping") << QList<double>{1234567.5} << 2
                                                        << " [MAX: 1234567.5°C  ]";
    }
    void statistics()
    {
        QFETCH(QList<double>, values);
        QFETCH(int, flags);
        QFETCH(QString, text);
        QCOMPARE(StatistiekTekst(values, flags, QStringLiteral("°C"), QStringLiteral("MEAN:")), text);
    }

    void footnoteNumbers()
    {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
        QCOMPARE(VoetnootGetal(1234.5), QStringLiteral("1234,5"));
        QCOMPARE(VoetnootGetal(0.1 + 0.2), QStringLiteral("0,3"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(VoetnootGetal(123456789012.25), QStringLiteral("123456789012.25"));
    }
};

QTEST_GUILESS_MAIN(TestGraphRules)
#include "tst_graphrules.moc"
