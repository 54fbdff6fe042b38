#pragma once
#include <QObject>
#include <QString>
#include <QtGlobal>

// The texts of the user interface in the current language, index 99..599. Entry 500 is the
// language's own name. Indexes no table writes read as the empty text.
QString Taaltekst(int index);

// Loads the language with the given index (0 English, 1 French, 2 Dutch); any other index loads
// English and sets the caller's variable to 0.
void LaadTaal(qint16 &index);
// The index of the language whose own name is the given text (exact); English (loaded) when none.
qint16 ZoekTaalIndex(const QString &name);

// The command that opens the current language's help (a topic is appended by callers).
QString HelpCommando();
QString HelpBestand();

// Windows that show texts connect to languageLoaded() to re-label themselves.
class LanguageNotifier : public QObject {
    Q_OBJECT
public:
    static LanguageNotifier &instance();
signals:
    void languageLoaded();
};

struct TaalRegel {
    int index;
    const char16_t *text;
};
struct TaalTabel {
    const TaalRegel *rows;
    int count;
};
TaalTabel TaalEngels();
TaalTabel TaalFrans();
TaalTabel TaalNederlands();
