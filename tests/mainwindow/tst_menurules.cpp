#include "mainwindow/menurules.h"

#include <QtTest>

Q_DECLARE_METATYPE(EditMenuInput)
Q_DECLARE_METATYPE(EditMenuState)
Q_DECLARE_METATYPE(ButtonInput)
Q_DECLARE_METATYPE(ButtonStates)

namespace {
EditMenuInput editIn(const char *kind, bool logging = false, bool readOnly = false,
                     bool copyGraph = false, bool copyTab = false, bool relative = false)
{
    EditMenuInput in;
    in.slotValid = true;
    in.windowsOpen = true;
    in.kind = QString::fromLatin1(kind);
    in.logging = logging;
    in.readOnly = readOnly;
    in.copySetGraph = copyGraph;
    in.copySetTab = copyTab;
    in.relatieveTijd = relative;
    return in;
}

// copy, info, clear, delete, relative, relative checked, origin, copy settings, paste, entry
EditMenuState edit(bool copy, bool info, bool clear, bool del, bool rel, bool relChecked,
                   bool origin, bool copySet, bool paste, int entry)
{
    EditMenuState s;
    s.copy = copy;
    s.info = info;
    s.clearLine = clear;
    s.deleteLine = del;
    s.relatieveTijd = rel;
    s.relatieveTijdChecked = relChecked;
    s.timeOrigin = origin;
    s.copySettings = copySet;
    s.pasteSettings = paste;
    s.settingsKindEntry = entry;
    return s;
}

ButtonStates buttons(std::optional<bool> graph, std::optional<bool> font,
                     std::optional<bool> receiveButton, std::optional<bool> transferButton,
                     std::optional<bool> receiveItem, std::optional<bool> transferItem)
{
    ButtonStates s;
    s.graphSettings = graph;
    s.font = font;
    s.saveSettings = true;
    s.receiveButton = receiveButton;
    s.transferButton = transferButton;
    s.receiveItem = receiveItem;
    s.transferItem = transferItem;
    return s;
}
} // namespace

// The enabling rules of the main window's menus and toolbar, case by case.
class TestMenuRules : public QObject {
    Q_OBJECT
private slots:
    void editMenu_data()
    {
        QTest::addColumn<EditMenuInput>("in");
        QTest::addColumn<EditMenuState>("expected");
        const EditMenuState nothing;
        EditMenuInput noSlot = editIn("tabel");
        noSlot.slotValid = false;
        EditMenuInput noWindows = editIn("tabel");
        noWindows.windowsOpen = false;
        QTest::newRow("no valid slot") << noSlot << nothing;
        QTest::newRow("no window shown") << noWindows << nothing;
        QTest::newRow("no active window") << editIn("") << nothing;
        QTest::newRow("table while logging") << editIn("tabel", true, false, true, true) << nothing;
        QTest::newRow("graph while logging") << editIn("grafi", true, false, true) << nothing;
        EditMenuState loggingRelative = nothing;
        loggingRelative.relatieveTijdChecked = true;
        QTest::newRow("logging keeps the check mark")
            << editIn("tabel", true, false, false, false, true) << loggingRelative;
        QTest::newRow("rack") << editIn("metin", false, false, true, true)
                              << edit(true, false, false, false, false, false, false, false, false, 0);
        QTest::newRow("terminal") << editIn("termi", false, false, true, true)
                                  << edit(true, false, false, false, false, false, false, false, false, 0);
        QTest::newRow("graph, nothing copied")
            << editIn("grafi") << edit(true, false, false, false, false, false, false, true, false, 121);
        QTest::newRow("graph, graph copied")
            << editIn("grafi", false, false, true) << edit(true, false, false, false, false, false, false, true, true, 121);
        QTest::newRow("graph, table copied")
            << editIn("grafi", false, false, false, true) << edit(true, false, false, false, false, false, false, true, false, 121);
        QTest::newRow("table, nothing copied")
            << editIn("tabel") << edit(true, true, true, true, true, false, false, true, false, 122);
        QTest::newRow("table, table copied")
            << editIn("tabel", false, false, false, true) << edit(true, true, true, true, true, false, false, true, true, 122);
        QTest::newRow("table, graph copied")
            << editIn("tabel", false, false, true) << edit(true, true, true, true, true, false, false, true, false, 122);
        QTest::newRow("table, relative time")
            << editIn("tabel", false, false, false, false, true) << edit(true, true, true, true, true, true, true, true, false, 122);
        QTest::newRow("table, read-only file")
            << editIn("tabel", false, true) << edit(true, false, false, false, true, false, false, true, false, 122);
        QTest::newRow("table, read-only, relative, copied")
            << editIn("tabel", false, true, false, true, true) << edit(true, false, false, false, true, true, true, true, true, 122);
        QTest::newRow("graph, read-only") << editIn("grafi", false, true, true)
                                          << edit(true, false, false, false, false, false, false, true, true, 121);
    }
    void editMenu()
    {
        QFETCH(EditMenuInput, in);
        QFETCH(EditMenuState, expected);
        const EditMenuState got = editMenuRules(in);
        QCOMPARE(got.copy, expected.copy);
        QCOMPARE(got.info, expected.info);
        QCOMPARE(got.clearLine, expected.clearLine);
        QCOMPARE(got.deleteLine, expected.deleteLine);
        QCOMPARE(got.relatieveTijd, expected.relatieveTijd);
        QCOMPARE(got.relatieveTijdChecked, expected.relatieveTijdChecked);
        QCOMPARE(got.timeOrigin, expected.timeOrigin);
        QCOMPARE(got.copySettings, expected.copySettings);
        QCOMPARE(got.pasteSettings, expected.pasteSettings);
        QCOMPARE(got.settingsKindEntry, expected.settingsKindEntry);
    }

    void fileMenu_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("windowsShown");
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("print");
        QTest::newRow("writable, windows") << false << true << true << true;
        QTest::newRow("writable, no window") << false << false << true << false;
        QTest::newRow("read-only, windows") << true << true << false << true;
        QTest::newRow("read-only, no window") << true << false << false << false;
    }
    void fileMenu()
    {
        QFETCH(bool, readOnly);
        QFETCH(bool, windowsShown);
        QFETCH(bool, saveAs);
        QFETCH(bool, print);
        const FileMenuState s = fileMenuRules({readOnly, windowsShown});
        QCOMPARE(s.saveAs, saveAs);
        QCOMPARE(s.print, print);
    }

    void windowMenu_data()
    {
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("font");
        QTest::addColumn<bool>("graphSettings");
        QTest::newRow("none") << false << QString() << false << false;
        QTest::newRow("rack") << true << "metin" << true << false;
        QTest::newRow("table") << true << "tabel" << true << false;
        QTest::newRow("terminal") << true << "termi" << true << false;
        QTest::newRow("graph") << true << "grafi" << false << true;
    }
    void windowMenu()
    {
        QFETCH(bool, active);
        QFETCH(QString, kind);
        QFETCH(bool, font);
        QFETCH(bool, graphSettings);
        const WindowMenuState s = windowMenuRules(active, kind);
        QCOMPARE(s.font, font);
        QCOMPARE(s.graphSettings, graphSettings);
    }

    void toolbar_data()
    {
        QTest::addColumn<ButtonInput>("in");
        QTest::addColumn<ButtonStates>("expected");
        const std::optional<bool> keep;
        auto in = [](const char *kind, bool measuring, int graphs = 1, bool shown = true) {
            return ButtonInput{shown, QString::fromLatin1(kind), measuring, graphs};
        };
        QTest::newRow("no window shown") << in("tabel", false, 1, false)
                                         << buttons(false, false, keep, keep, keep, keep);
        QTest::newRow("rack, idle") << in("metin", false) << buttons(false, true, true, true, true, true);
        QTest::newRow("rack, measuring") << in("metin", true) << buttons(false, true, keep, keep, keep, keep);
        QTest::newRow("table, idle") << in("tabel", false) << buttons(false, true, true, true, true, true);
        QTest::newRow("table, measuring") << in("tabel", true) << buttons(false, true, keep, keep, keep, keep);
        QTest::newRow("graph, none counted") << in("grafi", false, 0)
                                             << buttons(false, false, keep, keep, keep, keep);
        QTest::newRow("graph, idle") << in("grafi", false) << buttons(true, false, false, true, false, true);
        QTest::newRow("graph, measuring") << in("grafi", true) << buttons(true, false, false, keep, false, keep);
        QTest::newRow("terminal, idle") << in("termi", false) << buttons(false, true, false, true, false, true);
        QTest::newRow("terminal, measuring") << in("termi", true) << buttons(false, true, true, true, true, true);
        QTest::newRow("other kind") << in("about", false) << buttons(false, false, keep, keep, keep, keep);
    }
    void toolbar()
    {
        QFETCH(ButtonInput, in);
        QFETCH(ButtonStates, expected);
        const ButtonStates got = buttonRules(in);
        QCOMPARE(got.graphSettings, expected.graphSettings);
        QCOMPARE(got.font, expected.font);
        QCOMPARE(got.saveSettings, expected.saveSettings);
        QCOMPARE(got.receiveButton, expected.receiveButton);
        QCOMPARE(got.transferButton, expected.transferButton);
        QCOMPARE(got.receiveItem, expected.receiveItem);
        QCOMPARE(got.transferItem, expected.transferItem);
    }

    void nextGraph_data()
    {
        QTest::addColumn<QList<int>>("inUse");
        QTest::addColumn<int>("active");
        QTest::addColumn<int>("expected");
        QTest::newRow("after the last, the first") << QList<int>{2, 5, 9} << 9 << 2;
        QTest::newRow("the next one") << QList<int>{2, 5, 9} << 5 << 9;
        QTest::newRow("no graph active") << QList<int>{2, 5, 9} << 0 << 2;
        QTest::newRow("only the active one") << QList<int>{7} << 7 << 7;
        QTest::newRow("number 32 reached") << QList<int>{1, 32} << 1 << 32;
        QTest::newRow("none in use: one round, nothing") << QList<int>{} << 3 << 0;
    }
    void nextGraph()
    {
        QFETCH(QList<int>, inUse);
        QFETCH(int, active);
        QFETCH(int, expected);
        QCOMPARE(volgendeGrafiek(active, 32, [&](int g) { return inUse.contains(g); }), expected);
    }

    void kindOfTag_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("kind");
        QTest::newRow("rack") << "meting12" << "metin";
        QTest::newRow("graph") << "grafiek3" << "grafi";
        QTest::newRow("table") << "tabel" << "tabel";
        QTest::newRow("terminal") << "terminal" << "termi";
        QTest::newRow("upper case") << "Tabel" << "tabel";
        QTest::newRow("none") << "" << "";
    }
    void kindOfTag()
    {
        QFETCH(QString, tag);
        QFETCH(QString, kind);
        QCOMPARE(vensterKind(tag), kind);
    }
};

QTEST_GUILESS_MAIN(TestMenuRules)
#include "tst_menurules.moc"
