#pragma once
#include "core/slots.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Turn a controller's reply to the poll command into the slot's channel records. The slot is
// taken by value: a nested handler that moves the poll loop on must not change which slot a
// running decode checks and counts against.

// What a try at reading a poll's reply found.
enum class ReadResult {
    Counted,  // a reading that counts
    Failed,   // the reply failed (counted by the decoder as it says)
    Waiting,  // not all of it is in yet, nor its time-out come: nothing changed
    CutShort, // the exchange was cut short (another send): nothing to read, nothing counted
};
// Reads the reply to the poll sent to the slot as far as it has come, without waiting (the
// decoder of the slot's model, replayed over the gathered bytes).
ReadResult tryReadReading(qint16 slot);

// For every model code starting with "T57". True when the reading counts. These wait for the
// reply (used outside the poll loop).
bool LezenMetingT57(qint16 slot);
// For T512, T542 and T552.
bool LezenMetingStandaard(qint16 slot);

// The relay string from the channels' status texts ("REL1".."REL4" / "REL 1".."REL 4", "STOP").
void AfleidenRelaisT57(qint16 slot);
void AfleidenRelaisStandaard(qint16 slot);

// One more failed read (counting stops at 10000).
void VerhogenFoutTeller(qint16 slot);
// Marks the slot failed: Defect, 5 back-off turns, one more failed read.
void MarkerenToestelDefect(qint16 slot);

// True when the part occurs in the text; an empty text contains nothing.
bool BevatTekst(const QString &text, const QString &part);

// Line readers; each consumes what it reads from the front of the text.
// The address number of a line ("" when the line has no address marker).
QByteArray LezenAdresVeld(QByteArray &text, qint16 slot);
// Skips the acknowledgment line and stamps the reading anew.
void LezenTijdVeld(QByteArray &text, QDateTime &tijdstip, qint16 slot);
// A value field and a unit field.
void LezenWaardeEenheid(KanaalGegevens &kanaal, QByteArray &text, const QDateTime &tijdstip,
                        qint16 slot);
// A bare number (memory download).
void LezenWaardeGetal(KanaalGegevens &kanaal, QByteArray &text, const QDateTime &tijdstip,
                      qint16 slot);

// A reading's time stamp: one second later when it falls on the record being logged.
QDateTime BerekenTijdstip(const QDateTime &tijdstip);
