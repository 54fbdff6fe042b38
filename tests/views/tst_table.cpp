#include "fixture.h"

#include "core/shared.h"
#include "core/slots.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "views/table.h"

#include <QStandardPaths>
#include <QTabBar>
#include <QHeaderView>
#include <QFontMetrics>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
const QDateTime firstRecord(QDate(2026, 1, 5), QTime(10, 0, 0));

// How the table came by its widths and font before its texts are checked.
enum class Setup { Defaults, NarrowStored, LargerFont };

void logRecord(frmTabel &table, int row, qint16 tnr = 0, const QString &info = QString())
{
    AantalRijen = row;
    MeetTijdstip = firstRecord.addSecs(row - 1);
    table.VulTabellenAan(info, tnr);
}
} // namespace

class TestTable : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        qint16 english = 0;
        LaadTaal(english);
    }
    void init()
    {
        resetViews();
        qint16 english = 0;
        LaadTaal(english);
    }

    void tabsOnlyForValidSlots()
    {
        configureSlot(1, 2);
        configureSlot(3, 4, QStringLiteral("T512"), 4);
        Toestel[1].Naam = QStringLiteral(" Oven ");
        configureSlot(5, 2, QStringLiteral("T999"), 5); // unknown model
        frmTabel table;
        table.StelTabelIn(true);
        QCOMPARE(table.windowTitle(), QStringLiteral("Table"));
        QCOMPARE(table.property("Tag").toString(), QStringLiteral("tabel"));
        for (int i = 0; i < frmTabel::AantalTabellen; ++i) {
            const bool valid = i == 0 || i == 2;
            QCOMPARE(table.SSTab()->isTabVisible(i), valid);
            QCOMPARE(table.SSTab()->isTabEnabled(i), valid);
        }
        QCOMPARE(table.SSTab()->tabText(0), QStringLiteral("Oven"));
        QCOMPARE(table.SSTab()->tabText(2), QStringLiteral("T512 #004"));
        table.show();
        table.setTab(2);
        for (int i = 0; i < frmTabel::AantalTabellen; ++i)
            QCOMPARE(table.MSHFlexGrid(i)->isVisible(), i == 2);
    }

    void header_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("align");
        QTest::newRow("number") << 0 << "No" << 600 << 7;
        QTest::newRow("date") << 1 << "Date" << 1000 << 7;
        QTest::newRow("time") << 2 << "Time" << 1000 << 7;
        QTest::newRow("CH1") << 3 << "CH1" << 800 << 7;
        QTest::newRow("unit 1") << 4 << "Unit" << 600 << 1;
        QTest::newRow("CH4") << 9 << "CH4" << 800 << 7;
        QTest::newRow("unit 4") << 10 << "Unit" << 600 << 1;
        QTest::newRow("control") << 11 << "Control" << 3000 << 1;
        QTest::newRow("relays") << 12 << "Relays" << 1500 << 1;
        QTest::newRow("remarks keep the default") << 13 << "Remarks" << GridData::DefaultColWidth
                                                  << 1;
    }
    void header()
    {
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, align);
        configureSlot(2, 2);
        frmTabel table;
        table.StelTabelIn(true);
        const GridData &g = table.MSHFlexGrid(1)->data();
        QCOMPARE(g.cols(), 14);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.textMatrix(0, col), text);
        // At least the usual width; wider where the texts need it (see columnsFitTheirTexts).
        QVERIFY(g.colWidth(col) >= width);
        if (col == 1 || col == 2) {
            // Wide enough for the locale's date or time.
            const QDateTime moment(QDate(2026, 12, 28), QTime(23, 58, 58));
            const int textTwips = QFontMetrics(g.font()).horizontalAdvance(
                                      TabelTijdTekst(moment, col)) * 1440 /
                                  table.MSHFlexGrid(1)->logicalDpiX();
            QVERIFY(g.colWidth(col) > textTwips);
        }
        QCOMPARE(g.colAlignment(col), align);
        QCOMPARE(g.headerAlignment(col), align);
        QCOMPARE(KolomRegeling, qint16(11));
        QCOMPARE(KolomOpmerking, qint16(13));
    }

    // Every header text, six-digit row numbers, the dates and the readings fit their columns in each
    // language and with absolute or relative times, also after narrow widths came from a
    // settings file and after a larger font came later (Window > Font, pasted table settings):
    // with relative times the short day counts leave the header the widest text of its column.
    void columnsFitTheirTexts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("setup");
        QTest::addColumn<bool>("relative");
        const std::pair<Setup, const char *> setups[] = {
            {Setup::Defaults, "defaults"},
            {Setup::NarrowStored, "narrow widths stored"},
            {Setup::LargerFont, "larger font chosen later"}};
        for (int language : {0, 1, 2})
            for (bool relative : {false, true})
                for (const auto &[setup, name] : setups)
                    QTest::addRow("language %d, %s, %s times", language, name,
                                  relative ? "relative" : "absolute")
                        << language << int(setup) << relative;
    }
    void columnsFitTheirTexts()
    {
        QFETCH(int, language);
        QFETCH(int, setup);
        QFETCH(bool, relative);
        RelatieveTijd = relative;
        TijdBasis = relative ? firstRecord : QDateTime();
        qint16 index = qint16(language);
        LaadTaal(index);
        configureSlot(1, 4);
        frmTabel table;
        table.resize(1400, 300);
        table.StelTabelIn(true);
        GridData &g = table.MSHFlexGrid(0)->data();
        if (Setup(setup) == Setup::NarrowStored) {
            for (int c = 0; c < frmTabel::AantalKolommen; ++c)
                g.setColWidth(c, 300);
            table.StelTabelIn(false);
        }
        for (int row : {1, 2, 99999})
            logRecord(table, row);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        if (Setup(setup) == Setup::LargerFont) {
            QFont font = g.font();
            font.setPointSizeF(font.pointSizeF() * 2);
            font.setBold(true);
            g.setFont(font);
        }
        Grid *grid = table.MSHFlexGrid(0);
        grid->setTopRow(99999);
        QCoreApplication::processEvents();
        savePicture(table, QStringLiteral("table-language-%1-setup%2%3")
                               .arg(language)
                               .arg(setup)
                               .arg(relative ? "-relative" : ""));
        QAbstractItemView *view = grid;
        for (int c = 0; c < frmTabel::AantalKolommen; ++c) {
            const int width = grid->columnWidth(c);
            QVERIFY2(grid->horizontalHeader()->sectionSizeHint(c) <= width,
                     qPrintable(QStringLiteral("header of column %1: %2").arg(c).arg(g.textMatrix(0, c))));
            QVERIFY2(view->sizeHintForColumn(c) <= width, qPrintable(QStringLiteral("column %1").arg(c)));
        }
    }

    void widthsKeptWithoutReset()
    {
        configureSlot(2, 2);
        frmTabel table;
        table.StelTabelIn(true);
        table.MSHFlexGrid(1)->data().setColWidth(13, 2500);
        table.MSHFlexGrid(1)->data().setColWidth(3, 0);
        table.StelTabelIn(false);
        QCOMPARE(table.MSHFlexGrid(1)->data().colWidth(13), 2500);
        QCOMPARE(table.MSHFlexGrid(1)->data().colWidth(3), 0);
        table.StelTabelIn(true);
        QCOMPARE(table.MSHFlexGrid(1)->data().colWidth(13), 2500);
        QCOMPARE(table.MSHFlexGrid(1)->data().colWidth(3), 800);
    }

    void recordAppendedLive()
    {
        configureSlot(1, 2);
        configureSlot(2, 4);
        Toestel[2].Kanaal[1].Status = QStringLiteral("A");
        Toestel[2].Kanaal[3].Status = QStringLiteral("B");
        Toestel[2].Relais = QStringLiteral("1-3-");
        frmTabel table;
        table.StelTabelIn(true);
        table.resize(900, 400);
        table.show();
        table.setTab(0);
        logRecord(table, 1);
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.textMatrix(1, 0), QStringLiteral("1"));
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("05/01/2026"));
        QCOMPARE(g.textMatrix(1, 2), QStringLiteral("10:00:00"));
        QCOMPARE(g.textMatrix(1, 3), QStringLiteral("12.5"));
        QCOMPARE(g.textMatrix(1, 4), QStringLiteral("°C"));
        QCOMPARE(g.textMatrix(1, 7), QStringLiteral(" ")); // a two-channel slot
        QCOMPARE(g.textMatrix(1, 10), QStringLiteral(" "));
        QCOMPARE(g.textMatrix(2, 0), QStringLiteral("2")); // the trailing row is numbered
        QCOMPARE(g.textMatrix(2, 3), QString());
        const GridData &g2 = table.MSHFlexGrid(1)->data();
        QCOMPARE(g2.textMatrix(1, 9), QStringLiteral("15.5"));
        QCOMPARE(g2.textMatrix(1, 11), QStringLiteral("A  B"));
        QCOMPARE(g2.textMatrix(1, 12), QStringLiteral("1-3-"));
        QCOMPARE(g2.rowTime(1), firstRecord);

        for (int r = 2; r <= 60; ++r)
            logRecord(table, r);
        QCOMPARE(g.rows(), 62);
        QCOMPARE(g.textMatrix(60, 2), QStringLiteral("10:00:59"));
        QVERIFY(table.MSHFlexGrid(0)->topRow() > 1); // scrolled to the newest rows
        QCOMPARE(g.row(), 60);
        savePicture(table, QStringLiteral("table_live"));
        // The hidden grid shows its newest rows when its tab is chosen.
        table.setTab(1);
        QVERIFY(table.MSHFlexGrid(1)->topRow() > 1);
    }

    void stopAndSingleSlotRecords()
    {
        configureSlot(1, 1);
        configureSlot(3, 1);
        frmTabel table;
        table.StelTabelIn(true);
        logRecord(table, 1, 0, QStringLiteral("Stop"));
        const GridData &g1 = table.MSHFlexGrid(0)->data();
        QCOMPARE(g1.textMatrix(1, 1), QStringLiteral("05/01/2026"));
        QCOMPARE(g1.textMatrix(1, 3), QString());
        QCOMPARE(g1.textMatrix(1, 12), QString());
        logRecord(table, 2, 3);
        QCOMPARE(g1.textMatrix(2, 3), QString());
        QCOMPARE(table.MSHFlexGrid(2)->data().textMatrix(2, 3), QStringLiteral("12.5"));
    }

    void readingErrorClearsRelays()
    {
        configureSlot(1, 2);
        Toestel[1].FoutTeller = 1;
        Toestel[1].Relais = QStringLiteral("12--");
        frmTabel table;
        table.StelTabelIn(true);
        logRecord(table, 1);
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.textMatrix(1, 3), QStringLiteral(" "));
        QCOMPARE(g.textMatrix(1, 11), QStringLiteral("Reading error"));
        QCOMPARE(g.textMatrix(1, 12), QString());
        QCOMPARE(Toestel[1].Relais, QString());
    }

    void lateSlotCatchesUp()
    {
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        for (int r = 1; r <= 5; ++r)
            logRecord(table, r);
        configureSlot(2, 1);
        table.StelTabelIn(false);
        logRecord(table, 6);
        const GridData &g = table.MSHFlexGrid(1)->data();
        QCOMPARE(g.rows(), 8);
        for (int r = 1; r <= 5; ++r) {
            QCOMPARE(g.textMatrix(r, 0), QString::number(r));
            QCOMPARE(g.textMatrix(r, 1), QString());
        }
        QCOMPARE(g.textMatrix(6, 3), QStringLiteral("12.5"));
    }

    // A slot's validity follows its model code and address from record to record, also
    // without the table being set up again.
    void slotChangedBetweenRecords_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("idno");
        QTest::addColumn<bool>("filled");
        QTest::newRow("unchanged") << "T542" << 17 << true;
        QTest::newRow("model code cleared") << "" << 17 << false;
        QTest::newRow("unknown model code") << "X999" << 17 << false;
        QTest::newRow("address out of range") << "T542" << 0 << false;
        QTest::newRow("other valid address") << "T542" << 18 << true;
    }
    void slotChangedBetweenRecords()
    {
        QFETCH(QString, type);
        QFETCH(int, idno);
        QFETCH(bool, filled);
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        logRecord(table, 1);
        Toestel[1].Type = type;
        Toestel[1].Idno = idno;
        logRecord(table, 2);
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.textMatrix(2, 3), filled ? QStringLiteral("12.5") : QString());
        // A slot that was never valid starts filling once it is.
        configureSlot(3, 1);
        logRecord(table, 3);
        QCOMPARE(table.MSHFlexGrid(2)->data().textMatrix(3, 3), QStringLiteral("12.5"));
        QCOMPARE(table.MSHFlexGrid(2)->data().textMatrix(2, 0), QStringLiteral("2"));
    }

    // Times are milliseconds after the first record. Rows logged live hold milliseconds: the
    // relative time is the difference of the seconds the rows show.
    void relativeTime_data()
    {
        QTest::addColumn<qint64>("base");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("origin") << qint64(0) << qint64(0) << "+0" << "+00:00:00";
        QTest::newRow("a day and more") << qint64(0) << qint64(90061000) << "+1" << "+01:01:01";
        QTest::newRow("before") << qint64(0) << qint64(-30000) << "-0" << "-00:00:30";
        QTest::newRow("reference later in its second")
            << qint64(700) << qint64(14000) << "+0" << "+00:00:14";
        QTest::newRow("row later in its second") << qint64(0) << qint64(5300) << "+0" << "+00:00:05";
        QTest::newRow("row before, later in its second")
            << qint64(5000) << qint64(700) << "-0" << "-00:00:05";
    }
    void relativeTime()
    {
        QFETCH(qint64, base);
        QFETCH(qint64, offset);
        QFETCH(QString, date);
        QFETCH(QString, time);
        RelatieveTijd = true;
        TijdBasis = firstRecord.addMSecs(base);
        QCOMPARE(TabelTijdTekst(firstRecord.addMSecs(offset), 1), date);
        QCOMPARE(TabelTijdTekst(firstRecord.addMSecs(offset), 2), time);
        TijdBasis = QDateTime();
        QCOMPARE(TabelTijdTekst(firstRecord, 2), QStringLiteral("10:00:00"));
    }

    void switchingToRelativeRerendersOldRows()
    {
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        logRecord(table, 1);
        logRecord(table, 2);
        RelatieveTijd = true;
        TijdBasis = firstRecord;
        table.VernieuwTijden();
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.textMatrix(1, 2), QStringLiteral("+00:00:00"));
        QCOMPARE(g.textMatrix(2, 2), QStringLiteral("+00:00:01"));
        QCOMPARE(g.rowTime(2), firstRecord.addSecs(1));
    }

    void rowFromDataFile()
    {
        configureSlot(1, 2);
        configureSlot(2, 2);
        frmTabel table;
        table.StelTabelIn(true);
        AantalRijen = 1;
        MeetTijdstip = firstRecord;
        QString line = QStringLiteral(
            "\"1.5\",\"bar\",\"2.5\",\"%\",\"\",\"\",\"\",\"\",\"ALARM\",\"1---\",\"a, b\","
            "\"7\",\"x\"");
        table.VulEnkeleTabelAanUitBestand(1, line);
        QCOMPARE(line, QStringLiteral(",\"7\",\"x\""));
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.textMatrix(1, 4), QStringLiteral("bar"));
        QCOMPARE(g.textMatrix(1, 7), QStringLiteral(" "));
        QCOMPARE(g.textMatrix(1, 11), QStringLiteral("ALARM"));
        QCOMPARE(g.textMatrix(1, 13), QStringLiteral("a, b"));
        QVERIFY(table.MSHFlexGrid(0)->isHidden());
        QString rest = line;
        table.VulEnkeleTabelAanUitBestand(9, rest); // invalid slot: line untouched
        QCOMPARE(rest, line);
    }

    void closedAndReopened()
    {
        RegisterNaam = QStringLiteral("QLV2-TEST");
        configureSlot(1, 1);
        configureSlot(2, 1);
        frmTabel table;
        table.StelTabelIn(true);
        table.show();
        table.setTab(1);
        logRecord(table, 1);
        InstellingenGewijzigd = false;
        QVERIFY(!table.close());
        QVERIFY(table.isHidden());
        QVERIFY(InstellingenGewijzigd);
        QCOMPARE(Registry::read(RegisterNaam, QStringLiteral("Table"), QStringLiteral("Tab")),
                 QStringLiteral("1"));
        table.show();
        QCOMPARE(table.MSHFlexGrid(1)->data().textMatrix(1, 3), QStringLiteral("12.5"));
        QVERIFY(table.MSHFlexGrid(1)->isVisible());
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("remarks");
        QTest::addColumn<int>("fonts");
        QTest::newRow("remark cell") << 1 << 13 << false << false << 1 << 0;
        QTest::newRow("remark cell while logging") << 1 << 13 << true << false << 0 << 1;
        QTest::newRow("remark cell of read-only data") << 1 << 13 << false << true << 0 << 0;
        QTest::newRow("remark of the trailing row") << 2 << 13 << false << false << 0 << 0;
        QTest::newRow("value cell") << 1 << 3 << false << false << 0 << 1;
        QTest::newRow("value cell of read-only data") << 1 << 3 << false << true << 0 << 1;
    }
    void doubleClick()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(bool, logging);
        QFETCH(bool, readOnly);
        QFETCH(int, remarks);
        QFETCH(int, fonts);
        ScriptedDialogProvider dialogs;
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        logRecord(table, 1);
        LoggenActief = logging;
        AlleenLezen = readOnly;
        QSignalSpy remark(&table, &frmTabel::opmerkingGevraagd);
        table.MSHFlexGrid(0)->setMouseCell(row, col);
        table.MSHFlexGrid_DblClick(0);
        AlleenLezen = false;
        QCOMPARE(remark.count(), remarks);
        int fontRequests = 0;
        for (const auto &r : dialogs.requests())
            fontRequests += r.kind == QStringLiteral("font");
        QCOMPARE(fontRequests, fonts);
    }

    void headerDoubleClickRestoresDefaultWidth()
    {
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        table.MSHFlexGrid(0)->setMouseCell(0, 11);
        table.MSHFlexGrid_DblClick(0);
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.colWidth(11), GridData::DefaultColWidth);
        QCOMPARE(g.row(), 0);
        QCOMPARE(g.col(), 11);
        QCOMPARE(table.Geselecteerd(0), 0);
    }

    void selectionCountsBeyond16Bits()
    {
        configureSlot(1, 1);
        frmTabel table;
        table.StelTabelIn(true);
        GridData &g = table.MSHFlexGrid(0)->data();
        g.setRows(40002);
        g.setSelection(40001, 1, 2, 13);
        QCOMPARE(table.Geselecteerd(0), qint32(40000));
        QCOMPARE(table.Geselecteerd(0, 35000), qint32(35000));
        QCOMPARE(table.Geselecteerd(0, 1), qint32(0));
        table.DeselecteerAlles(0);
        QCOMPARE(table.Geselecteerd(0), qint32(1));
    }
};

QTEST_MAIN(TestTable)
#include "tst_table.moc"
