#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>

// The one way dates and times are written to and read from the data file, the table and the
// settings file: the locale's short date with a four-digit year, then its long time without a
// time-zone name. Qt's own long format adds a zone that does not read back, and two-digit years
// read back as 19xx.
namespace DateTimeText {

QString dateFormat(const QLocale &locale = QLocale());
QString timeFormat(const QLocale &locale = QLocale());
QString format(const QDateTime &moment, const QLocale &locale = QLocale());
QString formatDate(const QDate &date, const QLocale &locale = QLocale());
QString formatTime(const QTime &time, const QLocale &locale = QLocale());

// Reads a date and time as format() writes it; a date alone gives midnight. Also accepts the
// locale's own two-digit-year date (taken as 20yy). Returns an invalid value when the text is
// not a date.
QDateTime parse(const QString &text, const QLocale &locale = QLocale());
// Reads a time alone ("10:04:05" in the locale's long time). Invalid when it is not one.
QTime parseTime(const QString &text, const QLocale &locale = QLocale());

} // namespace DateTimeText
