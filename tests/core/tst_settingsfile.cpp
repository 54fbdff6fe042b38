#include "core/defaults.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "core/printsettings.h"
#include "support/language.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cfloat>
#include <optional>

#include "coretestsupport.h"
#include <sys/resource.h>
#include <csignal>

using namespace Hoofdmodule;

namespace {

// A host with a fixed screen, a scripted general settings dialog and counted calls.
class TestHost : public WindowHost {
public:
    TestHost() { WindowHost::install(this); }
    ~TestHost() override { WindowHost::install(nullptr); }
    QSizeF screenTwips() const override { return {28800, 16200}; }
    QSizeF mainClientTwips() const override { return {27000, 14000}; }
    int generalSettingsDialog() override
    {
        ++dialogs;
        return dialogAnswer;
    }
    void graphRead(int g) override { graphsRead << g; }
    void deviceRead(int d) override { devicesRead << d; }
    int dialogAnswer = 1;
    int dialogs = 0;
    QList<int> graphsRead;
    QList<int> devicesRead;
};


void resetAll()
{
    ResetToestellen();
    for (int d = 1; d <= MaxToestellen; ++d)
        Toestel[d].Relais.clear();
    WindowSettings::reset();
    AantalGrafieken = 0;
    GekozenNummer = 0;
    SeriePoort = QStringLiteral("COM1");
    Baudrate = QStringLiteral("9600");
    MeetInterval = 1;
    Meetbestandsnaam = QStringLiteral("/data/Untitled.csv");
    StartLoggen = LaadBestand = StartLoggenOpTijd = StopLoggenOpTijd = false;
    StartTijd = QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0));
    StopTijd = QDateTime();
    ToonCodeZenden = ToonCodeOntvangen = false;
    BestandOpCommando = false;
    InstellingenGewijzigd = false;
    CommInitOverslaan = false;
    LaatsteAntwoord = 0;
    TaalIndex = 0;
    qint16 english = 0;
    LaadTaal(english);
    Printerkode::MargeLinks = Printerkode::MargeRechts = 1;
    Printerkode::PrintLettertype.clear();
    SettingsFileState::damagedFile.clear();
}

// The settings file as it was before a save: 14,884 bytes of the user's configuration.
QByteArray oldSettingsFile()
{
    QByteArray old;
    for (int n = 0; old.size() < 14884; ++n)
        old += "ColumnWidth" + QByteArray::number(n) + "=1200\r\n";
    old.truncate(14884);
    return old;
}

void configureFull()
{
    SeriePoort = QStringLiteral("COM3");
    Baudrate = QStringLiteral("19200");
    MeetInterval = 40000;
    WindowSettings::mainWindow = {2, 1200, 1500.5f, 9000, 12000};
    Meetbestandsnaam = QString::fromUtf8("/data/Température €/run_#date#.csv");
    StartLoggen = LaadBestand = StartLoggenOpTijd = true;
    StartTijd = QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26));
    StopTijd = QDateTime(QDate(2026, 3, 15), QTime(0, 0));

    ToestelGegevens &oven = Toestel[2];
    oven.Naam = QStringLiteral(" Oven 1 ");
    oven.Type = QStringLiteral("T542    ");
    oven.Idno = 12;
    oven.Kanalen = 2;
    oven.Actief = true;
    oven.Kanaal[1].Naam = QString::fromUtf8("Température");
    oven.Kanaal[2].Naam = QStringLiteral("Humidity");
    RackWindowSettings &rack = WindowSettings::rack[2];
    rack.visible = true;
    rack.placement = {0, 100, 200, 3000, 4000.25f};
    rack.channelLabelFonts[0].size = 8.25f;
    rack.channelLabelFonts[0].bold = true;
    rack.channelLabelFonts[1].name = QStringLiteral("Arial");
    rack.channelLabelFonts[1].colour = 255;
    rack.channelLabelFonts[3].italic = rack.channelLabelFonts[3].underline = true;

    ToestelGegevens &spare = Toestel[5];
    spare.Naam = QStringLiteral("Spare");
    spare.Type = QStringLiteral("T512");
    spare.Idno = 0; // outside 1..999: a block without window lines
    spare.Kanalen = 4;
    spare.Actief = false;

    GraphSettings &g1 = WindowSettings::graph[1];
    g1.GrafiekIndex = 1;
    g1.visible = true;
    g1.caption = QStringLiteral("Oven temperature");
    g1.placement = {0, 300, 400, 5000, 6000};
    g1.TitelWaardenas = QString::fromUtf8("°C");
    g1.TitelTijdsas = QStringLiteral("Time");
    g1.AutomatischeSchaal = false;
    g1.GrafiekMinimum = -12.5;
    g1.GrafiekMaximum = 250.75;
    g1.AlarmHoog = true;
    g1.AlarmHoogWaarde = 200.1;
    g1.LegendeKeuze = true;
    g1.LabelKeuze = 1;
    g1.SchrijfGrafiekLijnRef(1, 1, 2);
    g1.SchrijfGrafiekLijnRef(1, 2, 1);
    g1.SchrijfGrafiekLijnRef(1, 3, 1);
    g1.SchrijfGrafiekLijnRef(2, 1, 2);
    g1.SchrijfGrafiekLijnRef(2, 2, 2);
    g1.SchrijfGrafiekLijnRef(2, 5, -1);
    g1.ZetDiagramKleur(3, 0x0080FF);

    GraphSettings &g3 = WindowSettings::graph[3];
    g3.GrafiekIndex = 3;
    g3.visible = true;
    g3.caption = QStringLiteral("XY-recorder 3");
    g3.placement = {1, 500, 600, 4000, 5000};
    g3.XYrecorder = true;
    g3.AfdrukkenRecorder = true;
    g3.RecorderTussentijd = 90000;
    g3.MaxGrafiekZichtbaar = 300;

    TerminalSettings &t = WindowSettings::terminal;
    t.placement = {0, 50, 60, 2000, 3000};
    t.font.size = 10;
    t.font.bold = true;
    t.menuChecked = true;
    ToonCodeZenden = true;
    ToonCodeOntvangen = false;

    TableSettings &table = WindowSettings::table;
    table.TabelTonen = true;
    table.placement = {0, 0, 0, 6000, 9000};
    table.grids[1].font.size = 9.75f;
    table.grids[1].font.name = QStringLiteral("Courier New");
    table.grids[1].columnWidths[13] = 2500;
    table.grids[30].columnWidths[0] = 700;
}

// Qt's write buffer: a file up to this size reaches the disk only when the file is flushed.
constexpr int qtWriteBuffer = 16384;

// A configuration whose file outgrows that buffer, as a dozen graphs make it.
void configureLarge()
{
    configureFull();
    for (int g = 1; g <= MaxGrafieken && InstellingenTekst().size() <= 25000; ++g)
        WindowSettings::graph[size_t(g)].GrafiekIndex = g;
}



QByteArray lines(const char *text)
{
    // Test files are written with "\n" and read as the program writes them, with CR LF.
    return QByteArray(text).replace("\n", "\r\n");
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Clock::install(&m_clock);
    }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        resetAll();
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path() + QStringLiteral("/Data");
    }

    void golden_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("en_US bare") << "en_US" << false << "settings_en_US_bare.cfg";
        QTest::newRow("en_US slots and graphs") << "en_US" << true << "settings_en_US_full.cfg";
        QTest::newRow("nl_NL bare") << "nl_NL" << false << "settings_nl_NL_bare.cfg";
        QTest::newRow("nl_NL slots and graphs") << "nl_NL" << true << "settings_nl_NL_full.cfg";
    }
    void golden()
    {
        QFETCH(QString, locale);
        QFETCH(bool, full);
        QFETCH(QString, fixture);
        QLocale::setDefault(QLocale(locale));
        if (locale.startsWith(QLatin1String("nl"))) {
            qint16 dutch = 2;
            LaadTaal(dutch);
        }
        if (full)
            configureFull();
        const QString path = QStringLiteral(QLV2_FIXTURES "/") + fixture;
        const QByteArray written = InstellingenTekst();
        if (qEnvironmentVariableIsSet("QLV2_WRITE_FIXTURES"))
            QVERIFY(writeBytes(path, written));
        const QByteArray expected = readFile(path);
        QVERIFY2(!expected.isEmpty(), qPrintable(path));
        QCOMPARE(written, expected);
    }

    // Whatever was written reads back to the same model, and that model writes the same bytes.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("nl_NL") << "nl_NL";
        QTest::newRow("C") << "C";
    }
    void roundTrip()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        TestHost host;
        ScriptedDialogProvider dialogs;
        configureFull();
        // The writer's validity test stores 1000 for a number outside 1..999; start from there
        // so that the second write can be compared byte for byte.
        Toestel[5].Idno = 1000;
        const QString path = m_dir.filePath(QStringLiteral("round.cfg"));
        InstellingenGewijzigd = true;
        QVERIFY(SchrijfInstellingen(path));
        QVERIFY(!InstellingenGewijzigd);
        const QByteArray first = readFile(path);

        const TableSettings table = WindowSettings::table;
        const TerminalSettings terminal = WindowSettings::terminal;
        const RackWindowSettings rack = WindowSettings::rack[2];
        const GraphSettings g1 = WindowSettings::graph[1];
        GraphSettings g3 = WindowSettings::graph[3];
        const QDateTime start = StartTijd;
        const QDateTime stop = StopTijd;
        resetAll();
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);

        QCOMPARE(SeriePoort, QStringLiteral("COM3"));
        QCOMPARE(Baudrate, QStringLiteral("19200"));
        QCOMPARE(MeetInterval, 40000);
        QCOMPARE(Meetbestandsnaam, QString::fromUtf8("/data/Température €/run_#date#.csv"));
        QVERIFY(StartLoggen && LaadBestand && StartLoggenOpTijd && !StopLoggenOpTijd);
        QCOMPARE(StartTijd, start);
        QCOMPARE(StopTijd, stop);
        QCOMPARE(WindowSettings::mainWindow, (WindowPlacement{2, 1200, 1500.5f, 9000, 12000}));
        QCOMPARE(Toestel[2].Naam, QStringLiteral("Oven 1"));
        QCOMPARE(Toestel[2].Type, QStringLiteral("T542"));
        QCOMPARE(Toestel[2].Idno, 12);
        QCOMPARE(Toestel[2].Kanalen, qint16(2));
        QCOMPARE(Toestel[2].Kanaal[1].Naam, QString::fromUtf8("Température"));
        QCOMPARE(Toestel[2].Kanaal[3].Naam, QStringLiteral("CH3"));
        QCOMPARE(WindowSettings::rack[2], rack);
        QCOMPARE(Toestel[5].Type, QStringLiteral("T512"));
        QCOMPARE(Toestel[5].Idno, 1000);
        QVERIFY(!Toestel[5].Actief);
        QVERIFY(!WindowSettings::rack[5].visible);
        // Graphs 1 and 3 come back as 1 and 2.
        QCOMPARE(AantalGrafieken, qint16(2));
        QCOMPARE(host.graphsRead, (QList<int>{1, 2}));
        QCOMPARE(WindowSettings::graph[1], g1);
        g3.GrafiekIndex = 2;
        QCOMPARE(WindowSettings::graph[2], g3);
        QCOMPARE(WindowSettings::graph[3].GrafiekIndex, qint16(0));
        QCOMPARE(WindowSettings::terminal, terminal);
        QVERIFY(ToonCodeZenden);
        QVERIFY(!ToonCodeOntvangen);
        QCOMPARE(WindowSettings::table, table);
        QVERIFY(!InstellingenGewijzigd);

        QVERIFY(SchrijfInstellingen(path));
        QCOMPARE(readFile(path), first);
        QVERIFY(dialogs.requests().isEmpty());
    }

    void readerEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("check");
        QTest::newRow("lower-case headers count outside [FILE]")
            << lines("[communication]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n[end]\n")
            << "port COM4";
        QTest::newRow("[FILE] ended by an exact header")
            << lines("[FILE]\nName=/x/a.csv\nStartLog=True\nLoadFile=True\n[DEVICE]\nNumber=3\n"
                     "Name=Kiln\nType=T512\nIdno=7\nChannels=1\nActive=True\nChannel1=A\n"
                     "Channel2=B\nChannel3=C\nChannel4=D\nShowWindow=True\n")
            << "file three lines, device 3";
        QTest::newRow("[FILE] not ended by a lower-case header")
            << lines("[FILE]\nName=/x/a.csv\nStartLog=True\nLoadFile=True\n[device]\nx\ny\n"
                     "[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n\n")
            << "port COM4, no device";
        QTest::newRow("a header as the last line is not applied")
            << lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n[GRAPHICS]\n")
            << "no graph";
        QTest::newRow("a file of one header")
            << QByteArray("[COMMUNICATION]") << "port COM1";
        QTest::newRow("device number outside 1..31 is skipped whole")
            << lines("[DEVICE]\nNumber=40\nName=X\nType=T512\nIdno=7\nChannels=1\nActive=True\n"
                     "A\nB\nC\nD\n[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n\n")
            << "port COM4, no device";
        QTest::newRow("unknown model: the slot is invalid")
            << lines("[DEVICE]\nNumber=3\nName=X\nType=T999\nIdno=7\nChannels=1\nActive=True\n"
                     "A\nB\nC\nD\nShowWindow=True\n[COMMUNICATION]\nSerialPort=COM4\n"
                     "Baudrate=4800\nInterval=5\n\n")
            << "port COM4, device 3 invalid";
        QTest::newRow("interval above 32767 s")
            << lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=86400\n\n")
            << "interval 86400";
        QTest::newRow("interval beyond a day")
            << lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=86401\n\n")
            << "interval 1";
        QTest::newRow("graph line 40 is ignored")
            << lines("[GRAPHICS]\n[LINE40]\nDevice=3\n[LINE2]\nDevice=4\nInput=9\nColour=255\n"
                     "[VALUE AXIS]\nmin=-5\n[END]\n\n")
            << "graph line 2 only";
        QTest::newRow("graph block without [END] takes the rest")
            << lines("[GRAPHICS]\n[WINDOW]\nTop=5\n[COMMUNICATION]\nSerialPort=COM4\nx\ny\n\n")
            << "graph, port COM1";
        QTest::newRow("33 graph blocks")
            << QByteArray(lines("[GRAPHICS]\n[END]\n")).repeated(33) +
                   lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n\n")
            << "32 graphs, port COM4";
        QTest::newRow("terminal echo switches")
            << lines("[TERMINAL]\nState=0\nTop=1\nLeft=1\nHeight=100\nWidth=100\nFontSize=9\n"
                     "FontBold=False\nFontItalic=False\nFontStrikeThrough=False\n"
                     "FontUnderline=False\nShowCodeSend=False\nShowCodeReceive=True\n"
                     "ShowWindow=True\n\n")
            << "receive echo";
        QTest::newRow("device block cut before its channel count")
            << lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n[DEVICE]\n"
                     "Number=3\nName=Kiln\nType=T512\nIdno=7")
            << "device 3 no controller";
        QTest::newRow("device block cut after its channel count")
            << lines("[DEVICE]\nNumber=3\nName=Kiln\nType=T512\nIdno=7\nChannels=2\nActive")
            << "device 3 with two channels";
        QTest::newRow("fast baud rate")
            << lines("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=115200\nInterval=5\n\n")
            << "baud 115200";
        QTest::newRow("line ends of LF alone")
            << QByteArray("[COMMUNICATION]\nSerialPort=COM4\nBaudrate=4800\nInterval=5\n\n")
            << "port COM4";
    }
    void readerEdgeCases()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, check);
        TestHost host;
        ResetToestellen();
        LeesInstellingenUitTekst(file);
        if (check == "port COM4") {
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
            QCOMPARE(Baudrate, QStringLiteral("4800"));
        } else if (check == "port COM1") {
            QCOMPARE(SeriePoort, QStringLiteral("COM1"));
        } else if (check == "file three lines, device 3") {
            QCOMPARE(Meetbestandsnaam, QStringLiteral("/x/a.csv"));
            QVERIFY(StartLoggen && LaadBestand);
            QVERIFY(ToestelGeldig(3));
            QCOMPARE(Toestel[3].Naam, QStringLiteral("Kiln"));
            QCOMPARE(Toestel[3].Kanaal[4].Naam, QStringLiteral("D"));
            QVERIFY(WindowSettings::rack[3].visible);
            // The geometry is missing: the window gets the default placement.
            QCOMPARE(WindowSettings::rack[3].placement, WindowPlacement());
        } else if (check == "port COM4, no device") {
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
            QVERIFY(host.devicesRead.isEmpty());
        } else if (check == "no graph") {
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
            QCOMPARE(AantalGrafieken, qint16(0));
        } else if (check == "port COM4, device 3 invalid") {
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
            QVERIFY(!ToestelGeldig(3));
            QVERIFY(Toestel[3].Type.isEmpty());
            QVERIFY(!WindowSettings::rack[3].visible);
        } else if (check == "interval 86400") {
            QCOMPARE(MeetInterval, 86400);
        } else if (check == "interval 1") {
            QCOMPARE(MeetInterval, 1);
        } else if (check == "graph line 2 only") {
            const GraphSettings &g = WindowSettings::graph[1];
            QCOMPARE(AantalGrafieken, qint16(1));
            QCOMPARE(g.GrafiekIndex, qint16(1));
            for (int n = 1; n <= MaxGrafiekLijnen; ++n)
                QCOMPARE(g.LeesGrafiekLijnRef(n, 1), qint16(n == 2 ? 4 : 0));
            QCOMPARE(g.LeesGrafiekLijnRef(2, 2), qint16(0)); // channel 9 is no source
            QCOMPARE(g.GrafiekKleur(4), 255);
            QCOMPARE(g.GrafiekMinimum, -5.0);
        } else if (check == "graph, port COM1") {
            QCOMPARE(AantalGrafieken, qint16(1));
            QCOMPARE(WindowSettings::graph[1].placement.top, 5.0f);
            QCOMPARE(SeriePoort, QStringLiteral("COM1"));
        } else if (check == "32 graphs, port COM4") {
            QCOMPARE(AantalGrafieken, qint16(32));
            QCOMPARE(host.graphsRead.size(), 32);
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
        } else if (check == "device 3 no controller") {
            QCOMPARE(SeriePoort, QStringLiteral("COM4"));
            QVERIFY(!ToestelGeldig(3));
            QVERIFY(Toestel[3].Type.isEmpty());
            QVERIFY(!WindowSettings::rack[3].visible);
            QVERIFY(!InstellingenTekst().contains("[DEVICE]"));
        } else if (check == "device 3 with two channels") {
            QVERIFY(ToestelGeldig(3));
            QCOMPARE(Toestel[3].Kanalen, qint16(2));
            QVERIFY(InstellingenTekst().contains("Channels=2\r\n"));
        } else if (check == "baud 115200") {
            QCOMPARE(Baudrate, QStringLiteral("115200"));
        } else if (check == "receive echo") {
            QVERIFY(!ToonCodeZenden);
            QVERIFY(ToonCodeOntvangen);
            QVERIFY(WindowSettings::terminal.menuChecked);
            QCOMPARE(WindowSettings::terminal.font.size, 9.0f);
        } else {
            QFAIL("unknown check");
        }
    }

    void scheduleTimes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("kept");
        QTest::newRow("date and time") << "en_US" << "3/14/2026 3:09:26 PM" << true;
        QTest::newRow("date alone") << "en_US" << "3/14/2026" << true;
        QTest::newRow("empty") << "en_US" << "" << false;
        QTest::newRow("no date") << "en_US" << "soon" << false;
        QTest::newRow("zero date, 12-hour") << "en_US" << "12:00:00 AM" << false;
        QTest::newRow("zero date, 24-hour") << "nl_NL" << "00:00:00" << false;
        QTest::newRow("nl date") << "nl_NL" << "14-03-2026 15:09:26" << true;
        // Written under another locale: read as a data file's record times are.
        QTest::newRow("C form under nl_NL") << "nl_NL" << "14 Mar 2026 15:09:26" << true;
        QTest::newRow("en_US form under nl_NL") << "nl_NL" << "3/14/2026 3:09:26 PM" << true;
        QTest::newRow("nl form under en_US") << "en_US" << "14-03-2026 15:09:26" << true;
        QTest::newRow("fr date alone under C") << "C" << "14/03/2026" << true;
        QTest::newRow("ISO under fr_FR") << "fr_FR" << "2026-03-14 15:09:26" << true;
        QTest::newRow("zero date, 12-hour, under nl_NL") << "nl_NL" << "12:00:00 AM" << false;
    }
    void scheduleTimes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, value);
        QFETCH(bool, kept);
        QLocale::setDefault(QLocale(locale));
        const QByteArray file = lines("[FILE]\nName=/x/a.csv\nStartLog=False\nLoadFile=True\n"
                                      "StartLogOnTime=True\nStopLogOnTime=True\nStartTime=") +
                                value.toLatin1() + "\r\nStopTime=\r\n\r\n";
        LeesInstellingenUitTekst(file);
        QCOMPARE(StartLoggenOpTijd, kept);
        QVERIFY(!StopLoggenOpTijd);
        QCOMPARE(StopTijd, m_clock.now());
        if (kept)
            QCOMPARE(StartTijd, QDateTime(QDate(2026, 3, 14),
                                          value.contains(u':') ? QTime(15, 9, 26) : QTime(0, 0)));
        else
            QCOMPARE(StartTijd, m_clock.now());
    }

    void dataFileName_data()
    {
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<QString>("loadFile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kept") << false << "True" << "/x/a.csv";
        QTest::newRow("LoadFile=False: untitled in the data folder") << false << "False" << "untitled";
        QTest::newRow("command line keeps its name") << true << "False" << "/cmd/b.csv";
    }
    void dataFileName()
    {
        QFETCH(bool, fromCommandLine);
        QFETCH(QString, loadFile);
        QFETCH(QString, expected);
        TestHost host;
        ScriptedDialogProvider dialogs; // a file of one section is reported as damaged
        BestandOpCommando = fromCommandLine;
        Meetbestandsnaam = QStringLiteral("/cmd/b.csv");
        const QString path = m_dir.filePath(QStringLiteral("name.cfg"));
        QVERIFY(writeBytes(path, lines("[FILE]\nName=/x/a.csv\nStartLog=True\nLoadFile=") +
                                    loadFile.toLatin1() + "\r\n\r\n"));
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        if (expected == "untitled")
            QCOMPARE(Meetbestandsnaam, QDir(DataMap).absoluteFilePath("Untitled.csv"));
        else
            QCOMPARE(Meetbestandsnaam, expected);
        QCOMPARE(StartLoggen, !fromCommandLine);
    }

    void placement_data()
    {
        QTest::addColumn<WindowPlacement>("stored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("inside") << WindowPlacement{0, 100, 100, 3000, 3000} << true;
        QTest::newRow("minimised inside") << WindowPlacement{1, -60, -60, 61, 61} << true;
        QTest::newRow("far above") << WindowPlacement{0, -61, 100, 3000, 3000} << false;
        QTest::newRow("below the area") << WindowPlacement{0, 14000, 100, 3000, 3000} << false;
        QTest::newRow("too narrow") << WindowPlacement{0, 100, 100, 3000, 60} << false;
        QTest::newRow("maximised anywhere") << WindowPlacement{2, -5000, 99999, 0, 0} << true;
    }
    void placement()
    {
        QFETCH(WindowPlacement, stored);
        QFETCH(bool, kept);
        QCOMPARE(ControleerPlaatsing(stored, QSizeF(27000, 14000)),
                 kept ? stored : WindowPlacement());
    }

    // Texts outside Windows-1252 survive the file: it is then written as UTF-8 behind a
    // byte-order mark. A file whose texts all fit stays Windows-1252, byte for byte.
    void textsOutsideTheCodePage_data()
    {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("controller");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("graph");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("all in the code page")
            << QString::fromUtf8("/home/jos\xC3\xA9/\xE2\x82\xAC.csv") << QStringLiteral("Oven")
            << QString::fromUtf8("Temp\xC3\xA9rature") << QStringLiteral("G") << false;
        QTest::newRow("home folder")
            << QString::fromUtf8("/home/\xC5\x82ukasz/run.csv") << QStringLiteral("Oven")
            << QStringLiteral("CH1") << QStringLiteral("G") << true;
        QTest::newRow("controller") << QStringLiteral("/data/run.csv")
                                    << QString::fromUtf8("Piec \xCE\xA9") << QStringLiteral("CH1")
                                    << QStringLiteral("G") << true;
        QTest::newRow("channel") << QStringLiteral("/data/run.csv") << QStringLiteral("Oven")
                                 << QString::fromUtf8("Ci\xC5\x9Bnienie") << QStringLiteral("G")
                                 << true;
        QTest::newRow("graph beyond the BMP")
            << QStringLiteral("/data/run.csv") << QStringLiteral("Oven") << QStringLiteral("CH1")
            << QString::fromUtf8("Piec \xF0\x9F\x94\xA5") << true;
    }
    void textsOutsideTheCodePage()
    {
        QFETCH(QString, dataFile);
        QFETCH(QString, controller);
        QFETCH(QString, channel);
        QFETCH(QString, graph);
        QFETCH(bool, utf8);
        TestHost host;
        configureT542Slots({4});
        Meetbestandsnaam = dataFile;
        LaadBestand = true;
        StopTijd = QDateTime(QDate(2026, 2, 1), QTime(9, 0)); // the zero date reads back as now
        Toestel[4].Naam = controller;
        Toestel[4].Kanaal[1].Naam = channel;
        WindowSettings::graph[1].GrafiekIndex = 1;
        WindowSettings::graph[1].caption = graph;
        const QString path = m_dir.filePath(QStringLiteral("texts.cfg"));
        QVERIFY(SchrijfInstellingen(path));
        const QByteArray bytes = readFile(path);
        QCOMPARE(FileText::hasUtf8Bom(bytes), utf8);
        QVERIFY(!bytes.contains('?'));
        if (!utf8)
            QVERIFY(bytes.contains("/home/jos\xE9/\x80.csv\r\n")); // one byte a character

        resetAll();
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        QCOMPARE(Meetbestandsnaam, dataFile);
        QCOMPARE(Toestel[4].Naam, controller);
        QCOMPARE(Toestel[4].Kanaal[1].Naam, channel);
        QCOMPARE(WindowSettings::graph[1].caption, graph);
        QVERIFY(SchrijfInstellingen(path));
        QCOMPARE(readFile(path), bytes);
    }

    // A file written before texts outside the code page were kept (no byte-order mark) is read
    // as Windows-1252, and written again it is the same file.
    void oldFileReadAndRewrittenAsItWas_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("en_US") << "en_US" << "settings_en_US_full.cfg";
        QTest::newRow("nl_NL") << "nl_NL" << "settings_nl_NL_full.cfg";
    }
    void oldFileReadAndRewrittenAsItWas()
    {
        QFETCH(QString, locale);
        QFETCH(QString, fixture);
        QLocale::setDefault(QLocale(locale));
        TestHost host;
        const QString path = QStringLiteral(QLV2_FIXTURES "/") + fixture;
        QByteArray old = readFile(path);
        QVERIFY(!old.isEmpty());
        QVERIFY(!FileText::hasUtf8Bom(old));
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        QCOMPARE(Meetbestandsnaam, QString::fromUtf8("/data/Temp\xC3\xA9rature \xE2\x82\xAC/run_#date#.csv"));
        QCOMPARE(Toestel[2].Kanaal[1].Naam, QString::fromUtf8("Temp\xC3\xA9rature"));
        // The one change is the reader's own: a number outside 1..999 is stored as 1000.
        old.replace("Idno=0\r\n", "Idno=1000\r\n");
        QCOMPARE(InstellingenTekst(), old);
    }

    // The largest single a window size or font size can hold reads back as itself.
    void largestSingleRoundTrips()
    {
        TestHost host;
        GraphSettings &g = WindowSettings::graph[1];
        g.GrafiekIndex = 1;
        g.placement.width = FLT_MAX;
        g.placement.height = -FLT_MAX;
        WindowSettings::table.grids[0].font.size = FLT_MAX;
        const QString path = m_dir.filePath(QStringLiteral("largest.cfg"));
        QVERIFY(SchrijfInstellingen(path));
        resetAll();
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        QCOMPARE(WindowSettings::graph[1].placement.width, FLT_MAX);
        QCOMPARE(WindowSettings::graph[1].placement.height, -FLT_MAX);
        QCOMPARE(WindowSettings::table.grids[0].font.size, FLT_MAX);
    }

    // What a reload resets: a file read after another holds only its own graphs and values.
    void readingAgainStartsAfresh()
    {
        TestHost host;
        ScriptedDialogProvider dialogs; // the bare file, of one section, is reported as damaged
        configureFull();
        const QString full = m_dir.filePath(QStringLiteral("full.cfg"));
        QVERIFY(SchrijfInstellingen(full));
        const QString bare = m_dir.filePath(QStringLiteral("bare.cfg"));
        QVERIFY(writeBytes(bare, lines("[DEVICE]\nNumber=4\nName=Kiln\nType=T512\nIdno=7\n"
                                       "Channels=1\nActive=True\nA\nB\nC\nD\nShowWindow=False\n\n")));
        resetAll();
        for (int round = 0; round < 2; ++round) {
            ResetToestellen();
            resetReadSettings();
            QCOMPARE(LeesInstellingen(full), SettingsReadResult::Read);
            QCOMPARE(AantalGrafieken, qint16(2));
            QCOMPARE(InstellingenTekst().count("[GRAPHICS]"), 2);
        }
        ResetToestellen();
        resetReadSettings();
        QCOMPARE(LeesInstellingen(bare), SettingsReadResult::Read);
        QCOMPARE(AantalGrafieken, qint16(0));
        const QByteArray text = InstellingenTekst();
        QVERIFY(!text.contains("[GRAPHICS]"));
        QCOMPARE(text.count("[DEVICE]"), 1);
        QCOMPARE(SeriePoort, QStringLiteral("COM1"));
        QCOMPARE(Baudrate, QStringLiteral("9600"));
        QCOMPARE(MeetInterval, 1);
        QVERIFY(!StartLoggenOpTijd && !ToonCodeZenden);
        QVERIFY(!LaadBestand);
        QCOMPARE(WindowSettings::terminal, TerminalSettings());
        QCOMPARE(WindowSettings::table, TableSettings());
        QCOMPARE(WindowSettings::rack[2], RackWindowSettings());
    }

    void numbersInTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("text");
        QTest::newRow("8.25 en") << "en_US" << 8.25 << true << "8.25";
        QTest::newRow("8.25 nl") << "nl_NL" << 8.25 << true << "8,25";
        QTest::newRow("0.1 single, not its double") << "en_US" << 0.1 << true << "0.1";
        QTest::newRow("no group separator") << "en_US" << 1234567.0 << false << "1234567";
        QTest::newRow("negative double") << "nl_NL" << -12.5 << false << "-12,5";
        QTest::newRow("huge") << "en_US" << 1e300 << false << "1e+300";
    }
    void numbersInTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(bool, single);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(single ? InstellingGetal(float(value)) : InstellingGetal(value), text);
    }

    void failedWriteKeepsTheOldFile()
    {
        TestHost host;
        ScriptedDialogProvider dialogs;
        configureFull();
        const QString path = m_dir.filePath(QStringLiteral("keep.cfg"));
        QVERIFY(writeBytes(path, "old contents\r\n"));
        InstellingenGewijzigd = true;
        {
            FileSizeLimit limit(1000);
            QVERIFY(!SchrijfInstellingen(path));
        }
        QCOMPARE(readFile(path), QByteArray("old contents\r\n"));
        QVERIFY(InstellingenGewijzigd);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY(dialogs.messageTexts().first().contains(path));
        QVERIFY(dialogs.messageTexts().first().startsWith("An error occurred when writing"));
    }

    void saveCommand_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("written") << true;
        QTest::newRow("missing folder") << false;
    }
    void saveCommand()
    {
        QFETCH(bool, folderExists);
        TestHost host;
        ScriptedDialogProvider dialogs;
        InstellingenBestandsnaam =
            m_dir.filePath(folderExists ? QStringLiteral("a.cfg") : QStringLiteral("gone/a.cfg"));
        InstellingenGewijzigd = true;
        QCOMPARE(saveSettingsCommand(), folderExists);
        QCOMPARE(InstellingenGewijzigd, !folderExists);
        QCOMPARE(QFile::exists(InstellingenBestandsnaam), folderExists);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QCOMPARE(dialogs.messageTexts().first().startsWith("Settings saved!"), folderExists);
    }

    void saveAs_data()
    {
        QTest::addColumn<QString>("answer"); // the file dialog's choice
        QTest::addColumn<int>("overwrite");  // answer to the overwrite question, 0: none asked
        QTest::addColumn<bool>("fails");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel") << "" << 0 << false << false;
        QTest::newRow("new file") << "new.cfg" << 0 << false << true;
        QTest::newRow("existing, yes") << "existing.cfg" << int(MsgBox::Yes) << false << true;
        QTest::newRow("existing, no") << "existing.cfg" << int(MsgBox::No) << false << false;
        QTest::newRow("existing, yes, write fails") << "existing.cfg" << int(MsgBox::Yes) << true
                                                    << false;
    }
    void saveAs()
    {
        QFETCH(QString, answer);
        QFETCH(int, overwrite);
        QFETCH(bool, fails);
        QFETCH(bool, saved);
        TestHost host;
        ScriptedDialogProvider dialogs;
        configureFull();
        Toestel[5].Idno = 1000;
        const QString old = m_dir.filePath(QStringLiteral("current.cfg"));
        const QString existing = m_dir.filePath(QStringLiteral("existing.cfg"));
        QVERIFY(writeBytes(existing, "keep me\r\n"));
        QFile::remove(m_dir.filePath(QStringLiteral("new.cfg")));
        InstellingenBestandsnaam = old;
        Registry::write(RegisterNaam, "Settings", "FileNameSettings", old);
        const QString target = answer.isEmpty() ? QString() : m_dir.filePath(answer);
        dialogs.answerFile(target);
        if (overwrite)
            dialogs.answerMessage(overwrite);
        bool result;
        {
            std::optional<FileSizeLimit> limit;
            if (fails)
                limit.emplace(1000);
            result = saveSettingsAsCommand();
        }
        QCOMPARE(result, saved);
        QCOMPARE(InstellingenBestandsnaam, saved ? target : old);
        QCOMPARE(Registry::read(RegisterNaam, "Settings", "FileNameSettings"),
                 saved ? target : old);
        if (saved)
            QCOMPARE(readFile(target), InstellingenTekst());
        // The chosen file is never lost: replaced whole or left as it was.
        if (!saved && answer == "existing.cfg")
            QCOMPARE(readFile(existing), QByteArray("keep me\r\n"));
        QVERIFY(!QFile::exists(old));
    }

    void settingsFileChoice_data()
    {
        QTest::addColumn<QString>("stored"); // "" none, otherwise relative to the folder
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("empty registry") << "" << false << false;
        QTest::newRow("missing file") << "other.cfg" << false << false;
        QTest::newRow("existing file") << "other.cfg" << true << true;
        QTest::newRow("doubled separators") << "sub//other.cfg" << true << true;
    }
    void settingsFileChoice()
    {
        QFETCH(QString, stored);
        QFETCH(bool, exists);
        QFETCH(bool, chosen);
        InstellingenMap = m_dir.filePath(QStringLiteral("Settings"));
        Registry::remove(RegisterNaam, "Settings", "FileNameSettings");
        QString clean = stored;
        clean.replace("//", "/");
        QDir().mkpath(m_dir.filePath(QStringLiteral("sub")));
        QFile::remove(m_dir.filePath(clean));
        if (!stored.isEmpty())
            Registry::write(RegisterNaam, "Settings", "FileNameSettings",
                            m_dir.path() + QLatin1Char('/') + stored);
        if (exists)
            QVERIFY(writeBytes(m_dir.filePath(clean), "x"));
        BepaalInstellingenBestand();
        QCOMPARE(InstellingenBestandsnaam,
                 chosen ? m_dir.filePath(clean)
                        : QDir(InstellingenMap).absoluteFilePath(InstellingenBestand));
    }

    void firstStart_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << 1;
        QTest::newRow("Cancel") << 2;
    }
    void firstStart()
    {
        QFETCH(int, answer);
        TestHost host;
        ScriptedDialogProvider dialogs;
        host.dialogAnswer = answer;
        InstellingenBestandsnaam = m_dir.filePath(QStringLiteral("first.cfg"));
        QFile::remove(InstellingenBestandsnaam);
        const SettingsReadResult result = LeesInstellingen(InstellingenBestandsnaam);
        QCOMPARE(host.dialogs, 1);
        if (answer == 2) {
            QCOMPARE(result, SettingsReadResult::Cancelled);
            QCOMPARE(LaatsteAntwoord, qint16(2));
            QVERIFY(!QFile::exists(InstellingenBestandsnaam));
            QVERIFY(!CommInitOverslaan);
            return;
        }
        QCOMPARE(result, SettingsReadResult::Defaults);
        QCOMPARE(LaatsteAntwoord, qint16(1));
        QVERIFY(QFile::exists(InstellingenBestandsnaam));
        QVERIFY(CommInitOverslaan);
        QCOMPARE(WindowSettings::mainWindow, (WindowPlacement{0, 2025, 3600, 12150, 21600}));
        QCOMPARE(Printerkode::MargeLinks, 15.0f);
        QCOMPARE(Printerkode::MargeRechts, 10.0f);
        QCOMPARE(Printerkode::PrintLettertype, QStringLiteral("Arial"));
        QCOMPARE(Meetbestandsnaam, QDir(DataMap).absoluteFilePath("Untitled.csv"));
        QVERIFY(dialogs.requests().isEmpty());
    }

    void unreadableFileIsLeftAlone()
    {
        TestHost host;
        ScriptedDialogProvider dialogs;
        const QString path = m_dir.filePath(QStringLiteral("adir.cfg"));
        QVERIFY(QDir().mkpath(path));
        SeriePoort = QStringLiteral("COM9");
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Unreadable);
        QCOMPARE(LaatsteAntwoord, qint16(2));
        QCOMPARE(host.dialogs, 0);
        QCOMPARE(SeriePoort, QStringLiteral("COM9"));
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY(dialogs.messageTexts().first().contains(path));
    }

    // File > Save settings on a full disk. A file that fits Qt's write buffer reaches the disk
    // only when flushed, a larger one while it is written; either way the old file stays byte
    // for byte, the changes stay unsaved, "Settings saved!" is not said and the user reads that
    // the disk is full, in their language.
    void saveOnAFullDisk_data()
    {
        QTest::addColumn<bool>("large");
        QTest::addColumn<bool>("fullFileSystem"); // else a file-size limit (EFBIG)
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("cause");
        const QString english = "An error occurred when writing the settings to '%1'!";
        const QString englishCause = "The disk is full: %1 cannot be written!";
        const QString dutch = "Er is een fout opgetreden bij het schrijven van de instellingen naar '%1'!";
        const QString dutchCause = "De schijf is vol: %1 kan niet geschreven worden!";
        QTest::newRow("small file, full disk") << false << true << 0 << english << englishCause;
        QTest::newRow("large file, full disk") << true << true << 0 << english << englishCause;
        QTest::newRow("small file, full disk, Dutch") << false << true << 2 << dutch << dutchCause;
        QTest::newRow("large file, full disk, Dutch") << true << true << 2 << dutch << dutchCause;
        QTest::newRow("small file, size limit") << false << false << 0 << english << englishCause;
        QTest::newRow("large file, size limit") << true << false << 0 << english << englishCause;
    }
    void saveOnAFullDisk()
    {
        QFETCH(bool, large);
        QFETCH(bool, fullFileSystem);
        QFETCH(int, language);
        QFETCH(QString, heading);
        QFETCH(QString, cause);
        TestHost host;
        ScriptedDialogProvider dialogs;
        qint16 chosen = qint16(language);
        LaadTaal(chosen);
        if (large)
            configureLarge();
        const int size = int(InstellingenTekst().size());
        QVERIFY2(large ? size > qtWriteBuffer : size < qtWriteBuffer, QByteArray::number(size));

        static int disks = 0;
        const QString folder = m_dir.filePath(QStringLiteral("disk%1").arg(++disks));
        const QString path = folder + QStringLiteral("/Qlv2.CFG");
        const QByteArray old = oldSettingsFile();
        std::optional<FullFileSystem> disk;
        QStringList left{QStringLiteral("Qlv2.CFG")};
        if (fullFileSystem) {
            disk.emplace(folder, 64 * 1024, QList<QPair<QString, QByteArray>>{{"Qlv2.CFG", old}});
            if (!disk->isValid())
                QSKIP("this process may not mount a file system of its own");
            left << QStringLiteral("filler");
        } else {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(writeBytes(path, old));
        }
        InstellingenBestandsnaam = path;
        InstellingenGewijzigd = true;
        bool saved;
        {
            std::optional<FileSizeLimit> limit;
            if (!fullFileSystem)
                limit.emplace(4096);
            saved = saveSettingsCommand();
        }
        QVERIFY(!saved);
        QCOMPARE(readFile(path), old);
        QVERIFY(InstellingenGewijzigd);
        const QStringList texts = dialogs.messageTexts();
        QCOMPARE(texts.size(), 1);
        QCOMPARE(firstLine(texts.first()), heading.arg(path));
        QVERIFY2(texts.first().contains(QStringLiteral("\n\n") + cause.arg(path)),
                 qPrintable(texts.first()));
        // No temporary file is left beside it to fill the disk further.
        QDir dir(folder);
        dir.setSorting(QDir::Name);
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), left);
    }

    // A file that lacks a section the writer always writes was cut short or is no settings file:
    // what it holds is read, and the user is told it is damaged, in their language.
    void damagedFileIsReported_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<int>("language");
        const QByteArray whole = readFile(QStringLiteral(QLV2_FIXTURES "/settings_en_US_full.cfg"));
        const QStringList all = {"[COMMUNICATION]", "[LANGUAGE]", "[MAIN]",
                                 "[FILE]",          "[TERMINAL]", "[TABLE]"};
        QByteArray withoutMain = whole;
        withoutMain.replace("[MAIN]\r\n", "");
        QTest::newRow("whole") << whole << QStringList() << 0;
        QTest::newRow("cut at 2 %") << whole.left(whole.size() * 2 / 100)
                                    << QStringList{"[TERMINAL]", "[TABLE]"} << 0;
        // The file's own language is the one the report is in.
        const QByteArray dutch = readFile(QStringLiteral(QLV2_FIXTURES "/settings_nl_NL_full.cfg"));
        QTest::newRow("cut at 2 %, Dutch") << dutch.left(dutch.size() * 2 / 100)
                                           << QStringList{"[TERMINAL]", "[TABLE]"} << 2;
        QTest::newRow("cut before the table") << whole.left(whole.indexOf("[TABLE]"))
                                              << QStringList{"[TABLE]"} << 0;
        QTest::newRow("no main window") << withoutMain << QStringList{"[MAIN]"} << 0;
        QTest::newRow("empty") << QByteArray() << all << 0;
        QTest::newRow("no settings file") << QByteArray("Time,Value\r\n1,2\r\n") << all << 1;
    }
    void damagedFileIsReported()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, missing);
        QFETCH(int, language);
        TestHost host;
        ScriptedDialogProvider dialogs;
        qint16 chosen = qint16(language);
        LaadTaal(chosen);
        const QString path = m_dir.filePath(QStringLiteral("damaged.cfg"));
        QVERIFY(writeBytes(path, contents));
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        QCOMPARE(readFile(path), contents);
        const QStringList texts = dialogs.messageTexts();
        if (missing.isEmpty()) {
            QVERIFY(texts.isEmpty());
            QVERIFY(SettingsFileState::damagedFile.isEmpty());
            return;
        }
        static const char *const reports[] = {
            "The settings file %1 is damaged (sections missing: %2). What could be read is used, "
            "the rest has its default values; the file is not written over without asking you.",
            "Le fichier de configuration %1 est endommagé (sections manquantes : %2). Ce qui a pu "
            "être lu est utilisé, le reste prend ses valeurs par défaut ; le fichier ne sera pas "
            "écrasé sans vous le demander.",
            "Het instellingenbestand %1 is beschadigd (ontbrekende secties: %2). Wat gelezen kon "
            "worden wordt gebruikt, de rest krijgt de standaardwaarden; het bestand wordt niet "
            "overschreven zonder het u te vragen."};
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts.first(), QString::fromUtf8(reports[language])
                                    .arg(path, missing.join(QStringLiteral(", "))));
        QCOMPARE(SettingsFileState::damagedFile, path);
    }

    // The next save of a damaged file asks before writing over it; No writes nothing and asks
    // again next time. Another file, or the file once written whole, is saved without asking.
    void damagedFileIsSavedOverOnlyAfterYes_data()
    {
        QTest::addColumn<int>("answer"); // to the question; 0: saved as another file
        QTest::newRow("Yes") << int(MsgBox::Yes);
        QTest::newRow("No") << int(MsgBox::No);
        QTest::newRow("saved as another file") << 0;
    }
    void damagedFileIsSavedOverOnlyAfterYes()
    {
        QFETCH(int, answer);
        TestHost host;
        ScriptedDialogProvider dialogs;
        const QByteArray whole = readFile(QStringLiteral(QLV2_FIXTURES "/settings_en_US_full.cfg"));
        const QByteArray cut = whole.left(whole.size() * 2 / 100);
        const QString path = m_dir.filePath(QStringLiteral("cut.cfg"));
        QVERIFY(writeBytes(path, cut));
        InstellingenBestandsnaam = path;
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Read);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        dialogs.clear();
        InstellingenGewijzigd = true;
        const QString saved = QStringLiteral("Settings saved!");

        if (answer == 0) {
            const QString other = m_dir.filePath(QStringLiteral("other.cfg"));
            QFile::remove(other);
            dialogs.answerFile(other);
            QVERIFY(saveSettingsAsCommand());
            QCOMPARE(readFile(other), InstellingenTekst());
            QCOMPARE(readFile(path), cut);
            QCOMPARE(dialogs.messageTexts(), QStringList{saved});
            return;
        }

        const QString question =
            QStringLiteral("The settings file %1 was damaged when it was read. Write the present "
                           "settings over it?").arg(path);
        dialogs.answerMessage(answer);
        const bool written = saveSettingsCommand();
        const QStringList texts = dialogs.messageTexts();
        QVERIFY(!texts.isEmpty());
        QCOMPARE(texts.first(), question);
        QCOMPARE(dialogs.requests().first().flags & 7, MsgBox::YesNo);
        if (answer == MsgBox::Yes) {
            QVERIFY(written);
            QCOMPARE(readFile(path), InstellingenTekst());
            QVERIFY(!InstellingenGewijzigd);
            QVERIFY(SettingsFileState::damagedFile.isEmpty());
            QCOMPARE(texts.size(), 2);
            QVERIFY(texts[1].startsWith(saved));
            // Whole now: the next save asks nothing.
            dialogs.clear();
            InstellingenGewijzigd = true;
            QVERIFY(saveSettingsCommand());
            QCOMPARE(dialogs.messageTexts().size(), 1);
            QVERIFY(dialogs.messageTexts().first().startsWith(saved));
        } else {
            QVERIFY(!written);
            QCOMPARE(readFile(path), cut);
            QVERIFY(InstellingenGewijzigd);
            QCOMPARE(SettingsFileState::damagedFile, path);
            QCOMPARE(texts.size(), 1);
            // The next save asks again.
            dialogs.clear();
            QVERIFY(!saveSettingsCommand());
            QCOMPARE(dialogs.messageTexts(), QStringList{question});
            QCOMPARE(readFile(path), cut);
        }
    }

    // No file is no damage: the defaults are written without a question, even where a damaged
    // file of that name was read before.
    void missingFileIsNoDamage()
    {
        TestHost host;
        ScriptedDialogProvider dialogs;
        const QString path = m_dir.filePath(QStringLiteral("none.cfg"));
        QFile::remove(path);
        InstellingenBestandsnaam = path;
        SettingsFileState::damagedFile = path;
        QCOMPARE(LeesInstellingen(path), SettingsReadResult::Defaults);
        QVERIFY(dialogs.requests().isEmpty());
        QVERIFY(SettingsFileState::damagedFile.isEmpty());
        QVERIFY(QFile::exists(path));
    }

    void registryFonts_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("terminal");
        QTest::newRow("defaults") << false << false;
        QTest::newRow("stored") << true << false;
        QTest::newRow("terminal form") << true << true;
    }
    void registryFonts()
    {
        QFETCH(bool, stored);
        QFETCH(bool, terminal);
        const QString section = QStringLiteral("FontTest");
        for (const char *key : {"Fontname", "Fontsize", "Fontbold", "Fontitalic",
                                "Fontstrikethrough", "Fontunderline", "Fontcolor"})
            Registry::remove(RegisterNaam, section, key);
        if (stored) {
            Registry::write(RegisterNaam, section, "Fontname", "Liberation Sans");
            Registry::write(RegisterNaam, section, "Fontsize", "11,5");
            Registry::write(RegisterNaam, section, "Fontbold", "True");
            Registry::write(RegisterNaam, section, "Fontunderline", "True");
            Registry::write(RegisterNaam, section, "Fontcolor", "255");
        }
        TerminalLettertype = QStringLiteral("Courier New");
        TerminalCursief = true;
        FontSettings font;
        font.colour = 77;
        LeesLettertypeRegister(section, font, terminal);
        FontSettings expected;
        if (stored) {
            expected.name = QStringLiteral("Liberation Sans");
            expected.size = 11.5f;
            expected.bold = expected.underline = true;
            expected.colour = 255;
        }
        if (terminal) {
            expected.name = QStringLiteral("Courier New");
            expected.bold = expected.underline = false;
            expected.italic = true;
            expected.colour = 77;
        }
        TerminalCursief = false;
        QCOMPARE(font, expected);
    }

private:
    ManualClock m_clock{QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0))};
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
