#include "platform/serialport.h"

#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSettings>
#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

bool parseSettings(const QString &text, LineSettings &out)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    out.baud = baud;
    const QString p = parts[1].trimmed().toUpper();
    if (p == "N")
        out.parity = QSerialPort::NoParity;
    else if (p == "E")
        out.parity = QSerialPort::EvenParity;
    else if (p == "O")
        out.parity = QSerialPort::OddParity;
    else if (p == "M")
        out.parity = QSerialPort::MarkParity;
    else if (p == "S")
        out.parity = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    out.dataBits = QSerialPort::DataBits(bits);
    const QString s = parts[3].trimmed();
    if (s == "1")
        out.stopBits = QSerialPort::OneStop;
    else if (s == "1.5")
        out.stopBits = QSerialPort::OneAndHalfStop;
    else if (s == "2")
        out.stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

const QString portsSection = QStringLiteral("Ports");

QString key(int number) { return QStringLiteral("COM%1").arg(number); }

// Every bound number with its device, read in one pass over the registry file.
QMap<int, QString> bindings()
{
    QMap<int, QString> out;
    QSettings settings(Registry::filePath(SerialPortTable::registryApplication()),
                       QSettings::IniFormat);
    for (const QString &group : settings.childGroups()) {
        if (group.compare(portsSection, Qt::CaseInsensitive) != 0)
            continue;
        settings.beginGroup(group);
        for (const QString &k : settings.childKeys()) {
            if (!k.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
                continue;
            bool ok = false;
            const int n = k.mid(3).toInt(&ok);
            const QString v = settings.value(k).toString().trimmed();
            if (ok && n >= 1 && n <= 255 && !v.isEmpty())
                out.insert(n, v);
        }
        settings.endGroup();
    }
    return out;
}

bool isAdapterName(const QString &deviceName)
{
    static const QRegularExpression re(QStringLiteral("^tty(USB|ACM)\\d+$"));
    return re.match(deviceName).hasMatch();
}

} // namespace

SerialPort::SerialPort(QObject *parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(int(e)); });
    connect(m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead);
}

SerialPort::~SerialPort() = default;

void SerialPort::setPortNumber(int number) { m_number = number; }

bool SerialPort::setSettings(const QString &text)
{
    LineSettings s;
    if (!parseSettings(text, s))
        return false;
    m_settings = text.trimmed();
    // One and a half stop bits count as two.
    const int stop = s.stopBits == QSerialPort::OneStop ? 1 : 2;
    const int bits = 1 + int(s.dataBits) + (s.parity == QSerialPort::NoParity ? 0 : 1) + stop;
    m_characterNs = qint64(bits) * 1'000'000'000LL / s.baud;
    if (m_port->isOpen()) {
        m_port->setBaudRate(s.baud);
        m_port->setParity(s.parity);
        m_port->setDataBits(s.dataBits);
        m_port->setStopBits(s.stopBits);
    }
    return true;
}

QString SerialPort::devicePath() const
{
    return m_port->isOpen() ? m_port->portName() : SerialPortTable::devicePath(m_number);
}

bool SerialPort::open()
{
    if (m_port->isOpen())
        return true;
    m_error.clear();
    if (m_number < 1 || m_number > 255) {
        m_error = tr("No such port");
        return false;
    }
    LineSettings s;
    parseSettings(m_settings, s);
    SerialPortTable::bindAdapters();
    // A path starting with "/" is used as it is.
    m_port->setPortName(SerialPortTable::devicePath(m_number));
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = m_port->errorString();
        m_port->clearError();
        return false;
    }
    bool ok = m_port->setBaudRate(s.baud) && m_port->setParity(s.parity) &&
              m_port->setDataBits(s.dataBits) && m_port->setStopBits(s.stopBits) &&
              m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok && m_port->error() != QSerialPort::UnsupportedOperationError) {
        m_error = m_port->errorString();
        m_port->close();
        m_port->clearError();
        return false;
    }
    m_port->clearError();
    applyLines();
    return true;
}

void SerialPort::close()
{
    if (m_port->isOpen())
        m_port->close();
}

bool SerialPort::isOpen() const { return m_port->isOpen(); }

void SerialPort::applyLines()
{
    if (!m_port->isOpen())
        return;
    m_port->setDataTerminalReady(m_dtr);
    m_port->setRequestToSend(m_rts);
    // A pseudo-terminal has no modem lines; the port stays usable.
    if (m_port->error() == QSerialPort::UnsupportedOperationError)
        m_port->clearError();
}

void SerialPort::setDtr(bool on)
{
    if (on == m_dtr && m_port->isOpen())
        return;
    m_dtr = on;
    applyLines();
}

void SerialPort::setRts(bool on)
{
    if (on == m_rts && m_port->isOpen())
        return;
    m_rts = on;
    applyLines();
}

qint64 SerialPort::inBufferCount() const { return m_port->isOpen() ? m_port->bytesAvailable() : 0; }
qint64 SerialPort::outBufferCount() const { return m_port->isOpen() ? m_port->bytesToWrite() : 0; }

qint64 SerialPort::unreadInSystem() const
{
    int n = 0;
    if (!m_port->isOpen() || m_port->handle() < 0 || ::ioctl(m_port->handle(), FIONREAD, &n) != 0)
        return 0;
    return n;
}

void SerialPort::clearInput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void SerialPort::clearOutput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Output);
}

QByteArray SerialPort::readAll() { return m_port->isOpen() ? m_port->readAll() : QByteArray(); }

bool SerialPort::write(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return false;
    // With nothing queued before them the bytes go to the device at once. Queued, they would
    // wait for the event loop to report the line writable, and switching that report on and
    // off again costs the loop two more turns for every frame. What the device does not take
    // now is queued behind them as usual.
    qint64 written = 0;
    if (m_port->bytesToWrite() == 0 && m_port->handle() >= 0) {
        ssize_t n;
        do
            n = ::write(m_port->handle(), bytes.constData(), size_t(bytes.size()));
        while (n < 0 && errno == EINTR);
        if (n > 0)
            written = n;
    }
    if (written == bytes.size())
        return true;
    const qint64 rest = bytes.size() - written;
    return m_port->write(bytes.constData() + written, rest) == rest;
}

void SerialPort::flush()
{
    if (m_port->isOpen())
        m_port->flush();
}

void SerialPort::onError(int error)
{
    switch (QSerialPort::SerialPortError(error)) {
    case QSerialPort::ResourceError:
    // A hung-up pseudo-terminal and an unplugged adapter report failed reads, over and over.
    case QSerialPort::ReadError:
        m_error = m_port->errorString();
        if (m_port->isOpen()) {
            m_port->close();
            m_port->clearError();
            emit lost();
        }
        break;
    case QSerialPort::UnsupportedOperationError:
        m_port->clearError();
        break;
    default:
        break;
    }
}

namespace SerialPortTable {

namespace {
QString &applicationName()
{
    static QString name = QStringLiteral("QLV2-PORTS");
    return name;
}
} // namespace

QString registryApplication() { return applicationName(); }
void setRegistryApplication(const QString &application) { applicationName() = application; }

QString devicePath(int number)
{
    const QString bound = Registry::read(registryApplication(), portsSection, key(number));
    if (!bound.trimmed().isEmpty())
        return bound.trimmed();
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

void bind(int number, const QString &path)
{
    Registry::write(registryApplication(), portsSection, key(number), path);
}

void unbind(int number) { Registry::remove(registryApplication(), portsSection, key(number)); }

int numberOf(const QString &path)
{
    const QMap<int, QString> table = bindings();
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        if (it.value() == path)
            return it.key();
    return 0;
}

QList<int> bindAdapters(const QString &byIdFolder, const QSet<int> &hardwareNumbers)
{
    QList<int> given;
    const QDir dir(byIdFolder);
    const QFileInfoList links = dir.entryInfoList(QDir::System | QDir::Files, QDir::Name);
    if (links.isEmpty())
        return given;
    QSet<int> taken = hardwareNumbers;
    QSet<QString> boundPaths;
    const QMap<int, QString> table = bindings();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        taken.insert(it.key());
        boundPaths.insert(it.value());
    }
    for (const QFileInfo &link : links) {
        const QString target = QFileInfo(link.symLinkTarget()).fileName();
        if (!isAdapterName(target) || boundPaths.contains(link.absoluteFilePath()))
            continue;
        int n = 1;
        while (n <= 255 && taken.contains(n))
            ++n;
        if (n > 255)
            break;
        bind(n, link.absoluteFilePath());
        taken.insert(n);
        given.append(n);
    }
    return given;
}

QList<int> bindAdapters()
{
    QSet<int> hardware;
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d+)$"));
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const auto m = ttyS.match(info.systemLocation());
        if (m.hasMatch())
            hardware.insert(m.captured(1).toInt() + 1);
    }
    return bindAdapters(QStringLiteral("/dev/serial/by-id"), hardware);
}

QList<int> presentNumbers()
{
    bindAdapters();
    const QMap<int, QString> table = bindings();
    QList<int> numbers;
    for (int n = 1; n <= 255; ++n) {
        const QString path = table.value(n, QStringLiteral("/dev/ttyS%1").arg(n - 1));
        if (QFileInfo::exists(path))
            numbers.append(n);
    }
    return numbers;
}

} // namespace SerialPortTable
