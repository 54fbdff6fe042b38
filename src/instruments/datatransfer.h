#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QMovie;
class QPlainTextEdit;

// The resource of an animation number (101 data awaited, 102 commands exchanged, 107 the
// window's icon).
QString AnimatieBron(int nr);

// The small wait window the program shows while it talks to a controller at length (a memory
// download, a transfer capture, a rack's stop command): an animation, the instruction and what
// arrived last. It has no widget parent, so it stays usable while the main window is disabled;
// closing it is how the user ends a capture or a download.
class FormDataTransfer : public QWidget {
    Q_OBJECT
public:
    // The one wait window, made on first use.
    static FormDataTransfer &instance();
    // The wait window when it was ever made, else null.
    static FormDataTransfer *bestaand();
    ~FormDataTransfer() override;

    // The animation the window plays: read by its load, written by the callers before they
    // show it.
    qint16 VideoNr = 102;
    // VideoNr := Nr and plays that animation; hides the player when there is no such animation.
    void LaadVideo(qint16 Nr);

    // Shows the window without waiting; the first show after an unload loads it: the text box
    // empties, the main window is disabled and the window asks to stay on top.
    void Tonen();
    // Unloads the window from code, as the user's close does.
    void Sluiten();
    // Between its load and its unload.
    bool Geladen() const { return m_loaded; }

    // The state text or the last received line.
    QPlainTextEdit *TextActie() const { return m_text; }
    // The instruction.
    QLabel *LabelActie() const { return m_label; }
    QLabel *Animation1() const { return m_animation; }
    QMovie *movie() const { return m_movie; }

signals:
    // The window was unloaded (by the user or from code).
    void ontladen();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    FormDataTransfer();
    void Form_Load();
    void Form_Unload();

    QPlainTextEdit *m_text = nullptr;
    QLabel *m_label = nullptr;
    QLabel *m_animation = nullptr;
    QMovie *m_movie = nullptr;
    bool m_loaded = false;
    bool m_mainWasEnabled = true;
};
