#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

// Reading a controller's log memory back as logged records. Each record goes the one record road
// (VerwerkenMeting with an empty text and the slot), so it reaches the data file, the table and
// the graphs exactly as a logged measurement. The user ends a download by closing the wait
// window.

// Runs one download from the slot's controller into the data file Meetbestandsnaam. The caller
// looks at OntvangenActief: it stays set only while the window is open and the line usable.
void UitlezenLogGeheugen(qint16 slot);

// Sends ">" and the command and waits for its echo; genegeerd is true when the user chose
// Ignore (the data will be sent from the instrument's keys).
void ZendGeheugenCommando(qint16 slot, const QByteArray &commando, bool &genegeerd);
// The same for the numbered command: "N", the number's low byte and its high byte.
void ZendGeheugenRecordCommando(qint16 slot, qint16 nummer, bool &genegeerd);
// The echo a controller gives of a memory command, as the line's reader keeps it (NUL and 255
// dropped, as they are from every received byte).
QByteArray VerwachteEcho(qint16 slot, const QByteArray &commando);

// A date text dd/mm/yy or dd-mm-yy as a date; the text is consumed. Without two separators the
// zero date (30 December 1899); a part that is not a whole number gives 30 November 1999, as
// year 0, month 0, day 0 carry.
QDateTime TekstNaarDatum(QString &tekst);
// Adds a time text hh:mm:ss to the date; the text is consumed. Without a separator nothing is
// added; a part that is not a whole number stops the adding.
void TekstNaarTijd(QDateTime &datum, QString &tekst);

// The wait the download and the capture take for a line, and the pause a standard controller
// needs before its memory is ready, in milliseconds.
namespace Ontvangen {
constexpr qint32 CommandoPauze = 800;
constexpr qint32 GeheugenPauze = 4000;
} // namespace Ontvangen
