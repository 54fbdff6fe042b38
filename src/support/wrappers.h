#pragma once
#include <QByteArray>
#include <QString>

// Control-character test shared by the tokenizer and the number reader: true when flag bit 2
// is set and the character is CR, LF, TAB, BS, FF or NUL, or there is no character.
bool IsStuurteken(const QString &character, int flags);
bool IsStuurteken(char character, bool present, int flags);

// Takes the next token off the front of the text. Flag bit 1 consumes the delimiter that ends
// the token; flag bit 2 also stops at control characters. On return the delimiter argument holds
// the character that stopped the token (empty at the end of the text).
QString NeemWoord(QString &text, QString &delimiters, int flags);
QByteArray NeemWoord(QByteArray &text, QByteArray &delimiters, int flags);
