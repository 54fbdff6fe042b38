#pragma once
#include "core/slots.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

// The one road between the program and the controllers: framing, sending, and waiting for a
// reply on the current InstrumentConnection.
namespace Transport {
// The text the checksum of the slot's last frame was computed over.
inline std::array<QByteArray, MaxToestellen + 1> LaatsteCommando;
// Characters written since the start of the current frame.
inline qint16 VerzondenTekens = 0;
} // namespace Transport

// "#" and the number as three digits: 7 gives "#007".
QString AdresTekst(qint32 n);
// Sum of the byte values modulo 256.
quint8 Controlegetal(const QByteArray &text);
// The bytes a frame of the command puts on the line for the slot (checksum and CR LF included).
QByteArray FrameBytes(qint16 slot, const QByteArray &command);

// Sends one framed command to the slot, once the line is quiet (see waitForQuietLine). Nothing
// happens while the port is closed.
void ZendCommando(qint16 slot, const QByteArray &command);
// Sends the frame now: for a caller that has waited for a quiet line itself.
void sendFrameNow(qint16 slot, const QByteArray &command);
// A frame goes out only on a quiet line, so the rest of a reply that a decoder gave up on is
// never read as the answer to the next frame. The milliseconds (real time) until the line is
// quiet, 0 when it is now; a frame held since heldSinceNs (on the connection's line clock) is
// held at most one reply time-out.
qint64 quietLineInMs(qint64 heldSinceNs);
// Waits, handling events, until the line is quiet (at most one reply time-out).
void waitForQuietLine();
// The moment of the reply being read: during a replay, when the bytes the decoder has come to
// arrived; otherwise now. Readings are stamped with it.
QDateTime replyMoment();
// Waits until BufferRS232 holds the terminator, the time-out passes (ticks of 100 ms; 0: the
// default by baud rate) or the exchange can no longer go on (port closed or lost, tick timer
// stopped, program ending); then moves the buffer's text up to and including the first
// terminator to the end of the reply.
void WachtOpAntwoord(QByteArray &reply, const QByteArray &terminator, float timeout);
// Starts the tick count and fixes AntwoordWachttijd.
void StartTimeOut(float timeout);
// The reply time-out by baud rate, in ticks of 100 ms.
qint32 StandaardWachttijd(const QString &baudrate);
// Waits the given milliseconds (at most 65535, the caller's variable is capped too) while
// handling events; Pauzeren ends it early.
void WachtMilliseconden(qint32 &ms);

// A poll exchange never blocks. The frame goes out and the connection is armed
// (expectReply); the port's bytes are gathered as they come. Each time a line may be complete,
// or a wait's time-out has come, the decoder runs over what came so far (replayReply): each of
// its WachtOpAntwoord calls is answered from the gathered bytes as the blocking wait would have
// answered it at that moment, a time-out that would have come first included. A wait for bytes
// still to come ends the run; the caller undoes what the run changed and tries again later.
enum class ReplayOutcome { Complete, Incomplete, NotArmed };
// Arms the connection for the reply to the poll just sent to the slot.
void expectReply(qint16 slot);
ReplayOutcome replayReply(const std::function<void()> &decode);
// Whether the last WachtOpAntwoord ended by its time-out (TellerCOMM reached AntwoordWachttijd).
bool replyTimedOut();
