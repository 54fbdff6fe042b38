#include "instruments/connection.h"

#include "core/shared.h"
#include "platform/clock.h"

namespace {
InstrumentConnection *installed = nullptr;
// The trigger level of a PC serial port's receive buffer: it hands bytes on in groups of this
// many while they stream in.
constexpr qint64 ReceiveGroupBytes = 8;
// However fast the line, a gap shorter than this is lost in the system's own scheduling.
constexpr qint64 MinQuietNs = 3'000'000;
}

void TickTimer::setInterval(int ms)
{
    const qint16 now = ticks();
    m_interval = qMax(1, ms);
    setTicks(now);
}

void TickTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    const qint16 now = ticks();
    m_enabled = enabled;
    setTicks(now);
}

qint16 TickTimer::ticks() const
{
    if (!m_enabled)
        return qint16(m_base);
    const qint64 elapsed = Clock::current().monotonicMs() - m_startMs;
    return qint16((m_base + qMax<qint64>(0, elapsed) / m_interval) % 32768);
}

void TickTimer::setTicks(qint16 value)
{
    m_base = value;
    m_startMs = Clock::current().monotonicMs();
}

qint64 TickTimer::deadline(qint32 n) const
{
    return m_startMs + qint64(qMax(0, n - m_base)) * m_interval;
}

InstrumentConnection::InstrumentConnection(QObject *parent) : QObject(parent)
{
    TimerComm.setInterval(1000);
    m_lineClock.start();
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] {
        if (!m_armed)
            return;
        Clock::current().timerReached(m_replyDeadlineMs);
        emit replyProgress();
    });
    connect(&MSComm1, &SerialPort::readyRead, this, &InstrumentConnection::onReadyRead);
    connect(&MSComm1, &SerialPort::lost, this, [this] {
        if (m_armed)
            emit replyProgress();
    });
}

InstrumentConnection::~InstrumentConnection()
{
    if (installed == this)
        installed = nullptr;
}

InstrumentConnection &InstrumentConnection::current()
{
    if (installed)
        return *installed;
    // Never destroyed: it may hold an open port when the program's objects are gone.
    static auto *fallback = new InstrumentConnection;
    return *fallback;
}

void InstrumentConnection::install(InstrumentConnection *connection) { installed = connection; }

QByteArray InstrumentConnection::readInput(bool portJustRead)
{
    if (!MSComm1.isOpen())
        return {};
    const qint64 lookBefore = m_lastLookMs;
    QByteArray bytes = MSComm1.inBufferCount() > 0 ? MSComm1.readAll() : QByteArray();
    m_unreadNoted = 0;
    const qint64 now = Clock::current().monotonicMs();
    // A look that left bytes in the system saw only part of what had come: it proves nothing
    // about a deadline. The port's own read, just done, took all there was.
    if (m_armed && (portJustRead || MSComm1.unreadInSystem() == 0))
        m_lastLookMs = now;
    if (bytes.isEmpty())
        return bytes;
    noteInput(bytes.size());
    // Only NUL and 255 are line noise; blanks belong to the replies.
    bytes.removeIf([](char c) { return c == '\0' || c == '\xff'; });
    BufferRS232.append(bytes);
    if (m_armed && !bytes.isEmpty())
        m_arrivals.push_back({BufferRS232.size(), now, lookBefore});
    if (!bytes.isEmpty() && Hoofdmodule::ToonCodeOntvangen)
        emit received(bytes);
    return bytes;
}

void InstrumentConnection::dropInput()
{
    MSComm1.clearInput();
    BufferRS232.clear();
    m_unreadNoted = 0;
}

void InstrumentConnection::noteInput(qint64 count)
{
    if (count <= 0)
        return;
    m_lastInputNs = m_lineClock.nsecsElapsed();
    m_lastBatchWhole = count >= ReceiveGroupBytes;
}

void InstrumentConnection::noteUnread()
{
    const qint64 unread = MSComm1.inBufferCount();
    noteInput(unread - m_unreadNoted);
    m_unreadNoted = unread;
}

qint64 InstrumentConnection::quietLineInNs(qint64 heldSinceNs, qint64 longestNs)
{
    if (!MSComm1.isOpen())
        return 0;
    // What the system holds and the event loop has not yet handed on came just now.
    if (MSComm1.unreadInSystem() > 0) {
        m_lastInputNs = m_lineClock.nsecsElapsed();
        m_lastBatchWhole = true;
    } else {
        noteUnread();
    }
    if (m_lastInputNs < 0)
        return 0;
    const qint64 character = MSComm1.characterNs();
    // A PC's serial port hands bytes on in groups as its receive buffer fills, and the rest
    // once the line has rested. After a group or more the line may still be carrying the next
    // one, which the system hands on with delays of its own.
    const qint64 gap = m_lastBatchWhole ? character * (7 + 2 * ReceiveGroupBytes) / 2 + MinQuietNs
                                        : qMax(character * 7 / 2, MinQuietNs);
    const qint64 now = m_lineClock.nsecsElapsed();
    const qint64 quietAt = qMin(m_lastInputNs + gap, heldSinceNs + longestNs);
    return qMax<qint64>(0, quietAt - now);
}

void InstrumentConnection::armReply(const QByteArray &terminator, qint64 deadlineMs)
{
    m_armed = true;
    m_replyStartMs = Clock::current().monotonicMs();
    m_lastLookMs = m_replyStartMs;
    m_arrivals.clear();
    m_arrivals.push_back({BufferRS232.size(), m_replyStartMs, m_replyStartMs});
    m_lineEnds = 0;
    setReplyWait(terminator, deadlineMs);
}

void InstrumentConnection::disarmReply()
{
    m_armed = false;
    m_replyTimer.stop();
    m_arrivals.clear();
}

void InstrumentConnection::setReplyWait(const QByteArray &terminator, qint64 deadlineMs)
{
    if (!m_armed)
        return;
    // Every terminator ends a line, so only a batch holding its last byte can end the wait.
    m_wakeByte = terminator.isEmpty() ? '\n' : terminator.back();
    m_replyDeadlineMs = deadlineMs;
    const qint64 delay = Clock::current().timerDelayMs(deadlineMs);
    m_replyTimer.start(int(qMin<qint64>(delay, 24LL * 3600 * 1000)));
}

void InstrumentConnection::onReadyRead()
{
    if (!m_armed) {
        // Nobody reads them now; they are dropped at the next send, or read by a wait. Their
        // coming keeps the line busy.
        noteUnread();
        return;
    }
    const QByteArray bytes = readInput(true);
    // Every reply is its acknowledgment line and more: it is first tried once a second line
    // is in (or at its time-out). Tried sooner, it could only be found incomplete, and a try
    // later judges it the same, by when its bytes came.
    m_lineEnds += bytes.count('\n');
    if (m_lineEnds >= 2 && (bytes.contains(m_wakeByte) || bytes.contains('\n')))
        emit replyProgress();
}
