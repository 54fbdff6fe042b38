#pragma once
#include <QDateTime>
#include <QDialog>

class QCalendarWidget;
class QDateTimeEdit;
class QLabel;
class QPushButton;

// A modal dialog that picks one moment: the date from the calendar, the time of day from the
// time picker. The caller sets Tijdstip, the caption and (for a stop time) the earliest moment,
// calls Toon() and reads Tijdstip and Onderbroken afterwards.
class DialogInputTijdstip : public QDialog {
    Q_OBJECT
public:
    explicit DialogInputTijdstip(QWidget *transientParent = nullptr);

    bool Onderbroken = false;
    QDateTime Tijdstip;

    // The earliest moment OK accepts; an invalid moment sets no limit.
    void setMinimum(const QDateTime &moment);
    QDateTime minimum() const { return m_minimum; }

    // Shows the dialog modally and waits (pumping) until it closes. True when accepted.
    bool Toon();

    // The moment made of the calendar's date and the picker's time of day.
    static QDateTime Moment(QDate kalender, QTime tijd) { return QDateTime(kalender, tijd); }

    QCalendarWidget *MonthView = nullptr;
    QDateTimeEdit *DTPicker = nullptr;
    QLabel *LabelDate = nullptr;
    QLabel *LabelTime = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

public slots:
    void OKButton_Click();
    void CancelButton_Click();
    void reject() override;

private:
    void Form_Load();
    void zetTeksten();

    QDateTime m_minimum;
};
