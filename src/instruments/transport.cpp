#include "instruments/transport.h"

#include "core/shared.h"
#include "instruments/connection.h"
#include "instruments/protocol.h"
#include "platform/clock.h"
#include "platform/pump.h"

namespace {

// The reply gathered so far, replayed to a decoder: what its waits would have seen, and when.
struct Replay {
    InstrumentConnection &c;
    QByteArray bytes;     // everything received since the send
    qsizetype taken = 0;  // what the waits have cut from the front
    qint64 waitStartMs;   // when the current wait began
    qint64 nowMs;
    bool timedOut = false;

    // The batch that brought the byte before offset end.
    const InstrumentConnection::Arrival *batchOf(qsizetype end) const
    {
        for (const auto &arrival : c.replyArrivals())
            if (arrival.size >= end)
                return &arrival;
        return nullptr;
    }
    // How much had come at the moment.
    qsizetype availableAt(qint64 ms) const
    {
        qsizetype size = 0;
        for (const auto &arrival : c.replyArrivals()) {
            if (arrival.ms > ms)
                break;
            size = arrival.size;
        }
        return size;
    }
};
Replay *replay = nullptr;
// Thrown by a replayed wait for bytes still to come: the run ends there.
struct NotYetIn {};

// As the blocking wait judges: it looks at the port, then at its counter. So a line end counts
// as come in time unless an earlier look, made after the deadline, found none; and the wait
// times out only once a look after the deadline found no line end. A program held busy past
// the deadline thus takes what came meanwhile as come in time.
void replayWait(Replay &a, QByteArray &reply, const QByteArray &terminator)
{
    const qint64 limitMs = qint64(Hoofdmodule::AntwoordWachttijd) * 100;
    a.timedOut = false;
    if (!reply.contains(terminator) && a.c.CommConditiesOK() && !Pump::ending()) {
        const qint64 deadline = a.waitStartMs + limitMs;
        const qsizetype at = a.bytes.indexOf(terminator, a.taken);
        const auto *batch = at >= 0 ? a.batchOf(at + terminator.size()) : nullptr;
        if (batch && batch->lookBeforeMs < deadline) {
            a.waitStartMs = qMax(a.waitStartMs, batch->ms);
        } else if (batch || a.c.lastLookMs() >= deadline) {
            a.timedOut = true;
            a.waitStartMs = deadline;
        } else {
            a.c.setReplyWait(terminator, deadline);
            throw NotYetIn{};
        }
    }
    const qsizetype at = a.bytes.indexOf(terminator, a.taken);
    const qsizetype end = at + terminator.size();
    if (at >= 0 && end <= a.availableAt(a.waitStartMs)) {
        reply += a.bytes.mid(a.taken, end - a.taken);
        a.taken = end;
    }
}

// How long a frame may be held for a line that does not fall quiet: one reply time-out.
qint64 longestHoldNs()
{
    return qint64(StandaardWachttijd(Hoofdmodule::Baudrate)) * 100'000'000LL;
}

bool validSlot(qint16 slot) { return slot >= 1 && slot <= MaxToestellen; }

void sendBytes(InstrumentConnection &c, const QByteArray &bytes)
{
    if (!c.MSComm1.isOpen())
        return;
    c.MSComm1.write(bytes);
    Transport::VerzondenTekens += qint16(bytes.size());
}

} // namespace

QString AdresTekst(qint32 n)
{
    const QString digits = QString::number(qAbs(qint64(n))).rightJustified(3, '0');
    return QLatin1Char('#') + (n < 0 ? QStringLiteral("-") : QString()) + digits;
}

quint8 Controlegetal(const QByteArray &text)
{
    qint32 sum = 0;
    for (char c : text)
        sum += static_cast<unsigned char>(c);
    return quint8(sum - 256 * (sum / 256));
}

QByteArray FrameBytes(qint16 slot, const QByteArray &command)
{
    if (!validSlot(slot))
        return {};
    QByteArray frame = AdresTekst(Toestel[slot].Idno).toLatin1() + '\t' + command;
    if (Protocol::MetControlegetal[size_t(slot)]) {
        const QByteArray summed =
            FamilyOf(Toestel[slot].Type) == ModelFamily::T57Checksum ? command : frame;
        frame += char(Controlegetal(summed));
    }
    return frame + "\r\n";
}

void ZendCommando(qint16 slot, const QByteArray &command)
{
    waitForQuietLine();
    sendFrameNow(slot, command);
}

void sendFrameNow(qint16 slot, const QByteArray &command)
{
    Hoofdmodule::AfbrekenZoeken = false;
    InstrumentConnection &c = InstrumentConnection::current();
    // A reply belongs to the last frame sent: one still awaited is no longer gathered.
    c.disarmReply();
    if (!c.MSComm1.isOpen() || !validSlot(slot))
        return;

    // A reply belongs to the last frame sent: whatever is unread goes.
    c.dropInput();
    c.MSComm1.clearOutput();

    c.Commando = AdresTekst(Toestel[slot].Idno).toLatin1() + '\t' + command;
    c.AantalbytesUIT = quint8(c.Commando.size());
    Transport::LaatsteCommando[size_t(slot)] =
        FamilyOf(Toestel[slot].Type) == ModelFamily::T57Checksum ? command : c.Commando;

    c.MSComm1.setDtr(true);
    Transport::VerzondenTekens = 0;
    // The whole frame in one write: byte by byte, every byte would be a call to the system.
    QByteArray frame = c.Commando;
    if (Protocol::MetControlegetal[size_t(slot)]) {
        c.ChecksumUIT = 0;
        for (char byte : std::as_const(Transport::LaatsteCommando[size_t(slot)]))
            c.ChecksumUIT += static_cast<unsigned char>(byte);
        frame += char(c.ChecksumUIT - 256 * (c.ChecksumUIT / 256));
    }
    frame += "\r\n";
    sendBytes(c, frame);
    if (!c.MSComm1.isOpen())
        return;
    c.MSComm1.flush();
    c.MSComm1.setDtr(true);
    c.MSComm1.setRts(false);
    if (Hoofdmodule::ToonCodeZenden)
        c.emitSent(c.Commando + "\r\n");
}

qint64 quietLineInMs(qint64 heldSinceNs)
{
    const qint64 ns = InstrumentConnection::current().quietLineInNs(heldSinceNs, longestHoldNs());
    return (ns + 999'999) / 1'000'000;
}

void waitForQuietLine()
{
    InstrumentConnection &c = InstrumentConnection::current();
    const qint64 since = c.lineClockNs();
    for (;;) {
        const qint64 ms = quietLineInMs(since);
        if (ms <= 0 || !c.MSComm1.isOpen() || Pump::ending())
            return;
        Pump::waitRealMs(ms);
    }
}

QDateTime replyMoment()
{
    Clock &clock = Clock::current();
    if (!replay)
        return clock.now();
    return clock.now().addMSecs(qMin<qint64>(0, replay->waitStartMs - replay->nowMs));
}

qint32 StandaardWachttijd(const QString &baudrate)
{
    if (baudrate == QLatin1String("300"))
        return 30;
    if (baudrate == QLatin1String("600"))
        return 20;
    return 15;
}

void StartTimeOut(float timeout)
{
    InstrumentConnection &c = InstrumentConnection::current();
    c.TimerComm.setInterval(100);
    c.TimerComm.setEnabled(true);
    c.setTellerCOMM(0);
    Hoofdmodule::AntwoordWachttijd =
        timeout == 0 ? StandaardWachttijd(Hoofdmodule::Baudrate) : qint32(qRound(timeout));
}

void WachtOpAntwoord(QByteArray &reply, const QByteArray &terminator, float timeout)
{
    InstrumentConnection &c = InstrumentConnection::current();
    StartTimeOut(timeout);
    if (replay) {
        replayWait(*replay, reply, terminator);
        return;
    }
    if (!reply.contains(terminator)) {
        const qint32 limit = Hoofdmodule::AntwoordWachttijd;
        for (;;) {
            c.readInput();
            if (c.BufferRS232.contains(terminator) || c.TellerCOMM() >= limit ||
                !c.CommConditiesOK() || Pump::ending())
                break;
            // Received bytes, a lost port and the deadline all wake this wait.
            Clock::current().waitUntil(c.TimerComm.deadline(limit));
        }
    }
    const qsizetype at = c.BufferRS232.indexOf(terminator);
    if (at >= 0) {
        const qsizetype end = at + terminator.size();
        reply += c.BufferRS232.left(end);
        c.BufferRS232.remove(0, end);
    }
}

void WachtMilliseconden(qint32 &ms)
{
    if (ms > 65535)
        ms = 65535;
    if (ms <= 0)
        return;
    InstrumentConnection &c = InstrumentConnection::current();
    c.TimerComm.setEnabled(false);
    c.setTellerCOMM(0);
    c.TimerComm.setInterval(ms);
    c.TimerComm.setEnabled(true);
    while (c.TellerCOMM() < 1 && !c.Pauzeren && !Pump::ending())
        Clock::current().waitUntil(c.TimerComm.deadline(1));
    c.TimerComm.setEnabled(false);
}

void expectReply(qint16 slot)
{
    InstrumentConnection &c = InstrumentConnection::current();
    if (!c.MSComm1.isOpen() || !validSlot(slot))
        return;
    const qint64 limitMs = qint64(StandaardWachttijd(Hoofdmodule::Baudrate)) * 100;
    c.armReply(Protocol::AntwoordEinde[size_t(slot)], Clock::current().monotonicMs() + limitMs);
}

ReplayOutcome replayReply(const std::function<void()> &decode)
{
    InstrumentConnection &c = InstrumentConnection::current();
    if (!c.replyArmed())
        return ReplayOutcome::NotArmed;
    // What the port holds and has not yet announced counts too.
    c.readInput();
    Replay a{c, c.BufferRS232, 0, c.replyStartMs(), Clock::current().monotonicMs()};
    struct Current {
        explicit Current(Replay *r) { replay = r; }
        ~Current() { replay = nullptr; }
    } current(&a);
    try {
        decode();
    } catch (const NotYetIn &) {
        return ReplayOutcome::Incomplete;
    }
    c.BufferRS232.remove(0, a.taken);
    c.disarmReply();
    return ReplayOutcome::Complete;
}

bool replyTimedOut()
{
    if (replay)
        return replay->timedOut;
    return InstrumentConnection::current().TellerCOMM() >= Hoofdmodule::AntwoordWachttijd;
}
