#include "mainwindow/shutdownsignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

void onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[0], &byte, 1);
}
} // namespace

ShutdownSignals::ShutdownSignals(QObject *parent) : QObject(parent)
{
    if (pipeFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeFds) != 0)
        return;
    m_notifier = new QSocketNotifier(pipeFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShutdownSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals()
{
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

void ShutdownSignals::readSignal()
{
    char byte = 0;
    if (::read(pipeFds[1], &byte, 1) == 1)
        emit requested(int(byte));
}
