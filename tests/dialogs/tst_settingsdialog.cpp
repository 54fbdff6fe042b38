#include "testsupport.h"

#include "core/defaults.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "mainwindow/settingsdialog.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/messagebox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSerialPort>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

struct SlotPicture {
    QString type, naam;
    qint32 idno;
    qint16 kanalen;
    bool actief;
    QStringList kanaalNamen;
    bool operator==(const SlotPicture &) const = default;
};

QList<SlotPicture> slotTable()
{
    QList<SlotPicture> result;
    for (int s = 1; s <= MaxToestellen; ++s) {
        const ToestelGegevens &t = Toestel[s];
        QStringList names;
        for (int k = 1; k <= MaxKanalen; ++k)
            names << t.Kanaal[size_t(k)].Naam;
        result << SlotPicture{t.Type, t.Naam, t.Idno, t.Kanalen, t.Actief, names};
    }
    return result;
}

// The first start asks the dialog through the window host, as the main window will.
class DialogHost : public WindowHost {
public:
    int generalSettingsDialog() override { return frmInstellen::TonenEnWachten(); }
};

void soon(std::function<void()> action) { QTimer::singleShot(0, qApp, std::move(action)); }

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

    QMainWindow m_main;
    QTemporaryDir m_dir;
    PtyPair m_pty;
    QSerialPort m_port;
    int m_closeFiles = 0;
    int m_reopened = 0;
    int m_mainTexts = 0;
    QMap<int, bool> m_racks;
    BoxAnswerer *m_boxes = nullptr;
    ScriptedDialogProvider *m_system = nullptr;

    QString settingsPath() const { return m_dir.filePath(QStringLiteral("Qlv2.CFG")); }

    QStringList messages() const { return m_boxes->texts + m_system->messageTexts(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY(m_dir.isValid());
        QVERIFY(m_pty.ok());
        MainLink::setMainWindow(&m_main);
        m_main.resize(640, 480);
        m_main.show();

        SettingsDialogHooks &h = settingsDialogHooks();
        h.portOpen = [this] { return m_port.isOpen(); };
        h.closePort = [this] { m_port.close(); };
        h.scanPorts = [] { return QStringList{"COM3", "COM7", "COM100"}; };
        h.portDevice = [this](const QString &port) {
            if (port == QLatin1String("COM7"))
                return m_pty.slavePath();
            if (port == QLatin1String("COM3"))
                return QStringLiteral("/nonexistent/ttyS2");
            return QString();
        };
        h.initPort = [this] {
            LoggenActief = false;
            m_port.setPortName(settingsDialogHooks().portDevice(SeriePoort));
            m_port.setBaudRate(Baudrate.toInt());
        };
        h.openPort = [this] {
            if (m_port.isOpen() || m_port.open(QIODevice::ReadWrite))
                return true;
            TonenMelding(Taaltekst(152) + SeriePoort + QStringLiteral("' !"),
                         MsgBox::OkOnly | MsgBox::Exclamation, QStringLiteral("RS232"));
            LoggenActief = false;
            return false;
        };
        h.closeFiles = [this] { ++m_closeFiles; };
        h.reopenDataFile = [this] { ++m_reopened; };
        h.mainTexts = [this] { ++m_mainTexts; };
        h.rackWindow = [this](int slot, bool shown) { m_racks[slot] = shown; };
    }

    void init()
    {
        m_boxes = new BoxAnswerer;
        m_system = new ScriptedDialogProvider;
        RegisterNaam = QStringLiteral("QLV2-DIALOGTEST");
        Registry::remove(RegisterNaam, QStringLiteral("Settings"), QStringLiteral("TabConfiguration"));
        QFile::remove(settingsPath());
        InstellingenBestandsnaam = settingsPath();
        ResetToestellen();
        Toestel[1].Type = QStringLiteral("T512");
        Toestel[1].Idno = 1;
        Toestel[1].Kanalen = 4;
        Toestel[1].Naam = QStringLiteral("Oven");
        Toestel[2].Type = QStringLiteral("T542");
        Toestel[2].Idno = 2;
        Toestel[2].Kanalen = 2;
        Toestel[2].Naam = QStringLiteral("Kiln");
        Toestel[2].Actief = false;
        SeriePoort = QStringLiteral("COM7");
        Baudrate = QStringLiteral("9600");
        MeetInterval = 60;
        StartLoggen = LaadBestand = StartLoggenOpTijd = StopLoggenOpTijd = false;
        TaalIndex = 0;
        LaadTaal(TaalIndex);
        MetenActief = true;
        LoggenActief = false;
        Bezig = false;
        LaatsteAntwoord = 0;
        m_closeFiles = m_reopened = m_mainTexts = 0;
        m_racks.clear();
        m_port.setPortName(m_pty.slavePath());
        QVERIFY(m_port.isOpen() || m_port.open(QIODevice::ReadWrite));
        m_main.setEnabled(true);
    }

    void cleanup()
    {
        if (frmInstellen *d = frmInstellen::geopend())
            d->CancelButton_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_boxes;
        delete m_system;
        m_port.close();
    }

    void openingSuspendsAndClosingRestores_data()
    {
        QTest::addColumn<bool>("meten");
        QTest::addColumn<bool>("loggen");
        QTest::addColumn<bool>("bezig");
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("measuring, OK") << true << false << false << "ok";
        QTest::newRow("logging, Cancel") << true << true << false << "cancel";
        QTest::newRow("logging, frame") << true << true << false << "frame";
        QTest::newRow("idle, Escape") << false << false << true << "escape";
        QTest::newRow("logging, OK") << true << true << false << "ok";
    }
    void openingSuspendsAndClosingRestores()
    {
        QFETCH(bool, meten);
        QFETCH(bool, loggen);
        QFETCH(bool, bezig);
        QFETCH(QString, closeBy);
        MetenActief = meten;
        LoggenActief = loggen;
        Bezig = bezig;

        QPointer<frmInstellen> d = frmInstellen::Tonen();
        QVERIFY(d);
        QVERIFY(!MetenActief);
        QVERIFY(!LoggenActief);
        QVERIFY(Bezig);
        QVERIFY(!m_main.isEnabled());
        QVERIFY(d->isEnabled());
        QVERIFY(!m_port.isOpen());
        QCOMPARE(m_closeFiles, 1);
        // The port list says which device each number stands for.
        QCOMPARE(d->cboCommPoort->count(), 3);
        QCOMPARE(d->cboCommPoort->currentData().toString(), QStringLiteral("COM7"));
        QVERIFY(d->cboCommPoort->currentText().contains(m_pty.slavePath()));
        QCOMPARE(d->cboCommPoort->itemText(2), QStringLiteral("COM100"));

        if (closeBy == QLatin1String("ok"))
            d->OKButton->click();
        else if (closeBy == QLatin1String("cancel"))
            d->CancelButton->click();
        else if (closeBy == QLatin1String("frame"))
            d->close();
        else
            QTest::keyClick(d, Qt::Key_Escape);

        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(int(LaatsteAntwoord), closeBy == QLatin1String("ok") ? 1 : 2);
        QCOMPARE(MetenActief, meten);
        QCOMPARE(LoggenActief, loggen);
        QCOMPARE(Bezig, bezig);
        QVERIFY(m_main.isEnabled());
        QCOMPARE(m_closeFiles, 2);
        QCOMPARE(m_reopened, loggen ? 1 : 0);
        QVERIFY(m_mainTexts >= 1);

        // The port is open again, on the pseudo-terminal, and carries bytes.
        QVERIFY(m_port.isOpen());
        QVERIFY(m_pty.slavePath().endsWith(m_port.portName()));
        QCOMPARE(m_port.write("#001<?\r\n"), 8);
        QVERIFY(m_port.waitForBytesWritten(1000) || m_port.bytesToWrite() == 0);
        QCOMPARE(m_pty.readMaster(8), QByteArray("#001<?\r\n"));
    }

    void openingFillsTheFields()
    {
        MeetInterval = 90;
        Baudrate = QStringLiteral("1200");
        SeriePoort = QStringLiteral("COM2");
        StartLoggen = true;
        Toestel[4].Type = QStringLiteral("T578");
        Toestel[4].Idno = 4;
        Toestel[4].Kanalen = 1;
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        QCOMPARE(d->TextTijdsinterval->text(), QStringLiteral("00:01:30"));
        QCOMPARE(d->cboBaudrate->currentIndex(), -1);
        QCOMPARE(d->cboCommPoort->currentIndex(), -1);
        QCOMPARE(d->SSTab->currentIndex(), 1); // nothing stored: Connection
        QVERIFY(d->CheckLogStartup->isChecked());
        QVERIFY(!d->CheckStartTijdstip->isEnabled());
        QVERIFY(d->LabelStartTijdstip->text().isEmpty());
        // Slot 3 is empty; slot 4 is still listed, followed by a row for a new controller.
        QCOMPARE(d->MSHFlexGridController->rowCount(), 4);
        QCOMPARE(d->MSHFlexGridController->item(2, 1)->text(), QStringLiteral("T578"));
        QCOMPARE(d->MSHFlexGridController->item(3, 0)->text(), QStringLiteral("4"));
        QCOMPARE(d->MSHFlexGridController->horizontalHeaderItem(2)->text(), QStringLiteral("ID.no."));
        d->CancelButton->click();
        QCOMPARE(Toestel[4].Type, QStringLiteral("T578"));
        // Cancel reopens the port as configured; an empty port name becomes COM1.
        QCOMPARE(SeriePoort, QStringLiteral("COM2"));
    }

    void emptyBaudRateBecomes2400()
    {
        Baudrate.clear();
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        QCOMPARE(d->cboBaudrate->currentText(), QStringLiteral("2400"));
        QCOMPARE(Baudrate, QStringLiteral("2400"));
        d->CancelButton->click();
    }

    void intervalWrapsAndIsLive()
    {
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        d->TextTijdsinterval->setValue(1);
        QCOMPARE(MeetInterval, 1);
        d->TextTijdsinterval->stepDown();
        QCOMPARE(d->TextTijdsinterval->value(), 86400);
        QCOMPARE(d->TextTijdsinterval->text(), QStringLiteral("00:00:00"));
        QCOMPARE(MeetInterval, 86400);
        d->TextTijdsinterval->stepUp();
        QCOMPARE(MeetInterval, 1);
        // Typed: 00:00:00 means a day, never 0.
        QLineEdit *edit = d->TextTijdsinterval->findChild<QLineEdit *>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("00:00:00"));
        d->TextTijdsinterval->interpretText();
        QCOMPARE(MeetInterval, 86400);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("00:02:05"));
        d->TextTijdsinterval->interpretText();
        QCOMPARE(MeetInterval, 125);
        // Cancel takes the live edit back.
        d->CancelButton->click();
        QCOMPARE(MeetInterval, 60);
    }

    // The interval field is masked "hh:mm:ss": typed digits take their places and, when the field
    // is left, are read as they stand, never put back to the last value. A text that is no time
    // of day, or 00:00:00, means one day, without a word.
    void intervalTypedIsReadWhenLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("interval");
        QTest::newRow("10 is ten hours") << "10" << "10:00:00" << 36000;
        QTest::newRow("0 is a day") << "0" << "00:00:00" << 86400;
        QTest::newRow("two minutes five") << "000205" << "00:02:05" << 125;
        QTest::newRow("separators typed too") << "00:02:05" << "00:02:05" << 125;
        QTest::newRow("24:00:00 is no time of day") << "240000" << "00:00:00" << 86400;
        QTest::newRow("99:77:02 is no time of day") << "997702" << "00:00:00" << 86400;
    }
    void intervalTypedIsReadWhenLeft()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, interval);
        QPointer<frmInstellen> d = frmInstellen::Tonen(0);
        QVERIFY(QTest::qWaitForWindowActive(d));
        IntervalSpinBox *field = d->TextTijdsinterval;
        QLineEdit *edit = field->findChild<QLineEdit *>();
        field->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(!edit->hasFocus());
        QCOMPARE(field->text(), shown);
        QCOMPARE(MeetInterval, interval);
        d->OKButton->click();
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(MeetInterval, interval);
        QCOMPARE(messages(), QStringList());
    }

    // The number editors of the device grid take any digits, as a field masked for them does,
    // and hand what was typed to the grid's rules: an identification number outside 1..999
    // empties the cell, a channel count outside 1..4 becomes 4. Letters cannot be typed: the
    // number in the editor stays. Nothing is said (OK refuses an emptied number later).
    void deviceNumberEditors_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell");
        QTest::newRow("number 7") << 2 << "7" << "007";
        QTest::newRow("number 0 empties the cell") << 2 << "0" << "";
        QTest::newRow("number abc cannot be typed") << 2 << "abc" << "002";
        QTest::newRow("number 1000 has three digits") << 2 << "1000" << "100";
        QTest::newRow("3 channels") << 3 << "3" << "3";
        QTest::newRow("9 channels become 4") << 3 << "9" << "4";
        QTest::newRow("0 channels become 4") << 3 << "0" << "4";
    }
    void deviceNumberEditors()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        QPointer<frmInstellen> d = frmInstellen::Tonen(3);
        QVERIFY(QTest::qWaitForWindowActive(d));
        QTableWidget *grid = d->MSHFlexGridController;
        const QModelIndex index = grid->model()->index(1, column); // the second controller
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto *editor = qobject_cast<QSpinBox *>(grid->indexWidget(index));
        QVERIFY(editor);
        QLineEdit *edit = editor->findChild<QLineEdit *>();
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!grid->indexWidget(index));
        QCOMPARE(grid->item(1, column)->text(), cell);
        QCOMPARE(messages(), QStringList());
        if (cell.isEmpty())
            return;
        d->OKButton->click();
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(column == 2 ? AdresTekstVan(Toestel[2].Idno).right(3)
                             : QString::number(Toestel[2].Kanalen),
                 cell);
    }

    void languageOnTrial_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("Cancel reverts") << false;
        QTest::newRow("OK keeps") << true;
    }
    void languageOnTrial()
    {
        QFETCH(bool, accept);
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        QCOMPARE(d->ComboTaal->count(), 3);
        QCOMPARE(d->ComboTaal->itemText(2), QStringLiteral("Nederlands"));
        const int textsBefore = m_mainTexts;
        d->ComboTaal->setCurrentIndex(2);
        emit d->ComboTaal->activated(2);
        QCOMPARE(d->SSTab->tabText(2), QStringLiteral("Taal"));
        QCOMPARE(d->CancelButton->text(), QStringLiteral("&Annuleren"));
        QCOMPARE(Taaltekst(500), QStringLiteral("Nederlands"));
        QVERIFY(m_mainTexts > textsBefore); // the main window too
        QCOMPARE(TaalIndex, qint16(0));
        if (accept)
            d->OKButton->click();
        else
            d->CancelButton->click();
        QCOMPARE(TaalIndex, qint16(accept ? 2 : 0));
        QCOMPARE(Taaltekst(500), accept ? QStringLiteral("Nederlands") : QStringLiteral("English"));
    }

    void okAppliesAndWritesTheSettingsFile()
    {
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        d->cboBaudrate->setCurrentIndex(3); // 19200
        d->CheckLoadFile->setChecked(true);
        d->SSTab->setCurrentIndex(3);
        // Row 1 emptied: the second controller moves to slot 1 with its own name and flag.
        d->commitCell(1, 1, QString());
        d->commitCell(3, 1, QStringLiteral("T552"));
        d->OKButton->click();
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(int(LaatsteAntwoord), 1);
        QCOMPARE(Baudrate, QStringLiteral("19200"));
        QVERIFY(LaadBestand);
        QCOMPARE(Registry::read(RegisterNaam, "Settings", "TabConfiguration"), QStringLiteral("3"));
        QCOMPARE(Toestel[1].Naam, QStringLiteral("Kiln"));
        QCOMPARE(Toestel[1].Actief, false);
        QCOMPARE(Toestel[2].Type, QStringLiteral("T552"));
        QCOMPARE(Toestel[2].Idno, 3);
        QCOMPARE(Toestel[2].Naam, QStringLiteral("T552 #003"));
        QVERIFY(Toestel[3].Type.isEmpty());
        QCOMPARE(m_racks.value(1), true);
        QCOMPARE(m_racks.value(2), true);
        QCOMPARE(m_racks.value(3), false);

        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("SerialPort=COM7"));
        QVERIFY(content.contains("Baudrate=19200"));
        QVERIFY(content.contains("Kiln"));
        QVERIFY(content.contains("T552 #003"));
    }

    // A refused OK changes nothing and keeps measuring suspended; Cancel (or the frame) then
    // leaves everything as it was before the dialog opened.
    void refusedOkChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("no port") << "noport" << "Choose the serial port used for the connection!"
                                 << 1 << "cancel";
        QTest::newRow("repeated number") << "repeat" << "'#001' appears more than once" << 3
                                         << "frame";
        QTest::newRow("row without number") << "nonumber" << "Device row 2 has no valid" << 3
                                            << "cancel";
        QTest::newRow("no controller") << "none" << "Choose the devices which are connected!" << 3
                                       << "frame";
        QTest::newRow("port cannot be opened") << "port" << "Error opening 'COM3' !" << 1
                                               << "cancel";
    }
    void refusedOkChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(int, tab);
        QFETCH(QString, closeBy);
        const auto slotsBefore = slotTable();
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        d->SSTab->setCurrentIndex(0);
        d->TextTijdsinterval->setValue(300); // live, until Cancel
        d->cboBaudrate->setCurrentIndex(4);
        d->CheckLogStartup->setChecked(true);
        d->ComboTaal->setCurrentIndex(1);
        d->commitCell(3, 1, QStringLiteral("T578"));
        if (fault == QLatin1String("noport"))
            d->cboCommPoort->setCurrentIndex(-1);
        else if (fault == QLatin1String("repeat"))
            d->commitCell(2, 2, QStringLiteral("1"));
        else if (fault == QLatin1String("nonumber"))
            d->commitCell(2, 2, QStringLiteral("0"));
        else if (fault == QLatin1String("none"))
            for (int r = 1; r <= 3; ++r)
                d->commitCell(r, 1, QString());
        else
            d->cboCommPoort->setCurrentIndex(0); // COM3: no such device

        d->OKButton->click();
        QVERIFY(d);
        QCOMPARE(frmInstellen::geopend(), d.data());
        QVERIFY(!d->Afsluiten);
        QCOMPARE(d->SSTab->currentIndex(), tab);
        const QStringList shown = messages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(message), qPrintable(shown.first()));
        // Nothing taken over, measuring still suspended, port still closed.
        QCOMPARE(slotTable(), slotsBefore);
        QCOMPARE(SeriePoort, QStringLiteral("COM7"));
        QCOMPARE(Baudrate, QStringLiteral("9600"));
        QCOMPARE(TaalIndex, qint16(0));
        QVERIFY(!StartLoggen);
        QVERIFY(!MetenActief);
        QVERIFY(!m_port.isOpen());
        QVERIFY(!QFile::exists(settingsPath()));
        QVERIFY(!Registry::contains(RegisterNaam, "Settings", "TabConfiguration"));

        if (closeBy == QLatin1String("frame"))
            d->close();
        else
            d->CancelButton->click();
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(int(LaatsteAntwoord), 2);
        QCOMPARE(slotTable(), slotsBefore);
        QCOMPARE(MeetInterval, 60);
        QCOMPARE(SeriePoort, QStringLiteral("COM7"));
        QVERIFY(MetenActief);
        QVERIFY(m_port.isOpen());
        QVERIFY(m_pty.slavePath().endsWith(m_port.portName()));
        QVERIFY(!QFile::exists(settingsPath()));
    }

    void gridEditorsKeepControllers()
    {
        Toestel[1].Type = QStringLiteral("T574");
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        QTableWidget *grid = d->MSHFlexGridController;
        d->SSTab->setCurrentIndex(3);
        // Clicking the model cell of a controller of the old model leaves it alone.
        grid->setCurrentCell(0, 1);
        grid->edit(grid->model()->index(0, 1));
        auto *combo = qobject_cast<QComboBox *>(grid->indexWidget(grid->model()->index(0, 1)));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("T574"));
        QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("T574"));
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("001"));

        // A model chosen in the empty last row fills it and appends a new empty row.
        grid->setCurrentCell(2, 1);
        grid->edit(grid->model()->index(2, 1));
        combo = qobject_cast<QComboBox *>(grid->indexWidget(grid->model()->index(2, 1)));
        QVERIFY(combo);
        combo->setCurrentIndex(3);
        emit combo->activated(3);
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("T552"));
        QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("003"));
        QCOMPARE(grid->item(2, 3)->text(), QStringLiteral("4"));

        // Backspace on selected rows asks once; Yes empties them.
        m_system->answerMessage(MsgBox::Yes);
        grid->clearSelection();
        grid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 3), true);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Backspace);
        QCOMPARE(m_system->messageTexts(), QStringList{Taaltekst(285)});
        QVERIFY(grid->item(1, 1)->text().isEmpty());
        QVERIFY(grid->item(2, 1)->text().isEmpty());
        QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("3"));
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("T574"));
        d->OKButton->click();
        QCOMPARE(Toestel[1].Type, QStringLiteral("T574"));
        QVERIFY(Toestel[2].Type.isEmpty());
    }

    // The model list takes no typing: a letter picks nothing, in the closed list or in the open
    // one; the row stays as it was until a model is chosen.
    void modelListDiscardsTypedCharacters_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("listOpen");
        QTest::newRow("empty row") << 2 << false;
        QTest::newRow("empty row, list open") << 2 << true;
        QTest::newRow("row with a controller") << 1 << false;
    }
    void modelListDiscardsTypedCharacters()
    {
        QFETCH(int, row);
        QFETCH(bool, listOpen);
        QPointer<frmInstellen> d = frmInstellen::Tonen(3);
        QVERIFY(QTest::qWaitForWindowActive(d));
        QTableWidget *grid = d->MSHFlexGridController;
        const QStringList before = {grid->item(row, 1)->text(), grid->item(row, 2)->text(),
                                    grid->item(row, 3)->text()};
        const QModelIndex index = grid->model()->index(row, 1);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto *combo = qobject_cast<QComboBox *>(grid->indexWidget(index));
        QVERIFY(combo);
        QTRY_VERIFY(combo->hasFocus());
        QWidget *typedInto = combo;
        if (listOpen) {
            combo->showPopup();
            QTRY_VERIFY(combo->view()->isVisible());
            typedInto = combo->view();
        }
        QTest::keyClicks(typedInto, QStringLiteral("T5"));
        QCOMPARE(combo->currentText(), before[0]);
        if (listOpen) {
            combo->hidePopup();
            QTRY_VERIFY(grid->indexWidget(index)); // the editor is still open
        }
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE((QStringList{grid->item(row, 1)->text(), grid->item(row, 2)->text(),
                              grid->item(row, 3)->text()}),
                 before);
        QCOMPARE(messages(), QStringList());
    }

    void firstStart_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void firstStart()
    {
        QFETCH(bool, accept);
        ResetToestellen();
        CommInitOverslaan = false;
        DialogHost host;
        WindowHost::install(&host);
        bool seen = false;
        soon([&] {
            frmInstellen *d = frmInstellen::geopend();
            QVERIFY(d);
            seen = true;
            QCOMPARE(d->MSHFlexGridController->rowCount(), 1);
            if (!accept) {
                d->CancelButton->click();
                return;
            }
            d->commitCell(1, 1, QStringLiteral("T512"));
            d->OKButton->click();
        });
        StandaardInstellingen();
        WindowHost::install(nullptr);
        QVERIFY(seen);
        QCOMPARE(int(LaatsteAntwoord), accept ? 1 : 2);
        QCOMPARE(QFile::exists(settingsPath()), accept);
        QCOMPARE(CommInitOverslaan, accept);
        QCOMPARE(Toestel[1].Type, accept ? QStringLiteral("T512") : QString());
        QVERIFY(m_main.isEnabled());
    }

    // Every tab in English and Dutch, saved for a person to look at; no text may be cut off.
    void pictures_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Dutch") << 2;
    }
    void pictures()
    {
        QFETCH(int, language);
        TaalIndex = qint16(language);
        LaadTaal(TaalIndex);
        QDir out(qEnvironmentVariable("QLV2_PICTURES", m_dir.path()));
        out.mkpath(QStringLiteral("."));
        StartTijd = QDateTime(QDate(2026, 3, 2), QTime(8, 0, 0));
        StopTijd = QDateTime(QDate(2026, 3, 6), QTime(17, 30, 0));
        QPointer<frmInstellen> d = frmInstellen::Tonen();
        for (int tab = 0; tab < d->SSTab->count(); ++tab) {
            d->SSTab->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            const QString name = QStringLiteral("settings-%1-tab%2.png")
                                     .arg(language == 0 ? "en" : "nl")
                                     .arg(tab);
            QVERIFY(d->grab().save(out.filePath(name)));
            const QWidget *page = d->SSTab->currentWidget();
            for (const QWidget *w : page->findChildren<QWidget *>()) {
                if (!w->isVisible() || !(qobject_cast<const QLabel *>(w) ||
                                         qobject_cast<const QAbstractButton *>(w)))
                    continue;
                QVERIFY2(w->width() >= w->sizeHint().width(),
                         qPrintable(name + u' ' + w->objectName() + u' ' +
                                    (qobject_cast<const QLabel *>(w)
                                         ? qobject_cast<const QLabel *>(w)->text()
                                         : qobject_cast<const QAbstractButton *>(w)->text())));
            }
        }
        QTableWidget *grid = d->MSHFlexGridController;
        for (int c = 0; c < 4; ++c)
            QVERIFY(grid->columnWidth(c) >=
                    grid->fontMetrics().horizontalAdvance(grid->horizontalHeaderItem(c)->text()));
        d->CancelButton->click();
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
