#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace Sim {

// How a controller answers a poll.
enum class Behaviour {
    Normal,       // acknowledgment, then its channel lines
    Silent,       // nothing
    AckOnly,      // the acknowledgment line only
    Garbage,      // noise without an acknowledgment
    WrongAddress, // a complete reply carrying another identification number
    Truncated,    // acknowledgment and the first channel line cut off before its line end
    Late,         // acknowledgment at once, the channel lines after lateMs
    HangUp,       // closes the line (as an unplugged adapter)
};

struct Channel {
    QByteArray value = "0.00";
    QByteArray unit = "pH";
    bool noValue = false; // sends the model's no-value marker (shown as "OR.")
    QByteArray status;    // free status text of the channel
};

// One record of a controller's log memory.
struct LogRecord {
    QDateTime time;
    std::array<QByteArray, 4> value; // per channel; empty sends the model's no-value marker
    // T57 family only: the flag of each channel's line ("A" alarm, "S" stop, "M" maintenance,
    // empty for none) and the relay field after "REL." (one character per relay).
    std::array<QByteArray, 4> flag;
    QByteArray relays = "----";
};

// The records a controller keeps, oldest first, and the units it reports them in.
struct LogMemory {
    std::array<QByteArray, 4> unit; // per channel; empty takes the channel's present unit
    QList<LogRecord> records;
    char dateSeparator = '/';       // the instruments write dd/mm/yy; some write dd-mm-yy
    // Lines a standard model sends ahead of its header (CR LF included), as some firmware
    // repeats its last records or sends blank lines there.
    QList<QByteArray> beforeHeader;
};

// One simulated controller. Fields may be changed at any time; the next poll uses them.
struct Controller {
    QByteArray model; // one of the nine model codes
    int idno = 1;
    int channels = 1;
    std::array<Channel, 4> channel;
    std::array<bool, 4> relay{};
    bool stop = false;        // regulation stopped
    bool maintenance = false; // manual service
    // The maintenance record's fields after "M" (phase, end date, end time, fourth field).
    QByteArray maintenanceFields = "2\t12/05/09\t10:00\t0";
    Behaviour behaviour = Behaviour::Normal;
    int lateMs = 2000;
    // When not empty: answers every poll with exactly these bytes.
    QByteArray rawReply;
    // Commands other than the poll go unanswered (the poll is answered as `behaviour` says).
    bool commandsSilent = false;
    // When not empty: a line sent before the echo of every command other than the poll.
    QByteArray noiseBeforeEcho;
    // Every frame received for this controller, as it came (checksum byte and CR LF included).
    QList<QByteArray> frames;

    LogMemory log;
    // Commands the controller does not hear (no echo, no effect), keyed by the command without
    // its leading ">" (for example "M" or "N\x07\x00"): the count of sends still to be missed,
    // or a negative count for all of them.
    std::map<QByteArray, int> unanswered;
    // Standard models: ">4" commands since ">M" opened the memory menu (-1: menu closed); the
    // second one starts the transmission of the memory.
    int memoryStep = -1;

    bool checksumModel() const;
    // The model's stop/reactivate command, without the leading ">".
    QByteArray stopCommand() const;
    bool t57() const;
    QByteArray noValueMarker() const;
    QByteArray address() const; // "#" and three digits
    // The bytes of a normal answer to a poll.
    QByteArray normalReply() const;
    QByteArray acknowledgment(const QByteArray &command) const;
    QList<QByteArray> channelLines() const;
    // The lines (CR LF included) in which the controller transmits its log memory: for the
    // standard models a header line and one "LOG." line per record, for the T57 family one
    // "LOG." line per channel line of each record, every line starting with the address field.
    QList<QByteArray> logLines() const;
    // The unit the log memory reports for channel k (1..4): its own, else the temperature unit
    // for the temperature channels of the standard models, else the channel's unit.
    QByteArray logUnit(int k) const;
    // Whether the command is one the controller is set not to hear; counts the miss.
    bool missesCommand(const QByteArray &command);
};

// "N", the low byte and the high byte of the number: the numbered memory command.
QByteArray numberedCommand(int number);

// Serves controllers on the master side of a pseudo-terminal from the Qt event loop.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the pseudo-terminal; false when the system has none.
    bool start();
    // The device the program opens (the slave side).
    QString devicePath() const { return m_path; }
    bool running() const { return m_master >= 0; }

    Controller &add(const QByteArray &model, int idno, int channels);
    Controller *find(int idno);
    const std::vector<std::unique_ptr<Controller>> &controllers() const { return m_controllers; }

    // Every complete frame received, in order.
    const QList<QByteArray> &frames() const { return m_frames; }
    void clearFrames();
    // Closes the line at once.
    void hangUp();
    // Sends bytes at once, unasked. While a transmission is under way they queue behind it.
    void send(const QByteArray &bytes);
    // Transmits lines unasked and in full, as fast as the line takes them or one line per
    // line delay. Nothing is dropped while the other side is not reading.
    void transmit(const QList<QByteArray> &lines);
    // Free text lines (a printout from the instrument's keyboard), each given CR LF.
    void sendText(const QList<QByteArray> &lines);
    // The user pressed SEND on the controller: it transmits its log memory.
    void sendLogMemory(const Controller &c);
    // Milliseconds between the lines of a transmission; 0 sends them as fast as possible.
    void setLineDelay(int ms) { m_lineDelayMs = ms; }
    // Bytes and lines of a transmission still to go.
    bool transmitting() const { return !m_out.isEmpty() || !m_lines.isEmpty(); }
    // Paces everything the controllers send as a line at this many bits per second does, 10
    // bits a byte: a reply starts once the frame it answers has crossed the line, and its bytes
    // follow one another in time, so the acknowledgment is there before the channel lines. They
    // are handed on as a PC's serial port does, in groups of FifoBytes (its receive buffer's
    // trigger level), the last group of a transmission as soon as it is in. 0 (the default)
    // writes each reply at once.
    void setBaud(int baud);
    static constexpr qsizetype FifoBytes = 8;
    int baud() const { return m_baud; }

signals:
    void frameReceived(const QByteArray &frame);

private:
    void onReadable();
    void handleFrame(const QByteArray &frame);
    void answer(Controller &c, const QByteArray &command);
    void answerMemoryCommand(Controller &c, const QByteArray &command);
    void flush();
    qint64 byteNs() const { return 10'000'000'000LL / m_baud; }
    // Bytes of m_out the paced line has carried by now.
    qsizetype dueBytes() const;

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_input;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_out;          // bytes of a transmission the line has not taken yet
    QList<QByteArray> m_lines; // lines of a transmission still to come
    int m_lineDelayMs = 0;
    QTimer m_lineTimer;
    int m_baud = 0;
    QElapsedTimer m_paceClock;
    qint64 m_lineFreeNs = 0;  // on m_paceClock: when the next paced byte may start
    qint64 m_replyFromNs = 0; // when the last frame received has crossed the line
    QTimer m_paceTimer;
    QList<QByteArray> m_frames;
    std::vector<std::unique_ptr<Controller>> m_controllers; // stable addresses
};

// The sum of the byte values modulo 256, as the checksum models compute it.
quint8 checksum(const QByteArray &text);

} // namespace Sim
