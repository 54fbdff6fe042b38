#pragma once
#include <QDialog>
#include <QString>

class QPlainTextEdit;

// What the program knows of the system it runs on, in its own window: the system's name and
// version, the Qt version, the folders it uses, the locale and the serial ports.

// The report, one "name: value" line each, in the loaded language.
QString systeemInfoTekst();

class SysteemInfoVenster : public QDialog {
    Q_OBJECT
public:
    explicit SysteemInfoVenster(QWidget *parent = nullptr);
    QPlainTextEdit *tekst() const { return m_text; }
    // Fills the report again (the ports may have changed).
    void vernieuw();

private:
    QPlainTextEdit *m_text = nullptr;
};

// Shows the one system-information window, filled anew, in front.
SysteemInfoVenster *ToonSysteemInfo(QWidget *parent);
