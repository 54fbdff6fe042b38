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

QByteArray numberedCommand(int number)
{
    QByteArray command("N");
    command += char(number & 0xff);
    command += char((number >> 8) & 0xff);
    return command;
}

QByteArray Controller::logUnit(int k) const
{
    const QByteArray &own = log.unit[size_t(k - 1)];
    if (!own.isEmpty())
        return own;
    // The second channel of a standard line is the temperature, which carries no unit live.
    if (!t57() && !model.startsWith("T552") && k % 2 == 0)
        return "\xf8" "C";
    return channel[size_t(k - 1)].unit;
}

QList<QByteArray> Controller::logLines() const
{
    const QString separator = QString(QLatin1Char(log.dateSeparator));
    const QString dateFormat = QStringLiteral("dd%1MM%1yy").arg(separator);
    const QByteArray head = address() + '\t';
    const int n = qBound(1, channels, 4);
    auto valueOf = [&](const LogRecord &r, int k) {
        const QByteArray &v = r.value[size_t(k - 1)];
        return v.isEmpty() ? noValueMarker() : v;
    };
    auto recordStart = [&](const LogRecord &r, qsizetype number) {
        return head + "LOG." + QByteArray::number(number) + '\t' +
               r.time.toString(dateFormat).toLatin1() + '\t' +
               r.time.toString(QStringLiteral("HH:mm:ss")).toLatin1() + '\t';
    };

    QList<QByteArray> lines;
    if (t57()) {
        // One line per channel with its second value: channel k + 2, or the last channel for
        // the T575 models, which send it beside every other channel.
        const bool lastAsSecond = model.startsWith("T575");
        const int lineCount = lastAsSecond ? qMax(1, n - 1) : qMin(n, 2);
        qsizetype number = 0;
        for (const LogRecord &r : log.records) {
            for (int k = 1; k <= lineCount; ++k) {
                const int j = lastAsSecond ? 4 : k + 2;
                lines << recordStart(r, ++number) + "CH" + QByteArray::number(k) + '\t' +
                             valueOf(r, k) + '\t' + logUnit(k) + '\t' + valueOf(r, j) + '\t' +
                             logUnit(j) + '\t' + r.flag[size_t(k - 1)] + "\tREL." + r.relays +
                             "\r\n";
            }
        }
        return lines;
    }

    // The T542 gives conductivity and concentration channels with their unit on every record;
    // its header has an extra column before each such unit after the first channel.
    const bool t542 = model.startsWith("T542");
    auto unitOnRecord = [&](int k) {
        const QByteArray unit = logUnit(k);
        return t542 && (unit.contains("cm") || unit.contains("/l"));
    };
    lines << log.beforeHeader;
    QByteArray header = head + "   #\tDate\tTime";
    for (int k = 1; k <= n; ++k) {
        if (k > 1 && unitOnRecord(k))
            header += '\t';
        header += '\t' + logUnit(k);
    }
    lines << header + "\r\n";
    qsizetype number = 0;
    for (const LogRecord &r : log.records) {
        QByteArray line = recordStart(r, ++number);
        for (int k = 1; k <= n; ++k) {
            if (k > 1)
                line += '\t';
            line += valueOf(r, k);
            if (unitOnRecord(k))
                line += '\t' + logUnit(k);
        }
        lines << line + "\r\n";
    }
    return lines;
}

bool Controller::missesCommand(const QByteArray &command)
{
    const auto it = unanswered.find(command.startsWith('>') ? command.mid(1) : command);
    if (it == unanswered.end())
        return false;
    if (it->second == 0) {
        unanswered.erase(it);
        return false;
    }
    if (it->second > 0 && --it->second == 0)
        unanswered.erase(it);
    return true;
}

QByteArray Controller::normalReply() const
{
    QByteArray reply = acknowledgment("?");
    for (const QByteArray &line : channelLines())
        reply += line;
    return reply;
}

Simulator::Simulator(QObject *parent) : QObject(parent)
{
    m_lineTimer.setSingleShot(true);
    connect(&m_lineTimer, &QTimer::timeout, this, &Simulator::flush);
    m_paceTimer.setSingleShot(true);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &Simulator::flush);
    m_paceClock.start();
}

void Simulator::setBaud(int baud)
{
    m_baud = qMax(0, baud);
    m_lineFreeNs = m_replyFromNs = m_paceClock.nsecsElapsed();
    flush();
}

qsizetype Simulator::dueBytes() const
{
    const qint64 now = m_paceClock.nsecsElapsed();
    const qsizetype through =
        now < m_lineFreeNs ? 0 : qMin(m_out.size(), qsizetype((now - m_lineFreeNs) / byteNs()));
    // A serial port's receive buffer hands bytes on in groups, and the last ones of a
    // transmission as soon as they are in.
    return through >= qMin(FifoBytes, m_out.size()) ? through : 0;
}

Simulator::~Simulator()
{
    m_notifier.reset();
    m_writable.reset();
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
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &Simulator::flush);
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
    m_writable.reset();
    m_out.clear();
    m_lines.clear();
    m_lineTimer.stop();
    m_paceTimer.stop();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

void Simulator::send(const QByteArray &bytes)
{
    if (transmitting() || m_baud > 0) {
        transmit({bytes});
        return;
    }
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

void Simulator::transmit(const QList<QByteArray> &lines)
{
    if (m_master < 0)
        return;
    m_lines += lines;
    flush();
}

void Simulator::sendText(const QList<QByteArray> &lines)
{
    QList<QByteArray> ended;
    for (const QByteArray &line : lines)
        ended << line + "\r\n";
    transmit(ended);
}

void Simulator::sendLogMemory(const Controller &c) { transmit(c.logLines()); }

void Simulator::flush()
{
    while (m_master >= 0) {
        while (!m_out.isEmpty()) {
            const qsizetype due = m_baud > 0 ? dueBytes() : m_out.size();
            if (due == 0) {
                // The line still carries the bytes before: go on once the next one is through.
                m_writable->setEnabled(false);
                const qint64 waitNs = m_lineFreeNs + qMin(FifoBytes, m_out.size()) * byteNs()
                                      - m_paceClock.nsecsElapsed();
                m_paceTimer.start(int(qMax<qint64>(1, (waitNs + 999'999) / 1'000'000)));
                return;
            }
            const ssize_t n = ::write(m_master, m_out.constData(), size_t(due));
            if (n > 0) {
                m_out.remove(0, n);
                if (m_baud > 0)
                    m_lineFreeNs += n * byteNs();
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                m_writable->setEnabled(true); // the other side reads slower: go on when it has
                return;
            } else {
                m_out.clear();
                m_lines.clear();
                return;
            }
        }
        m_writable->setEnabled(false);
        if (m_lines.isEmpty() || m_lineTimer.isActive())
            return;
        // A resting line starts the next transmission now, an answer not before its frame is in.
        m_lineFreeNs = qMax(qMax(m_lineFreeNs, m_replyFromNs), m_paceClock.nsecsElapsed());
        if (m_lineDelayMs > 0) {
            m_out = m_lines.takeFirst();
            m_lineTimer.start(m_lineDelayMs);
        } else {
            m_out = m_lines.join();
            m_lines.clear();
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
    // The pseudo-terminal hands over the frame at once; a real line has only just begun to.
    if (m_baud > 0)
        m_replyFromNs = m_paceClock.nsecsElapsed() + frame.size() * byteNs();
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

QByteArray Controller::stopCommand() const
{
    return t57() ? (checksumModel() ? QByteArray("B\x05", 2) : QByteArray("B\x07", 2))
                 : QByteArray("5");
}

void Simulator::answer(Controller &c, const QByteArray &command)
{
    if (command != ">?" && c.missesCommand(command))
        return;
    if (command != ">?" && c.commandsSilent)
        return;
    if (command != ">?" && !c.noiseBeforeEcho.isEmpty() && c.behaviour != Behaviour::Silent)
        send(c.noiseBeforeEcho + "\r\n");
    if (command.startsWith('>') && command != ">?") {
        // The stop command toggles the regulation, sent with or without its ">".
        if (command.mid(1) == c.stopCommand())
            c.stop = !c.stop;
        answerMemoryCommand(c, command.mid(1));
        return;
    }
    if (command != ">?") {
        if (command == c.stopCommand())
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

// The standard models' memory menu: ">M" opens it, ">N" with a number picks an entry, ">4"
// confirms; the second confirmation starts the transmission of the log memory. ">1" and ">C"
// leave it. Every command is echoed first, as the controller does.
void Simulator::answerMemoryCommand(Controller &c, const QByteArray &command)
{
    if (c.behaviour == Behaviour::Silent)
        return;
    send(c.acknowledgment(command));
    if (command == "M") {
        c.memoryStep = 0;
    } else if (command == "4" && c.memoryStep >= 0 && ++c.memoryStep == 2) {
        c.memoryStep = -1;
        sendLogMemory(c);
    } else if (command == "1" || command == "C") {
        c.memoryStep = -1;
    }
}

} // namespace Sim
