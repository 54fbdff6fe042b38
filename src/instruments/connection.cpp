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
    if (!bytes.isEmpty() && Hoofdmodule::ToonCodeOntvangen)
        emit received(bytes);
    return bytes;
}
