#include "core/shared.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "platform/clock.h"

#include <QtTest>

using namespace Hoofdmodule;

Q_DECLARE_METATYPE(ReadResult)

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
        h.readReply = [this](int slot) {
            return silent.contains(slot) ? ReadResult::Failed : ReadResult::Counted;
        };
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
        ResetPollCycle();
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
            Bezig = true; // the settings dialog opened while the reply was awaited
            return ReadResult::Failed;
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

    // The reply comes in pieces: each try that finds it incomplete leaves the exchange as it
    // is (no re-send, nothing counted) until the reply is all in.
    void replyAwaitedUntilComplete()
    {
        configure({3});
        QList<ReadResult> answers{ReadResult::Waiting, ReadResult::Waiting, ReadResult::Counted};
        pollHooks().readReply = [&answers](int) { return answers.takeFirst(); };
        Toestellen::HuidigToestel = 3;
        Toestellen::OpvraagStatus = 1;
        UitvoerenOpvraagStap(); // the poll goes out
        QVERIFY(ReplyAwaited());
        for (int i = 0; i < 2; ++i) {
            UitvoerenOpvraagStap();
            QCOMPARE(int(Toestellen::OpvraagStatus), 2);
            QVERIFY(ReplyAwaited());
        }
        UitvoerenOpvraagStap();
        QCOMPARE(int(Toestellen::OpvraagStatus), 3);
        QVERIFY(!ReplyAwaited());
        QCOMPARE(sent, QList<int>{3});
        QCOMPARE(Toestel[3].FoutTeller, 0);
    }

    // Measuring switched off and on again: the slot being polled is finished, and no slot is
    // skipped, whether the switch came between two slots or with a reply awaited. An awaited
    // reply is still read and counts, whatever it brings, and no frame goes out after it. A
    // record that was due is written either way.
    void measureOffAndOnSkipsNoSlot_data()
    {
        QTest::addColumn<int>("stepsBefore");
        QTest::addColumn<ReadResult>("reply");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QList<int>>("polled");
        // Slot 1 done (state 4, the next slot not begun): nothing more to finish.
        QTest::newRow("between slots")
            << 3 << ReadResult::Counted << QList<int>{1} << 0 << QList<int>{1, 2, 3, 1};
        // Slot 2's poll just sent, its reply awaited: the reply is read, slot 2 is finished
        // with state 4, and slot 3 is next.
        QTest::newRow("reply awaited")
            << 5 << ReadResult::Counted << QList<int>{1, 2} << 0 << QList<int>{1, 2, 3, 1};
        // The awaited reply fails: counted, and not sent again.
        QTest::newRow("awaited reply fails")
            << 5 << ReadResult::Failed << QList<int>{1, 2} << 1 << QList<int>{1, 2, 3, 1};
    }
    void measureOffAndOnSkipsNoSlot()
    {
        QFETCH(int, stepsBefore);
        QFETCH(ReadResult, reply);
        QFETCH(QList<int>, shown);
        QFETCH(int, failures);
        QFETCH(QList<int>, polled);
        configure({1, 2, 3});
        QList<int> shownSlots;
        pollHooks().showReading = [&shownSlots](int slot) { shownSlots << slot; };
        pollHooks().readReply = [](int) { return ReadResult::Waiting; };
        LoggenActief = true;
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 1; // slot 1's lamps are lit: the poll goes out next
        UitvoerenOpvraagStap();        // slot 1: sent
        pollHooks().readReply = [](int) { return ReadResult::Counted; };
        for (int i = 1; i < stepsBefore; ++i)
            UitvoerenOpvraagStap();
        recordDue = true;
        const bool awaited = ReplyAwaited();
        StartStopMeten();
        // The loop's turns go on while the reply is awaited, and end with it.
        QCOMPARE(ReplyAwaited(), awaited);
        pollHooks().readReply = [reply](int) { return reply; };
        const int sentBefore = int(sent.size());
        for (int i = 0; i < 4; ++i)
            OpvraagBeurt();
        QVERIFY(!ReplyAwaited());
        QCOMPARE(int(sent.size()), sentBefore);
        QCOMPARE(shownSlots, shown);
        QCOMPARE(records.size(), 1);
        QCOMPARE(Toestel[2].FoutTeller, failures);
        InstellenKnoppenMeten();
        pollHooks().readReply = [](int) { return ReadResult::Counted; };
        clock.advance(10000);
        for (int i = 0; i < 12 && sent.size() < polled.size(); ++i)
            UitvoerenOpvraagStap();
        QCOMPARE(sent, polled);
    }

    // A pacing wait, once begun at the wrap, runs out: a rack window wiping its readings
    // (which clears CyclusRond) does not let the next cycle start early.
    void pacingRunsOutWhateverClearsTheWrap()
    {
        configure({1});
        Toestellen::HuidigToestel = 1;
        Toestellen::OpvraagStatus = 3;
        UitvoerenOpvraagStap(); // state 4: the first wrap does not wait
        clock.advance(10000);
        UitvoerenOpvraagStap(); // state 1 of the second cycle
        const qint64 cycleStart = clock.monotonicMs();
        UitvoerenOpvraagStap();
        UitvoerenOpvraagStap();
        UitvoerenOpvraagStap(); // state 4: the wrap, pacing begins
        QVERIFY(CyclusRond);
        CyclusRond = false; // a rack window's readings wiped
        UitvoerenOpvraagStap();
        UitvoerenOpvraagStap();
        QCOMPARE(sent.size(), 1);
        clock.advance((cycleStart / 1000 + 2) * 1000 - clock.monotonicMs());
        for (int i = 0; i < 2; ++i)
            UitvoerenOpvraagStap();
        QCOMPARE(sent.size(), 2);
    }

    // Work queued between steps goes with the window that queued it; work that waits for a
    // record's write (and its question) runs after it, never inside it.
    void queuedWorkKeepsToItsOwner()
    {
        configure({1});
        auto *owner = new QObject;
        bool ran = false;
        TussenOpvraagStappen(owner, [&ran] { ran = true; });
        delete owner;
        UitvoerenTussenwerk();
        QVERIFY(!ran);

        QStringList order;
        pollHooks().writeRecord = [&order](const QString &info, int) {
            order << "write " + info;
            if (info.isEmpty()) {
                QVERIFY(RecordWriteRunning());
                AfterRecordWrite(nullptr, [&order] {
                    order << "command";
                    VerwerkenMeting(QStringLiteral("Stop"), 0);
                });
            }
        };
        VerwerkenLegeMeting(QString());
        QCOMPARE(order, QStringList{"write "});
        QTRY_COMPARE(order, (QStringList{"write ", "command", "write Stop"}));
        QVERIFY(!RecordWriteRunning());
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
