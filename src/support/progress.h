#pragma once
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window: one line of text, a bar and Cancel. It never ends the operation itself;
// the operation reads VoortgangOnderbroken at each step and closes the window when it stops.
// The user may drag it by its surface, its text or its bar.
class FrmVoortgang : public QWidget {
    Q_OBJECT
public:
    // The single window, created (not yet shown) when there is none. Showing it loads it: it
    // takes VoortgangTekst, clears VoortgangOnderbroken and stays on top.
    static FrmVoortgang &instance();
    static bool isLoaded();
    // Closes and destroys the window; the next instance() is a fresh one.
    static void unload();

    bool VoortgangOnderbroken = false;
    QString VoortgangTekst;

    QLabel *LabelVoortgang = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QPushButton *CommandCancel = nullptr;

    void CommandCancel_Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FrmVoortgang();
    void Form_Load();
    void ZetTekstenVoortgang();

    bool m_geladen = false;
    bool m_ontladen = false;
    QPoint m_muis; // where the left button went down, relative to the window's corner
};
