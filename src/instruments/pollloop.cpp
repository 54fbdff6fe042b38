#include "instruments/pollloop.h"

#include "core/services.h"
#include "core/shared.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/transport.h"
#include "platform/clock.h"
#include "platform/pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <utility>

using namespace Hoofdmodule;

namespace {

// Start of the current poll cycle on the monotonic clock; unset before the first cycle, which
// therefore does not wait.
qint64 cyclusStartMs = -1;

template <typename F, typename... A> void call(const F &f, A &&...args)
{
    if (f)
        f(std::forward<A>(args)...);
}

bool slotUsable(int slot) { return ToestelGeldig(slot) && Toestel[slot].Actief; }

// A step is running (from its first state to its last; it never waits for the line), or
// something holds polling (a record's write, a command exchange with one controller, a download).
bool stapBezig = false;
int houders = 0;
// StartenMeten's loop runs: only then do the waits of the program advance polling.
bool lusBinnen = false;

// After a wrapped cycle, the next one starts once more whole seconds than the reply time-out
// (in seconds) have passed since the cycle began. Measured on the monotonic clock, so a wall
// clock set back does not stall polling. The wait is no wait inside a step: the loop simply
// starts no step before then, and every wait of the program goes on meanwhile.
qint64 volgendeCyclusMs()
{
    if (cyclusStartMs < 0)
        return 0;
    const qint64 startSecond = cyclusStartMs / 1000;
    const qint64 needed = qint64(AntwoordWachttijd / 10) + 1; // "greater than"
    return (startSecond + needed) * 1000;
}

// The pacing wait begun when the cycle wrapped, measuring on: it runs out whatever clears
// CyclusRond meanwhile (a rack window wiping its readings). -1: none.
qint64 tempoTotMs = -1;

void beginTempo()
{
    if (CyclusRond && MetenActief && tempoTotMs < 0)
        tempoTotMs = volgendeCyclusMs();
}

// The moment the next step may start (0: now).
qint64 volgendeStapMs()
{
    if (tempoTotMs >= 0)
        return tempoTotMs;
    // A wrap while measuring was off paces once measuring is on again.
    return CyclusRond && MetenActief ? volgendeCyclusMs() : 0;
}

// True when the next step may start now; a wrapped cycle starts over here.
bool cyclusMagBeginnen()
{
    if (tempoTotMs < 0 && !(CyclusRond && MetenActief))
        return true;
    Clock &clock = Clock::current();
    if (clock.monotonicMs() < volgendeStapMs())
        return false;
    cyclusStartMs = clock.monotonicMs();
    CyclusRond = false;
    tempoTotMs = -1;
    return true;
}

// A poll went out and its reply is being gathered; news: something came that may finish it.
bool antwoordVerwacht = false;
bool antwoordNieuws = false;

// Polling goes on, or the exchange under way still ends.
bool uitwisselingLoopt() { return MetenActief || antwoordVerwacht; }

// A poll held back until the line is quiet: since when, and when to look again (nanoseconds on
// the connection's line clock; -1: none held).
qint64 vastgehoudenSindsNs = -1;
qint64 opnieuwKijkenNs = -1;

// No poll is held for a quiet line any more: it goes now, or it will not go.
void loslatenVastgehouden() { vastgehoudenSindsNs = opnieuwKijkenNs = -1; }

// The line is quiet for the next frame; otherwise the frame is held and the loop looks again
// once the line may have fallen quiet.
bool lijnStil()
{
    InstrumentConnection &c = InstrumentConnection::current();
    if (vastgehoudenSindsNs < 0)
        vastgehoudenSindsNs = c.lineClockNs();
    const qint64 ms = quietLineInMs(vastgehoudenSindsNs);
    if (ms > 0) {
        opnieuwKijkenNs = c.lineClockNs() + ms * 1'000'000;
        return false;
    }
    loslatenVastgehouden();
    return true;
}

// Real milliseconds until a held frame is looked at again; -1 when none is held.
qint64 vastgehoudenMs()
{
    if (opnieuwKijkenNs < 0)
        return -1;
    const qint64 ns = opnieuwKijkenNs - InstrumentConnection::current().lineClockNs();
    return ns <= 0 ? 0 : (ns + 999'999) / 1'000'000;
}

// Between two exchanges: no poll sent whose reply is still to be read.
bool tussenUitwisselingen() { return !antwoordVerwacht && Toestellen::OpvraagStatus != 2; }

struct Tussenwerk {
    QPointer<QObject> owner;
    bool owned;
    std::function<void()> werk;
    bool alive() const { return !owned || owner; }
};

std::deque<Tussenwerk> &tussenwerk()
{
    static std::deque<Tussenwerk> queue;
    return queue;
}

// Records being written (with their questions), and what waits for them.
int schrijvers = 0;
std::deque<Tussenwerk> &naSchrijven()
{
    static std::deque<Tussenwerk> queue;
    return queue;
}

void dropGone(std::deque<Tussenwerk> &queue)
{
    std::erase_if(queue, [](const Tussenwerk &w) { return !w.alive(); });
}

} // namespace

void TussenOpvraagStappen(QObject *owner, std::function<void()> werk)
{
    tussenwerk().push_back({owner, owner != nullptr, std::move(werk)});
}

bool UitvoerenTussenwerk()
{
    dropGone(tussenwerk());
    // A poll went out and its reply is still to be read: the work waits for the exchange's end.
    while (!tussenwerk().empty() && tussenUitwisselingen() &&
           !stapBezig && !Pump::ending()) {
        Tussenwerk werk = std::move(tussenwerk().front());
        tussenwerk().pop_front();
        if (!werk.alive())
            continue;
        // The work may wait (a question, a command's reply): no step starts meanwhile.
        OpvragenGehouden hold;
        werk.werk();
    }
    return !tussenwerk().empty();
}

bool RecordWriteRunning() { return schrijvers > 0; }

void AfterRecordWrite(QObject *owner, std::function<void()> work)
{
    if (schrijvers == 0) {
        work();
        return;
    }
    naSchrijven().push_back({owner, owner != nullptr, std::move(work)});
}

bool ReplyAwaited() { return antwoordVerwacht; }

void OpvraagBeurt()
{
    UitvoerenTussenwerk();
    if (uitwisselingLoopt())
        UitvoerenOpvraagStap();
}

OpvragenGehouden::OpvragenGehouden() { ++houders; }
OpvragenGehouden::~OpvragenGehouden() { --houders; }

bool OpvraagStapBezig() { return stapBezig; }
bool OpvragenGepauzeerd() { return stapBezig || houders > 0; }

namespace {

// A reply awaited no longer counts: the exchange was cut short (measuring off, a dialog that
// pauses polling, a lost line, the end of the program). The read is not counted; the slot
// finishes with state 4 when polling goes on.
void afbrekenAntwoord()
{
    if (!antwoordVerwacht)
        return;
    antwoordVerwacht = false;
    antwoordNieuws = false;
    InstrumentConnection &c = InstrumentConnection::current();
    c.disarmReply();
    // What came of it is read by nobody else: the next frame waits for the rest to pass, and
    // whatever came before it is dropped.
    c.BufferRS232.clear();
    if (Toestellen::OpvraagStatus == 2)
        Toestellen::OpvraagStatus = 3;
}

// Polling no longer waits for the read under way: a dialog that pauses polling, the end of the
// program or a line that went away cut it short, and it says nothing about the controller.
// Measuring switched off is no such cut: the exchange under way ends as it would.
bool leesAfgebroken()
{
    const PollHooks &h = pollHooks();
    return Bezig || Pump::ending() || (h.portOpen && !h.portOpen());
}

// Drives the poll loop from the event loop: every loop of the program, its own waits and Qt's
// modal ones (a menu held open, a file dialog) alike, runs its turns. No step waits for the
// line: a poll goes out, and the turn ends; the reply's bytes and its time-out start the next
// turn, which reads it. So the event loop handles the user's input between any two steps.
class Beurtplanner : public QObject {
    // More than the steps of one slot with every re-send, for every slot: a line where no poll
    // goes out (a closed port) still ends the turn.
    static constexpr int MaxStappenPerBeurt = 4 * MaxToestellen * 12;
    // Turns run at rest only: not inside a record's write or other work that pumps, and not
    // while a data file is read into the table.
    static bool pollen() { return uitwisselingLoopt() && HeeftTePollenToestel(); }
    static bool magDraaien()
    {
        return lusBinnen && !OpvragenGepauzeerd() && Pump::atRest() && !LadenBezig &&
               !Pump::ending();
    }

public:
    Beurtplanner()
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { beurt(); });
        // Whatever switched polling on (a dialog closing, Measure, a reloaded port), the loop
        // passes here before it sleeps.
        if (auto *dispatcher = QAbstractEventDispatcher::instance())
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { plan(); });
        connect(&InstrumentConnection::current(), &InstrumentConnection::replyProgress, this,
                [] { ReplyProgress(); });
    }

    // Arms the timer for the next turn, when there is one to take.
    void plan()
    {
        // A reply that polling no longer waits for is given up at once, not at its time-out.
        if (antwoordVerwacht && !stapBezig && leesAfgebroken())
            afbrekenAntwoord();
        if (!magDraaien())
            return;
        qint64 wachten = -1;
        qint64 tempo = -1;
        if (!tussenwerk().empty() && tussenUitwisselingen()) {
            wachten = 0;
        } else if (pollen()) {
            if (antwoordVerwacht)
                wachten = antwoordNieuws ? 0 : -1;
            else if (const qint64 stil = vastgehoudenMs(); stil >= 0)
                wachten = stil;
            else if (const qint64 tot = volgendeStapMs(); tot > Clock::current().monotonicMs())
                wachten = Clock::current().timerDelayMs(tempo = tot);
            else
                wachten = 0;
        }
        if (wachten < 0)
            return;
        if (m_timer.isActive() && m_timer.remainingTime() <= wachten)
            return;
        m_tempoTot = tempo;
        m_timer.start(int(qMin<qint64>(wachten, 24LL * 3600 * 1000)));
    }

    void beurt()
    {
        // A pacing wait's timer brings its deadline (a test clock jumps to it).
        if (m_tempoTot >= 0)
            Clock::current().timerReached(std::exchange(m_tempoTot, -1));
        if (!magDraaien())
            return;
        UitvoerenTussenwerk();
        // The steps follow each other, from a reply read to the next slot's poll, until a poll's
        // reply is to be awaited: none of them waits, and the bytes of the reply start the next
        // turn. Work waiting between exchanges, and the pacing, end the turn too.
        for (int steps = 0; steps < MaxStappenPerBeurt; ++steps) {
            if (!pollen() || OpvragenGepauzeerd() || Pump::ending() || !cyclusMagBeginnen())
                break;
            if (antwoordVerwacht && !antwoordNieuws)
                break;
            if (vastgehoudenMs() > 0)
                break;
            if (Toestellen::OpvraagStatus <= 0 && !tussenwerk().empty())
                break;
            antwoordNieuws = false;
            OpvraagBeurt();
        }
        plan();
    }

    // The reply's bytes came: read them now, when a turn may run here, rather than a turn of
    // the event loop later.
    void nieuws()
    {
        antwoordNieuws = true;
        if (magDraaien() && pollen())
            beurt();
        else
            plan();
    }

private:
    QTimer m_timer;
    qint64 m_tempoTot = -1; // the pacing deadline the timer runs to
};

Beurtplanner &planner()
{
    static QPointer<Beurtplanner> p;
    if (!p)
        p = new Beurtplanner;
    return *p;
}

} // namespace

void ResetPollCycle()
{
    cyclusStartMs = -1;
    tempoTotMs = -1;
    loslatenVastgehouden();
    afbrekenAntwoord();
}

void LineLost()
{
    afbrekenAntwoord();
    loslatenVastgehouden();
    const PollHooks &h = pollHooks();
    for (qint16 d = 1; d <= MaxToestellen; ++d) {
        if (!ToestelGeldig(d))
            continue;
        // As after failed reads: no value is shown, logged or drawn until one is read again,
        // which also clears the count.
        ToestelGegevens &t = Toestel[d];
        t.FoutTeller = qMax(t.FoutTeller, 3);
        for (KanaalGegevens &k : t.Kanaal) {
            k.Waarde.clear();
            k.GeenWaarde = false;
        }
        call(h.showReading, int(d));
    }
    call(h.refreshLamps, 0, false, true);
}

void TakeOverLine()
{
    afbrekenAntwoord();
    loslatenVastgehouden();
    waitForQuietLine();
    InstrumentConnection::current().dropInput();
}

void ReplyProgress()
{
    if (antwoordVerwacht)
        planner().nieuws();
}

PollHooks &pollHooks()
{
    static PollHooks hooks;
    return hooks;
}

bool HeeftTePollenToestel()
{
    for (int d = 1; d <= MaxToestellen; ++d)
        if (slotUsable(d))
            return true;
    return false;
}

void ZetMetenActief(bool on)
{
    MetenActief = on;
    if (!on) {
        afbrekenAntwoord();
        loslatenVastgehouden();
    }
    call(pollHooks().measuringShown);
}

void InstellenKnoppenMeten()
{
    MetenActief = true;
    call(pollHooks().measuringIndicators, true);
}

namespace {
// A record the log timer found due goes to the file, the table and the graphs.
void schrijfDueRecord()
{
    const PollHooks &h = pollHooks();
    if (LoggenActief && h.recordDue && h.recordDue()) {
        call(h.takeRecord);
        VerwerkenLegeMeting(QString());
    }
}
} // namespace

void StartStopMeten()
{
    // The flag goes first: the indicators show every rack window's reading as measuring off.
    MetenActief = false;
    call(pollHooks().measuringIndicators, false);
    // The exchange under way ends as it would: its reply is read, or times out, and counts;
    // then the slot is finished and no new frame goes out.
    if (antwoordVerwacht)
        return;
    // A poll held for a quiet line never goes.
    loslatenVastgehouden();
    // The slot being polled is finished with state 4. Between two slots (the last one done and
    // the next not yet begun) there is none: the next slot stays first when measuring goes on,
    // and only a record that is due is written.
    if (Toestellen::OpvraagStatus <= 0) {
        if (!stapBezig)
            schrijfDueRecord();
        return;
    }
    Toestellen::OpvraagStatus = 4;
    OpvragenToestel(Toestellen::HuidigToestel, Toestellen::OpvraagStatus);
}

void VolgendOpvraagToestel(qint16 &slot)
{
    const qint16 start = slot;
    do {
        ++slot;
        if (slot > MaxToestellen) {
            slot = 1;
            CyclusRond = true;
            CyclusVoltooid = true;
            call(pollHooks().cycleEnded);
        }
        if (slotUsable(slot))
            return;
    } while (slot != start);
}

void HerstartOpvraagCyclus()
{
    VolgendOpvraagToestel(Toestellen::HuidigToestel);
    Toestellen::OpvraagStatus = 1;
}

void UitvoerenOpvraagStap()
{
    if (stapBezig || !cyclusMagBeginnen())
        return;
    if (!ToestelGeldig(Toestellen::HuidigToestel)) {
        VolgendOpvraagToestel(Toestellen::HuidigToestel);
        Toestellen::OpvraagStatus = 1;
        return;
    }
    ++Toestellen::OpvraagStatus;
    if (Toestellen::OpvraagStatus > 4)
        HerstartOpvraagCyclus();
    OpvragenToestel(Toestellen::HuidigToestel, Toestellen::OpvraagStatus);
}

namespace {
void zendPoll(qint16 slot)
{
    call(pollHooks().sendPoll, int(slot));
    antwoordVerwacht = true;
    antwoordNieuws = false;
}

// The slot's last state: its reading shown, a due record written, the next slot taken.
void afronden(qint16 slot, qint16 &state)
{
    const PollHooks &h = pollHooks();
    call(h.showReading, int(slot));
    call(h.refreshLamps, int(slot), false, false);
    schrijfDueRecord();
    VolgendOpvraagToestel(Toestellen::HuidigToestel);
    // The pacing wait begins here, as the cycle wraps.
    beginTempo();
    state = 0;
}
} // namespace

void OpvragenToestel(qint16 slot, qint16 &state)
{
    // A step never starts inside another one.
    if (stapBezig)
        return;
    struct Stap {
        Stap() { stapBezig = true; }
        ~Stap() { stapBezig = false; }
    } stap;
    // The slot is taken by value: a command run inside a record's question may move
    // HuidigToestel on, and the running step must still be counted against its own slot.
    if (!ToestelGeldig(slot)) {
        VolgendOpvraagToestel(Toestellen::HuidigToestel);
        slot = Toestellen::HuidigToestel;
        state = 1;
        if (!ToestelGeldig(slot))
            return;
    }
    PollHooks &h = pollHooks();
    ToestelGegevens &t = Toestel[slot];
    switch (state) {
    case 1:
        if (t.Defect) {
            if (t.Wachtbeurten > 0) {
                --t.Wachtbeurten;
                return;
            }
            t.Defect = false;
            t.Wachtbeurten = 5;
        }
        call(h.refreshLamps, int(slot), true, true);
        break;
    case 2:
        // The poll waits for a quiet line; the next step tries again.
        if (!lijnStil()) {
            state = 1;
            return;
        }
        zendPoll(slot);
        break;
    case 3: {
        const ReadResult read = h.readReply ? h.readReply(slot) : ReadResult::Failed;
        if (read == ReadResult::Waiting) {
            // Not all in yet: the reply's bytes or its time-out bring the next try.
            state = 2;
            return;
        }
        antwoordVerwacht = false;
        if (read == ReadResult::CutShort)
            return;
        // A read cut short is not counted: the controller is polled again later.
        if (read == ReadResult::Failed && !leesAfgebroken()) {
            VerhogenFoutTeller(slot);
            if (t.FoutTeller > 10) {
                MarkerenToestelDefect(slot);
            } else if (MetenActief) {
                // Sent again at once, once the line is quiet.
                state = 2;
                if (!lijnStil())
                    state = 1;
                else
                    zendPoll(slot);
                return;
            }
        }
        // Measuring was switched off during the exchange: the slot is finished now.
        if (!MetenActief)
            afronden(slot, state);
        break;
    }
    case 4:
        afronden(slot, state);
        break;
    default:
        break;
    }
}

void InitialiserenToestellen()
{
    ResetToestellen();
}

void VerwerkenLegeMeting(const QString &info)
{
    if (AantalRijen == 0 && RelatieveTijd)
        TijdBasis = MeetTijdstip;
    ++AantalRijen;
    VerwerkenMeting(info, 0);
}

void VerwerkenMeting(const QString &info, qint16 tnr)
{
    // The write may ask the user (a file that cannot be reopened): that answer belongs to the
    // record, and no poll step runs before it is given, nor a command that touches the file or
    // the table.
    {
        OpvragenGehouden hold;
        ++schrijvers;
        PollHooks &h = pollHooks();
        call(h.writeRecord, info, int(tnr));
        call(h.appendTableRow, info, int(tnr));
        call(h.feedGraphs, AantalRijen);
        --schrijvers;
    }
    if (schrijvers > 0)
        return;
    // What waited runs at the event loop's next turn, each piece asking again: another record
    // may be written first.
    dropGone(naSchrijven());
    while (!naSchrijven().empty()) {
        Tussenwerk w = std::move(naSchrijven().front());
        naSchrijven().pop_front();
        QObject *context = w.owned ? w.owner.data() : QCoreApplication::instance();
        if (!context)
            continue;
        QTimer::singleShot(0, context, [w = std::move(w)] {
            if (w.alive())
                AfterRecordWrite(w.owner, w.werk);
        });
    }
}

QString ToestelLabel(const ToestelGegevens &toestel)
{
    const QString naam = toestel.Naam.trimmed();
    if (!naam.isEmpty())
        return naam;
    return toestel.Type.trimmed() + QStringLiteral(" #") +
           QStringLiteral("%1").arg(toestel.Idno, 3, 10, QLatin1Char('0'));
}

void StartenMeten()
{
    PollHooks &h = pollHooks();
    const auto portOpen = [&] { return h.portOpen ? h.portOpen() : false; };
    if (!portOpen())
        call(h.openPort);
    if (!portOpen() || AantalToestellen() == 0)
        call(h.runSettingsDialog);
    call(h.clearPortBuffers);
    if (AantalToestellen() > 0) {
        if (LaadBestand || BestandOpCommando)
            call(h.loadDataFile);
        else
            call(h.newDataFileName);
        call(h.addRecentFile, Meetbestandsnaam);
    }
    BestandOpCommando = false;
    call(h.prepareRackWindows);
    InstellenKnoppenMeten();
    Toestellen::OpvraagStatus = 1;
    Toestellen::HuidigToestel = 1;
    CyclusRond = false;
    CyclusVoltooid = false;
    ResetPollCycle();
    OpvragenToestel(Toestellen::HuidigToestel, Toestellen::OpvraagStatus);
    if (StartLoggen)
        call(h.startStopLogging);
    else
        call(h.setLogTimerEnabled, true);
    InstellingenGewijzigd = false;

    // From here every wait of the program advances the loop, this one included.
    lusBinnen = true;
    planner().plan();
    Pump::until([] {
        // Objects deleted at this level are otherwise never freed.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ProgrammaStoppen || InstellingenHerladen;
    });
    lusBinnen = false;
}
