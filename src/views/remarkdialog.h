#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The remark of one logged row of one table: the caller sets Ti (grid 0..30) and Nummer (the
// row) and calls Toon(); OK (or Enter in the text) stores the remark in the row's remark cell
// and in the lines of its time in the data file's working copy.
class formEditInfo : public QDialog {
    Q_OBJECT
public:
    explicit formEditInfo(QWidget *transientParent = nullptr);

    qint16 Ti = 0;
    qint32 Nummer = 0;

    // Shows the dialog modally and waits (pumping) until it closes. True when a remark was
    // stored.
    bool Toon();

    QLabel *LabelInfo = nullptr;
    QLineEdit *TextInfo = nullptr;
    QPushButton *CommandOK = nullptr;
    QPushButton *CommandCancel = nullptr;

public slots:
    void CommandOK_Click();
    void CommandCancel_Click();
    void reject() override;

private:
    void Form_Load();
    bool m_stored = false;
};

// Opens the remark dialog for row `row` of grid `grid` (the table window's remark request).
bool ToonOpmerking(QWidget *transientParent, int grid, qint32 row);
