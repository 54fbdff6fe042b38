#pragma once
#include <QDialog>
#include <QString>
#include <QtGlobal>

class QComboBox;
class QLabel;
class QPushButton;

// The line-source dialog: which controller input one graph line draws, or none (Clear). The
// caller sets the public values, calls Toon() and reads them back: CancelGeklikt True means
// nothing changes; otherwise Rnr and Knr are the new source (both 0 after Clear).
class DialogInputGrafiekElement : public QDialog {
    Q_OBJECT
public:
    explicit DialogInputGrafiekElement(QWidget *parent = nullptr);

    qint16 Rnr = 0;  // slot 1..31, 0 = none
    qint16 Knr = 0;  // channel 1..4, 0 = none
    QString Grafiek; // the graph's name, for the title
    qint16 LijnNr = 0;
    bool CancelGeklikt = false;

    // Fills the lists from the public values, shows the dialog modal to its parent window and
    // waits until it is hidden again (OK, Cancel, Clear, Escape or the frame).
    void Toon();
    void LaadStrings();

    QLabel *LabelController = nullptr;
    QComboBox *ListController = nullptr; // item data: the slot number
    QLabel *LabelInputs = nullptr;
    QComboBox *ListInputs = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *CommandWissen = nullptr;

public slots:
    void OKButton_Click();
    void CancelButton_Click();
    void CommandWissen_Click();
    void reject() override; // Escape: Cancel

protected:
    void closeEvent(QCloseEvent *event) override; // the frame: Cancel
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void ListController_Click();
    void VulIngangen();
    void verbergen();

    bool m_open = false;
};
