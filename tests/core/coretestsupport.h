#pragma once
// Helpers shared by the file tests of this folder.
#include "core/slots.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <csignal>
#include <sys/resource.h>

// Lowers the largest file this process may write, so that a write fails part-way as on a full
// disk (root ignores permissions, so a read-only folder proves nothing).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// A file's bytes, or "<missing>" when it cannot be read (so that a missing file never equals
// an empty one).
inline QByteArray readAllOrMissing(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The first line of a message: what happened.
inline QString firstLine(const QString &text) { return text.section(QLatin1Char('\n'), 0, 0); }

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Two-channel T542 controllers in the given slots, all others empty.
inline void configureT542Slots(const QList<int> &valid)
{
    ResetToestellen();
    for (int d : valid) {
        ToestelGegevens &t = Toestel[d];
        t.Type = QStringLiteral("T542");
        t.Idno = 10 + d;
        t.Kanalen = 2;
        t.Actief = true;
        for (int k = 1; k <= MaxKanalen; ++k)
            t.Kanaal[size_t(k)].Naam = QStringLiteral("CH%1").arg(k);
    }
}
