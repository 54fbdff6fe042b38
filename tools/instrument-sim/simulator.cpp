#include "simulator.h"

#include <QDateTime>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

quint8 checksum(const QByteArray &text)
{
    unsigned sum = 0;
    for (char c : text)
        sum += static_cast<unsigned char>(c);
    return quint8(sum % 256);
}

bool Controller::checksumModel() const
{
    const QByteArray five = model.left(5);
    return five == "T5741" || five == "T5781" || five == "T5751";
}

bool Controller::t57() const { return model.startsWith("T57"); }

QByteArray Controller::noValueMarker() const { return t57() ? "--" : "99999"; }

QByteArray Controller::address() const
{
    return '#' + QByteArray::number(idno).rightJustified(3, '0');
}

QByteArray Controller::acknowledgment(const QByteArray &command) const
{
    QByteArray line = address() + '\t' + '<' + command;
    if (checksumModel())
        line += char(checksum('<' + command));
    return line + "\r\n";
}

QList<QByteArray> Controller::channelLines() const
{
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray date = now.toString(QStringLiteral("dd/MM/yy")).toLatin1();
    const QByteArray time = now.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    auto valueOf = [&](int i) {
        const Channel &c = channel[size_t(i - 1)];
        return c.noValue ? noValueMarker() : c.value;
    };
    // Status of a line: stop, or the channel's text with the closed relays.
    auto statusOf = [&](int i, bool first) {
        if (first && stop)
            return QByteArray("STOP");
        QByteArray s = channel[size_t(i - 1)].status;
        if (first) {
            for (int r = 1; r <= 4; ++r) {
                if (!relay[size_t(r - 1)])
                    continue;
                if (!s.isEmpty())
                    s += ' ';
                s += (t57() ? "REL" : "REL ") + QByteArray::number(r);
            }
        }
        return s;
    };

    QList<QByteArray> lines;
    const int n = qBound(1, channels, 4);
    const QByteArray head = address() + '\t';
    if (t57()) {
        const QByteArray stamp = date + '\t' + time + '\t';
        if (maintenance) {
            lines << head + stamp + "M\t" + maintenanceFields + "\r\n";
            return lines;
        }
        // Pairs of channels per line; T575 and T5751 send their last channel as the second
        // value of every line.
        const bool lastAsSecond = model.startsWith("T575") && n > 1;
        QList<std::pair<int, int>> pairs;
        if (lastAsSecond) {
            for (int i = 1; i < n; ++i)
                pairs.append({i, n});
        } else {
            for (int i = 1; i <= n; i += 2)
                pairs.append({i, i + 1 <= n ? i + 1 : 0});
        }
        bool first = true;
        for (const auto &[a, b] : pairs) {
            QByteArray line = head + stamp + valueOf(a) + '\t' + channel[size_t(a - 1)].unit + '\t';
            if (b)
                line += valueOf(b) + '\t' + channel[size_t(b - 1)].unit + '\t';
            else
                line += "\t\t";
            line += statusOf(a, first) + "\r\n";
            lines << line;
            first = false;
        }
        return lines;
    }

    const QByteArray stamp = time + '\t' + date + '\t';
    if (maintenance) {
        // No readings while in manual service: the line has no time field.
        lines << head + "M\r\n";
        return lines;
    }
    const bool withTemperature = !model.startsWith("T552");
    bool first = true;
    for (int i = 1; i <= n; i += withTemperature ? 2 : 1) {
        QByteArray line = head + stamp + valueOf(i) + '\t' + channel[size_t(i - 1)].unit + '\t';
        if (withTemperature)
            line += (i + 1 <= n ? valueOf(i + 1) : QByteArray()) + '\t';
        line += statusOf(i, first) + "\r\n";
        lines << line;
        first = false;
    }
    return lines;
}

QByteArray Controller::normalReply() const
{
    QByteArray reply = acknowledgment("?");
    for (const QByteArray &line : channelLines())
        reply += line;
    return reply;
}

Simulator::Simulator(QObject *parent) : QObject(parent) {}

Simulator::~Simulator()
{
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool Simulator::start()
{
    if (m_master >= 0)
        return true;
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return false;
    }
    // The slave stays open here as well, so the master never reads a hang-up while the
    // program has the port closed.
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &Simulator::onReadable);
    return true;
}

Controller &Simulator::add(const QByteArray &model, int idno, int channels)
{
    auto c = std::make_unique<Controller>();
    c->model = model;
    c->idno = idno;
    c->channels = channels;
    m_controllers.push_back(std::move(c));
    return *m_controllers.back();
}

Controller *Simulator::find(int idno)
{
    for (auto &c : m_controllers)
        if (c->idno == idno)
            return c.get();
    return nullptr;
}

void Simulator::clearFrames()
{
    m_frames.clear();
    for (auto &c : m_controllers)
        c->frames.clear();
}

void Simulator::hangUp()
{
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

void Simulator::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // The line is full or gone; a real controller would drop the rest as well.
            break;
        }
    }
}

void Simulator::onReadable()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_input.append(buffer, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // End of line or an error (no reader on the other side): stop listening until the
        // next start rather than spin.
        if (n == 0 || errno == EIO) {
            m_notifier->setEnabled(false);
            QTimer::singleShot(20, this, [this] {
                if (m_notifier)
                    m_notifier->setEnabled(true);
            });
        }
        break;
    }
    for (;;) {
        const qsizetype end = m_input.indexOf("\r\n");
        if (end < 0)
            break;
        const QByteArray frame = m_input.left(end + 2);
        m_input.remove(0, end + 2);
        handleFrame(frame);
        if (m_master < 0)
            break;
    }
    // A line that never ends must not grow without bound.
    if (m_input.size() > 4096)
        m_input.clear();
}

void Simulator::handleFrame(const QByteArray &frame)
{
    m_frames.append(frame);
    emit frameReceived(frame);
    // "#", three digits, TAB, the command, maybe a checksum byte, CR LF.
    if (frame.size() < 7 || frame[0] != '#' || frame[4] != '\t')
        return;
    bool ok = false;
    const int idno = frame.mid(1, 3).toInt(&ok);
    if (!ok)
        return;
    Controller *c = find(idno);
    if (!c)
        return;
    c->frames.append(frame);
    QByteArray command = frame.mid(5, frame.size() - 7);
    if (c->checksumModel()) {
        if (command.isEmpty())
            return;
        const quint8 sum = quint8(command.back());
        command.chop(1);
        if (sum != checksum(command))
            return; // a corrupted frame is not answered
    }
    answer(*c, command);
}

void Simulator::answer(Controller &c, const QByteArray &command)
{
    if (command != ">?") {
        const QByteArray stopCommand =
            c.t57() ? (c.checksumModel() ? QByteArray("B\x05", 2) : QByteArray("B\x07", 2))
                    : QByteArray("5");
        if (command == stopCommand)
            c.stop = !c.stop;
        if (c.behaviour != Behaviour::Silent)
            send(c.acknowledgment(command));
        return;
    }
    if (!c.rawReply.isEmpty()) {
        send(c.rawReply);
        return;
    }
    switch (c.behaviour) {
    case Behaviour::Normal:
        send(c.normalReply());
        break;
    case Behaviour::Silent:
        break;
    case Behaviour::AckOnly:
        send(c.acknowledgment("?"));
        break;
    case Behaviour::Garbage:
        send(QByteArray("\x15\x80?@\x1b[2J~*#\r\n%&\x7f noise"));
        break;
    case Behaviour::WrongAddress: {
        Controller other = c;
        other.idno = c.idno % 999 + 1;
        send(other.normalReply());
        break;
    }
    case Behaviour::Truncated: {
        QByteArray reply = c.acknowledgment("?");
        const QList<QByteArray> lines = c.channelLines();
        if (!lines.isEmpty())
            reply += lines.first().left(lines.first().size() / 2);
        send(reply);
        break;
    }
    case Behaviour::Late: {
        send(c.acknowledgment("?"));
        QByteArray rest;
        for (const QByteArray &line : c.channelLines())
            rest += line;
        QTimer::singleShot(c.lateMs, this, [this, rest] { send(rest); });
        break;
    }
    case Behaviour::HangUp:
        hangUp();
        break;
    }
}

} // namespace Sim
