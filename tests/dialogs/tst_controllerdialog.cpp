#include "core/shared.h"
#include "core/slots.h"
#include "instruments/controllerdialog.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
void useSlots(const QList<int> &used)
{
    ResetToestellen();
    for (int s : used) {
        Toestel[s].Type = QStringLiteral("T512");
        Toestel[s].Idno = s;
        Toestel[s].Kanalen = 2;
        Toestel[s].Naam = QStringLiteral("Slot %1").arg(s);
    }
}
} // namespace

class TestControllerDialog : public QObject {
    Q_OBJECT

    QMainWindow m_main;
    QTemporaryDir m_dir;
    ScriptedDialogProvider *m_system = nullptr;
    int m_writes = 0;
    QList<QPair<int, bool>> m_marks;

    void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        MainLink::setMainWindow(&m_main);
        m_main.show();
        ControllerDialogHooks &h = controllerDialogHooks();
        h.markRack = [this](int slot, bool on) { m_marks << qMakePair(slot, on); };
        h.writeSettings = [this](const QString &) {
            ++m_writes;
            return true;
        };
    }

    void init()
    {
        m_system = new ScriptedDialogProvider;
        RegisterNaam = QStringLiteral("QLV2-CTRLTEST");
        InstellingenBestandsnaam = m_dir.filePath(QStringLiteral("Qlv2.CFG"));
        m_writes = 0;
        m_marks.clear();
        MetenActief = true;
        qint16 english = 0;
        LaadTaal(english);
        useSlots({2, 9});
    }

    void cleanup()
    {
        if (FormSettingsController *d = FormSettingsController::geopend())
            d->CancelButton_Click();
        flush();
        delete m_system;
    }

    void nextValidSlot_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("to");
        QTest::newRow("up past 9 wraps to 2") << 10 << 1 << 2;
        QTest::newRow("down below 2 wraps to 9") << 1 << -1 << 9;
        QTest::newRow("spinner above the top") << 32 << 1 << 2;
        QTest::newRow("spinner below the bottom") << 0 << -1 << 9;
        QTest::newRow("up from 3 finds 9") << 3 << 1 << 9;
    }
    void nextValidSlot()
    {
        QFETCH(int, from);
        QFETCH(int, step);
        QFETCH(int, to);
        QCOMPARE(int(VolgendGeldigToestel(qint16(from), qint16(step))), to);
    }

    void noValidSlotStops()
    {
        useSlots({});
        QCOMPARE(int(VolgendGeldigToestel(5, 1)), 5);
    }

    void openPausesAndCloseRestores_data()
    {
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("OK, measuring") << true << "ok";
        QTest::newRow("Cancel, not measuring") << false << "cancel";
        QTest::newRow("frame") << true << "frame";
    }
    void openPausesAndCloseRestores()
    {
        QFETCH(bool, measuring);
        QFETCH(QString, closeBy);
        MetenActief = measuring;
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(2);
        QVERIFY(!MetenActief);
        QVERIFY(!m_main.isEnabled());
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("Settings: Slot 2"));
        QCOMPARE(d->LabelIdno->text(), QStringLiteral("#002"));
        QVERIFY(!d->CommandApply->isEnabled());
        QVERIFY(m_marks.contains(qMakePair(2, true)));
        d->TextControllerNaam->setText(QStringLiteral("Dryer"));
        QVERIFY(d->CommandApply->isEnabled());
        if (closeBy == QLatin1String("ok"))
            d->OKButton->click();
        else if (closeBy == QLatin1String("cancel"))
            d->CancelButton->click();
        else
            d->close();
        flush();
        QVERIFY(!d);
        QCOMPARE(MetenActief, measuring);
        QVERIFY(m_main.isEnabled());
        QVERIFY(m_marks.contains(qMakePair(2, false)));
        const bool applied = closeBy == QLatin1String("ok");
        QCOMPARE(Toestel[2].Naam, applied ? QStringLiteral("Dryer") : QStringLiteral("Slot 2"));
        QCOMPARE(m_writes, applied ? 1 : 0);
        QVERIFY(Registry::contains(RegisterNaam, "DialogSettings", "Top"));
    }

    void switchingSlotsAsksAboutEdits_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("slotAfter");
        QTest::addColumn<QString>("nameOfNine");
        QTest::addColumn<bool>("applyPending");
        QTest::newRow("Yes applies and moves") << int(MsgBox::Yes) << 2 << "Changed" << false;
        QTest::newRow("No drops and moves") << int(MsgBox::No) << 2 << "Slot 9" << false;
        QTest::newRow("Cancel stays") << int(MsgBox::Cancel) << 9 << "Slot 9" << true;
    }
    void switchingSlotsAsksAboutEdits()
    {
        QFETCH(int, answer);
        QFETCH(int, slotAfter);
        QFETCH(QString, nameOfNine);
        QFETCH(bool, applyPending);
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(9);
        QVERIFY(d->UpDownController->isVisible());
        d->TextControllerNaam->setText(QStringLiteral("Changed"));
        m_system->answerMessage(answer);
        d->UpDownController->stepUp(); // 9 -> 10 -> through 31 and 1 to 2
        QCOMPARE(m_system->messageTexts(), QStringList{Taaltekst(281)});
        QCOMPARE(int(d->Ti), slotAfter);
        QCOMPARE(d->UpDownController->value(), slotAfter);
        QCOMPARE(Toestel[9].Naam, nameOfNine);
        QCOMPARE(d->CommandApply->isEnabled(), applyPending);
        // Down from 2 comes back to 9 with nothing to ask.
        if (slotAfter == 2) {
            m_system->clear();
            d->UpDownController->stepDown();
            QCOMPARE(int(d->Ti), 9);
            QVERIFY(m_system->messageTexts().isEmpty());
        }
    }

    void singleControllerHidesTheSpinner()
    {
        useSlots({4});
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(4);
        QVERIFY(!d->UpDownController->isVisible());
    }

    void channelTabsAndNames()
    {
        FormSettingsController::HuidigKanaalTab = 2;
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(2);
        QCOMPARE(d->SSTab->currentIndex(), 1); // the tab of last time
        QVERIFY(d->SSTab->isTabEnabled(1));
        QVERIFY(!d->SSTab->isTabEnabled(2));
        QVERIFY(!d->SSTab->isTabEnabled(3));
        QCOMPARE(d->SSTab->tabText(3), QStringLiteral("Input 4"));
        d->TextNaam[3]->setText(QStringLiteral("Spare channel"));
        d->TextNaam[0]->clear();
        QTest::keyClicks(d->TextNaam[0], QString(40, u'x'));
        d->SSTab->setCurrentIndex(0);
        d->CommandApply->click();
        QCOMPARE(Toestel[2].Kanaal[1].Naam, QString(30, u'x'));
        QCOMPARE(Toestel[2].Kanaal[4].Naam, QStringLiteral("Spare channel"));
        QCOMPARE(m_writes, 1);
        d->OKButton->click(); // nothing pending: nothing written again
        QCOMPARE(m_writes, 1);
        flush();
        d = FormSettingsController::Tonen(2);
        QCOMPARE(d->SSTab->currentIndex(), 0);
    }

    void switchingOffPolling()
    {
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(9);
        QVERIFY(d->CheckControllerIngesteld->isChecked());
        d->CheckControllerIngesteld->click();
        QVERIFY(d->CommandApply->isEnabled());
        d->OKButton->click();
        QVERIFY(!Toestel[9].Actief);
    }

    // Times of the readings use the locale's time separator, as everywhere else in the program.
    void readingTimeSeparator_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::newRow("colon") << ":";
        QTest::newRow("point") << ".";
    }
    void readingTimeSeparator()
    {
        QFETCH(QString, separator);
        const QString saved = Tijdscheidingsteken;
        Tijdscheidingsteken = separator;
        Toestel[2].Kanaal[1].Tijdstip = QDateTime(QDate(2026, 3, 2), QTime(14, 5, 9));
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(2);
        Tijdscheidingsteken = saved;
        QCOMPARE(d->LabelInfo[0]->text().section(u'\n', 1, 1),
                 QStringLiteral("14") + separator + "05" + separator + "09");
    }

    void pictures_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Dutch") << 2;
    }
    void pictures()
    {
        QFETCH(int, language);
        qint16 l = qint16(language);
        LaadTaal(l);
        Toestel[2].Kanaal[1].Eenheid = QStringLiteral("°C");
        Toestel[2].Kanaal[1].Status = QStringLiteral("Alarm high");
        Toestel[2].Kanaal[1].Tijdstip = QDateTime(QDate(2026, 3, 2), QTime(14, 5, 9));
        FormSettingsController::HuidigKanaalTab = 1;
        QPointer<FormSettingsController> d = FormSettingsController::Tonen(2);
        QCOMPARE(d->LabelInfo[0]->text(), QStringLiteral("°C\n14:05:09\nAlarm high"));
        QCoreApplication::processEvents();
        QDir out(qEnvironmentVariable("QLV2_PICTURES", m_dir.path()));
        QVERIFY(d->grab().save(
            out.filePath(QStringLiteral("controller-%1.png").arg(language == 0 ? "en" : "nl"))));
        for (const QWidget *w : d->findChildren<QWidget *>()) {
            if (!w->isVisible() ||
                !(qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w)))
                continue;
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
        }
    }
};

QTEST_MAIN(TestControllerDialog)
#include "tst_controllerdialog.moc"
