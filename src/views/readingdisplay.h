#pragma once
#include <QColor>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

class FormRack;

// What a rack window shows of its slot in the slot table: values, units and channel names with
// a colour for the reading's state, the status bar (stop panel, status words, relays, time of
// reading, or one full-width text) and the activity lamps during polling.
namespace RackKleur {
const QColor Groen(0, 255, 0);
const QColor Geel(255, 255, 0);
const QColor Rood(255, 0, 0);
const QColor Donkergroen(48, 160, 48);
const QColor Grijs(160, 160, 160);
} // namespace RackKleur

// Writes the slot's latest reading into its rack window; leeg empties the values and units.
// Does nothing unless the slot is valid and its window shown.
void TonenMeting(qint16 &slot, bool &leeg);
// The same on a given window (the window's own slot), for a window that is not in the table.
void TonenMeting(FormRack &rack, bool leeg);
// Empties the value and unit labels of the slot's rack window.
void TonenToestelStatus(qint16 slot);
// Sets the activity lamps of every shown rack window; `slot` is the one being polled.
void VernieuwenToestelVensters(qint16 slot, bool bezig, bool alle);
// The lamp of one slot that is not being polled: grey, or red when it is failing.
void VernieuwenRackVenster(qint16 slot);

// The poll loop's changes, shown together: a reading or lamp that changed only marks its window,
// and the marked windows are brought up to date in one pass at most once per display frame
// (RackFrameMs), when the event loop is about to wait (for the reply to the frame just sent), so
// the next frame never waits for a repaint. When the window they live in paints anyway before
// the frame ends, they are brought up to date in that pass.
constexpr int RackFrameMs = 500;
void markReadingChanged(qint16 slot);
void markLampsChanged(qint16 slot, bool bezig, bool alle);
// Brings the marked windows up to date now (the event loop does this before it waits).
void showMarkedChanges();

// The value colour of one channel of a slot: green, yellow for "<" or ">", red for no value or
// "ALARM" (red wins).
QColor WaardeKleur(bool geenWaarde, const QString &status);
// The time of a reading as the status bar shows it ("Hh:Nn:Ss " with its trailing blank).
QString MeetTijdTekst(const QDateTime &moment);
