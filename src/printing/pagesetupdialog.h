#pragma once
#include <QDialog>
#include <QDoubleSpinBox>
#include <QSizeF>

class PrintDevice;
class QLabel;
class QPushButton;

// One margin: a text field with its up-down spinner, in millimetres with one decimal, 0.1 mm a
// step. Any text may be typed ("." or "," as decimal sign); when editing ends (Enter, leaving
// the field) the value is clamped to 0..its limit and the text rewritten, so "12" can be typed
// without being rewritten after the "1".
class MargeVeld : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit MargeVeld(QWidget *parent = nullptr);
    // The limit, and the spinner's top in whole tenths.
    void ZetGrens(float grens);
    float Grens() const { return m_grens; }
    // The typed text read as a number and clamped to 0..the limit.
    float Marge() const;
    // The text field itself (for typing into it).
    QLineEdit *Tekstveld() const { return lineEdit(); }

    QValidator::State validate(QString &input, int &pos) const override;
    double valueFromText(const QString &text) const override;
    QString textFromValue(double value) const override;

private:
    float m_grens = 0;
};

// The page-margin dialog: the four margins, each limited to a third of the printable height
// (top, bottom) or width (left, right) of the printer in its current orientation. OK writes
// them at once; closing it any other way keeps them.
class formPaginaSetup : public QDialog {
    Q_OBJECT
public:
    explicit formPaginaSetup(const PrintDevice &printer, QWidget *parent = nullptr);

    // True unless the dialog was closed with OK.
    bool CancelGeklikt = true;
    // Closed by OK, Cancel or the window frame.
    bool Gesloten = false;

    // Shows the dialog for the printer and waits until it is closed; true after OK.
    static bool TonenEnWachten(const PrintDevice &printer, QWidget *parent);

    void OKButton_Click();
    void CancelButton_Click();

    MargeVeld *TextTop = nullptr;
    MargeVeld *TextBottom = nullptr;
    MargeVeld *TextLeft = nullptr;
    MargeVeld *TextRight = nullptr;
    QLabel *LabelSizes = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QSizeF m_pagina;
};

// A margin's limit: a third of the page dimension, as the single-precision factor the
// program has always used (287 mm gives 95.67 mm).
float MargeGrens(float dimensie);
// A margin as the dialog shows it: one decimal, the locale's decimal sign.
QString MargeTekst(float waarde);
