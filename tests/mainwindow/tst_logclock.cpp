#include "mainwindow/commandline.h"
#include "mainwindow/logclock.h"

#include <QtTest>

class TestLogClock : public QObject {
    Q_OBJECT
private slots:
    // The log timer's ticks on the manual clock: a run starts at 0 ms, "cN" is a poll cycle
    // that ends at N ms, "tN" the tick handler running at N ms (early, late, or once for two
    // ticks). Records are due at the listed ticks, each stamped with its tick's moment.
    void ticks_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("cycleBefore");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("due");
        QTest::newRow("first record at the first tick") << 60 << true << "t1000 t2000" << "1";
        QTest::newRow("first record waits for a cycle")
            << 2 << false << "t1000 c1500 t2000 t3000" << "2";
        QTest::newRow("a tick a little early is its own")
            << 2 << true << "t1000 c1800 t2990 t4000" << "1,3";
        QTest::newRow("handled late, after a cycle that ended after the tick")
            << 2 << true << "t1000 t2000 c3200 t3400 t4000" << "1,4";
        QTest::newRow("a skipped tick is judged by the next")
            << 2 << true << "t1000 c1500 t2000 t4200 t5000" << "1,3";
        QTest::newRow("interval 1, a cycle per second") << 1 << true
                                                        << "t1000 c1100 t2000 c2900 t3000" << "1,2,3";
        QTest::newRow("no cycle, no record") << 1 << true << "t1000 t2000 t3000" << "1";
        QTest::newRow("interval in ticks, not in write times")
            << 5 << true << "t1000 c1200 t2000 t3000 t4000 t5000 t5999 c6500 t7000 t11000" << "1,6,11";
    }
    void ticks()
    {
        QFETCH(int, interval);
        QFETCH(bool, cycleBefore);
        QFETCH(QString, events);
        QFETCH(QString, due);
        LogTicks t;
        t.start(0, interval, cycleBefore);
        QStringList got;
        for (const QString &e : events.split(' ')) {
            const qint64 at = e.mid(1).toLongLong();
            if (e.startsWith('c')) {
                t.cycleEnded(at);
            } else {
                const qint64 tick = t.judge(at, interval);
                if (tick >= 0) {
                    got << QString::number(tick);
                    QCOMPARE(t.tickMs(tick), tick * 1000);
                }
                // The timer is aimed at the next whole second of the run.
                QCOMPARE(at + t.msToNextTick(at), (t.tickAt(at) + 1) * 1000);
            }
        }
        QCOMPARE(got.join(','), due);
    }

    void counter_data()
    {
        QTest::addColumn<int>("rest");
        QTest::addColumn<QString>("text");
        QTest::newRow("4:59") << 299 << "00:04:59 ";
        QTest::newRow("overdue") << -3 << "00:00:00 ";
        QTest::newRow("hours") << 3725 << "01:02:05 ";
    }
    void counter()
    {
        QFETCH(int, rest);
        QFETCH(QString, text);
        QCOMPARE(CounterText(rest), text);
    }

    void connectionTime()
    {
        QCOMPARE(ConnectionTimeText((26 * 3600 + 5 * 60) * 1000LL, " day(s) "),
                 QString("1 day(s) 02:05:00 "));
        QCOMPARE(ConnectionTimeText(3723000, " day(s) "), QString("01:02:03 "));
    }

    // The clock panels wake their timer for the first second either of them turns, never
    // before it (which would show nothing new) and never a second late.
    void nextClockChange_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<qint64>("connectionStart");
        QTest::addColumn<qint64>("lastRecord");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("on the second") << qint64(5000) << qint64(0) << qint64(0) << qint64(1000);
        QTest::newRow("connection turns first")
            << qint64(5700) << qint64(0) << qint64(5400) << qint64(300);
        QTest::newRow("counter turns first")
            << qint64(5200) << qint64(0) << qint64(4900) << qint64(700);
        QTest::newRow("record just written")
            << qint64(5200) << qint64(0) << qint64(5200) << qint64(800);
        // At the start of a run the last record lies one interval before it.
        QTest::newRow("record before the run")
            << qint64(100) << qint64(50) << qint64(-950) << qint64(950);
        QTest::newRow("days into a run")
            << qint64(86400LL * 1000 * 3 + 1) << qint64(0) << qint64(1) << qint64(999);
    }
    void nextClockChange()
    {
        QFETCH(qint64, now);
        QFETCH(qint64, connectionStart);
        QFETCH(qint64, lastRecord);
        QFETCH(qint64, expected);
        const qint64 wait = MsToNextClockChange(now, connectionStart, lastRecord);
        QCOMPARE(wait, expected);
        // Whichever panel turns, it shows another second at the wake-up and not before.
        const bool turns =
            ElapsedSeconds(connectionStart, now + wait) != ElapsedSeconds(connectionStart, now) ||
            ElapsedSeconds(lastRecord, now + wait) != ElapsedSeconds(lastRecord, now);
        const bool turnedEarlier =
            ElapsedSeconds(connectionStart, now + wait - 1) != ElapsedSeconds(connectionStart, now) ||
            ElapsedSeconds(lastRecord, now + wait - 1) != ElapsedSeconds(lastRecord, now);
        QVERIFY(turns);
        QVERIFY(!turnedEarlier);
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("sysinfo");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList() << "CFG" << false << "";
        QTest::newRow("config b") << QStringList{"cfg=b"} << "CFGb" << false << "";
        QTest::newRow("config upper") << QStringList{"CFG=B"} << "CFGb" << false << "";
        QTest::newRow("config blank") << QStringList{"cfg= "} << "CFG " << false << "";
        QTest::newRow("config slash refused") << QStringList{"cfg=/"} << "CFG" << false << "";
        QTest::newRow("config beyond the BMP, whole")
            << QStringList{QString::fromUtf8("cfg=\xF0\x9F\x94\xA5x")}
            << QString::fromUtf8("CFG\xF0\x9F\x94\xA5") << false << "";
        QTest::newRow("config accented, lower case")
            << QStringList{QString::fromUtf8("cfg=\xC3\x89")} << QString::fromUtf8("CFG\xC3\xA9")
            << false << "";
        QTest::newRow("config lone high surrogate refused")
            << QStringList{QStringLiteral("cfg=") + QChar(0xD83D) + QStringLiteral("x")} << "CFG"
            << false << "";
        QTest::newRow("config lone low surrogate refused")
            << QStringList{QStringLiteral("cfg=") + QChar(0xDD25)} << "CFG" << false << "";
        QTest::newRow("config right-to-left override refused")
            << QStringList{QStringLiteral("cfg=") + QChar(0x202E)} << "CFG" << false << "";
        QTest::newRow("config delete refused") << QStringList{"cfg=\x7f"} << "CFG" << false << "";
        QTest::newRow("config C1 control refused")
            << QStringList{QStringLiteral("cfg=") + QChar(0x85)} << "CFG" << false << "";
        QTest::newRow("config tab refused") << QStringList{"cfg=\t"} << "CFG" << false << "";
        QTest::newRow("config empty") << QStringList{"cfg="} << "CFG" << false << "";
        QTest::newRow("sysinfo any case") << QStringList{"/SysInfo"} << "CFG" << true << "";
        QTest::newRow("path kept") << QStringList{"/home/u/Run.csv"} << "CFG" << false
                                   << "/home/u/Run.csv";
        QTest::newRow("last file wins") << QStringList{"a.csv", "/sysinfo", "data/B.csv"} << "CFG"
                                        << true << "data/B.csv";
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, config);
        QFETCH(bool, sysinfo);
        QFETCH(QString, file);
        const Opdrachtregel r = OntleedArgumenten(args);
        QCOMPARE(r.configuratie, config);
        QCOMPARE(r.systeemInfo, sysinfo);
        QCOMPARE(r.gegevensbestand, file);
    }

    void configuration()
    {
        const Configuratie c = ConfiguratieVan("CFGb");
        QCOMPARE(c.InstellingenBestand, QString("Qlv2.CFGb"));
        QCOMPARE(c.RegisterNaam, QString("QLV2-CFGb"));
        QCOMPARE(c.InstellingenExtensie, QString(".CFGb"));
    }
};

QTEST_GUILESS_MAIN(TestLogClock)
#include "tst_logclock.moc"
