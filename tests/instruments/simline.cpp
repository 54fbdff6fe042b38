#include "simline.h"

#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/pollloop.h"
#include "instruments/transport.h"
#include "instruments/protocol.h"
#include "platform/serialport.h"

#include <QCoreApplication>
#include <QDebug>
#include <QStandardPaths>
#include <QTimer>

void QuietClock::waitUntil(qint64 deadlineMs)
{
    if (deadlineMs <= m_ms) {
        QCoreApplication::processEvents();
        return;
    }
    if (deadlineMs != m_waitingFor) {
        m_waitingFor = deadlineMs;
        m_waitStarted.start();
    }
    bool quiet = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&quiet] { quiet = true; });
    timer.start(m_quietMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (quiet || (m_longestMs >= 0 && m_waitStarted.elapsed() >= m_longestMs))
        m_ms = deadlineMs;
}

SimLine::SimLine(int number) : portNumber(number)
{
    QStandardPaths::setTestModeEnabled(true);
    SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-") +
                                            QCoreApplication::applicationName());
    Clock::install(&clock);
}

SimLine::~SimLine()
{
    InstrumentConnection &c = InstrumentConnection::current();
    c.MSComm1.close();
    c.BufferRS232.clear();
    c.TimerComm.setEnabled(false);
    c.Pauzeren = false;
    SerialPortTable::unbind(portNumber);
    Clock::install(nullptr);
}

bool SimLine::open()
{
    if (!sim.start())
        return false;
    SerialPortTable::bind(portNumber, sim.devicePath());
    InstrumentConnection &c = InstrumentConnection::current();
    c.MSComm1.close();
    c.MSComm1.setPortNumber(portNumber);
    c.MSComm1.setSettings(QStringLiteral("9600,N,8,1"));
    if (!c.MSComm1.open()) {
        qWarning() << "cannot open" << sim.devicePath() << c.MSComm1.errorText();
        return false;
    }
    return true;
}

void configureSlot(int slot, const QByteArray &model, int idno, int channels)
{
    ToestelGegevens &t = Toestel[slot];
    t.Type = QString::fromLatin1(model);
    t.Idno = idno;
    t.Kanalen = qint16(channels);
    InstellenToestelProtocol(qint16(slot));
}

void wirePollLoopToLine()
{
    PollHooks &h = pollHooks();
    h = PollHooks();
    h.portOpen = [] { return InstrumentConnection::current().MSComm1.isOpen(); };
    h.sendPoll = [](int slot) {
        sendFrameNow(qint16(slot), Protocol::PollCommando[size_t(slot)]);
        expectReply(qint16(slot));
    };
    h.readReply = [](int slot) { return tryReadReading(qint16(slot)); };
}
