#include "core/slots.h"
#include "mainwindow/settingsrules.h"

#include <QtTest>

namespace {

// A compact way to write a grid: "T512 042 4 @1" is model, number, channels and source slot;
// "-" is an empty row.
ApparaatRijen grid(const QStringList &rows)
{
    ApparaatRijen result;
    for (const QString &row : rows) {
        ApparaatRij r;
        if (row != QLatin1String("-")) {
            const QStringList f = row.split(u' ');
            r.type = f.value(0) == QLatin1String("_") ? QString() : f.value(0);
            r.idno = f.value(1) == QLatin1String("_") ? QString() : f.value(1);
            r.kanalen = f.value(2) == QLatin1String("_") ? QString() : f.value(2);
            if (f.value(3).startsWith(u'@'))
                r.bron = f.value(3).mid(1).toInt();
        }
        result << r;
    }
    return result;
}

QStringList text(const ApparaatRijen &rows)
{
    QStringList result;
    for (const ApparaatRij &r : rows) {
        if (r == ApparaatRij{}) {
            result << QStringLiteral("-");
            continue;
        }
        auto part = [](const QString &s) { return s.isEmpty() ? QStringLiteral("_") : s; };
        QString line = part(r.type) + u' ' + part(r.idno) + u' ' + part(r.kanalen);
        if (r.bron)
            line += QStringLiteral(" @%1").arg(r.bron);
        result << line;
    }
    return result;
}

void putController(ToestelTabel &t, int slot, const QString &type, qint32 idno, qint16 kanalen,
                   const QString &naam = QString(), bool actief = true)
{
    t[slot].Type = type;
    t[slot].Idno = idno;
    t[slot].Kanalen = kanalen;
    t[slot].Naam = naam;
    t[slot].Actief = actief;
    for (int k = 1; k <= MaxKanalen; ++k)
        t[slot].Kanaal[size_t(k)].Naam = naam.isEmpty() ? QStringLiteral("CH%1").arg(k)
                                                        : naam + QString::number(k);
}

} // namespace

class TestSettingsRules : public QObject {
    Q_OBJECT
private slots:
    void portNames_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("three") << "COM1, COM3, COM12" << QStringList{"COM1", "COM3", "COM12"};
        QTest::newRow("three digits") << "COM9, COM100, COM255"
                                      << QStringList{"COM9", "COM100", "COM255"};
        QTest::newRow("none") << "" << QStringList{};
        QTest::newRow("stray commas") << "COM1,, ,COM2," << QStringList{"COM1", "COM2"};
    }
    void portNames()
    {
        QFETCH(QString, scan);
        QFETCH(QStringList, names);
        QCOMPARE(PoortNamen(scan), names);
    }

    void baudIndex_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("rateAfter");
        QTest::newRow("empty becomes 2400") << "" << 0 << "2400";
        QTest::newRow("2400") << "2400" << 0 << "2400";
        QTest::newRow("9600") << "9600" << 2 << "9600";
        QTest::newRow("38400") << "38400" << 4 << "38400";
        QTest::newRow("57600") << "57600" << 5 << "57600";
        QTest::newRow("115200") << "115200" << 6 << "115200";
        QTest::newRow("1200 selects nothing") << "1200" << -1 << "1200";
        QTest::newRow("300 selects nothing") << "300" << -1 << "300";
        QTest::newRow("not a number") << "fast" << -1 << "fast";
    }
    void baudIndex()
    {
        QFETCH(QString, rate);
        QFETCH(int, index);
        QFETCH(QString, rateAfter);
        QCOMPARE(BepaalBaudIndex(rate), index);
        QCOMPARE(rate, rateAfter);
    }

    // A rate chosen in the dialog survives the settings file: the reader keeps it and the
    // dialog selects it again.
    void offeredRatesSurviveTheSettingsFile()
    {
        const QStringList offered = BaudLijst();
        for (int i = 0; i < offered.size(); ++i) {
            QString stored = ControleerBaudrate(offered[i]);
            QCOMPARE(stored, offered[i]);
            QCOMPARE(BepaalBaudIndex(stored), i);
        }
    }

    void intervalNeverZero_data()
    {
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("0 is a day") << 0 << 86400;
        QTest::newRow("below 0") << -3 << 86400;
        QTest::newRow("past a day wraps to 1") << 86401 << 1;
        QTest::newRow("far past") << 200000 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("a day") << 86400 << 86400;
    }
    void intervalNeverZero()
    {
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(BegrensTijdsinterval(in), out);
    }

    void intervalText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("90") << 90 << ":" << "00:01:30";
        QTest::newRow("other separator") << 3725 << "." << "01.02.05";
        QTest::newRow("a day") << 86400 << ":" << "00:00:00";
        QTest::newRow("just below a day") << 86399 << ":" << "23:59:59";
    }
    void intervalText()
    {
        QFETCH(int, seconds);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(TijdsintervalTekst(seconds, separator), text);
        // What is shown reads back as the same interval.
        QCOMPARE(BegrensTijdsinterval(LeesTijdsinterval(text, separator)), seconds);
    }

    void intervalRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        QTest::newRow("00:00:00 is a day") << "00:00:00" << 86400;
        QTest::newRow("24:00:00 is no time") << "24:00:00" << 86400;
        QTest::newRow("00:00:01") << "00:00:01" << 1;
        QTest::newRow("prompt characters") << "__:01:3_" << 90;
        QTest::newRow("60 minutes") << "00:60:00" << 86400;
        QTest::newRow("garbage") << "ab:cd:ef" << 86400;
        QTest::newRow("two fields") << "01:30" << 86400;
    }
    void intervalRead()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        QCOMPARE(BegrensTijdsinterval(LeesTijdsinterval(text, QStringLiteral(":"))), stored);
    }

    void modelIndex_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("index");
        QTest::newRow("T512") << "T512" << 1;
        QTest::newRow("T5751 with blanks") << " T5751 " << 8;
        QTest::newRow("T574 kept apart") << "T574" << 9;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("unknown") << "T999" << 0;
    }
    void modelIndex()
    {
        QFETCH(QString, code);
        QFETCH(int, index);
        QCOMPARE(BepaalToestelType(code), index);
    }

    void fillFromSlots_data()
    {
        QTest::addColumn<QStringList>("used"); // slot:type:idno:channels
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("gap keeps later controllers")
            << QStringList{"1:T512:42:4", "2:T542:7:2", "4:T578:9:1"}
            << QStringList{"T512 042 4 @1", "T542 007 2 @2", "T578 009 1 @4", "-"};
        QTest::newRow("old model listed") << QStringList{"1:T574:3:2"}
                                          << QStringList{"T574 003 2 @1", "-"};
        QTest::newRow("invalid number shows empty") << QStringList{"2:T512:1000:3"}
                                                    << QStringList{"T512 _ 3 @2", "-"};
        QTest::newRow("unknown model is no controller") << QStringList{"1:X1:5:1"}
                                                        << QStringList{"-"};
        QTest::newRow("nothing") << QStringList{} << QStringList{"-"};
    }
    void fillFromSlots()
    {
        QFETCH(QStringList, used);
        QFETCH(QStringList, rows);
        ToestelTabel t;
        for (const QString &s : used) {
            const QStringList f = s.split(u':');
            putController(t, f[0].toInt(), f[1], f[2].toInt(), qint16(f[3].toInt()));
        }
        QCOMPARE(text(VulApparaatRijen(t)), rows);
    }

    void fullTableHasNoEmptyRow()
    {
        ToestelTabel t;
        for (int s = 1; s <= MaxToestellen; ++s)
            putController(t, s, QStringLiteral("T512"), s, 1);
        const ApparaatRijen rows = VulApparaatRijen(t);
        QCOMPARE(rows.size(), 31);
        QVERIFY(!rows.last().leeg());
    }

    void editRows_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("action"); // "model r code", "id r text", "ch r text", "clear a b"
        QTest::addColumn<QStringList>("after");
        const QStringList four = {"T512 001 4 @1", "T512 002 4 @2", "T512 003 4 @3", "T512 004 4 @4",
                                  "-"};
        QTest::newRow("model in the empty last row appends a row")
            << four << "model 5 T542"
            << QStringList{"T512 001 4 @1", "T512 002 4 @2", "T512 003 4 @3", "T512 004 4 @4",
                           "T542 005 4", "-"};
        QTest::newRow("empty entry empties the row")
            << four << "model 2 "
            << QStringList{"T512 001 4 @1", "-", "T512 003 4 @3", "T512 004 4 @4", "-"};
        QTest::newRow("same model changes nothing") << four << "model 3 T512" << four;
        QTest::newRow("other model keeps number and controller")
            << QStringList{"T512 042 2 @1", "-"} << "model 1 T578"
            << QStringList{"T578 042 2 @1", "-"};
        QTest::newRow("old model kept when chosen again")
            << QStringList{"T574 003 2 @1", "-"} << "model 1 T574"
            << QStringList{"T574 003 2 @1", "-"};
        QTest::newRow("model in an emptied row is a new controller")
            << QStringList{"-", "T512 002 4 @2", "-"} << "model 1 T552"
            << QStringList{"T552 001 4", "T512 002 4 @2", "-"};
        QTest::newRow("number 7") << four << "id 1 7"
                                  << QStringList{"T512 007 4 @1", "T512 002 4 @2", "T512 003 4 @3",
                                                 "T512 004 4 @4", "-"};
        QTest::newRow("number 0 empties") << QStringList{"T512 001 4 @1"} << "id 1 0"
                                          << QStringList{"T512 _ 4 @1"};
        QTest::newRow("number 1000 empties") << QStringList{"T512 001 4 @1"} << "id 1 1000"
                                             << QStringList{"T512 _ 4 @1"};
        QTest::newRow("number without model dropped") << QStringList{"-"} << "id 1 12"
                                                      << QStringList{"-"};
        QTest::newRow("channels 9 become 4") << QStringList{"T512 001 2 @1"} << "ch 1 9"
                                             << QStringList{"T512 001 4 @1"};
        QTest::newRow("channels 3") << QStringList{"T512 001 2 @1"} << "ch 1 3"
                                    << QStringList{"T512 001 3 @1"};
        QTest::newRow("channels without model dropped") << QStringList{"-"} << "ch 1 2"
                                                        << QStringList{"-"};
        QTest::newRow("clear rows 2 to 4 keeps the rows")
            << four << "clear 2 4" << QStringList{"T512 001 4 @1", "-", "-", "-", "-"};
    }
    void editRows()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, action);
        QFETCH(QStringList, after);
        ApparaatRijen rows = grid(before);
        const QStringList a = action.split(u' ');
        const int r = a[1].toInt();
        if (a[0] == QLatin1String("model"))
            KiesModel(rows, r, a.value(2));
        else if (a[0] == QLatin1String("id"))
            ZetIdno(rows, r, a[2]);
        else if (a[0] == QLatin1String("ch"))
            ZetKanalen(rows, r, a[2]);
        else
            WisRijen(rows, r, a[2].toInt());
        QCOMPARE(text(rows), after);
    }

    void gridNeverPassesThirtyOneRows()
    {
        ApparaatRijen rows;
        for (int i = 1; i <= 30; ++i)
            rows << ApparaatRij{QStringLiteral("T512"), QString::number(i), QStringLiteral("1"), i};
        rows << ApparaatRij{};
        KiesModel(rows, 31, QStringLiteral("T542"));
        QCOMPARE(rows.size(), 31);
        QCOMPARE(rows.last().idno, QStringLiteral("031"));
    }

    void checkBeforeApply_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("idno");
        QTest::newRow("good") << QStringList{"T512 042 4", "-", "T542 043 2", "-"}
                              << int(ApparaatControle::Goed) << 0 << 0;
        QTest::newRow("repeated number")
            << QStringList{"T512 042 4", "T542 042 2"} << int(ApparaatControle::DubbelNummer) << 2
            << 42;
        QTest::newRow("model without number")
            << QStringList{"T512 042 4", "T542 _ 2"} << int(ApparaatControle::OngeldigNummer) << 2
            << 0;
        QTest::newRow("two without number name the first")
            << QStringList{"-", "T512 _ 4", "T542 _ 2"} << int(ApparaatControle::OngeldigNummer)
            << 2 << 0;
        QTest::newRow("no controller") << QStringList{"-", "-"}
                                       << int(ApparaatControle::GeenApparaat) << 0 << 0;
        QTest::newRow("empty grid") << QStringList{} << int(ApparaatControle::GeenApparaat) << 0 << 0;
    }
    void checkBeforeApply()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(int, idno);
        const ApparaatControle c = ControleerApparaten(grid(rows));
        QCOMPARE(int(c.soort), kind);
        QCOMPARE(c.rij, row);
        QCOMPARE(c.idno, idno);
    }

    void applyPacksRowsAndEmptiesTheRest()
    {
        ToestelTabel t;
        putController(t, 1, QStringLiteral("T512"), 1, 4, QStringLiteral("Oven"));
        putController(t, 3, QStringLiteral("T542"), 3, 2, QStringLiteral("Kiln"));
        putController(t, 5, QStringLiteral("T578"), 5, 1, QStringLiteral("Spare"));
        const auto sources =
            PasApparatenToe(grid({"T512 001 4 @1", "-", "T542 003 2 @3", "-"}), t);
        QCOMPARE(t[1].Naam, QStringLiteral("Oven"));
        QCOMPARE(t[2].Naam, QStringLiteral("Kiln"));
        QCOMPARE(t[2].Idno, 3);
        QCOMPARE(sources[1], 1);
        QCOMPARE(sources[2], 3);
        for (int s = 3; s <= MaxToestellen; ++s) {
            QVERIFY(t[s].Type.isEmpty());
            QCOMPARE(t[s].Idno, 0);
            QCOMPARE(t[s].Kanalen, qint16(0));
            QCOMPARE(sources[size_t(s)], 0);
        }
        // Slot 5's controller was not in the grid: nothing of it stays behind.
        QVERIFY(t[5].Naam.isEmpty());
    }

    // Emptying row 1 must not give row 2's controller the name, channel names and on/off flag
    // of the one that was removed.
    void controllerKeepsItsOwnNameAndFlag()
    {
        ToestelTabel t;
        putController(t, 1, QStringLiteral("T512"), 11, 4, QStringLiteral("Oven"), true);
        putController(t, 2, QStringLiteral("T542"), 22, 2, QStringLiteral("Kiln"), false);
        t[2].Kanaal[1].Eenheid = QStringLiteral("C");
        t[2].Kanaal[1].Status = QStringLiteral("OK");
        t[2].Kanaal[1].GeenWaarde = true;
        ApparaatRijen rows = VulApparaatRijen(t);
        WisRijen(rows, 1, 1);
        KiesModel(rows, 3, QStringLiteral("T552")); // a new controller below
        ZetIdno(rows, 3, QStringLiteral("33"));
        PasApparatenToe(rows, t);

        QCOMPARE(t[1].Naam, QStringLiteral("Kiln"));
        QCOMPARE(t[1].Actief, false);
        QCOMPARE(t[1].Idno, 22);
        QCOMPARE(t[1].Kanaal[1].Naam, QStringLiteral("Kiln1"));
        QVERIFY(t[1].Kanaal[1].Eenheid.isEmpty());
        QVERIFY(t[1].Kanaal[1].Status.isEmpty());
        QVERIFY(!t[1].Kanaal[1].GeenWaarde);

        // The new one starts switched on, with its own name and the default channel names.
        QCOMPARE(t[2].Naam, QStringLiteral("T552 #033"));
        QCOMPARE(t[2].Actief, true);
        QCOMPARE(t[2].Kanaal[4].Naam, QStringLiteral("CH4"));
        QCOMPARE(t[2].Kanalen, qint16(4));
        QVERIFY(t[3].Type.isEmpty());
    }

    // Which table grids still hold their controller's own rows after the grid is applied: a
    // controller that kept its slot, model and number behind slots that all stayed in use keeps
    // them; one that moved, a new one, a changed one and every one behind a slot that came
    // into use do not (the logged lines give them another controller's fields).
    void ownTableRows_data()
    {
        QTest::addColumn<QStringList>("before"); // slots from 1 on, "-" unused
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("own");     // the slots that keep their rows
        const QStringList three{"T542 001 2", "T5781 020 4", "T575 030 1"};
        QTest::newRow("nothing changed") << three << QStringList{"T542 001 2 @1", "T5781 020 4 @2", "T575 030 1 @3"}
                                         << QList<int>{1, 2, 3};
        QTest::newRow("row 1 deleted: all move up")
            << three << QStringList{"-", "T5781 020 4 @2", "T575 030 1 @3"} << QList<int>{};
        QTest::newRow("last row deleted") << three << QStringList{"T542 001 2 @1", "T5781 020 4 @2", "-"}
                                          << QList<int>{1, 2};
        QTest::newRow("a new controller in row 1")
            << three << QStringList{"T512 009 4", "T5781 020 4 @2", "T575 030 1 @3"} << QList<int>{2, 3};
        QTest::newRow("a new one added at the end")
            << three << QStringList{"T542 001 2 @1", "T5781 020 4 @2", "T575 030 1 @3", "T552 004 4"}
            << QList<int>{1, 2, 3};
        QTest::newRow("another number or model in place")
            << three << QStringList{"T542 002 2 @1", "T578 020 4 @2", "T575 030 3 @3"} << QList<int>{3};
        QTest::newRow("behind a slot that was not in use")
            << QStringList{"T542 _ 2", "T5781 020 4"} << QStringList{"T542 001 2 @1", "T5781 020 4 @2"}
            << QList<int>{};
    }
    void ownTableRows()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, own);
        ToestelTabel t;
        const ApparaatRijen was = grid(before);
        for (int s = 1; s <= was.size(); ++s)
            if (!was[s - 1].leeg())
                putController(t, s, was[s - 1].type, was[s - 1].idno.toInt(),
                              qint16(was[s - 1].kanalen.toInt()));
        const ToestelTabel voor = t;
        const ApparaatBronnen bronnen = PasApparatenToe(grid(rows), t);
        const auto eigen = EigenTabelRijen(bronnen, voor, t);
        QList<int> kept;
        for (int s = 1; s <= MaxToestellen; ++s)
            if (eigen[size_t(s)])
                kept << s;
        QCOMPARE(kept, own);
    }

    void unnamedControllerNamedAfterModelAndAddress()
    {
        ToestelTabel t;
        putController(t, 1, QStringLiteral("T512"), 42, 4);
        t[1].Naam = QStringLiteral("   ");
        PasApparatenToe(VulApparaatRijen(t), t);
        QCOMPARE(t[1].Naam, QStringLiteral("T512 #042"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRules)
#include "tst_settingsrules.moc"
