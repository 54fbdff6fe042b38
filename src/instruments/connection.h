#pragma once
#include "platform/serialport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtGlobal>
#include <utility>
#include <vector>

// A tick counter read from the injectable clock: while enabled it counts one tick per interval
// since it was started, so a test clock that jumps moves it too and no timer event is needed.
// Waits on it must wait until deadline(n), which always wakes.
class TickTimer {
public:
    void setInterval(int ms);
    int interval() const { return m_interval; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // The counter: 0..32767, the tick after 32767 gives 0.
    qint16 ticks() const;
    // Sets the counter; counting goes on from there.
    void setTicks(qint16 value);
    // The clock's monotonic time at which the counter (counting from its last set) reaches n.
    qint64 deadline(qint32 n) const;

private:
    int m_interval = 1000;
    bool m_enabled = false;
    qint64 m_startMs = 0;
    qint32 m_base = 0;
};

// The serial line with its receive buffer and tick counter: what the acquisition code
// exchanges frames through. The main window owns one and installs it; until then a default
// one serves (tests and tools use that one or install their own).
class InstrumentConnection : public QObject {
    Q_OBJECT
public:
    explicit InstrumentConnection(QObject *parent = nullptr);
    ~InstrumentConnection() override;

    static InstrumentConnection &current();
    // Installs a connection (not owned); nullptr restores the default one.
    static void install(InstrumentConnection *connection);

    SerialPort MSComm1;
    TickTimer TimerComm;
    QByteArray BufferRS232;    // bytes received and not yet taken by a reply wait
    QByteArray Commando;       // the last frame sent: address text, TAB, command
    quint8 AantalbytesUIT = 0; // length of Commando
    qint32 ChecksumUIT = 0;    // running sum of the last checksum
    bool Pauzeren = false;     // ends a timed wait early

    qint16 TellerCOMM() const { return TimerComm.ticks(); }
    void setTellerCOMM(qint16 value) { TimerComm.setTicks(value); }
    // An exchange may go on: the tick timer runs and the port is open.
    bool CommConditiesOK() const { return TimerComm.isEnabled() && MSComm1.isOpen(); }

    // Reads what the port holds into BufferRS232, dropping NUL and 255 bytes; returns the bytes
    // kept. Echoes them when the terminal asked for received bytes. portJustRead: the port has
    // just read all the system held (its readyRead).
    QByteArray readInput(bool portJustRead = false);
    // Drops what came and was not taken: in the port and in BufferRS232.
    void dropInput();

    void emitSent(const QByteArray &frame) { emit sent(frame); }

    // The reply to a poll is gathered without waiting for it: once armed, the port's bytes are
    // read into BufferRS232 as they come, each batch with its moment, and replyProgress() says
    // when a line the decoder waits for may be in, when the wait's time-out has come or when the
    // port went away. The decoder then runs over what came (see replayReply in the transport).
    // Armed right after the frame went out; any other send disarms it.
    void armReply(const QByteArray &terminator, qint64 deadlineMs);
    void disarmReply();
    bool replyArmed() const { return m_armed; }
    qint64 replyStartMs() const { return m_replyStartMs; }
    // A batch of bytes of the reply: the size of BufferRS232 after it, the moment the program
    // looked and found it, and the moment of the look before (which found less).
    struct Arrival {
        qsizetype size;
        qint64 ms;
        qint64 lookBeforeMs;
    };
    // In order, from the send on.
    const std::vector<Arrival> &replyArrivals() const { return m_arrivals; }
    // The last moment the program looked at the port and saw all it held. Bytes are stamped
    // when the program finds them, which may be long after they came when the event loop was
    // held: a wait has timed out only when a look after its deadline found no line end.
    qint64 lastLookMs() const { return m_lastLookMs; }
    // The next wait of the decoder: for this terminator, timing out at that moment.
    void setReplyWait(const QByteArray &terminator, qint64 deadlineMs);

    // A frame goes out only on a quiet line: no byte for about 3.5 character times (and a few
    // ms at least). Otherwise the tail of a reply that a decoder gave up on before its end would
    // be read as the answer to the next frame. The real time (nanoseconds on the line's own
    // clock, whatever clock the program runs on) in which the line will be quiet, 0 when it is;
    // a frame held since heldSinceNs goes in any case once longestNs have passed.
    qint64 quietLineInNs(qint64 heldSinceNs, qint64 longestNs);
    qint64 lineClockNs() const { return m_lineClock.nsecsElapsed(); }

signals:
    // Echo for the terminal window (shown only while its flags are set): the frame text with
    // CR LF but without the checksum byte, and received bytes as they were kept.
    void sent(const QByteArray &frame);
    void received(const QByteArray &bytes);
    void replyProgress();

private:
    void onReadyRead();
    // Bytes came: the line was busy now.
    void noteInput(qint64 count);
    // Bytes the port holds unread that were not noted yet came: the line was busy now.
    void noteUnread();

    bool m_armed = false;
    qint64 m_replyStartMs = 0;
    qint64 m_replyDeadlineMs = 0;
    char m_wakeByte = '\n';
    qsizetype m_lineEnds = 0; // line ends in the reply so far
    std::vector<Arrival> m_arrivals;
    qint64 m_lastLookMs = 0;
    QTimer m_replyTimer;
    QElapsedTimer m_lineClock;
    qint64 m_lastInputNs = -1;
    // The last batch filled at least a group of the port's receive buffer: more may be behind it.
    bool m_lastBatchWhole = false;
    // Unread bytes in the port already noted as come.
    qint64 m_unreadNoted = 0;
};
