#include "boxcloser.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphwindow.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/chart.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "printing/printdialog.h"
#include "printing/printrun.h"
#include "support/language.h"
#include "views/rack.h"
#include "views/readingdisplay.h"
#include "views/table.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

// Every text a user can read in the program's windows now: captions, labels, buttons, tabs,
// group titles, tool tips, menu items, grid headings and cells, chart legends and footnotes.
// Each text is followed by the class of the widget that shows it.
QStringList shownTexts()
{
    QStringList texts;
    for (QWidget *w : QApplication::allWidgets()) {
        if (!w->isVisible())
            continue;
        const qsizetype first = texts.size();
        texts << w->windowTitle() << w->toolTip();
        if (auto *label = qobject_cast<QLabel *>(w))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            texts << button->text();
        if (auto *group = qobject_cast<QGroupBox *>(w))
            texts << group->title();
        if (auto *tabs = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            const QAbstractItemModel *m = view->model();
            for (int c = 0; c < m->columnCount(); ++c) {
                texts << m->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < qMin(3, m->rowCount()); ++r)
                    texts << m->index(r, c).data().toString();
            }
        }
        if (auto *chart = qobject_cast<Chart *>(w)) {
            for (int s = 1; s <= Chart::SeriesCount; ++s)
                texts << chart->legendText(s);
            texts << chart->footnote();
        }
        for (QAction *a : w->actions())
            texts << a->text() << a->toolTip();
        const QString where = QStringLiteral(" (%1)").arg(QLatin1String(w->metaObject()->className()));
        for (qsizetype i = first; i < texts.size(); ++i)
            if (!texts[i].isEmpty())
                texts[i] += where;
    }
    texts.removeAll(QString());
    return texts;
}

QString plain(QString text)
{
    text.remove(u'&');
    return text.trimmed();
}

// Whether `word` stands in `text` as whole words.
bool standsIn(const QString &text, const QString &word)
{
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        if ((at == 0 || !text[at - 1].isLetter()) && (end == text.size() || !text[end].isLetter()))
            return true;
    }
    return false;
}

// The English texts of the program that read differently in `language`, each with its entry.
QList<std::pair<int, QString>> englishOnly(qint16 language)
{
    QMap<int, QString> english;
    const TaalTabel en = TaalEngels();
    for (int i = 0; i < en.count; ++i)
        english.insert(en.rows[i].index, plain(QString::fromUtf16(en.rows[i].text)));
    const TaalTabel other = language == 1 ? TaalFrans() : TaalNederlands();
    QList<std::pair<int, QString>> differ;
    for (int i = 0; i < other.count; ++i) {
        const int index = other.rows[i].index;
        const QString e = english.value(index);
        // Short words ("Info", "Stop") are words of several languages.
        if (e.size() < 5 || e.contains(u'\n'))
            continue;
        if (!plain(QString::fromUtf16(other.rows[i].text)).contains(e))
            differ << std::pair{index, e};
    }
    return differ;
}

} // namespace

// A language chosen while every kind of window is open: everything the program itself says
// follows at once, in the windows, the status bar and the dialogs that stay open.
class TestLanguageSwitch : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-languageswitch");
        QLocale::setDefault(QLocale::c());
        RegisterNaam = QStringLiteral("QLV2-LANGUAGESWITCH");
        DataMap = home.path();
        closeMessageBoxesEvery(boxCloser);
    }

    void everyWindowFollows_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("French") << 1;
        QTest::newRow("Dutch") << 2;
    }
    void everyWindowFollows()
    {
        QFETCH(int, language);
        Pump::setEnding(false); // the program of the previous row has ended
        ProgrammaStoppen = false;
        qint16 english = 0;
        LaadTaal(english);
        ScriptedDialogProvider dialogs;
        Printerkode::printDialogHooks().printers = [] { return QStringList(); };
        Printerkode::printDialogHooks().standaardPrinter = [] { return QString(); };

        // The settings file: two controllers (the second switched off), the table, the terminal
        // and a graph with both limits and its legend.
        ResetToestellen();
        WindowSettings::reset();
        AantalGrafieken = 0;
        for (int d = 1; d <= 2; ++d) {
            Toestel[d].Type = QStringLiteral("T542");
            Toestel[d].Idno = 10 + d;
            Toestel[d].Kanalen = 2;
            Toestel[d].Naam = d == 1 ? QStringLiteral("Oven") : QStringLiteral("Kiln");
            Toestel[d].Actief = d == 1;
            WindowSettings::rack[size_t(d)].visible = true;
            WindowSettings::rack[size_t(d)].placement = {0, float(d * 600), 300, 2400, 4200};
        }
        WindowSettings::table.TabelTonen = true;
        WindowSettings::table.placement = {0, 3000, 900, 3000, 9000};
        WindowSettings::terminal.menuChecked = true;
        WindowSettings::terminal.placement = {0, 6000, 900, 1500, 6000};
        GraphSettings &g = WindowSettings::graph[1];
        g.resetToLoadDefaults(1);
        g.caption = QStringLiteral("Oven");
        g.TitelWaardenas = QStringLiteral("°C");
        g.TitelTijdsas = QStringLiteral("t");
        g.AlarmHoog = g.AlarmLaag = true;
        g.AlarmHoogWaarde = 30;
        g.AlarmLaagWaarde = 10;
        g.LegendeKeuze = true;
        g.SchrijfGrafiekLijnRef(1, 1, 1);
        g.SchrijfGrafiekLijnRef(1, 2, 1);
        g.placement = {0, 3000, 5000, 3000, 6000};
        g.visible = true;
        SeriePoort = QStringLiteral("COM251");
        Baudrate = QStringLiteral("9600");
        const QString settings = home.filePath("languages.CFG");
        QVERIFY(SchrijfInstellingen(settings));
        ResetToestellen();
        resetReadSettings();

        mdiQLV2 w;
        KoppelHoofdvenster(w);
        w.resize(1100, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        LeesInstellingen(settings);
        frmGrafiek *graph = GrafiekVenster.inGebruik(1);
        QVERIFY(graph);
        QVERIFY(frmTerminal::instance() && frmTerminal::instance()->isVisible());
        QVERIFY(TabelVenster()->isVisible());
        QTRY_VERIFY(RackVenster[2]->isVisible());

        // The status bar: logging off, a port to check, a graph printed to a PDF file.
        w.initCommPoort();
        w.OpenCommPoort();
        QVERIFY(!w.poortOpen());
        Printerkode::PrintDirect(graph);
        QTRY_VERIFY(w.panelText("Message").startsWith(QStringLiteral("Printed to ")));
        QCOMPARE(w.panelText("Connect"), QStringLiteral("Log data OFF"));
        QCOMPARE(w.panelText("Settings"), QStringLiteral("Check 'COM251' or select other port!"));
        // The high limit's readout in the graph's footnote.
        Chart *chart = graph->findChild<Chart *>();
        QVERIFY(chart);
        emit chart->pointSelected(2, 1);
        QVERIFY(chart->footnote().startsWith(QStringLiteral("High limit: 30")));
        QCOMPARE(chart->legendText(2), QStringLiteral("High limit"));
        // An inactive controller's rack says so, as the poll loop has it say.
        TonenMeting(*RackVenster[2], false);
        QCOMPARE(RackVenster[2]->StatusTekst(), QStringLiteral("Disabled"));
        QVERIFY(shownTexts().contains(QStringLiteral("Outgoing (QCheckBox)")));
        QVERIFY(!englishOnly(qint16(language)).isEmpty());

        // The language changes while the graph's settings dialog stays open beside the main
        // window (as the general settings dialog's list changes it).
        QStringList left;
        bool dialogOpen = false;
        QTimer::singleShot(0, &w, [&] {
            frmGrafiekInstellen *graphDialog = frmGrafiekInstellen::geopend();
            dialogOpen = graphDialog && graphDialog->isVisible();
            qint16 chosen = qint16(language);
            LaadTaal(chosen);
            const QStringList after = shownTexts();
            for (const auto &[index, text] : englishOnly(chosen))
                for (const QString &shown : after)
                    if (standsIn(shown, text))
                        left << QStringLiteral("%1 \"%2\" in \"%3\"").arg(index).arg(text, shown);
            left.removeDuplicates();
            if (graphDialog)
                graphDialog->CmdCancel_Click();
        });
        ToonGrafiekInstellingen(1, graph, -1);
        QVERIFY(dialogOpen);
        QVERIFY(!frmGrafiekInstellen::geopend());
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QStringLiteral("\n"))));

        // The texts that were English alone: the terminal's boxes, the limits, the status bar.
        const frmTerminal *terminal = frmTerminal::instance();
        QCOMPARE(terminal->findChild<QCheckBox *>("CheckOutgoing")->text(), Taaltekst(530));
        QCOMPARE(terminal->findChild<QCheckBox *>("CheckIncoming")->text(), Taaltekst(531));
        QCOMPARE(terminal->findChild<QCheckBox *>("CheckHexadecimaal")->text(), Taaltekst(532));
        QCOMPARE(chart->legendText(2), Taaltekst(221));
        QCOMPARE(chart->legendText(1), Taaltekst(222));
        QVERIFY(chart->footnote().startsWith(Taaltekst(221) + QStringLiteral(": 30")));
        const QString printed = Taaltekst(551);
        QVERIFY(w.panelText("Message").startsWith(printed.left(printed.indexOf(u'#'))));
        QCOMPARE(w.panelText("Connect"), Taaltekst(150));
        QCOMPARE(w.panelText("Settings"), Taaltekst(148) + SeriePoort + Taaltekst(149));
        QVERIFY(RackVenster[1]->windowTitle().startsWith(Taaltekst(129)));
        QCOMPARE(RackVenster[2]->StatusTekst(), Taaltekst(380));
        LaadTaal(english);
        w.close();
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
