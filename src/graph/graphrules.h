#pragma once
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <span>

// The arithmetic of a graph window, free of any window: which measurements the chart rows show,
// how the scroll bar maps onto them, when a recorder samples, what its labels say and the
// statistics text of the footnote.
//
// In normal mode chart row r always shows measurement EersteMeting + r - 1; rows
// 1..AantalPunten are filled. Measurements run from 1 to AantalRijen.

struct VensterStand {
    qint32 EersteMeting = 1; // measurement shown in chart row 1
    qint32 AantalPunten = 0; // rows filled
    bool operator==(const VensterStand &) const = default;
};

// The number of chart rows a window has: a count below 1 (a hand-edited settings file) counts
// as 99.
qint32 GeldigAantalPunten(qint32 maxGrafiekZichtbaar);
// A label under every k-th row: points per time division, at least 1.
qint32 LabelStap(qint32 maxGrafiekZichtbaar, qint32 aantalTijdVerdelingen);

// The last window of measurements (after a file was read, or when a window opens).
VensterStand LadenGrafiekStand(qint32 max, qint32 aantalRijen);
// Before a new measurement is taken in: a full window moves on by a quarter. Returns whether
// the window moved (the shown rows must be drawn again).
bool VerschuifVenster(VensterStand &stand, qint32 max, qint32 aantalRijen);
// A new measurement: the window moves on when full, then one more row is filled. Returns
// whether the window moved; the new row is stand.AantalPunten, and it shows measurement
// stand.EersteMeting + stand.AantalPunten - 1.
bool VolgendePunt(VensterStand &stand, qint32 max, qint32 aantalRijen);
// The window after the user moved the scroll bar to `waarde`.
VensterStand ScrollStand(int waarde, qint32 max, qint32 aantalRijen);

// The scroll bar's range never passes 30000: beyond that many measurements its value is scaled,
// and its range starts at 0, which stands for measurement 1 (the scaled value of measurements
// 1 and 2 of 100,000 is 0; a bar from 1 would start at measurement 3).
constexpr int ScrollBereik = 30000;
struct ScrollBarStand {
    int maximum = 1;
    int waarde = 1;
    int minimum = 1;
    bool operator==(const ScrollBarStand &) const = default;
};
ScrollBarStand AanpassenScrollBarStand(qint32 eersteMeting, qint32 aantalRijen);

// Recorder schedule on the monotonic clock: whether a sample is due at `nuMs`, moving the next
// moment on by one interval. A recorder late by more than one interval starts a new schedule
// from now; one late by less keeps its rhythm. At most one sample per call.
bool RecorderMoment(qint64 &volgendeMs, qint64 nuMs, qint32 tussentijdSeconden);

// Which part of a table row labels a chart row.
enum class LabelSoort { DatumTijd = 0, Tijd = 1, Datum = 2, Nummer = 3 };
// The label of a normal-mode row from the texts of its table row; `geen` is set when the
// choice writes no label at all.
QString RijLabel(qint16 labelKeuze, const QString &nummer, const QString &datum,
                 const QString &tijd, bool *geen = nullptr);

// What a value text of slot `slot` holds for a graph line. A blank or empty text (the table
// writes one blank for a read failure, a controller switched off, a deleted line) and the mark
// the slot's model sends for a channel without a reading ("99999", "--") hold no reading: the
// chart leaves a gap there and the alarm report passes over it. A text starting with "OR." is
// over range: a gap on the chart, 9999 to the alarm report.
enum class CellReading { None, OverRange, Number };
CellReading ReadingOf(const QString &waarde, int slot);

// The label of a recorder sample taken at wall time `nu`: date and time, time or date by the
// choice; any other choice numbers the samples (`aantalPunten`, the count before this one).
QString RecorderLabel(qint16 labelKeuze, const QDateTime &nu, qint32 aantalPunten);

// A number of the footnote: the locale's decimal sign, no grouping, up to 15 digits.
QString VoetnootGetal(double waarde);

// The statistics of one line over the given values (NaN = a null point), as appended to the
// footnote: " [MIN: 4°C  MAX: 7°C  MEAN:5.5°C]". Empty when no value is a number or no flag is
// set. `vlaggen` sums 1 minimum, 2 maximum, 4 mean; `gemiddeldeTekst` is the language's
// "MEAN:".
QString StatistiekTekst(std::span<const double> waarden, int vlaggen, const QString &eenheid,
                        const QString &gemiddeldeTekst);
