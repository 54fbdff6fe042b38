// The graph settings dialog, offscreen with its real widgets; colour and message answers come
// from the scripted dialog provider.
#include "graphdialogsupport.h"

#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphsettingsrules.h"
#include "graph/linesourcedialog.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/updown.h"
#include "support/helpwindow.h"
#include "support/language.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Hoofdmodule;

namespace {

using Action = std::function<void(frmGrafiekInstellen *)>;

// Opens the dialog for `graph`, runs the action on it once it is shown, and returns what the
// dialog's caller gets. Whatever the action leaves open is cancelled, so no test hangs.
qint16 withDialog(int graph, const Action &action, QWidget *window = nullptr, int tab = -1)
{
    QTimer::singleShot(0, qApp, [action] {
        frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
        if (!d)
            return;
        action(d);
        if (frmGrafiekInstellen *still = frmGrafiekInstellen::geopend())
            still->CmdCancel_Click();
    });
    return ToonGrafiekInstellingen(graph, window, tab);
}

QLineEdit *field(frmGrafiekInstellen *d, const char *name)
{
    return d->findChild<QLineEdit *>(QLatin1String(name));
}

void setInterval(frmGrafiekInstellen *d, const QString &text)
{
    d->TextTussentijd->setText(text);
    emit d->TextTussentijd->editingFinished();
}

GraphSettings &graph(int n) { return WindowSettings::graph[size_t(n)]; }

// The recorder's interval field as the user types into it: its tab shown, the dialog active, the
// cursor at the start. Null when the dialog did not become active.
QLineEdit *intervalInHand(frmGrafiekInstellen *d)
{
    d->SSTab->setCurrentIndex(0);
    d->activateWindow();
    if (!QTest::qWaitForWindowActive(d))
        return nullptr;
    QLineEdit *edit = d->TextTussentijd;
    edit->setFocus();
    edit->setCursorPosition(0);
    return edit;
}


} // namespace

class TestGraphSettingsDialog : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDialogProvider> m_dialogs;

    QString settingsPath() const { return m_dir.filePath(QStringLiteral("Graphs.CFG")); }

    QByteArray settingsFile() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogProvider>();
        WindowSettings::reset();
        ResetToestellen();
        AantalGrafieken = 0;
        Bezig = false;
        Tijdscheidingsteken = QStringLiteral(":");
        InstellingenBestandsnaam = settingsPath();
        QFile::remove(settingsPath());
        for (int g : {1, 2}) {
            graph(g).resetToLoadDefaults(g);
            graph(g).caption = StandaardGrafiekTitel(g, false);
            ++AantalGrafieken;
        }
        Registry::write(RegisterNaam, QStringLiteral("Graph settings"), QStringLiteral("Tab"),
                        QStringLiteral("0"));
    }

    void cleanup()
    {
        QVERIFY(!GrafiekInstellenOpen());
        m_dialogs.reset();
    }

    // The recorder interval: what the field shows after a text, and what OK writes.
    void intervalField_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("typed"); // null: nothing typed
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("written");
        QTest::newRow("7200 wraps at load") << 7200 << QString() << "00:00:01" << 1;
        QTest::newRow("5 as stored") << 5 << QString() << "00:00:05" << 5;
        QTest::newRow("empty field") << 5 << "" << "01:00:00" << 3600;
        QTest::newRow("zero") << 5 << "00:00:00" << "01:00:00" << 3600;
        QTest::newRow("no time of day") << 5 << "99:00:00" << "00:00:01" << 1;
        QTest::newRow("ten minutes") << 5 << "00:10:00" << "00:10:00" << 600;
    }
    void intervalField()
    {
        QFETCH(int, stored);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, written);
        graph(1).RecorderTussentijd = stored;
        graph(1).XYrecorder = true;
        const qint16 answer = withDialog(1, [&](frmGrafiekInstellen *d) {
            if (!typed.isNull())
                setInterval(d, typed);
            QCOMPARE(d->TextTussentijd->displayText(), shown);
            QCOMPARE(d->UpDownTussentijd->value(), written);
            QCOMPARE(d->Tussentijd, written);
            d->CmdOK->click();
        });
        QCOMPARE(answer, 1);
        QCOMPARE(graph(1).RecorderTussentijd, written);
    }

    // Number fields as OK reads them.
    void numberFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("written");
        QTest::newRow("divisions 25") << "textWaardenVerdelingen" << "25" << 20.0;
        QTest::newRow("divisions 0") << "textWaardenVerdelingen" << "0" << 1.0;
        QTest::newRow("divisions 2.5") << "textWaardenVerdelingen" << "2.5" << 20.0;
        QTest::newRow("divisions abc") << "textWaardenVerdelingen" << "abc" << 1.0;
        QTest::newRow("subdivisions 25") << "textWaardenOnderverdelingen" << "25" << 20.0;
        QTest::newRow("time divisions 0") << "textTijdVerdelingen" << "0" << 1.0;
        QTest::newRow("time divisions 2.5") << "textTijdVerdelingen" << "2.5" << 20.0;
        QTest::newRow("points 12") << "textGrafiekPunten" << "12" << 50.0;
        QTest::newRow("points 120") << "textGrafiekPunten" << "120" << 120.0;
        QTest::newRow("points 31000") << "textGrafiekPunten" << "31000" << 31000.0;
        QTest::newRow("alarm 1,5") << "TextAlarmHoog" << "1,5" << 1.5;
        QTest::newRow("low alarm 1.5") << "TextAlarmLaag" << "1.5" << 1.5;
        QTest::newRow("maximum 1,5") << "textGrafiekMaximum" << "1,5" << 1.5;
        QTest::newRow("minimum abc") << "textGrafiekMinimum" << "abc" << 0.0;
    }
    void numberFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(double, written);
        graph(1).AutomatischeSchaal = false;
        graph(1).AlarmHoog = graph(1).AlarmLaag = true;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QLineEdit *edit = field(d, qPrintable(name));
            QVERIFY(edit);
            QVERIFY(edit->isEnabled());
            edit->setText(typed);
            d->CmdOK->click();
        });
        const GraphSettings &g = graph(1);
        const QHash<QString, double> values = {
            {"textWaardenVerdelingen", g.AantalWaardenVerdelingen},
            {"textWaardenOnderverdelingen", g.AantalWaardenOnderverdelingen},
            {"textTijdVerdelingen", g.AantalTijdVerdelingen},
            {"textGrafiekPunten", g.MaxGrafiekZichtbaar},
            {"TextAlarmHoog", g.AlarmHoogWaarde},
            {"TextAlarmLaag", g.AlarmLaagWaarde},
            {"textGrafiekMaximum", g.GrafiekMaximum},
            {"textGrafiekMinimum", g.GrafiekMinimum},
        };
        QCOMPARE(values.value(name), written);
    }

    // In a locale with a decimal comma the fields show commas and still read points.
    void decimalCommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
        graph(1).AutomatischeSchaal = false;
        graph(1).GrafiekMaximum = 1.5;
        graph(1).AlarmHoog = true;
        graph(1).AlarmHoogWaarde = 1234.5;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QCOMPARE(field(d, "textGrafiekMaximum")->text(), QStringLiteral("1,5"));
            QCOMPARE(field(d, "TextAlarmHoog")->text(), QStringLiteral("1234,5"));
            field(d, "textGrafiekMinimum")->setText(QStringLiteral("-2.25"));
            d->CmdOK->click();
        });
        QLocale::setDefault(QLocale::c());
        QCOMPARE(graph(1).GrafiekMaximum, 1.5);
        QCOMPARE(graph(1).GrafiekMinimum, -2.25);
        QCOMPARE(graph(1).AlarmHoogWaarde, 1234.5);
    }

    void loadShowsTheGraph()
    {
        GraphSettings &g = graph(2);
        g.caption = QStringLiteral("Oven line");
        g.MaxGrafiekZichtbaar = 250;
        g.AutomatischeSchaal = false;
        g.GrafiekMaximum = 1.5;
        g.GrafiekMinimum = -20;
        g.AantalWaardenVerdelingen = 4;
        g.AantalWaardenOnderverdelingen = 2;
        g.AantalTijdVerdelingen = 9;
        g.TitelTijdsas = QStringLiteral("Time");
        g.TitelWaardenas = QStringLiteral("Temperature");
        g.AlarmHoog = true;
        g.AlarmHoogWaarde = 80;
        g.AlarmLaagWaarde = -5;
        g.LabelKeuze = 2;
        g.LegendeKeuze = true;
        g.AfdrukkenRecorder = true;
        g.ZetDiagramKleur(2, 0x00FF00);
        withDialog(2, [&](frmGrafiekInstellen *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Oven line"));
            QCOMPARE(d->TextGraphName->text(), QStringLiteral("Oven line"));
            QCOMPARE(field(d, "textGrafiekPunten")->text(), QStringLiteral("250"));
            QCOMPARE(field(d, "textGrafiekMaximum")->text(), QStringLiteral("1.5"));
            QCOMPARE(field(d, "textGrafiekMinimum")->text(), QStringLiteral("-20"));
            QCOMPARE(field(d, "textWaardenVerdelingen")->text(), QStringLiteral("4"));
            QCOMPARE(field(d, "textWaardenOnderverdelingen")->text(), QStringLiteral("2"));
            QCOMPARE(field(d, "textTijdVerdelingen")->text(), QStringLiteral("9"));
            QCOMPARE(field(d, "TextAlarmHoog")->text(), QStringLiteral("80"));
            QCOMPARE(field(d, "TextAlarmLaag")->text(), QStringLiteral("-5"));
            QCOMPARE(d->TextTijdsTitel->text(), QStringLiteral("Time"));
            QCOMPARE(d->TextWaardenAs->text(), QStringLiteral("Temperature"));
            QVERIFY(!d->checkAutoSchaal->isChecked());
            QVERIFY(d->CheckAlarmHoog->isChecked());
            QVERIFY(!d->CheckAlarmLaag->isChecked());
            QVERIFY(d->OptionLabels[2]->isChecked());
            QVERIFY(d->CheckLegenda->isChecked());
            QVERIFY(!d->CheckRecorder->isChecked());
            QVERIFY(d->CheckPrintGraph->isChecked());
            QCOMPARE(d->KleurHoog, 0x00FF00);
            QCOMPARE(d->KleurLaag, defaultSeriesColour(1));
            QCOMPARE(d->CommandKleurHoog->property("kleur").value<QColor>(), QColor(0, 255, 0));
            // The texts.
            QCOMPARE(d->SSTab->tabText(0), QStringLiteral("Miscellaneous"));
            QCOMPARE(d->SSTab->tabText(1), QStringLiteral("Time axis"));
            QCOMPARE(d->SSTab->tabText(2), QStringLiteral("Value axis"));
            QCOMPARE(d->SSTab->tabText(3), QStringLiteral("Data series"));
            QCOMPARE(d->FrameRecorder->title(), QStringLiteral("XY-recorder"));
            QCOMPARE(d->OptionLabels[0]->text(), QStringLiteral("Date+Time"));
            QCOMPARE(d->OptionLabels[3]->text(), QStringLiteral("No"));
            QCOMPARE(d->labelGrafiekMax->text(), QStringLiteral("Maximum:"));
            QCOMPARE(d->LabelTussentijd->text(), QStringLiteral("Interval of time:"));
        });
    }

    void okWritesEveryField()
    {
        withDialog(1, [&](frmGrafiekInstellen *d) {
            d->TextGraphName->setText(QStringLiteral("  Kiln  "));
            d->CheckLegenda->setChecked(true);
            d->CheckRecorder->click();
            setInterval(d, QStringLiteral("00:02:30"));
            d->CheckPrintGraph->setChecked(true);
            d->CheckAlarmHoog->click();
            field(d, "TextAlarmHoog")->setText(QStringLiteral("75,5"));
            m_dialogs->answerColour(QColor(255, 128, 0));
            d->CommandKleurHoog->click();
            d->CheckAlarmLaag->click();
            field(d, "TextAlarmLaag")->setText(QStringLiteral("-3"));
            m_dialogs->answerColour(QColor(0, 0, 128));
            d->CommandKleurLaag->click();
            d->TextTijdsTitel->setText(QStringLiteral(" t "));
            field(d, "textGrafiekPunten")->setText(QStringLiteral("500"));
            field(d, "textTijdVerdelingen")->setText(QStringLiteral("5"));
            d->OptionLabels[3]->click();
            d->TextWaardenAs->setText(QStringLiteral("°C"));
            d->checkAutoSchaal->click();
            field(d, "textGrafiekMaximum")->setText(QStringLiteral("250"));
            field(d, "textGrafiekMinimum")->setText(QStringLiteral("-12.5"));
            field(d, "textWaardenVerdelingen")->setText(QStringLiteral("8"));
            field(d, "textWaardenOnderverdelingen")->setText(QStringLiteral("3"));
            d->CmdOK->click();
        });
        QCOMPARE(Antwoord(), 1);
        const GraphSettings written = graph(1);
        QCOMPARE(written.caption, QStringLiteral("Kiln"));
        QVERIFY(written.LegendeKeuze);
        QVERIFY(written.XYrecorder);
        QCOMPARE(written.RecorderTussentijd, 150);
        QVERIFY(written.AfdrukkenRecorder);
        QVERIFY(written.AlarmHoog);
        QCOMPARE(written.AlarmHoogWaarde, 75.5);
        QCOMPARE(written.GrafiekKleur(2), 255 + 128 * 256);
        QVERIFY(written.AlarmLaag);
        QCOMPARE(written.AlarmLaagWaarde, -3.0);
        QCOMPARE(written.GrafiekKleur(1), 128 * 65536);
        QCOMPARE(written.TitelTijdsas, QStringLiteral("t"));
        QCOMPARE(written.MaxGrafiekZichtbaar, 500);
        QCOMPARE(written.AantalTijdVerdelingen, 5);
        QCOMPARE(written.LabelKeuze, 3);
        QCOMPARE(written.TitelWaardenas, QStringLiteral("°C"));
        QVERIFY(!written.AutomatischeSchaal);
        QCOMPARE(written.GrafiekMaximum, 250.0);
        QCOMPARE(written.GrafiekMinimum, -12.5);
        QCOMPARE(written.AantalWaardenVerdelingen, 8);
        QCOMPARE(written.AantalWaardenOnderverdelingen, 3);

        // The settings file holds the same, read back as a start-up would.
        const QByteArray file = settingsFile();
        QVERIFY(!file.isEmpty());
        resetReadSettings();
        LeesInstellingenUitTekst(file);
        const GraphSettings &read = graph(1);
        QCOMPARE(read.caption, written.caption);
        QCOMPARE(read.LegendeKeuze, written.LegendeKeuze);
        QCOMPARE(read.XYrecorder, written.XYrecorder);
        QCOMPARE(read.RecorderTussentijd, written.RecorderTussentijd);
        QCOMPARE(read.AfdrukkenRecorder, written.AfdrukkenRecorder);
        QCOMPARE(read.AlarmHoog, written.AlarmHoog);
        QCOMPARE(read.AlarmHoogWaarde, written.AlarmHoogWaarde);
        QCOMPARE(read.AlarmLaag, written.AlarmLaag);
        QCOMPARE(read.AlarmLaagWaarde, written.AlarmLaagWaarde);
        QCOMPARE(read.seriesColour, written.seriesColour);
        QCOMPARE(read.TitelTijdsas, written.TitelTijdsas);
        QCOMPARE(read.TitelWaardenas, written.TitelWaardenas);
        QCOMPARE(read.MaxGrafiekZichtbaar, written.MaxGrafiekZichtbaar);
        QCOMPARE(read.AantalTijdVerdelingen, written.AantalTijdVerdelingen);
        QCOMPARE(read.LabelKeuze, written.LabelKeuze);
        QCOMPARE(read.AutomatischeSchaal, written.AutomatischeSchaal);
        QCOMPARE(read.GrafiekMaximum, written.GrafiekMaximum);
        QCOMPARE(read.GrafiekMinimum, written.GrafiekMinimum);
        QCOMPARE(read.AantalWaardenVerdelingen, written.AantalWaardenVerdelingen);
        QCOMPARE(read.AantalWaardenOnderverdelingen, written.AantalWaardenOnderverdelingen);
        QCOMPARE(read.lineTable, written.lineTable);
    }

    void automaticScaleKeepsTheScale()
    {
        graph(1).AutomatischeSchaal = true;
        graph(1).GrafiekMaximum = 40;
        graph(1).GrafiekMinimum = -4;
        graph(1).AantalWaardenVerdelingen = 6;
        graph(1).AantalWaardenOnderverdelingen = 2;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QVERIFY(!field(d, "textGrafiekMaximum")->isEnabled());
            QVERIFY(!d->labelWaardenOnderverdelingen->isEnabled());
            field(d, "textGrafiekMaximum")->setText(QStringLiteral("999"));
            field(d, "textGrafiekMinimum")->setText(QStringLiteral("-999"));
            field(d, "textWaardenVerdelingen")->setText(QStringLiteral("19"));
            field(d, "textWaardenOnderverdelingen")->setText(QStringLiteral("19"));
            field(d, "textTijdVerdelingen")->setText(QStringLiteral("3"));
            d->CmdOK->click();
        });
        QCOMPARE(graph(1).GrafiekMaximum, 40.0);
        QCOMPARE(graph(1).GrafiekMinimum, -4.0);
        QCOMPARE(graph(1).AantalWaardenVerdelingen, 6);
        QCOMPARE(graph(1).AantalWaardenOnderverdelingen, 2);
        QCOMPARE(graph(1).AantalTijdVerdelingen, 3); // always written
    }

    void uncheckedLimitKeepsValueAndColour()
    {
        graph(1).AlarmHoog = false;
        graph(1).AlarmHoogWaarde = 7;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QVERIFY(!d->CommandKleurHoog->isEnabled());
            QVERIFY(!field(d, "TextAlarmHoog")->isEnabled());
            // Greyed, the button shows the disabled text colour instead of the limit's colour.
            QCOMPARE(d->CommandKleurHoog->property("kleur").value<QColor>(),
                     d->CommandKleurHoog->palette().color(QPalette::Disabled, QPalette::WindowText));
            d->CheckAlarmHoog->click();
            QVERIFY(d->CommandKleurHoog->isEnabled());
            QCOMPARE(d->CommandKleurHoog->property("kleur").value<QColor>(), QColor(255, 0, 0));
            m_dialogs->answerColour(QColor(0, 255, 0));
            d->CommandKleurHoog->click();
            field(d, "TextAlarmHoog")->setText(QStringLiteral("9"));
            d->CheckAlarmHoog->click();
            d->CmdOK->click();
        });
        QVERIFY(!graph(1).AlarmHoog);
        QCOMPARE(graph(1).AlarmHoogWaarde, 7.0);
        QCOMPARE(graph(1).GrafiekKleur(2), defaultSeriesColour(2));
        withDialog(1, [&](frmGrafiekInstellen *d) {
            d->CheckAlarmHoog->click();
            QCOMPARE(field(d, "TextAlarmHoog")->text(), QStringLiteral("7"));
        });
    }

    void cancelledColourKeepsTheColour()
    {
        graph(1).AlarmLaag = true;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            m_dialogs->answerColour(std::nullopt);
            d->CommandKleurLaag->click();
            QCOMPARE(d->KleurLaag, defaultSeriesColour(1));
            QCOMPARE(m_dialogs->requests().size(), 1);
            QCOMPARE(m_dialogs->requests().first().kind, QStringLiteral("colour"));
        });
    }

    void closeWithoutOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("frame") << "frame";
        QTest::newRow("Escape") << "escape";
    }
    void closeWithoutOk()
    {
        QFETCH(QString, how);
        makeSlot(3, QStringLiteral("Oven"), 2);
        const GraphSettings before = graph(1);
        ZetAntwoord(1); // a stale answer must not survive
        const qint16 answer = withDialog(1, [&](frmGrafiekInstellen *d) {
            d->TextGraphName->setText(QStringLiteral("Changed"));
            field(d, "textGrafiekPunten")->setText(QStringLiteral("400"));
            d->CheckAlarmHoog->click();
            d->CheckLegenda->click();
            d->MSHFlexCurveLijnen->Klik(1, CurveLijnenGrid::KolomKleur); // no source: nothing
            // A line source confirmed in the grid is written at once.
            QTimer::singleShot(0, qApp, [] {
                DialogInputGrafiekElement *source = openLineSource();
                QVERIFY(source);
                source->ListInputs->setCurrentIndex(2);
                source->OKButton->click();
            });
            d->MSHFlexCurveLijnen->Klik(1, CurveLijnenGrid::KolomBron);
            if (how == QLatin1String("cancel"))
                d->CmdCancel->click();
            else if (how == QLatin1String("frame"))
                d->close();
            else
                QTest::keyClick(d, Qt::Key_Escape);
        });
        QCOMPARE(answer, 2);
        QCOMPARE(Antwoord(), 2);
        QVERIFY(!QFile::exists(settingsPath()));
        GraphSettings expected = before;
        expected.SchrijfGrafiekLijnRef(1, 1, 3);
        expected.SchrijfGrafiekLijnRef(1, 2, 2);
        QVERIFY(graph(1) == expected);
    }

    void tabIsRemembered()
    {
        Registry::remove(RegisterNaam, QStringLiteral("Graph settings"), QStringLiteral("Tab"));
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QCOMPARE(d->SSTab->currentIndex(), 3); // the first time: the lines
            QVERIFY(d->MSHFlexCurveLijnen->isVisible());
            d->SSTab->setCurrentIndex(1);
            QVERIFY(!d->MSHFlexCurveLijnen->isVisible());
            d->CmdCancel->click();
        });
        QCOMPARE(Registry::read(RegisterNaam, QStringLiteral("Graph settings"), QStringLiteral("Tab")),
                 QStringLiteral("1"));
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QCOMPARE(d->SSTab->currentIndex(), 1);
            d->SSTab->setCurrentIndex(2);
            d->CmdOK->click();
        });
        withDialog(1, [&](frmGrafiekInstellen *d) { QCOMPARE(d->SSTab->currentIndex(), 2); });
        // A caller may name the tab: a new graph opens on its lines.
        withDialog(1, [&](frmGrafiekInstellen *d) { QCOMPARE(d->SSTab->currentIndex(), 3); },
                   nullptr, 3);
    }

    void labelStyleOutsideTheOptions()
    {
        graph(1).LabelKeuze = 7;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            for (QRadioButton *option : d->OptionLabels)
                QVERIFY(!option->isChecked());
            d->CmdOK->click();
        });
        QCOMPARE(graph(1).LabelKeuze, 7);
    }

    void recorderEnabling()
    {
        graph(1).XYrecorder = false;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            const QList<QWidget *> parts = {d->LabelTussentijd, d->TextTussentijd,
                                            d->UpDownTussentijd, d->CheckPrintGraph};
            for (QWidget *w : parts)
                QVERIFY(!w->isEnabled());
            d->CheckRecorder->click();
            for (QWidget *w : parts)
                QVERIFY(w->isEnabled());
            d->checkAutoSchaal->click();
            QCOMPARE(d->checkAutoSchaal->isChecked(), false);
            QVERIFY(field(d, "textGrafiekMinimum")->isEnabled());
            QVERIFY(d->UpDownWaardenVerdelingen->isEnabled());
            QVERIFY(d->labelGrafiekMax->isEnabled());
        });
    }

    // Stepping with the arrows, the low limit cannot pass the high one nor the high the low.
    void alarmArrowsCannotPass_data()
    {
        QTest::addColumn<QString>("stepped");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::newRow("low up") << "low" << 1 << "10" << "10";
        QTest::newRow("high down") << "high" << -1 << "5" << "5";
        QTest::newRow("low down is free") << "low" << -1 << "10" << "-15";
        QTest::newRow("high up is free") << "high" << 1 << "30" << "5";
    }
    void alarmArrowsCannotPass()
    {
        QFETCH(QString, stepped);
        QFETCH(int, direction);
        QFETCH(QString, high);
        QFETCH(QString, low);
        graph(1).AlarmHoog = graph(1).AlarmLaag = true;
        graph(1).AlarmHoogWaarde = 10;
        graph(1).AlarmLaagWaarde = 5;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            NumberField *moved = stepped == QLatin1String("low") ? d->UpDownAlarmLaag
                                                                 : d->UpDownAlarmHoog;
            QToolButton *arrow = direction > 0 ? moved->arrows()->upButton()
                                               : moved->arrows()->downButton();
            for (int i = 0; i < 20; ++i)
                arrow->click();
            QCOMPARE(field(d, "TextAlarmHoog")->text(), high);
            QCOMPARE(field(d, "TextAlarmLaag")->text(), low);
        });
    }

    void keysStepNumberFields()
    {
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QLineEdit *points = field(d, "textGrafiekPunten");
            points->setText(QStringLiteral("29999"));
            QTest::keyClick(points, Qt::Key_Up);
            QCOMPARE(points->text(), QStringLiteral("30000"));
            QTest::keyClick(points, Qt::Key_Up); // the arrows stop at 30000
            QCOMPARE(points->text(), QStringLiteral("30000"));
            points->setText(QStringLiteral("31000")); // typed past them is kept
            QTest::keyClick(points, Qt::Key_Down);
            QCOMPARE(points->text(), QStringLiteral("29999"));
        });
    }

    // The interval's arrows and field agree after every step, wrapping at both ends.
    void intervalArrowsAndField()
    {
        graph(1).XYrecorder = true;
        graph(1).RecorderTussentijd = 3599;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            const QList<std::pair<int, int>> steps = {
                {1, 3600}, {1, 1}, {1, 2}, {-1, 1}, {-1, 3600}, {-1, 3599}};
            for (const auto &[direction, seconds] : steps) {
                QToolButton *arrow = direction > 0 ? d->UpDownTussentijd->upButton()
                                                   : d->UpDownTussentijd->downButton();
                arrow->click();
                QCOMPARE(d->UpDownTussentijd->value(), seconds);
                QCOMPARE(d->Tussentijd, seconds);
                QCOMPARE(d->TextTussentijd->displayText(),
                         TussentijdTekst(seconds, Tijdscheidingsteken));
            }
            setInterval(d, QStringLiteral("00:01:40"));
            QCOMPARE(d->UpDownTussentijd->value(), 100);
            d->UpDownTussentijd->upButton()->click();
            QCOMPARE(d->TextTussentijd->displayText(), QStringLiteral("00:01:41"));
        });
    }

    // While the user types, the field is not rewritten under the cursor; leaving it shows the
    // value that counts.
    void intervalTypedKeepsItsDigitsUntilLeft()
    {
        graph(1).XYrecorder = true;
        graph(1).RecorderTussentijd = 5;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QLineEdit *edit = intervalInHand(d);
            QVERIFY(edit);
            // 01:00:05 on the way to 01:00:00: past an hour for a moment.
            QTest::keyClicks(edit, QStringLiteral("01"));
            QCOMPARE(edit->displayText(), QStringLiteral("01:00:05"));
            QCOMPARE(d->Tussentijd, 1);
            edit->setCursorPosition(6);
            QTest::keyClicks(edit, QStringLiteral("00"));
            QCOMPARE(edit->displayText(), QStringLiteral("01:00:00"));
            QCOMPARE(d->Tussentijd, 3600);
            QCOMPARE(d->UpDownTussentijd->value(), 3600);
            edit->setCursorPosition(6);
            QTest::keyClicks(edit, QStringLiteral("07"));
            emit edit->editingFinished();
            QCOMPARE(edit->displayText(), QStringLiteral("00:00:01"));
        });
    }

    // Digits that are no time of day give an interval the user could not foresee: when the field
    // is left, an arrow steps from it, or OK is pressed with the field still in hand, the field
    // shows what is taken and the user is told, once. A time of day that wraps around the range
    // is taken without a word.
    void intervalNoTimeOfDayIsTold_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("then"); // "leave", "arrow" (up) or "ok" (OK at once)
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("written");
        QTest::addColumn<QString>("told"); // empty: nothing
        const QString past99 = "Interval of time: 99:77:02 cannot be used as typed; 00:00:01 is "
                               "used instead.";
        QTest::newRow("99:77:02, field left") << "99:77:02" << "leave" << "00:00:01" << 1 << past99;
        QTest::newRow("99:77:02, OK at once") << "99:77:02" << "ok" << "00:00:01" << 1 << past99;
        QTest::newRow("99:77:02, arrow up") << "99:77:02" << "arrow" << "00:00:02" << 2 << past99;
        QTest::newRow("seconds past 59")
            << "00:00:99" << "leave" << "00:01:39" << 99
            << "Interval of time: 00:00:99 cannot be used as typed; 00:01:39 is used instead.";
        QTest::newRow("two hours wrap") << "02:00:00" << "leave" << "00:00:01" << 1 << "";
        QTest::newRow("zero") << "00:00:00" << "leave" << "01:00:00" << 3600 << "";
        QTest::newRow("ten minutes, arrow up") << "00:10:00" << "arrow" << "00:10:01" << 601 << "";
        QTest::newRow("ten minutes, OK at once") << "00:10:00" << "ok" << "00:10:00" << 600 << "";
        // Cancel drops what was typed: its click closes the dialog, with nothing to tell.
        QTest::newRow("99:77:02, Cancel clicked") << "99:77:02" << "cancel" << "" << 5 << "";
    }
    void intervalNoTimeOfDayIsTold()
    {
        QFETCH(QString, typed);
        QFETCH(QString, then);
        QFETCH(QString, shown);
        QFETCH(int, written);
        QFETCH(QString, told);
        graph(1).XYrecorder = true;
        graph(1).RecorderTussentijd = 5;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            QLineEdit *edit = intervalInHand(d);
            QVERIFY(edit);
            QTest::keyClicks(edit, QString(typed).remove(u':')); // the mask skips the colons
            QCOMPARE(edit->displayText(), typed);
            if (then == QLatin1String("leave")) {
                QTest::keyClick(edit, Qt::Key_Tab);
                QVERIFY(!edit->hasFocus());
            } else if (then == QLatin1String("arrow")) {
                d->UpDownTussentijd->upButton()->click();
            } else if (then == QLatin1String("cancel")) {
                QTest::mouseClick(d->CmdCancel, Qt::LeftButton);
                QVERIFY(!frmGrafiekInstellen::geopend());
                return;
            }
            if (then != QLatin1String("ok")) {
                QCOMPARE(edit->displayText(), shown);
                QCOMPARE(d->UpDownTussentijd->value(), written);
            }
            d->CmdOK->click();
        });
        QCOMPARE(graph(1).RecorderTussentijd, written);
        QCOMPARE(m_dialogs->messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
    }

    // The value axis bounds are written as typed; where the chart cannot draw them as they
    // stand, OK tells the user, in their language, which axis it takes instead.
    void valueAxisBoundsTold_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QString>("maximum");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<double>("writtenMaximum");
        QTest::addColumn<double>("writtenMinimum");
        QTest::addColumn<QString>("told"); // empty: nothing
        QTest::newRow("maximum below minimum")
            << 0 << false << "0" << "100" << 0.0 << 100.0
            << "Value axis: Maximum 0, Minimum 100 cannot be used as typed; Maximum 100, "
               "Minimum 0 is used instead.";
        QTest::newRow("equal bounds")
            << 0 << false << "5" << "5" << 5.0 << 5.0
            << "Value axis: Maximum 5, Minimum 5 cannot be used as typed; Maximum 6, Minimum 4 "
               "is used instead.";
        QTest::newRow("in French, with a decimal comma")
            << 1 << false << "0,5" << "2" << 0.5 << 2.0
            << "Axe des valeurs : Maximum 0,5, Minimum 2 ne peut pas être utilisé tel quel ; "
               "Maximum 2, Minimum 0,5 est utilisé à la place.";
        QTest::newRow("in order") << 0 << false << "100" << "0" << 100.0 << 0.0 << "";
        // The fields are not taken: the graph keeps its scale, and nothing is told.
        QTest::newRow("automatic scale") << 0 << true << "0" << "100" << 50.0 << -50.0 << "";
    }
    void valueAxisBoundsTold()
    {
        QFETCH(int, language);
        QFETCH(bool, automatic);
        QFETCH(QString, maximum);
        QFETCH(QString, minimum);
        QFETCH(double, writtenMaximum);
        QFETCH(double, writtenMinimum);
        QFETCH(QString, told);
        qint16 taal = qint16(language);
        LaadTaal(taal);
        if (language == 1)
            QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        graph(1).AutomatischeSchaal = automatic;
        graph(1).GrafiekMaximum = 50;
        graph(1).GrafiekMinimum = -50;
        withDialog(1, [&](frmGrafiekInstellen *d) {
            field(d, "textGrafiekMaximum")->setText(maximum);
            field(d, "textGrafiekMinimum")->setText(minimum);
            d->CmdOK->click();
        });
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
        QCOMPARE(graph(1).GrafiekMaximum, writtenMaximum);
        QCOMPARE(graph(1).GrafiekMinimum, writtenMinimum);
        QCOMPARE(m_dialogs->messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
    }

    void helpOpensTheGraphSettingsPage()
    {
        withDialog(1, [&](frmGrafiekInstellen *d) { d->CommandHelp->click(); });
        QCOMPARE(HelpWindow::instance().browser()->source().path().section(QLatin1Char('/'), -2),
                 QStringLiteral("en/graph_settings.htm"));
        HelpWindow::instance().hide();
    }

    // The dialog belongs to the graph it opened for: another graph's request only raises it,
    // and when its graph's window goes, it closes as Cancel.
    void boundToItsGraph()
    {
        auto *windowA = new QWidget;
        auto *windowB = new QWidget;
        windowA->show();
        windowB->show();
        ZetAntwoord(1);
        qint16 answerB = 0;
        bool openAfterB = false;
        int numberAfterB = 0;
        frmGrafiekInstellen *first = nullptr;
        bool sameDialog = false;
        const qint16 answerA = withDialog(
            1,
            [&](frmGrafiekInstellen *d) {
                first = d;
                d->TextGraphName->setText(QStringLiteral("Not for B"));
                // A double-click on graph B while the dialog is open for A.
                answerB = ToonGrafiekInstellingen(2, windowB);
                openAfterB = GrafiekInstellenOpen();
                numberAfterB = frmGrafiekInstellen::geopend()->graphNumber();
                sameDialog = frmGrafiekInstellen::geopend() == first;
                QVERIFY(first->isVisible());
                // Graph A closes.
                delete windowA;
                QVERIFY(!GrafiekInstellenOpen());
            },
            windowA);
        QCOMPARE(answerB, 2);
        QVERIFY(openAfterB);
        QCOMPARE(numberAfterB, 1);
        QVERIFY(sameDialog);
        QCOMPARE(answerA, 2);
        QCOMPARE(Antwoord(), 2);
        QCOMPARE(graph(1).caption, StandaardGrafiekTitel(1, false));
        QCOMPARE(graph(2).caption, StandaardGrafiekTitel(2, false));
        QVERIFY(GrafiekInstellenGesloten);
        delete windowB;
    }

    // The graph closes while its line-source dialog is open: both close as Cancel, nothing is
    // written, and the busy flag is down again.
    void graphClosesUnderTheLineSource()
    {
        makeSlot(3, QStringLiteral("Oven"), 2);
        auto *window = new QWidget;
        window->show();
        QPointer<frmGrafiekInstellen> dialog;
        bool sourceWasOpen = false;
        const qint16 answer = withDialog(
            1,
            [&](frmGrafiekInstellen *d) {
                dialog = d;
                QTimer::singleShot(0, qApp, [&] {
                    if (DialogInputGrafiekElement *source = openLineSource()) {
                        sourceWasOpen = true;
                        source->ListInputs->setCurrentIndex(1);
                    }
                    delete window;
                });
                d->MSHFlexCurveLijnen->Klik(1, CurveLijnenGrid::KolomBron);
            },
            window);
        QVERIFY(sourceWasOpen);
        QCOMPARE(answer, 2);
        QVERIFY(!Bezig);
        QCOMPARE(graph(1).LeesGrafiekLijnRef(1, 1), 0);
        QTRY_VERIFY(dialog.isNull());
    }
};

QTEST_MAIN(TestGraphSettingsDialog)
#include "tst_graphsettingsdialog.moc"
