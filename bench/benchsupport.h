#pragma once
// What the benches share: the memory the process holds, and the verdict on each goal.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <unistd.h>

// The process's resident memory in bytes (0 where the system does not tell).
inline qint64 residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Every goal is reported as met or plainly missed; a missed one fails the run.
class Goals {
public:
    const char *judge(bool met)
    {
        m_allMet = m_allMet && met;
        return met ? "met" : "MISSED";
    }
    bool allMet() const { return m_allMet; }
    // The run's exit status.
    int status() const { return m_allMet ? 0 : 1; }

private:
    bool m_allMet = true;
};
