#include "core/shared.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "platform/clock.h"

#include <QtTest>

using namespace Hoofdmodule;

// Drives the state machine with scripted exchanges: which slots are polled, in what order, how
// failures are counted and when a record is handed over.
class TestPollLoop : public QObject {
    Q_OBJECT
    QList<int> sent;
    QSet<int> silent;
    QStringList records;
    bool recordDue = false; // the log timer found a record due
    ManualClock clock;

    void configure(const QList<int> &used)
    {
        ResetToestellen();
        for (int d : used) {
            Toestel[d].Type = "T512";
            Toestel[d].Idno = d;
            Toestel[d].Kanalen = 1;
        }
    }

private slots:
    void init()
    {
        Clock::install(&clock);
        sent.clear();
        silent.clear();
        records.clear();
        recordDue = false;
        PollHooks &h = pollHooks();
        h = PollHooks();
        h.sendPoll = [this](int slot) { sent << slot; };
        h.readReply = [this](int slot) { return !silent.contains(slot); };
        h.recordDue = [this] { return recordDue; };
        h.takeRecord = [this] { recordDue = false; };
        h.writeRecord = [this](const QString &info, int tnr) {
            records << QStringLiteral("%1/%2/%3").arg(info).arg(tnr).arg(AantalRijen);
        };
        MetenActief = true;
        LoggenActief = false;
        Bezig = false;
        AntwoordWachttijd = 15;
        AantalRijen = 0;
        CyclusRond = CyclusVoltooid = false;
    }
    void cleanup() { Clock::install(nullptr); }

    void pollOrderAndCycleFlags()
    {
        configure({2, 5, 9});
        Toestellen::HuidigToestel = 2;
        Toestellen::OpvraagStatus = 0;
        for (int i = 0; i < 12; ++i)
            UitvoerenOpvraagStap();
        QCOMPARE(sent, (QList<int>{2, 5, 9}));
        QVERIFY(CyclusVoltooid);
        QCOMPARE(int(Toestellen::HuidigToestel), 2);
    }

    void inactiveSlotsAreSkipped()
    {
        configure({2, 5, 9});
        Toestel[5].Actief = false;
        Toestellen::HuidigToestel = 2;
        Toestellen::OpvraagStatus = 0;
        for (int i = 0; i < 8; ++i)
            UitvoerenOpvraagStap();
        QCOMPARE(sent, (QList<int>{2, 9}));
    }

    void silentSlotBecomesDefect()
    {
        configure({3});
        silent << 3;
        Toestellen::HuidigToestel = 3;
        Toestellen::OpvraagStatus = 0;
        // Send, then read and re-send until the count passes 10.
        for (int i = 0; i < 2 + 11; ++i)
            UitvoerenOpvraagStap();
        QCOMPARE(sent.size(), 11);
        QVERIFY(Toestel[3].Defect);
        QCOMPARE(Toestel[3].Wachtbeurten, qint16(5));
        QCOMPARE(Toestel[3].FoutTeller, 12);
    }

    void suspendedReadIsNotCounted()
    {
        configure({4});
        pollHooks().readReply = [](int) {
            Bezig = true; // the settings dialog opened during the wait
            return false;
        };
        Toestellen::HuidigToestel = 4;
        Toestellen::OpvraagStatus = 1;
        UitvoerenOpvraagStap(); // send
        UitvoerenOpvraagStap(); // read
        QCOMPARE(Toestel[4].FoutTeller, 0);
        Bezig = false;
    }

    void recordWrittenWhenDue()
    {
        configure({1});
        LoggenActief = true;
        recordDue = true;
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 3;
        UitvoerenOpvraagStap(); // state 4
        QCOMPARE(records, QStringList{"/0/1"});
        QVERIFY(!recordDue);
        UitvoerenOpvraagStap();
        QCOMPARE(records.size(), 1);
    }

    void noRecordWhileLoggingOff()
    {
        configure({1});
        recordDue = true;
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 3;
        UitvoerenOpvraagStap();
        QVERIFY(records.isEmpty());
        QVERIFY(recordDue);
    }

    void pacingWaitsAfterWrap()
    {
        configure({1});
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 3;
        UitvoerenOpvraagStap(); // state 4: a wrap
        clock.advance(10000);   // whatever an earlier cycle asked for has passed
        UitvoerenOpvraagStap(); // the next cycle starts: state 1
        QVERIFY(!CyclusRond);
        const qint64 cycleStart = clock.monotonicMs();
        UitvoerenOpvraagStap(); // the poll goes out
        UitvoerenOpvraagStap();
        UitvoerenOpvraagStap(); // the next wrap
        QCOMPARE(sent.size(), 1);
        QVERIFY(CyclusRond);
        // 15 ticks of 100 ms: no step before more than one whole second boundary has passed,
        // and the loop waits outside any step meanwhile.
        const qint64 due = (cycleStart / 1000 + 2) * 1000;
        clock.advance(due - 1 - clock.monotonicMs());
        UitvoerenOpvraagStap();
        QVERIFY(CyclusRond);
        clock.advance(1);
        UitvoerenOpvraagStap();
        QVERIFY(!CyclusRond);
        UitvoerenOpvraagStap();
        QCOMPARE(sent.size(), 2);
    }

    void recordTimeAndLabel()
    {
        MeetTijdstip = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0));
        AantalRijen = 0;
        QCOMPARE(BerekenTijdstip(MeetTijdstip), MeetTijdstip);
        AantalRijen = 3;
        QCOMPARE(BerekenTijdstip(MeetTijdstip), MeetTijdstip.addSecs(1));
        ToestelGegevens t;
        t.Naam = "  Oven 1  ";
        QCOMPARE(ToestelLabel(t), QString("Oven 1"));
        t.Naam.clear();
        t.Type = "T542    ";
        t.Idno = 12;
        QCOMPARE(ToestelLabel(t), QString("T542 #012"));
    }
};

QTEST_GUILESS_MAIN(TestPollLoop)
#include "tst_pollloop.moc"
