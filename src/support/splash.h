#pragma once
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;

// The splash and about window: product name, version, date of the program file, logo and
// photo. It stays on top, can be dragged by its background, and closes on a click on the photo,
// the version, the product name or the copyright line, or on any key.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    // Shows the window (a fresh one, loading it, when none is open) and returns it.
    static frmSplash *Toon();
    // The open window, or nullptr.
    static frmSplash *open();
    // Closes the open window, if any.
    static void Ontladen();

    // The program file whose date the window shows; set by tests. Empty: the program itself.
    static inline QString ProgrammaBestand;
    // "Version" and the version numbers; the long date of a file, "" when it is not there.
    static QString VersieTekst();
    static QString DatumTekst(const QString &file);

    // While locked (the start-up's two seconds) clicks and keys leave the window open; it is
    // still drawn in full colour, which a disabled window is not.
    void setLocked(bool locked) { m_locked = locked; }

    QLabel *ImageLogo = nullptr;
    QLabel *ImgFoto = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *LblDate = nullptr;
    QLabel *lblCopyright = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    frmSplash();
    void Form_Load();
    void zetTeksten();

    void centreOverMain();

    QPoint m_muis;
    bool m_locked = false;
};
