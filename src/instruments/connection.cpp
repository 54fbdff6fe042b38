#include "instruments/connection.h"

#include "core/shared.h"
#include "platform/clock.h"

namespace {
InstrumentConnection *installed = nullptr;
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

QByteArray InstrumentConnection::readInput()
{
    if (!MSComm1.isOpen() || MSComm1.inBufferCount() <= 0)
        return {};
    QByteArray bytes = MSComm1.readAll();
    // Only NUL and 255 are line noise; blanks belong to the replies.
    bytes.removeIf([](char c) { return c == '\0' || c == '\xff'; });
    BufferRS232.append(bytes);
    if (m_armed && !bytes.isEmpty())
        m_arrivals.emplace_back(BufferRS232.size(), Clock::current().monotonicMs());
    if (!bytes.isEmpty() && Hoofdmodule::ToonCodeOntvangen)
        emit received(bytes);
    return bytes;
}

void InstrumentConnection::armReply(const QByteArray &terminator, qint64 deadlineMs)
{
    m_armed = true;
    m_replyStartMs = Clock::current().monotonicMs();
    m_arrivals.clear();
    m_arrivals.emplace_back(BufferRS232.size(), m_replyStartMs);
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
    if (!m_armed)
        return;
    const QByteArray bytes = readInput();
    if (bytes.contains(m_wakeByte))
        emit replyProgress();
}
