#pragma once
// What the graph road tests share: a clock that skips time and the graph blocks of a settings file.
#include "instruments/pollloop.h"
#include "platform/clock.h"
#include "platform/codec.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QCoreApplication>

// The system clock, moved on by hand when the test skips time: serial waits still wait for the
// simulator's real replies, while a recorder's seconds pass at once.
class SkippingClock : public SystemClock {
public:
    qint64 monotonicMs() const override { return SystemClock::monotonicMs() + m_skipped; }
    QDateTime now() const override { return SystemClock::now().addMSecs(m_skipped); }
    void waitUntil(qint64 deadlineMs) override { SystemClock::waitUntil(deadlineMs - m_skipped); }
    void skip(qint64 ms) { m_skipped += ms; }

private:
    qint64 m_skipped = 0;
};

// The blocks of graph settings in a settings file's text.
inline QStringList graphBlocks(const QString &text)
{
    QStringList blocks;
    qsizetype at = 0;
    while ((at = text.indexOf(QLatin1String("[GRAPHICS]"), at)) >= 0) {
        const qsizetype end = text.indexOf(QLatin1String("[END]"), at);
        blocks << text.mid(at, end - at);
        at = end;
    }
    return blocks;
}

inline QString fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? Cp1252::decode(f.readAll()) : QString();
}

// Reads the reply to the poll just sent to the slot, once it is all in (the poll loop reads it
// as its bytes come); true when the reading counts.
inline bool readReplyNow(int slot)
{
    ReadResult r = ReadResult::Waiting;
    // The reply's bytes and its time-out wake the event loop.
    while ((r = pollHooks().readReply(slot)) == ReadResult::Waiting)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return r == ReadResult::Counted;
}
