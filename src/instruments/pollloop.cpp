#include "instruments/pollloop.h"

#include "core/services.h"
#include "core/shared.h"
#include "instruments/decoders.h"
#include "platform/clock.h"
#include "platform/pump.h"

#include <QCoreApplication>
#include <QEvent>
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

// After a wrapped cycle, wait until more whole seconds than the reply time-out (in seconds)
// have passed since the cycle began. Measured on the monotonic clock, so a wall clock set back
// does not stall polling.
void paceCycle()
{
    if (!(CyclusRond && MetenActief))
        return;
    Clock &clock = Clock::current();
    if (cyclusStartMs >= 0) {
        const qint64 startSecond = cyclusStartMs / 1000;
        const qint64 needed = qint64(AntwoordWachttijd / 10) + 1; // "greater than"
        const qint64 wakeMs = (startSecond + needed) * 1000;
        Pump::until([&] { return clock.monotonicMs() / 1000 - startSecond >= needed; },
                    qMax<qint64>(0, wakeMs - clock.monotonicMs()));
    }
    cyclusStartMs = clock.monotonicMs();
    CyclusRond = false;
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
    while (!tussenwerk().empty() && Toestellen::OpvraagStatus != 2 && !Pump::ending()) {
        std::function<void()> werk = std::move(tussenwerk().front());
        tussenwerk().pop_front();
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
        // A read cut short by the settings dialog or by switching measuring off says nothing
        // about the controller: poll it again later instead of counting it.
        if (!MetenActief || Bezig || Pump::ending())
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
        const bool timerOn = h.logTimerEnabled ? h.logTimerEnabled() : true;
        if (!timerOn && LoggenActief) {
            call(h.stampRecord);
            VerwerkenLegeMeting(QString());
            call(h.setLogTimerEnabled, true);
        }
        VolgendOpvraagToestel(Toestellen::HuidigToestel);
        paceCycle();
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

    while (!ProgrammaStoppen && !InstellingenHerladen && !Pump::ending()) {
        // Objects deleted at this level are otherwise never freed.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (MetenActief && HeeftTePollenToestel()) {
            Pump::keepResponsive();
            OpvraagBeurt();
        } else {
            Pump::waitForEvent();
            UitvoerenTussenwerk();
        }
    }
}
