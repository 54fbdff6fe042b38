#include "platform/dialogs.h"
#include "support/datedialog.h"
#include "support/language.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {
const QDateTime start(QDate(2026, 3, 2), QTime(10, 0, 0));
}

class TestDateDialog : public QObject {
    Q_OBJECT

    // Runs the dialog; the action sets its controls and presses its buttons while it waits.
    bool run(DialogInputTijdstip &d, std::function<void()> action)
    {
        QTimer::singleShot(0, &d, [&d, action] {
            action();
            if (d.isVisible()) // the action left it open: close it so the test does not hang
                QTimer::singleShot(0, &d, [&d] { d.CancelButton->click(); });
        });
        return d.Toon();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
    }

    void stopTimeLimit_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same moment as the start") << start.date() << QTime(10, 0, 0) << false;
        QTest::newRow("one second later") << start.date() << QTime(10, 0, 1) << true;
        QTest::newRow("earlier that day") << start.date() << QTime(9, 59, 59) << false;
        QTest::newRow("next day, earlier hour") << start.date().addDays(1) << QTime(8, 0) << true;
    }
    void stopTimeLimit()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(bool, accepted);
        ScriptedDialogProvider dialogs;
        DialogInputTijdstip d;
        d.Tijdstip = start.addSecs(3600);
        d.setWindowTitle(Taaltekst(326));
        d.setMinimum(start.addSecs(1));
        bool openAfterRefusal = false;
        const bool ok = run(d, [&] {
            d.MonthView->setSelectedDate(date);
            d.DTPicker->setTime(time);
            d.OKButton->click();
            openAfterRefusal = d.isVisible();
        });
        QCOMPARE(ok, accepted);
        if (accepted) {
            QCOMPARE(d.Tijdstip, QDateTime(date, time));
            QVERIFY(dialogs.requests().isEmpty());
        } else {
            QVERIFY(openAfterRefusal);
            QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(327)});
            QCOMPARE(dialogs.requests().first().flags, MsgBox::OkOnly | MsgBox::Exclamation);
            QCOMPARE(dialogs.requests().first().title, Taaltekst(326));
            QCOMPARE(d.Tijdstip, start.addSecs(3600)); // the refusal changed nothing
        }
    }

    void dateFromCalendarTimeFromPicker()
    {
        DialogInputTijdstip d;
        d.Tijdstip = start;
        QVERIFY(run(d, [&] {
            d.MonthView->setSelectedDate(QDate(2026, 5, 1));
            d.DTPicker->setDateTime(QDateTime(QDate(2030, 1, 1), QTime(14, 30, 15)));
            d.OKButton->click();
        }));
        QCOMPARE(d.Tijdstip, QDateTime(QDate(2026, 5, 1), QTime(14, 30, 15)));
        QVERIFY(!d.Onderbroken);
    }

    void startTimeHasNoLimit()
    {
        DialogInputTijdstip d;
        d.Tijdstip = start;
        QVERIFY(run(d, [&] {
            d.MonthView->setSelectedDate(QDate(2001, 1, 1));
            d.OKButton->click();
        }));
        QCOMPARE(d.Tijdstip, QDateTime(QDate(2001, 1, 1), QTime(10, 0, 0)));
    }

    void cancelKeepsTheMoment_data()
    {
        QTest::addColumn<int>("how"); // 0 Cancel button, 1 Escape, 2 close by the frame
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("frame") << 2;
    }
    void cancelKeepsTheMoment()
    {
        QFETCH(int, how);
        DialogInputTijdstip d;
        d.Tijdstip = start;
        const bool ok = run(d, [&] {
            d.MonthView->setSelectedDate(QDate(2026, 6, 1));
            d.DTPicker->setTime(QTime(1, 2, 3));
            if (how == 0)
                d.CancelButton->click();
            else if (how == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        QVERIFY(!ok);
        QVERIFY(d.Onderbroken);
        QCOMPARE(d.Tijdstip, start);
    }

    void loadShowsTheMomentAndTexts()
    {
        qint16 french = 1;
        LaadTaal(french);
        DialogInputTijdstip d;
        d.Tijdstip = start;
        QDate shownDate;
        QTime shownTime;
        QString ok;
        run(d, [&] {
            shownDate = d.MonthView->selectedDate();
            shownTime = d.DTPicker->time();
            ok = d.OKButton->text();
            d.CancelButton->click();
        });
        QCOMPARE(shownDate, start.date());
        QCOMPARE(shownTime, start.time());
        QCOMPARE(ok, Taaltekst(140));
        QCOMPARE(d.CancelButton->text(), QStringLiteral("&Annuler"));
        qint16 english = 0;
        LaadTaal(english);
        QCOMPARE(d.CancelButton->text(), QStringLiteral("&Cancel"));
    }
};

QTEST_MAIN(TestDateDialog)
#include "tst_datedialog.moc"
