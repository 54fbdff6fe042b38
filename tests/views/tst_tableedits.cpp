// Clearing, deleting and annotating logged lines: what the working copy "<data>.new" holds
// afterwards, byte for byte, and what the grids show.
#include "fixture.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafileparse.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "views/remarkdialog.h"
#include "views/tableedits.h"
#include "views/table.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace Hoofdmodule;

namespace {

const QDateTime firstRecord(QDate(2026, 1, 5), QTime(10, 0, 0));

using Changes = QHash<int, QHash<int, QString>>; // record second -> field number -> text

// The fields of the record logged `sec` seconds after the first one, for slots 1 and 3: values
// "<sec>.<k>" with units C (slot 1) and V (slot 3), control "ok", relays "----", no remark.
QStringList recordFields(int sec)
{
    QStringList f{DateTimeText::format(firstRecord.addSecs(sec))};
    for (int block = 0; block < 2; ++block) {
        for (int k = 1; k <= 4; ++k)
            f << QStringLiteral("%1.%2").arg(sec).arg(k + 4 * block)
              << (block == 0 ? QStringLiteral("C") : QStringLiteral("V"));
        f << QStringLiteral("ok") << QStringLiteral("----") << QString();
    }
    return f;
}

// A data file: the header, then one line per entry of `secs` (a second may come twice), with
// the fields of `changes` replaced (field 1 is the time) in every line of that second.
QByteArray dataFile(const QList<int> &secs, const Changes &changes = {})
{
    QByteArray out = "\"Time\",\"Value S1\",\"Unit S1\",\"Remarks\"\r\n";
    for (int sec : secs) {
        QStringList f = recordFields(sec);
        const QHash<int, QString> changed = changes.value(sec);
        for (auto it = changed.begin(); it != changed.end(); ++it)
            f[it.key() - 1] = it.value();
        QByteArray line;
        for (const QString &field : f)
            line += (line.isEmpty() ? "\"" : ",\"") + field.toLatin1() + '"';
        out += line + "\r\n";
    }
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Sets grid t's selection: rows r1..r2, columns c1..c2 (current cell r1, c1).
void select(frmTabel &table, int t, qint32 r1, qint32 r2, int c1, int c2)
{
    table.setTab(t);
    table.MSHFlexGrid(t)->data().setSelection(r1, c1, r2, c2);
}

// A row as logging leaves it when its slot became valid later: numbered, no time, no cells.
void makeCatchUpRow(frmTabel &table, qint32 r)
{
    for (int t : {0, 2}) {
        GridData &g = table.MSHFlexGrid(t)->data();
        g.setRowTime(r, QDateTime());
        for (int c = 1; c < g.cols(); ++c)
            g.setTextMatrix(r, c, QString());
    }
}

// The centre of cell (row, col) of a grid, in its viewport.
QPoint cellCentre(Grid *grid, qint32 row, int col)
{
    return grid->visualRect(grid->model()->index(row - 1, col)).center();
}

formEditInfo *openRemarkDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<formEditInfo *>(w); d && d->isVisible())
            return d;
    return nullptr;
}

} // namespace

class TestTableEdits : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Opens the remark dialog of row 2 of the first grid with `key` and hands it to `act`, which
    // must close it. False when no dialog opened.
    bool remarkOfRow2(frmTabel &table, int key, const std::function<void(formEditInfo *)> &act)
    {
        connect(&table, &frmTabel::opmerkingGevraagd, &table,
                [&table](int grid, qint32 row) { ToonOpmerking(&table, grid, row); });
        table.show();
        table.setTab(0);
        Grid *grid = table.MSHFlexGrid(0);
        grid->data().setSelection(2, 13, 2, 13);
        grid->setMouseCell(2, 13);
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            if (formEditInfo *dialog = openRemarkDialog()) {
                opened = true;
                act(dialog);
            }
        });
        QTest::keyClick(grid, Qt::Key(key));
        return opened;
    }

    // Loads `data` (written as the data file `name`) into a fresh table with slots 1 and 3.
    void load(frmTabel &table, const QString &path, const QByteArray &data)
    {
        QVERIFY(writeFile(path, data));
        dataViews() = DataViews();
        dataViews().tabel = &table;
        dataViews().tonenMeting = [](qint16) {};
        table.StelTabelIn(true);
        LeesMeetbestand(path);
        QCOMPARE(LaatsteAntwoord, qint16(1));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        qint16 english = 0;
        LaadTaal(english);
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path();
    }
    void init()
    {
        resetViews();
        MetenActief = false;
        AlleenLezen = false;
        configureSlot(1, 4, QStringLiteral("T542"), 11);
        configureSlot(3, 4, QStringLiteral("T542"), 13);
    }
    void cleanup()
    {
        dataViews() = DataViews();
        AlleenLezen = false;
        LoggenActief = false;
    }

    void snapping_data()
    {
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("c2");
        QTest::addColumn<int>("snapped1");
        QTest::addColumn<int>("snapped2");
        QTest::newRow("unit to unit") << 6 << 7 << 5 << 8;
        QTest::newRow("relays to remark") << 12 << 13 << 12 << 13;
        QTest::newRow("date alone") << 1 << 1 << 1 << 2;
        QTest::newRow("unit alone") << 4 << 4 << 3 << 4;
        QTest::newRow("value alone") << 3 << 3 << 3 << 4;
        QTest::newRow("time alone") << 2 << 2 << 2 << 2;
        QTest::newRow("control alone") << 11 << 11 << 11 << 11;
        QTest::newRow("from the row number") << 0 << 5 << 0 << 5;
        QTest::newRow("value to relays") << 9 << 12 << 9 << 12;
    }
    void snapping()
    {
        QFETCH(int, c1);
        QFETCH(int, c2);
        QFETCH(int, snapped1);
        QFETCH(int, snapped2);
        QCOMPARE(SnapNaarParen(c1, c2), std::make_pair(snapped1, snapped2));
    }

    void fileColumn_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("position");
        QTest::newRow("date") << 1 << 1;
        QTest::newRow("time") << 2 << 1;
        QTest::newRow("value 1") << 3 << 1;
        QTest::newRow("unit 4") << 10 << 8;
        QTest::newRow("control") << 11 << 9;
        QTest::newRow("relays") << 12 << 10;
        QTest::newRow("remark") << 13 << 11;
    }
    void fileColumn()
    {
        QFETCH(int, col);
        QFETCH(int, position);
        QCOMPARE(frmTabel::BepBestandskolom(col), position);
    }

    void selectedOnHeader_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("expected");
        QTest::newRow("header to row 5") << 0 << 5 << 0 << 0;
        QTest::newRow("header, row asked") << 0 << 5 << 3 << 0;
        QTest::newRow("rows 5 up to 2") << 5 << 2 << 0 << 4;
        QTest::newRow("row 3 inside") << 5 << 2 << 3 << 3;
        QTest::newRow("row 6 outside") << 5 << 2 << 6 << 0;
    }
    void selectedOnHeader()
    {
        QFETCH(int, row);
        QFETCH(int, rowSel);
        QFETCH(int, m);
        QFETCH(int, expected);
        frmTabel table;
        table.StelTabelIn(true);
        for (int r = 1; r <= 6; ++r) {
            AantalRijen = r;
            MeetTijdstip = firstRecord.addSecs(r);
            table.VulTabellenAan(QString());
        }
        table.MSHFlexGrid(0)->data().setSelection(row, 3, rowSel, 4);
        QCOMPARE(table.Geselecteerd(0, m), expected);
    }

    void edits_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("name");     // the data file's name, "#date#" allowed
        QTest::addColumn<QString>("preset");   // "", "empty new", "read-only", "logging", "gone"
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("expected"); // the working copy; null: there is none
        QTest::addColumn<QStringList>("cells");   // "grid:row:col=text" afterwards
        QTest::addColumn<int>("refusals");        // boxes with text 444

        const QList<int> six{0, 1, 2, 3, 4, 5};
        const QByteArray base = dataFile(six);
        const QByteArray none;

        QTest::newRow("clear columns 1-4 of slot 1")
            << base << "run.csv" << "" << QStringList{"clear 0 2 2 1 4"}
            << dataFile(six, {{1, {{2, ""}, {3, ""}}}})
            << QStringList{"0:2:3=", "0:2:4=", "0:2:5=1.2", "0:2:1=05/01/2026", "2:2:3=1.5"} << 0;
        QTest::newRow("clear in the second valid slot")
            << base << "run.csv" << "" << QStringList{"clear 2 1 3 5 6"}
            << dataFile(six, {{0, {{15, ""}, {16, ""}}}, {1, {{15, ""}, {16, ""}}},
                              {2, {{15, ""}, {16, ""}}}})
            << QStringList{"2:1:5=", "2:3:6=", "2:4:5=3.6", "0:1:5=0.2"} << 0;
        QTest::newRow("keyboard selection from a unit")
            << base << "run.csv" << "" << QStringList{"clear 0 4 4 4 4"}
            << dataFile(six, {{3, {{3, ""}, {4, ""}}}})
            << QStringList{"0:4:3=3.1", "0:4:4=", "0:4:5=", "0:4:6=C"} << 0;
        QTest::newRow("control, relays and remark")
            << base << "run.csv" << "" << QStringList{"clear 0 1 1 11 13"}
            << dataFile(six, {{0, {{10, ""}, {11, ""}}}})
            << QStringList{"0:1:11=", "0:1:12=", "0:1:10=C"} << 0;
        QTest::newRow("delete rows 3-5")
            << base << "run.csv" << "" << QStringList{"delete 0 3 5"}
            << dataFile({0, 1, 5})
            << QStringList{"0:3:0=3", "0:3:1=", "0:4:3=", "2:5:13=", "2:5:0=5", "0:2:3=1.1",
                           "0:6:3=5.1", "2:6:3=5.5"}
            << 0;
        QTest::newRow("clear two lines of one second")
            << dataFile({0, 1, 2, 2, 3}) << "run.csv" << "" << QStringList{"clear 0 3 4 3 3"}
            << dataFile({0, 1, 2, 2, 3}, {{2, {{2, ""}, {3, ""}}}})
            << QStringList{"0:3:3=", "0:4:4=", "0:5:3=3.1"} << 0;
        QTest::newRow("delete one of two rows of one second")
            << dataFile({0, 1, 2, 2, 3}) << "run.csv" << "" << QStringList{"delete 0 3 3"}
            << dataFile({0, 1, 3}) << QStringList{"0:3:3=", "0:4:3=", "0:5:3=3.1", "0:2:3=1.1"}
            << 0;
        QTest::newRow("delete over a catch-up and a deleted row")
            << base << "run.csv" << "" << QStringList{"delete 0 3 3", "catchup 2", "delete 0 2 5"}
            << dataFile({0, 1, 5})
            << QStringList{"0:4:3=", "0:5:3=", "2:5:3=", "0:6:3=5.1", "0:1:3=0.1", "0:3:0=3"}
            << 0;
        QTest::newRow("clear over a catch-up row")
            << base << "run.csv" << "" << QStringList{"catchup 2", "clear 0 2 4 3 4"}
            << dataFile(six, {{2, {{2, ""}, {3, ""}}}, {3, {{2, ""}, {3, ""}}}})
            << QStringList{"0:3:3=", "0:4:4=", "0:5:3=4.1"} << 0;
        QTest::newRow("remark with a quote and a line break")
            << base << "run.csv" << "" << QStringList{"remark 0 2 say \"hi\"\r\nthere"}
            << dataFile(six, {{1, {{12, "say 'hi'  there"}}}})
            << QStringList{"0:2:13=say 'hi'  there", "2:2:13="} << 0;
        QTest::newRow("remark of slot 3 starting with Stop")
            << base << "run.csv" << "" << QStringList{"remark 2 1 Stop pump"}
            << dataFile(six, {{0, {{23, "Stop' pump"}}}}) << QStringList{"2:1:13=Stop' pump"} << 0;
        QTest::newRow("remark on two lines of one second")
            << dataFile({0, 1, 1, 2}) << "run.csv" << "" << QStringList{"remark 0 2 both"}
            << dataFile({0, 1, 1, 2}, {{1, {{12, "both"}}}}) << QStringList{"0:2:13=both"} << 0;
        QTest::newRow("a second edit starts from the first")
            << base << "run.csv" << "" << QStringList{"clear 0 1 1 3 3", "remark 0 1 n", "delete 0 6 6"}
            << dataFile({0, 1, 2, 3, 4}, {{0, {{2, ""}, {3, ""}, {12, "n"}}}})
            << QStringList{"0:1:3=", "0:1:13=n", "0:6:3="} << 0;
        QTest::newRow("date pattern: clear and delete refused, remark kept")
            << base << "run#date#.csv" << "" << QStringList{"clear 0 1 1 3 4", "delete 0 1 1", "remark 0 3 x"}
            << dataFile(six, {{2, {{12, "x"}}}}) << QStringList{"0:1:3=0.1", "0:1:0=1", "0:3:13=x"}
            << 2;
        QTest::newRow("missing data file")
            << base << "run.csv" << "gone" << QStringList{"clear 0 1 1 3 4", "delete 0 1 1", "remark 0 2 x"}
            << none << QStringList{"0:1:3=0.1", "0:1:1=05/01/2026", "0:2:13=x"} << 0;
        QTest::newRow("empty working copy")
            << base << "run.csv" << "empty new" << QStringList{"clear 0 1 1 3 4", "delete 0 1 1"}
            << QByteArray("") << QStringList{"0:1:3=0.1", "0:1:4=C"} << 0;
        QTest::newRow("read-only data")
            << base << "run.csv" << "read-only" << QStringList{"clear 0 1 1 3 4", "delete 0 1 1", "remark 0 2 x"}
            << none << QStringList{"0:1:3=0.1", "0:1:4=C", "0:2:13="} << 0;
        QTest::newRow("logging on")
            << base << "run.csv" << "logging" << QStringList{"clear 0 1 1 3 4", "delete 0 1 1", "remark 0 2 x"}
            << none << QStringList{"0:1:3=0.1", "0:1:4=C", "0:2:13="} << 0;
    }
    void edits()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, name);
        QFETCH(QString, preset);
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, cells);
        QFETCH(int, refusals);

        QTemporaryDir dir(m_dir.filePath(QStringLiteral("XXXXXX")));
        Meetbestandsnaam = dir.filePath(name);
        const QString path = VervangDatum(Meetbestandsnaam);
        frmTabel table;
        load(table, path, data);
        if (preset == QLatin1String("empty new"))
            QVERIFY(writeFile(WerkkopieNaam(path), QByteArray()));
        else if (preset == QLatin1String("gone"))
            Meetbestandsnaam = dir.filePath(QStringLiteral("gone.csv"));
        AlleenLezen = preset == QLatin1String("read-only");
        LoggenActief = preset == QLatin1String("logging");

        ScriptedDialogProvider boxes;
        for (const QString &step : steps) {
            const QStringList w = step.split(QLatin1Char(' '));
            const int t = w.value(1).toInt();
            if (w[0] == QLatin1String("clear")) {
                select(table, t, w[2].toInt(), w[3].toInt(), w[4].toInt(), w[5].toInt());
                table.WissenSelectie();
            } else if (w[0] == QLatin1String("delete")) {
                select(table, t, w[2].toInt(), w[3].toInt(), 3, 3);
                boxes.answerMessage(MsgBox::Yes);
                table.ToonLijnSelectie();
                table.VerwijderSelectie();
            } else if (w[0] == QLatin1String("remark")) {
                const QString text = step.section(QLatin1Char(' '), 3);
                BewaarOpmerking(t, w[2].toInt(), OpmerkingOpslagTekst(text));
            } else if (w[0] == QLatin1String("catchup")) {
                makeCatchUpRow(table, w[1].toInt());
            }
        }

        int shown444 = 0;
        for (const auto &request : boxes.requests())
            if (request.kind == QLatin1String("message") && request.text == Taaltekst(444)) {
                QCOMPARE(request.title, Meetbestandsnaam);
                QCOMPARE(request.flags, MsgBox::OkOnly | MsgBox::Exclamation);
                ++shown444;
            }
        QCOMPARE(shown444, refusals);
        QCOMPARE(readAll(path), data); // the data file itself never changes
        QVERIFY(!QFileInfo::exists(HerschrijfNaam(path)));
        if (expected.isNull())
            QVERIFY(!QFileInfo::exists(WerkkopieNaam(path)));
        else
            QCOMPARE(readAll(WerkkopieNaam(path)), expected);
        for (const QString &check : cells) {
            const QStringList where = check.section(QLatin1Char('='), 0, 0).split(QLatin1Char(':'));
            const QString text = check.section(QLatin1Char('='), 1);
            const GridData &g = table.MSHFlexGrid(where[0].toInt())->data();
            QCOMPARE(g.textMatrix(where[1].toInt(), where[2].toInt()).trimmed(), text);
        }
    }

    void dragSnapsAndCopyFollows()
    {
        frmTabel table;
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("drag.csv"));
        load(table, Meetbestandsnaam, dataFile({0, 1, 2, 3, 4, 5}));
        QHash<QString, bool> enabled;
        dataViews().toolButtonEnabled = [&](const QString &key, bool on) { enabled[key] = on; };
        dataViews().menuItemEnabled = [&](const QString &name, bool on) { enabled[name] = on; };
        table.resize(1000, 400);
        table.show();
        table.setTab(0);
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        Grid *grid = table.MSHFlexGrid(0);
        QWidget *view = grid->viewport();
        const QPoint from = cellCentre(grid, 2, 6), to = cellCentre(grid, 3, 7);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        const GridData &g = grid->data();
        QCOMPARE(g.selectedRowFirst(), 2);
        QCOMPARE(g.selectedRowLast(), 3);
        QCOMPARE(g.selectedColFirst(), 5);
        QCOMPARE(g.selectedColLast(), 8);
        QCOMPARE(enabled.value(QStringLiteral("tbrCopy")), true);
        QCOMPARE(enabled.value(QStringLiteral("mnuEditCopy")), true);

        // A click on the header of channel 1 selects the column in every row, snapped to the
        // channel's value and unit.
        QHeaderView *header = grid->horizontalHeader();
        const QPoint headerAt(header->sectionViewportPosition(3) + 4, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerAt);
        QCOMPARE(g.selectedRowFirst(), 1);
        QCOMPARE(g.selectedRowLast(), g.rows() - 1);
        QCOMPARE(g.selectedColFirst(), 3);
        QCOMPARE(g.selectedColLast(), 4);
        QCOMPARE(enabled.value(QStringLiteral("tbrCopy")), true);

        // The header row as the current row: nothing to copy.
        grid->data().setSelection(0, 3, 0, 3);
        table.MSHFlexGrid_MouseUp(0, Qt::LeftButton);
        QCOMPARE(enabled.value(QStringLiteral("tbrCopy")), false);
        QCOMPARE(enabled.value(QStringLiteral("mnuEditCopy")), false);
    }

    void editMenuPopUp_data()
    {
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("popUps");
        QTest::newRow("free") << false << false << 1;
        QTest::newRow("logging") << true << false << 0;
        QTest::newRow("read-only") << false << true << 0;
    }
    void editMenuPopUp()
    {
        QFETCH(bool, logging);
        QFETCH(bool, readOnly);
        QFETCH(int, popUps);
        frmTabel table;
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("popup.csv"));
        load(table, Meetbestandsnaam, dataFile({0, 1, 2}));
        table.resize(1000, 400);
        table.show();
        table.setTab(0);
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        LoggenActief = logging;
        AlleenLezen = readOnly;
        QSignalSpy refreshed(&table, &frmTabel::bewerkMenuBijwerken);
        QSignalSpy popped(&table, &frmTabel::bewerkMenuGevraagd);
        Grid *grid = table.MSHFlexGrid(0);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCentre(grid, 2, 3));
        QCOMPARE(refreshed.size(), 1);
        QCOMPARE(popped.size(), popUps);
    }

    void remarkDialog_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("Enter, absolute")
            << int(Qt::Key_Return) << false << "No 2, 05/01/2026, 10:00:01" << false;
        QTest::newRow("Space, relative") << int(Qt::Key_Space) << true << "No 2, +0, +00:00:01"
                                         << false;
        QTest::newRow("Cancel") << int(Qt::Key_Return) << false << "No 2, 05/01/2026, 10:00:01"
                                << true;
    }
    void remarkDialog()
    {
        QFETCH(int, key);
        QFETCH(bool, relative);
        QFETCH(QString, label);
        QFETCH(bool, cancel);
        Toestel[1].Naam = QStringLiteral(" Oven ");
        frmTabel table;
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("remark.csv"));
        QFile::remove(WerkkopieNaam(Meetbestandsnaam));
        const QByteArray data = dataFile({0, 1, 2}, {{1, {{12, "old"}}}});
        load(table, Meetbestandsnaam, data);
        RelatieveTijd = relative;
        TijdBasis = firstRecord;
        table.VernieuwTijden();
        QString caption, shownLabel, selected;
        const bool opened = remarkOfRow2(table, key, [&](formEditInfo *dialog) {
            caption = dialog->windowTitle();
            shownLabel = dialog->LabelInfo->text();
            selected = dialog->TextInfo->selectedText();
            savePicture(*dialog, QStringLiteral("remark-dialog"));
            QTest::keyClicks(dialog->TextInfo, QStringLiteral("Stop \"now\""));
            if (cancel)
                QTest::mouseClick(dialog->CommandCancel, Qt::LeftButton);
            else
                QTest::keyClick(dialog->TextInfo, Qt::Key_Return);
        });
        Grid *grid = table.MSHFlexGrid(0);
        QVERIFY(opened);
        QVERIFY(!openRemarkDialog());
        QCOMPARE(caption, QStringLiteral("Oven: Edit info"));
        QCOMPARE(shownLabel, label);
        QCOMPARE(selected, QStringLiteral("old"));
        if (cancel) {
            QCOMPARE(grid->data().textMatrix(2, 13), QStringLiteral("old"));
            QVERIFY(!QFileInfo::exists(WerkkopieNaam(Meetbestandsnaam)));
        } else {
            QCOMPARE(grid->data().textMatrix(2, 13), QStringLiteral("Stop' 'now'"));
            QCOMPARE(readAll(WerkkopieNaam(Meetbestandsnaam)),
                     dataFile({0, 1, 2}, {{1, {{12, "Stop' 'now'"}}}}));
        }
        QCOMPARE(readAll(Meetbestandsnaam), data);
    }

    // What the remark dialog stores is what the file can hold and its reader reads back: a
    // pasted text with control characters keeps blanks in their place (the file stays a data
    // file), and a remark longer than a cell shows is edited and written whole, also by a save
    // from the table.
    void remarkIsStoredAsTheFileReadsIt_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("pasted"); // null: Enter on the remark as it is
        QTest::addColumn<QString>("stored");
        const QString along(100'000, QLatin1Char('r'));
        QTest::newRow("pasted control characters")
            << "old" << QStringLiteral("ab\x0c" "cd\x07" "ef\tgh") << QStringLiteral("ab cd ef\tgh");
        QTest::newRow("100,000 characters, kept") << along << QString() << along;
    }
    void remarkIsStoredAsTheFileReadsIt()
    {
        QFETCH(QString, old);
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        frmTabel table;
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("stored.csv"));
        QFile::remove(WerkkopieNaam(Meetbestandsnaam));
        load(table, Meetbestandsnaam, dataFile({0, 1, 2}, {{1, {{12, old}}}}));
        QString shown;
        QVERIFY(remarkOfRow2(table, Qt::Key_Return, [&](formEditInfo *dialog) {
            shown = dialog->TextInfo->text();
            if (!pasted.isNull())
                dialog->TextInfo->insert(pasted); // as Ctrl+V over the selected text does
            QTest::keyClick(dialog->TextInfo, Qt::Key_Return);
        }));
        QCOMPARE(shown.size(), old.size());
        QCOMPARE(table.MSHFlexGrid(0)->data().textMatrix(2, 13), stored);
        const QByteArray written = readAll(WerkkopieNaam(Meetbestandsnaam));
        QCOMPARE(written, dataFile({0, 1, 2}, {{1, {{12, stored}}}}));
        QCOMPARE(DataFileParse::foreignByte(written), -1);
        // Accepted, read again and saved from the table: still the same text.
        QVERIFY(MaakBackup(Meetbestandsnaam, WerkkopieNaam(Meetbestandsnaam)));
        load(table, Meetbestandsnaam, written);
        QCOMPARE(table.MSHFlexGrid(0)->data().textMatrix(2, 13), stored);
        const QString saved = m_dir.filePath(QStringLiteral("saved.csv"));
        QVERIFY(SchrijfMeetbestand(saved));
        QVERIFY(readAll(saved).contains(",\"" + stored.toLatin1() + "\","));
    }

    void deleteQuestion()
    {
        frmTabel table;
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("question.csv"));
        QFile::remove(WerkkopieNaam(Meetbestandsnaam));
        load(table, Meetbestandsnaam, dataFile({0, 1, 2, 3, 4}));
        ScriptedDialogProvider boxes;
        boxes.answerMessage(MsgBox::No);
        select(table, 0, 4, 2, 3, 4);
        table.VerwijderSelectie();
        QCOMPARE(boxes.requests().size(), 1);
        const auto question = boxes.requests().first();
        const QString text = QStringLiteral(
            "Number of selections: 3\r\n\r\nWARNING:\r\n    All points recorded at the same time "
            "from all tables\r\n    will be erased!\r\n\r\nDo you wish to delete all selected "
            "points?\r\n");
        QCOMPARE(question.text, text);
        QCOMPARE(question.flags, MsgBox::YesNo | MsgBox::Exclamation);
        QCOMPARE(question.title, QStringLiteral("Delete selected lines"));
        QCOMPARE(LaatsteAntwoord, qint16(MsgBox::No));
        QVERIFY(!QFileInfo::exists(WerkkopieNaam(Meetbestandsnaam)));
        QCOMPARE(table.MSHFlexGrid(0)->data().textMatrix(3, 3), QStringLiteral("2.1"));

        // How the program's own box shows it.
        TonenMelding(question.text, question.flags | MsgBox::DoNotWait, question.title);
        const QList<FormMelding *> open = FormMelding::openBoxes();
        QVERIFY(!open.isEmpty());
        savePicture(*open.last(), QStringLiteral("delete-question"));
        open.last()->close();
    }

    // A working copy that cannot be written leaves everything as it was and says so.
    void failedRewrite()
    {
        QTemporaryDir dir(m_dir.filePath(QStringLiteral("XXXXXX")));
        Meetbestandsnaam = dir.filePath(QStringLiteral("run.csv"));
        frmTabel table;
        const QByteArray data = dataFile({0, 1, 2});
        load(table, Meetbestandsnaam, data);
        ScriptedDialogProvider boxes;
        select(table, 0, 1, 1, 3, 4);
        table.WissenSelectie();
        const QByteArray first = readAll(WerkkopieNaam(Meetbestandsnaam));
        QCOMPARE(first, dataFile({0, 1, 2}, {{0, {{2, ""}, {3, ""}}}}));

        // A directory in the way of ".newcopy" stops the write even for root.
        QVERIFY(QDir().mkdir(HerschrijfNaam(Meetbestandsnaam)));
        boxes.clear();
        select(table, 0, 2, 3, 5, 6);
        table.WissenSelectie();
        boxes.answerMessage(MsgBox::Yes);
        select(table, 0, 3, 3, 3, 3);
        table.VerwijderSelectie();
        BewaarOpmerking(0, 2, QStringLiteral("lost"));

        QCOMPARE(readAll(WerkkopieNaam(Meetbestandsnaam)), first);
        QCOMPARE(readAll(Meetbestandsnaam), data);
        const GridData &g = table.MSHFlexGrid(0)->data();
        QCOMPARE(g.textMatrix(2, 5), QStringLiteral("1.2"));
        QCOMPARE(g.textMatrix(3, 3), QStringLiteral("2.1"));
        QCOMPARE(g.textMatrix(2, 13), QString());
        int failures = 0;
        for (const auto &request : boxes.requests())
            if (request.kind == QLatin1String("message")
                && request.text.contains(QDir::toNativeSeparators(WerkkopieNaam(Meetbestandsnaam))))
                ++failures;
        QCOMPARE(failures, 3);
        QDir().rmdir(HerschrijfNaam(Meetbestandsnaam));
    }
};

QTEST_MAIN(TestTableEdits)
#include "tst_tableedits.moc"
