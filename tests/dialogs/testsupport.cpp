#include "testsupport.h"

#include "platform/pump.h"
#include "support/messagebox.h"

#include <QPushButton>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int slave = -1;
    char name[256] = {};
    if (openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    // Raw, so bytes pass unchanged; the port is opened again by its path.
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray PtyPair::readMaster(int count)
{
    QByteArray result;
    Pump::until(
        [&] {
            char buffer[256];
            ssize_t n;
            while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
                result.append(buffer, n);
            return result.size() >= count;
        },
        2000);
    return result;
}

BoxAnswerer::BoxAnswerer()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        for (FormMelding *box : FormMelding::openBoxes()) {
            if (box->GeklikteToets != 0 || !box->isVisible())
                continue;
            texts << box->MijnMelding;
            const auto buttons = box->findChildren<QPushButton *>();
            for (QPushButton *b : buttons)
                if (b->isVisible()) {
                    b->click();
                    break;
                }
        }
    });
    m_timer.start();
}
