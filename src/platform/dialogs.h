#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// What a font dialog offers: the starting font and text colour, and what the user may change.
struct FontRequest {
    QFont font;
    QColor colour; // the text colour offered with the effects; invalid = no colour choice
    QString title;
    bool sizeLocked = false; // the size stays the font's own
    bool effects = true;     // underline, strike-through and colour may be changed
};

// What the user picked. The colour is invalid when none was offered.
struct FontChoice {
    QFont font;
    QColor colour;
};

// Message-box flags and answers, with the standard values the program's texts and callers use.
namespace MsgBox {
// Button sets (low 3 bits).
constexpr int OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
              RetryCancel = 5;
// Icons.
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
// Default button.
constexpr int DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512;
// The program's own box returns at once with 0 when this bit is set.
constexpr int DoNotWait = 0x200000;
// Answers.
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
} // namespace MsgBox

// Every plain message box and every file, font and colour dialog goes through the installed
// provider, so that tests can answer them without a person.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;

    // The plain system message box. Returns one of the MsgBox answers.
    virtual int messageBox(QWidget *parent, const QString &text, int flags,
                           const QString &title) = 0;
    // File dialogs return the chosen absolute path, or an empty text on Cancel. The filter is
    // in Qt's form ("Data (*.csv);;All (*)"). The save dialog asks no overwrite question of its
    // own: callers ask it where needed.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &path,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &path,
                                 const QString &filter, const QString &defaultSuffix) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget *parent, const FontRequest &request) = 0;
    // A font with every choice open and no colour.
    std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial, const QString &title);
    virtual std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                               const QString &title) = 0;

    static DialogProvider &current();
    // Installs a provider (not owned); nullptr restores the real dialogs.
    static void install(DialogProvider *provider);
};

// The real dialogs, over Qt's widgets.
class QtDialogProvider : public DialogProvider {
public:
    int messageBox(QWidget *parent, const QString &text, int flags,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter, const QString &defaultSuffix) override;
    using DialogProvider::chooseFont;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontRequest &request) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                       const QString &title) override;
};

// Answers from a script, for tests. Each request takes the next queued answer of its kind;
// with none queued, a message box answers as its Escape button would and dialogs cancel.
// Every request is recorded.
class ScriptedDialogProvider : public DialogProvider {
public:
    struct Request {
        QString kind; // "message", "open", "save", "font", "colour"
        QString text; // message text, or the path offered to a file dialog
        QString title;
        int flags = 0;
        FontRequest font = {}; // what a font dialog offered
    };

    ScriptedDialogProvider() { DialogProvider::install(this); }
    ~ScriptedDialogProvider() override { DialogProvider::install(nullptr); }

    void answerMessage(int answer) { m_messages.append(answer); }
    void answerFile(const QString &path) { m_files.append(path); } // "" = Cancel
    void answerFont(std::optional<QFont> font);
    void answerFontChoice(std::optional<FontChoice> choice) { m_fonts.append(choice); }
    void answerColour(std::optional<QColor> colour) { m_colours.append(colour); }

    const QList<Request> &requests() const { return m_requests; }
    QStringList messageTexts() const;
    void clear() { m_requests.clear(); }

    int messageBox(QWidget *parent, const QString &text, int flags,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter, const QString &defaultSuffix) override;
    using DialogProvider::chooseFont;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontRequest &request) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                       const QString &title) override;

private:
    QList<int> m_messages;
    QStringList m_files;
    QList<std::optional<FontChoice>> m_fonts;
    QList<std::optional<QColor>> m_colours;
    QList<Request> m_requests;
};

// The font dialog of the real provider: family, style, size and an effects group with
// underline, strike-through and the text colour (picked through the provider's colour dialog).
// Size and effects are shown but locked when the request says so.
class FontDialog : public QDialog {
    Q_OBJECT

public:
    explicit FontDialog(const FontRequest &request, QWidget *parent = nullptr);
    FontChoice choice() const;

private:
    void fillStyles();
    void pickColour();
    void showColour();
    void updateSample();

    FontRequest m_request;
    QColor m_colour;
    QFontComboBox *m_family;
    QComboBox *m_style;
    QDoubleSpinBox *m_size;
    QGroupBox *m_effects;
    QCheckBox *m_underline;
    QCheckBox *m_strikeOut;
    QPushButton *m_colourButton;
    QLabel *m_sample;
};
