#include "instruments/pollloop.h"

#include "core/services.h"
#include "core/shared.h"
#include "instruments/decoders.h"
#include "platform/clock.h"
#include "platform/pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <deque>

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

// A step is running (from its first state to its last, the reply wait included), or something
// holds polling (a record's write, a command exchange with one controller, a download).
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
    if (!(CyclusRond && MetenActief) || cyclusStartMs < 0)
        return 0;
    const qint64 startSecond = cyclusStartMs / 1000;
    const qint64 needed = qint64(AntwoordWachttijd / 10) + 1; // "greater than"
    return (startSecond + needed) * 1000;
}

// True when the next step may start now; a wrapped cycle starts over here.
bool cyclusMagBeginnen()
{
    if (!(CyclusRond && MetenActief))
        return true;
    Clock &clock = Clock::current();
    if (clock.monotonicMs() < volgendeCyclusMs())
        return false;
    cyclusStartMs = clock.monotonicMs();
    CyclusRond = false;
    return true;
}

std::deque<std::function<void()>> &tussenwerk()
{
    static std::deque<std::function<void()>> queue;
    return queue;
}

} // namespace

void TussenOpvraagStappen(std::function<void()> werk)
{
    tussenwerk().push_back(std::move(werk));
}

bool UitvoerenTussenwerk()
{
    // State 2: a poll went out and its reply is still to be read.
    while (!tussenwerk().empty() && Toestellen::OpvraagStatus != 2 && !stapBezig &&
           !Pump::ending()) {
        std::function<void()> werk = std::move(tussenwerk().front());
        tussenwerk().pop_front();
        // The work may wait (a question, a command's reply): no step starts meanwhile.
        OpvragenGehouden hold;
        werk();
    }
    return !tussenwerk().empty();
}

void OpvraagBeurt()
{
    UitvoerenTussenwerk();
    if (MetenActief)
        UitvoerenOpvraagStap();
}

OpvragenGehouden::OpvragenGehouden() { ++houders; }
OpvragenGehouden::~OpvragenGehouden() { --houders; }

bool OpvraagStapBezig() { return stapBezig; }
bool OpvragenGepauzeerd() { return stapBezig || houders > 0; }

namespace {

// Drives the poll loop from the event loop: every loop of the program, its own waits and Qt's
// modal ones (a menu held open, a file dialog) alike, runs its turns. A turn is one whole
// exchange with a controller; between turns the event loop handles the user's input, which
// waits while an exchange runs (see Pump::InputHold).
class Beurtplanner : public QObject {
    // Turns run at rest only: not inside an exchange, a record's write or other work that
    // pumps, and not while a data file is read into the table.
    static bool pollen() { return MetenActief && HeeftTePollenToestel(); }
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
    }

    // Arms the timer for the next turn, when there is one to take.
    void plan()
    {
        if (!magDraaien())
            return;
        qint64 wachten = -1;
        // Work between steps waits while a poll's reply is unread (state 2).
        if (!tussenwerk().empty() && (Toestellen::OpvraagStatus != 2 || pollen())) {
            wachten = 0;
        } else if (pollen()) {
            wachten = qMax<qint64>(0, volgendeCyclusMs() - Clock::current().monotonicMs());
        }
        if (wachten < 0)
            return;
        if (m_timer.isActive() && m_timer.remainingTime() <= wachten)
            return;
        m_timer.start(int(qMin<qint64>(wachten, 24LL * 3600 * 1000)));
    }

    void beurt()
    {
        if (!magDraaien())
            return;
        UitvoerenTussenwerk();
        // The steps of one exchange follow each other, with the work waiting between steps;
        // the turn ends with the exchange.
        while (pollen() && !OpvragenGepauzeerd() && !Pump::ending() && cyclusMagBeginnen()) {
            OpvraagBeurt();
            const qint16 status = Toestellen::OpvraagStatus;
            if (status <= 0 || status >= 4)
                break;
        }
        plan();
    }

private:
    QTimer m_timer;
};

Beurtplanner &planner()
{
    static QPointer<Beurtplanner> p;
    if (!p)
        p = new Beurtplanner;
    return *p;
}

} // namespace

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
    call(pollHooks().measuringShown);
}

void InstellenKnoppenMeten()
{
    MetenActief = true;
    call(pollHooks().measuringIndicators, true);
}

void StartStopMeten()
{
    // The flag goes first: the indicators show every rack window's reading as measuring off.
    MetenActief = false;
    call(pollHooks().measuringIndicators, false);
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

void OpvragenToestel(qint16 slot, qint16 &state)
{
    // A step never starts inside another one.
    if (stapBezig)
        return;
    struct Stap {
        Pump::InputHold input;
        Stap() { stapBezig = true; }
        ~Stap() { stapBezig = false; }
    } stap;
    // The slot is taken by value: a command nested in a reply wait may move HuidigToestel on,
    // and the running exchange must still be counted against the slot it polled.
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
        call(h.sendPoll, int(slot));
        break;
    case 3: {
        const bool ok = h.readReply ? h.readReply(slot) : false;
        if (ok)
            return;
        // A read cut short by the settings dialog, by switching measuring off or by a line that
        // went away says nothing about the controller: poll it again later instead of counting
        // it.
        if (!MetenActief || Bezig || Pump::ending() || (h.portOpen && !h.portOpen()))
            return;
        VerhogenFoutTeller(slot);
        if (t.FoutTeller > 10) {
            MarkerenToestelDefect(slot);
            return;
        }
        state = 2;
        call(h.sendPoll, int(slot));
        break;
    }
    case 4: {
        call(h.showReading, int(slot));
        call(h.refreshLamps, int(slot), false, false);
        if (LoggenActief && h.recordDue && h.recordDue()) {
            call(h.takeRecord);
            VerwerkenLegeMeting(QString());
        }
        VolgendOpvraagToestel(Toestellen::HuidigToestel);
        state = 0;
        break;
    }
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
    // record, and no poll step runs before it is given.
    OpvragenGehouden hold;
    PollHooks &h = pollHooks();
    call(h.writeRecord, info, int(tnr));
    call(h.appendTableRow, info, int(tnr));
    call(h.feedGraphs, AantalRijen);
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
    cyclusStartMs = -1;
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
