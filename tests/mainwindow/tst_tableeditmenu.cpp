// Edit > Clear line, Delete line and Info, and the table's pop-up Edit menu, in the main window.
#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/tableeditmenu.h"
#include "mainwindow/wiring.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "views/table.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

QByteArray dataFile()
{
    QByteArray out = "\"Time\",\"Value\",\"Unit\"\r\n";
    for (int s = 0; s < 4; ++s) {
        out += '"'
            + DateTimeText::format(QDateTime(QDate(2026, 1, 5), QTime(10, 0, s))).toLatin1()
            + "\",\"" + QByteArray::number(s) + ".5\",\"C\",\"\",\"\",\"\",\"\",\"\",\"\","
              "\"ok\",\"----\",\"\"\r\n";
    }
    return out;
}

// Answers the program's next message box with `answer` and notes its text.
void answerNextBox(int answer, QString *text)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, text] {
        const QList<FormMelding *> boxes = FormMelding::openBoxes();
        if (boxes.isEmpty())
            return;
        *text = boxes.last()->MijnMelding;
        boxes.last()->knop(answer)->click();
        timer->deleteLater();
    });
    timer->start(20);
}
} // namespace

class TestTableEditMenu : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // The program's window with a loaded data file and the table window active.
    void prepare(ProgramWindow &w, const QString &name)
    {
        ResetToestellen();
        Toestel[1].Type = QStringLiteral("T542");
        Toestel[1].Idno = 11;
        Toestel[1].Kanalen = 4;
        Toestel[1].Actief = true;
        Meetbestandsnaam = m_dir.filePath(name);
        QFile f(VervangDatum(Meetbestandsnaam));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(dataFile());
        f.close();
        QFile::remove(WerkkopieNaam(VervangDatum(Meetbestandsnaam)));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        frmTabel *table = TabelVenster();
        table->StelTabelIn(true);
        LeesMeetbestand(VervangDatum(Meetbestandsnaam));
        auto *sub = qobject_cast<QMdiSubWindow *>(table->parentWidget());
        sub->show();
        w.mdiArea()->setActiveSubWindow(sub);
        table->setTab(0);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY(m_dir.isValid());
        qint16 english = 0;
        LaadTaal(english);
    }
    void cleanup() { LoggenActief = false; }

    void itemsFollowTheWindowAndLogging()
    {
        ProgramWindow w;
        prepare(w, QStringLiteral("items.csv"));
        for (const char *name : {"mnuClearLine", "mnuDeleteLine", "mnuEditInfo"})
            QVERIFY2(w.menuItem(name)->isVisible(), name);
        TabelBewerkMenu(w);
        for (const char *name : {"mnuClearLine", "mnuDeleteLine", "mnuEditInfo"})
            QVERIFY2(w.menuItem(name)->isEnabled(), name);
        LoggenActief = true;
        TabelBewerkMenu(w);
        for (const char *name : {"mnuClearLine", "mnuDeleteLine", "mnuEditInfo"})
            QVERIFY2(!w.menuItem(name)->isEnabled(), name);
    }

    void clearAndDeleteFromTheMenu()
    {
        ProgramWindow w;
        prepare(w, QStringLiteral("menu.csv"));
        GridData &g = TabelVenster()->MSHFlexGrid(0)->data();
        g.setSelection(2, 3, 2, 3);
        w.menuItem("mnuClearLine")->trigger();
        QCOMPARE(g.textMatrix(2, 3), QString());
        const QString working = WerkkopieNaam(Meetbestandsnaam);
        QVERIFY(QFileInfo::exists(working));

        g.setSelection(3, 5, 4, 5);
        QString question;
        answerNextBox(MsgBox::Yes, &question);
        w.menuItem("mnuDeleteLine")->trigger();
        QVERIFY(question.startsWith(QStringLiteral("Number of selections: 2\r\n")));
        QCOMPARE(g.textMatrix(3, 1), QString());
        QCOMPARE(g.textMatrix(4, 3), QString());
        QCOMPARE(g.selectedColFirst(), 1); // the lines were selected whole first
        QFile f(working);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count('\n'), 3);
    }

    void infoRefusedForADateName()
    {
        ProgramWindow w;
        prepare(w, QStringLiteral("run#date#.csv"));
        QString refusal;
        answerNextBox(MsgBox::Ok, &refusal);
        w.menuItem("mnuEditInfo")->trigger();
        QCOMPARE(refusal, Taaltekst(444));
    }

    void popUpAtTheRightButton()
    {
        ProgramWindow w;
        prepare(w, QStringLiteral("popup.csv"));
        Grid *grid = TabelVenster()->MSHFlexGrid(0);
        const QPoint at = grid->visualRect(grid->model()->index(1, 3)).center();
        QMenu *edit = w.menu("mnuEdit");
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, at);
        QTRY_VERIFY(edit->isVisible());
        QVERIFY(w.menuItem("mnuClearLine")->isEnabled());
        edit->hide();
    }
};

QTEST_MAIN(TestTableEditMenu)
#include "tst_tableeditmenu.moc"
