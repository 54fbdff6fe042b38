#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

// Conversions between the texts of files, fields and instrument replies and the program's
// numbers and flags. None keeps state or shows a message.

// Leading number of a text; "." or "," as decimal sign. 0 when the text starts with no number,
// -1 when the number does not fit the type.
float TekstNaarSingle(const QString &text);
double TekstNaarDouble(const QString &text);
// Leading number, ended by ","; rounded to the nearest whole number, halves to even.
qint16 TekstNaarInteger(const QString &text);
qint32 TekstNaarLong(const QString &text);
// False only for the words for "false" in the program's languages and "0".
bool TekstNaarBoolean(const QString &value);
inline QString BooleanTekst(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

// The locale's decimal sign, and a text with its points replaced by it.
QString DecimaalTeken();
QString PuntNaarDecimaal(const QString &text);

// Takes the leading number off the front of a reply text (see IsStuurteken for the flags) and
// returns it with the locale's decimal sign.
QString NeemGetal(QString &text, int flags);
QByteArray NeemGetal(QByteArray &text, int flags);
// Removes everything up to and including the next line end (CR LF counts as one).
void VerwijderTotRegeleinde(QString &text);
void VerwijderTotRegeleinde(QByteArray &text);

// An instrument's unit bytes (code page 437 for the special signs) as display text.
QString ZetEenheidOm(const QByteArray &unit);

// Table column of a channel's value: 3, 5, 7, 9.
qint16 KolomVanKanaal(qint16 kanaal);
// The locale's time separator.
QString TijdTekst();
// The input mask of an "hh:mm:ss" field with the given separator: two digits each, "_" where
// nothing was typed.
QString TijdInvoerMasker(const QString &scheiding);

quint8 NaarByte(qint16 value);
quint8 HoogsteByte(qint16 value);
qint16 AbsoluteWaarde(qint16 value);

// A time of day as "Hh:Nn:Ss" with the locale's time separator (Tijdscheidingsteken); empty for
// an invalid moment.
QString TijdMetScheidingsteken(const QDateTime &moment);
