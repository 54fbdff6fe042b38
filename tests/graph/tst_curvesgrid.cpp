// The curves grid and the line-source dialog, offscreen with real widgets: clicks and keys on the
// grid, the dialog's lists, answers and messages (through the scripted dialog provider).
#include "graphdialogsupport.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsrules.h"
#include "graph/linesourcedialog.h"
#include "platform/dialogs.h"
#include "support/language.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Hoofdmodule;

namespace {

using SourceAction = std::function<void(DialogInputGrafiekElement *)>;


// Runs the action on the line-source dialog as soon as it is shown; cancels what it leaves open.
void onLineSource(const SourceAction &action, bool *opened = nullptr)
{
    QTimer::singleShot(0, qApp, [action, opened] {
        DialogInputGrafiekElement *d = openLineSource();
        if (opened)
            *opened = d != nullptr;
        if (!d)
            return;
        action(d);
        if (DialogInputGrafiekElement *still = openLineSource())
            still->CancelButton->click();
    });
}


GraphSettings &graph(int n) { return WindowSettings::graph[size_t(n)]; }

} // namespace

class TestCurvesGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedDialogProvider> m_dialogs;
    std::unique_ptr<CurveLijnenGrid> m_grid;

    CurveLijnenGrid &grid() { return *m_grid; }

    void click(int row, int column)
    {
        grid().scrollToItem(grid().item(row, column));
        const QRect cell = grid().visualItemRect(grid().item(row, column));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cell.center());
    }

    void key(int row, int column, Qt::Key key)
    {
        grid().setCurrentCell(row, column);
        QTest::keyClick(&grid(), key);
    }

    void fill(int graphNumber = 1, const QString &name = QStringLiteral("Graph 1"))
    {
        m_grid = std::make_unique<CurveLijnenGrid>();
        m_grid->resize(520, 420);
        m_grid->show();
        m_grid->Vullen(graphNumber, name);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
    }

    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogProvider>();
        WindowSettings::reset();
        ResetToestellen();
        Bezig = false;
        makeSlot(2, QStringLiteral("Press"), 4);
        makeSlot(3, QStringLiteral("Oven 1"), 2);
        graph(1).resetToLoadDefaults(1);
        graph(1).SchrijfGrafiekLijnRef(2, 1, 3);
        graph(1).SchrijfGrafiekLijnRef(2, 2, 2);
        graph(1).SchrijfGrafiekLijnRef(2, 5, 1); // the mean, marked by any non-zero number
        fill();
    }

    void cleanup()
    {
        m_grid.reset();
        m_dialogs.reset();
    }

    void layout()
    {
        QCOMPARE(grid().rowCount(), 33);
        QCOMPARE(grid().columnCount(), 6);
        const QStringList headers = {"#", "Input", "Colour", "Min", "Max", "\u0394"};
        for (int c = 0; c < 6; ++c)
            QCOMPARE(grid().item(0, c)->text(), headers[c]);
        QCOMPARE(grid().item(32, 0)->text(), QStringLiteral("32"));
        QCOMPARE(grid().Bron(2), QStringLiteral("Device 3 (Oven 1), Input 2 (°C)"));
        QCOMPARE(grid().Bron(1), QString());
        QVERIFY(grid().Gemarkeerd(2, CurveLijnenGrid::KolomGemiddelde));
        QVERIFY(!grid().Gemarkeerd(2, CurveLijnenGrid::KolomMin));
        QCOMPARE(grid().Kleur(5), defaultSeriesColour(7));
        QCOMPARE(grid().toolTip(), QStringLiteral("Select a cell to change its settings!"));
    }

    // What a click or a key does to a cell. Line 1 has no source; line 2 draws device 3 input 2
    // with its mean marked.
    void cells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("input"); // click, enter, space, key:<text>, delete
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<int>("colourDialogs");
        const int min = CurveLijnenGrid::KolomMin, mean = CurveLijnenGrid::KolomGemiddelde;
        const int colour = CurveLijnenGrid::KolomKleur;
        QTest::newRow("mean without a source stays empty") << 1 << mean << "click" << 1 << false << 0;
        QTest::newRow("minimum with a source is marked") << 2 << min << "click" << 1 << true << 0;
        QTest::newRow("a marked cell clears") << 2 << mean << "click" << 1 << false << 0;
        QTest::newRow("and marks again") << 2 << mean << "click" << 2 << true << 0;
        QTest::newRow("Enter acts as a click") << 2 << min << "enter" << 1 << true << 0;
        QTest::newRow("Return acts as a click") << 2 << mean << "return" << 1 << false << 0;
        QTest::newRow("Space acts as a click") << 2 << min << "space" << 1 << true << 0;
        QTest::newRow("a letter does nothing") << 2 << min << "key:x" << 1 << false << 0;
        QTest::newRow("Delete does nothing") << 2 << mean << "delete" << 1 << true << 0;
        QTest::newRow("Enter without a source") << 1 << min << "enter" << 1 << false << 0;
        QTest::newRow("colour without a source opens nothing") << 1 << colour << "click" << 1 << false << 0;
        QTest::newRow("colour with a source") << 2 << colour << "click" << 1 << false << 1;
        QTest::newRow("Space on a colour") << 2 << colour << "space" << 1 << false << 1;
        QTest::newRow("header row") << 0 << mean << "click" << 1 << false << 0;
        QTest::newRow("line number column") << 2 << 0 << "click" << 1 << false << 0;
        QTest::newRow("Enter on the line number") << 2 << 0 << "enter" << 1 << false << 0;
    }
    void cells()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, input);
        QFETCH(int, times);
        QFETCH(bool, marked);
        QFETCH(int, colourDialogs);
        QList<QStringList> before;
        for (int r = 0; r <= 2; ++r) {
            QStringList texts;
            for (int c = 0; c < 6; ++c)
                texts << grid().item(r, c)->text();
            before << texts;
        }
        m_dialogs->answerColour(QColor(10, 20, 30));
        for (int i = 0; i < times; ++i) {
            if (input == QLatin1String("click"))
                click(row, column);
            else if (input == QLatin1String("enter"))
                key(row, column, Qt::Key_Enter);
            else if (input == QLatin1String("return"))
                key(row, column, Qt::Key_Return);
            else if (input == QLatin1String("space"))
                key(row, column, Qt::Key_Space);
            else if (input == QLatin1String("delete"))
                key(row, column, Qt::Key_Delete);
            else if (input.startsWith(QLatin1String("key:"))) {
                grid().setCurrentCell(row, column);
                QTest::keyClicks(&grid(), input.mid(4));
            }
        }
        QCOMPARE(m_dialogs->requests().size(), colourDialogs);
        QVERIFY(!openLineSource());
        if (column >= CurveLijnenGrid::KolomMin && row > 0)
            QCOMPARE(grid().Gemarkeerd(row, column), marked);
        if (column == CurveLijnenGrid::KolomKleur)
            QCOMPARE(grid().Kleur(row), colourDialogs ? QColorNaarKleur(QColor(10, 20, 30))
                                                      : defaultSeriesColour(row + 2));
        // Nothing else in the first rows changed; the line table waits for OK.
        for (int r = 0; r <= 2; ++r)
            for (int c = 0; c < 6; ++c)
                if (!(r == row && c == column) && c != CurveLijnenGrid::KolomKleur)
                    QCOMPARE(grid().item(r, c)->text(), before[r][c]);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 5), 1);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 3), 0);
    }

    // The colour cell shows its colour also while it is the current cell.
    void currentColourCellShowsItsColour()
    {
        grid().setFocus();
        grid().setCurrentCell(2, CurveLijnenGrid::KolomKleur);
        const QRect cell = grid().visualItemRect(grid().item(2, CurveLijnenGrid::KolomKleur));
        const QImage picture = grid().viewport()->grab().toImage();
        QCOMPARE(QColor(picture.pixel(cell.center())), KleurNaarQColor(defaultSeriesColour(4)));
    }

    void applyWritesColoursAndMarks()
    {
        m_dialogs->answerColour(QColor(1, 2, 3));
        click(2, CurveLijnenGrid::KolomKleur);
        click(2, CurveLijnenGrid::KolomMin);
        click(2, CurveLijnenGrid::KolomGemiddelde);
        QCOMPARE(graph(1).GrafiekKleur(4), defaultSeriesColour(4)); // not before OK
        grid().Toepassen();
        QCOMPARE(graph(1).GrafiekKleur(4), QColorNaarKleur(QColor(1, 2, 3)));
        QVERIFY(graph(1).LeesGrafiekLijnRef(2, 3) != 0);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 4), 0);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 5), 0);
    }

    void sourceChosenAndWrittenAtOnce()
    {
        bool busyWhileOpen = false;
        bool opened = false;
        QString title;
        QStringList devices, inputs;
        QList<int> slotData;
        onLineSource(
            [&](DialogInputGrafiekElement *d) {
                busyWhileOpen = Bezig;
                title = d->windowTitle();
                for (int i = 0; i < d->ListController->count(); ++i) {
                    devices << d->ListController->itemText(i);
                    slotData << d->ListController->itemData(i).toInt();
                }
                // Line 1 has no source: the first controller is proposed, no input.
                QCOMPARE(d->ListController->currentIndex(), 1);
                QCOMPARE(d->ListInputs->currentIndex(), 0);
                d->ListController->setCurrentIndex(2);
                for (int i = 0; i < d->ListInputs->count(); ++i)
                    inputs << d->ListInputs->itemText(i);
                d->ListInputs->setCurrentIndex(2);
                d->OKButton->click();
            },
            &opened);
        QVERIFY(!Bezig);
        click(1, CurveLijnenGrid::KolomBron);
        QVERIFY(opened);
        // Logging goes on while a line's source is chosen.
        QVERIFY(!busyWhileOpen);
        QVERIFY(!Bezig);
        QCOMPARE(title, QStringLiteral("Select input for Graph 1, Line number 1"));
        QCOMPARE(devices, QStringList({QString(), "Device2: (Press)", "Device3: (Oven 1)"}));
        QCOMPARE(slotData, QList<int>({0, 2, 3}));
        for (int i = 1; i < devices.size(); ++i)
            QCOMPARE(BepaalToestelNummer(devices[i]), slotData[i]);
        QCOMPARE(inputs, QStringList({QString(), "Input1: (°C, CH1)", "Input2: (°C, CH2)"}));
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 1), 3);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 2), 2);
        QCOMPARE(grid().Bron(1), QStringLiteral("Device 3 (Oven 1), Input 2 (°C)"));
    }

    void newLineStartsOnTheDeviceAbove()
    {
        graph(1).SchrijfGrafiekLijnRef(4, 1, 2);
        graph(1).SchrijfGrafiekLijnRef(4, 2, 3);
        fill();
        qint16 rnr = -1, knr = -1;
        int device = -1, input = -1;
        onLineSource([&](DialogInputGrafiekElement *d) {
            rnr = d->Rnr;
            knr = d->Knr;
            device = d->ListController->currentData().toInt();
            input = d->ListInputs->currentIndex();
            d->CancelButton->click();
        });
        click(5, CurveLijnenGrid::KolomBron);
        QCOMPARE(device, 2);
        QCOMPARE(rnr, 2);
        QCOMPARE(knr, 0);
        QCOMPARE(input, 0);
        // Cancel changed nothing.
        QCOMPARE(graph(1).LeesGrafiekLijnRef(5, 1), 0);
        QCOMPARE(grid().Bron(5), QString());
        QVERIFY(!Bezig);
    }

    void staleSourceOfferedAsNoneButKept_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("channel");
        QTest::newRow("controller gone") << 5 << 1;
        QTest::newRow("input beyond its channels") << 3 << 4;
    }
    void staleSourceOfferedAsNoneButKept()
    {
        QFETCH(int, slot);
        QFETCH(int, channel);
        graph(1).SchrijfGrafiekLijnRef(1, 1, qint16(slot));
        graph(1).SchrijfGrafiekLijnRef(1, 2, qint16(channel));
        fill();
        const QString shown = grid().Bron(1);
        QVERIFY(!shown.isEmpty());
        int device = -1, input = -1;
        onLineSource([&](DialogInputGrafiekElement *d) {
            device = d->ListController->currentData().toInt();
            input = d->ListInputs->currentIndex();
            d->close(); // the frame: Cancel
        });
        click(1, CurveLijnenGrid::KolomBron);
        QCOMPARE(device, 2); // offered as a line without source: the first controller
        QCOMPARE(input, 0);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 1), slot);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 2), channel);
        QCOMPARE(grid().Bron(1), shown);
        // Confirmed, the new choice replaces it.
        onLineSource([&](DialogInputGrafiekElement *d) {
            d->ListInputs->setCurrentIndex(4);
            d->OKButton->click();
        });
        click(1, CurveLijnenGrid::KolomBron);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 1), 2);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 2), 4);
    }

    void clearRemovesTheSourceAndOkItsFlags()
    {
        click(2, CurveLijnenGrid::KolomMin);
        onLineSource([&](DialogInputGrafiekElement *d) {
            QCOMPARE(d->ListController->currentData().toInt(), 3);
            QCOMPARE(d->ListInputs->currentIndex(), 2);
            d->CommandWissen->click();
        });
        click(2, CurveLijnenGrid::KolomBron);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 1), 0);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(2, 2), 0);
        QCOMPARE(grid().Bron(2), QString());
        for (int c = CurveLijnenGrid::KolomMin; c <= CurveLijnenGrid::KolomGemiddelde; ++c)
            QVERIFY(!grid().Gemarkeerd(2, c));
        QVERIFY(graph(1).LeesGrafiekLijnRef(2, 5) != 0); // until OK
        grid().Toepassen();
        for (int e = 3; e <= 5; ++e)
            QCOMPARE(graph(1).LeesGrafiekLijnRef(2, e), 0);
    }

    void lineSourceTitleForAnotherGraph()
    {
        graph(2).resetToLoadDefaults(2);
        fill(2, QStringLiteral("Graph 2"));
        QString title;
        onLineSource([&](DialogInputGrafiekElement *d) { title = d->windowTitle(); });
        click(3, CurveLijnenGrid::KolomBron);
        QCOMPARE(title, QStringLiteral("Select input for Graph 2, Line number 3"));
    }

    // The line-source dialog on its own.
    void dialogAnswers_data()
    {
        QTest::addColumn<int>("rnr");
        QTest::addColumn<int>("knr");
        QTest::addColumn<QString>("how"); // ok, cancel, escape, frame, clear
        QTest::addColumn<int>("device");  // list position chosen before (-1: as offered)
        QTest::addColumn<int>("input");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("rnrAfter");
        QTest::addColumn<int>("knrAfter");
        QTest::newRow("OK second input") << 3 << 0 << "ok" << -1 << 2 << false << 3 << 2;
        QTest::newRow("OK other device") << 3 << 1 << "ok" << 1 << 3 << false << 2 << 3;
        QTest::newRow("Clear") << 3 << 2 << "clear" << -1 << -1 << false << 0 << 0;
        QTest::newRow("Cancel") << 3 << 2 << "cancel" << -1 << 1 << true << 3 << 2;
        QTest::newRow("Escape") << 3 << 2 << "escape" << -1 << 1 << true << 3 << 2;
        QTest::newRow("frame") << 2 << 4 << "frame" << -1 << -1 << true << 2 << 4;
    }
    void dialogAnswers()
    {
        QFETCH(int, rnr);
        QFETCH(int, knr);
        QFETCH(QString, how);
        QFETCH(int, device);
        QFETCH(int, input);
        QFETCH(bool, cancelled);
        QFETCH(int, rnrAfter);
        QFETCH(int, knrAfter);
        DialogInputGrafiekElement dialog;
        dialog.Rnr = qint16(rnr);
        dialog.Knr = qint16(knr);
        dialog.Grafiek = QStringLiteral("Graph 1");
        dialog.LijnNr = 1;
        dialog.CancelGeklikt = !cancelled;
        onLineSource([&](DialogInputGrafiekElement *d) {
            if (device >= 0)
                d->ListController->setCurrentIndex(device);
            if (input >= 0)
                d->ListInputs->setCurrentIndex(input);
            if (how == QLatin1String("ok"))
                d->OKButton->click();
            else if (how == QLatin1String("clear"))
                d->CommandWissen->click();
            else if (how == QLatin1String("cancel"))
                d->CancelButton->click();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->close();
        });
        dialog.Toon();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.CancelGeklikt, cancelled);
        QCOMPARE(dialog.Rnr, rnrAfter);
        QCOMPARE(dialog.Knr, knrAfter);
        QVERIFY(m_dialogs->requests().isEmpty());
    }

    void messagesWhenNothingChosen()
    {
        // No valid controller: only the empty entry, and OK asks for a device.
        ResetToestellen();
        DialogInputGrafiekElement dialog;
        QStringList entries;
        onLineSource([&](DialogInputGrafiekElement *d) {
            for (int i = 0; i < d->ListController->count(); ++i)
                entries << d->ListController->itemText(i);
            d->OKButton->click();
            QVERIFY(d->isVisible());
        });
        dialog.Toon();
        QCOMPARE(entries, QStringList({QString()}));
        QVERIFY(dialog.CancelGeklikt);
        QCOMPARE(m_dialogs->requests().size(), 1);
        QCOMPARE(m_dialogs->requests()[0].text, QStringLiteral("Select a device from the listbox!"));
        QCOMPARE(m_dialogs->requests()[0].title, QStringLiteral("Device"));
        QCOMPARE(m_dialogs->requests()[0].flags, MsgBox::OkOnly | MsgBox::Exclamation);

        // A controller but no input.
        makeSlot(3, QStringLiteral("Oven"), 1);
        m_dialogs->clear();
        DialogInputGrafiekElement second;
        QString entry;
        onLineSource([&](DialogInputGrafiekElement *d) {
            entry = d->ListController->currentText();
            d->OKButton->click();
            QVERIFY(d->isVisible());
        });
        second.Toon();
        QCOMPARE(entry, QStringLiteral("Device3: (Oven)"));
        QCOMPARE(m_dialogs->requests().size(), 1);
        QCOMPARE(m_dialogs->requests()[0].text, QStringLiteral("Select an input from the listbox!"));
        QCOMPARE(m_dialogs->requests()[0].title, QStringLiteral("Input"));
    }

    // Another controller with fewer inputs than the caller's input: the empty entry.
    void inputBeyondTheNewDevice()
    {
        DialogInputGrafiekElement dialog;
        dialog.Rnr = 2;
        dialog.Knr = 4;
        int before = -1, after = -1, count = -1;
        onLineSource([&](DialogInputGrafiekElement *d) {
            before = d->ListInputs->currentIndex();
            d->ListController->setCurrentIndex(2); // device 3, two inputs
            after = d->ListInputs->currentIndex();
            count = d->ListInputs->count();
            d->ListController->setCurrentIndex(1); // back to device 2
        });
        dialog.Toon();
        QCOMPARE(before, 4);
        QCOMPARE(after, 0);
        QCOMPARE(count, 3);
        QCOMPARE(dialog.Knr, 4);
    }

    // A caller's device that is not valid selects nothing.
    void invalidCallerDeviceSelectsNothing()
    {
        DialogInputGrafiekElement dialog;
        dialog.Rnr = 9;
        int position = 0;
        onLineSource([&](DialogInputGrafiekElement *d) { position = d->ListController->currentIndex(); });
        dialog.Toon();
        QCOMPARE(position, -1);
    }
};

QTEST_MAIN(TestCurvesGrid)
#include "tst_curvesgrid.moc"
