#pragma once
#include <QString>
#include <QtGlobal>

// What the graph settings dialog, its curves grid and the line-source dialog decide without a
// window: reading and bounding their fields, and the texts they show for a line's source.

// The recorder interval field: "hh:mm:ss" with the given time separator, "_" where nothing was
// typed. The input mask, and the seconds a text stands for (h * 3600 + m * 60 + s, "_" as 0;
// hours above 23 or minutes above 59 count as they stand).
QString TussentijdMasker(const QString &scheiding);
qint32 LeesTussentijd(const QString &tekst, const QString &scheiding);
// Whether the text is a time of day (hours up to 23, minutes and seconds up to 59). Any other
// text is read as above, and the dialog tells the user what it took.
bool TussentijdIsTijdstip(const QString &tekst, const QString &scheiding);
// The interval wraps around its range 1..3600: 0 or less gives 3600, above 3600 gives 1.
qint32 BegrensTussentijd(qint32 seconden);
// The text the field shows for a number of seconds (one day at most; a whole day shows 00:00:00).
QString TussentijdTekst(qint32 seconden, const QString &scheiding);

// Number fields, read at OK. "," and "." both serve as decimal sign; no number gives 0.
double LeesGetal(const QString &tekst);
// Every "." removed, then a whole number held to 1..20.
qint16 BegrensVerdelingen(const QString &tekst);
// Every "." removed, then a whole number of at least 50 (no upper bound below the type's).
qint16 BegrensGrafiekPunten(const QString &tekst);

// A line's source is a slot 1..31 and a channel 1..4; anything else counts as no source.
bool LijnBronBinnenBereik(qint16 slot, qint16 kanaal);
// The curves grid's text for a source: "Device 3 (Oven 1), Input 2 (°C)".
QString BronOmschrijving(int slot, int kanaal);
// The line-source dialog's entries: "Device3: (Oven)", "Input1: (°C, CH1)".
QString ToestelRegel(int slot);
QString IngangRegel(int slot, int kanaal);
// The slot number of a device entry: the text before the first ":" without the word "Device";
// 0 for an empty entry or one that holds no number.
qint16 BepaalToestelNummer(const QString &regel);
// "Select input for Graph 2, Line number 3".
QString LijnbronTitel(const QString &grafiek, int lijn);
// "Select a device from the listbox!" for text 442, "... an input ..." for 440.
QString KiesUitLijstMelding(int wat);

// The caption a graph window takes when it is loaded: "Graph 3", or "XY-recorder 3".
QString StandaardGrafiekTitel(int graph, bool recorder);
// Takes the lowest free graph number for a new graph and counts it in use: its settings start
// from the load defaults (never from what an earlier graph of that number left), marked new and
// shown, with the standard caption. 0 when every number is taken.
int NeemNieuweGrafiek(bool recorder);
