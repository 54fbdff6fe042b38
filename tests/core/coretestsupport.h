#pragma once
// Helpers shared by the file tests of this folder.
#include "core/slots.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QDir>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

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

// A small file system of its own over `folder` (a tmpfs of `bytes`, mounted in a mount
// namespace private to this test process, so nothing outside sees it), holding the files given
// and then filled to the last byte: every later write there fails with ENOSPC, as on a full
// disk. Invalid where this process may not mount.
class FullFileSystem {
public:
    FullFileSystem(const QString &folder, qint64 bytes, const QList<QPair<QString, QByteArray>> &files)
        : m_folder(QDir(folder).absolutePath())
    {
        static const bool privateNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateNamespace || !QDir().mkpath(m_folder))
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        if (::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0,
                    options.constData()) != 0)
            return;
        m_mounted = true;
        for (const auto &[name, contents] : files) {
            QFile f(m_folder + QLatin1Char('/') + name);
            if (!f.open(QIODevice::WriteOnly) || f.write(contents) != contents.size() || !f.flush())
                return;
        }
        const QByteArray filler = QFile::encodeName(m_folder + QStringLiteral("/filler"));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return;
        const QByteArray block(512, 'x');
        int failure = 0;
        for (;;) {
            if (::write(fd, block.constData(), size_t(block.size())) < 0) {
                failure = errno;
                break;
            }
        }
        // Whatever the last block left over, byte by byte.
        while (failure == ENOSPC && ::write(fd, "x", 1) == 1) {
        }
        ::close(fd);
        m_full = failure == ENOSPC;
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    bool isValid() const { return m_full; }
    QString folder() const { return m_folder; }

private:
    QString m_folder;
    bool m_mounted = false;
    bool m_full = false;
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
