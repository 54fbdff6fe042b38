#pragma once
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QVariant>
#include <QtGlobal>

class QIODevice;
class QWidget;

// Removes blanks (code 32 only) at both ends; tabs and line ends stay. The program's texts and
// files have always been trimmed this way.
QString trimBlanks(const QString &text);
QByteArray trimBlanks(const QByteArray &text);

// Text received from an instrument: NUL characters, then characters of code 255, replaced and
// the blanks at both ends trimmed after each step.
QString VervangNulTekens(const QString &text, const QString &vervanging);
QByteArray VervangNulTekens(const QByteArray &data, const QByteArray &vervanging);

// Replaces every occurrence (exact case) and trims blanks at both ends.
QString VervangEnTrim(const QString &text, const QString &zoek, const QString &vervanging);
// "&Settings" -> "Settings" with an empty replacement.
QString VerwijderAmpersand(const QString &text, const QString &vervanging);

// Creates the folder and every missing folder above it. True when the folder exists at the end;
// folders made before a failure stay.
bool MaakMap(const QString &pad);

// A font description as the settings keep it. The colour is carried along but not applied.
struct FontRecord {
    QString Naam;
    bool Vet = false;
    bool Cursief = false;
    float Grootte = 0;     // points; 0 or less leaves the size alone
    qint32 Kleur = 0;
    bool Doorgestreept = false;
    bool Onderstreept = false;
};
void ToepassenLettertype(QWidget *object, const FontRecord &lettertype);

// The number after "COM" (from the fourth character), rounded; 0 when there is none.
qint16 LeesPoortNummer(const QString &poort);

// Per-user settings under application / section / key, values as text. Booleans are written
// "True"/"False", numbers in the user's locale without group separators.
void BewaarSetting(const QString &applicatie, const QString &sectie, const QString &sleutel,
                   const QVariant &waarde);
QString LeesSetting(const QString &applicatie, const QString &sectie, const QString &sleutel,
                    const QVariant &standaard = QVariant());
// How a value of any type is turned into the text these two store.
QString settingText(const QVariant &value);

// One line of a Windows-1252 file open for reading: ends at CR or CR LF (not part of the
// result); a lone LF stays in the text. "" at the end of the file. When the device cannot be
// read, *ok is set to false (and "" returned) so the caller's error handling can take over.
QString LeesRegel(QIODevice &bestand, bool *ok = nullptr);

// The text after the first occurrence of the delimiter, blanks at both ends removed; the whole
// text (trimmed) when the delimiter does not occur.
QString TekstNaScheiding(const QString &text, QChar scheiding);
