#pragma once
#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of small up and down arrows that step a whole number by one within a range, without
// wrapping. It holds its own value; a field beside it shows whatever its owner decides.
class ArrowPair : public QWidget {
    Q_OBJECT
public:
    explicit ArrowPair(QWidget *parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // Changing the range leaves the value as it is: only the next step is held to it.
    void setMinimum(int minimum) { m_minimum = minimum; }
    void setMaximum(int maximum) { m_maximum = maximum; }
    void setRange(int minimum, int maximum);
    // Emits valueChanged when the value changes.
    void setValue(int value);

    // One step up (+1) or down (-1), as a click on an arrow.
    void step(int direction);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

signals:
    // Before a step: the owner may set the value from its field first.
    void aboutToStep(int direction);
    // After a step (also one that met the end of the range).
    void stepped(int direction);
    void valueChanged(int value);

private:
    QToolButton *m_up;
    QToolButton *m_down;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 100;
};

// A number field with arrows: the text is free (any number text, also beyond the arrows' range,
// with "," or "." as decimal sign); a step of the arrows starts from the number in the field,
// rounded, and shows the new whole number there. The Up and Down keys in the field step too.
class NumberField : public QWidget {
    Q_OBJECT
public:
    // `fieldName` names the line edit, the widget itself is named by its owner.
    explicit NumberField(const QString &fieldName, QWidget *parent = nullptr);

    QLineEdit *edit() const { return m_edit; }
    ArrowPair *arrows() const { return m_arrows; }
    QString text() const;
    void setText(const QString &text);
    // The arrows take the number in the field (held to their range), as before a step.
    void syncFromText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    ArrowPair *m_arrows;
};

// The whole number a number field's text stands for ("1,5" and "1.5" give 2); false when the text
// is no number.
bool numberFieldValue(const QString &text, int *value);
