#include "support/wrappers.h"

#include "support/utilities.h"

namespace {

bool isControl(char16_t c)
{
    return c == '\r' || c == '\n' || c == '\t' || c == '\b' || c == '\f' || c == 0;
}

} // namespace

bool IsStuurteken(const QString &character, int flags)
{
    if (!(flags & 2))
        return false;
    return character.isEmpty() || isControl(character[0].unicode());
}

bool IsStuurteken(char character, bool present, int flags)
{
    if (!(flags & 2))
        return false;
    return !present || isControl(static_cast<unsigned char>(character));
}

QString NeemWoord(QString &text, QString &delimiters, int flags)
{
    QString word;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (delimiters.contains(c) || IsStuurteken(QString(c), flags))
            break;
        if (c.unicode() >= 32)
            word += c;
        ++i;
    }
    text.remove(0, i);
    const QString stop = text.left(1);
    if (!stop.isEmpty() && delimiters.contains(stop[0]) && (flags & 1))
        text.remove(0, 1);
    delimiters = stop;
    return trimBlanks(word);
}

QByteArray NeemWoord(QByteArray &text, QByteArray &delimiters, int flags)
{
    QString t = QString::fromLatin1(text);
    QString d = QString::fromLatin1(delimiters);
    const QString word = NeemWoord(t, d, flags);
    text = t.toLatin1();
    delimiters = d.toLatin1();
    return word.toLatin1();
}
