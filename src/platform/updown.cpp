#include "platform/updown.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <climits>

namespace {

QToolButton *arrowButton(Qt::ArrowType type, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setArrowType(type);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    b->setFixedWidth(16);
    b->setMinimumHeight(8);
    return b;
}

} // namespace

ArrowPair::ArrowPair(QWidget *parent) : QWidget(parent)
{
    m_up = arrowButton(Qt::UpArrow, this);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = arrowButton(Qt::DownArrow, this);
    m_down->setObjectName(QStringLiteral("down"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void ArrowPair::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void ArrowPair::setValue(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(m_value);
}

void ArrowPair::step(int direction)
{
    emit aboutToStep(direction);
    long long next = (long long)m_value + (direction > 0 ? 1 : -1);
    if (next > m_maximum)
        next = m_maximum;
    if (next < m_minimum)
        next = m_minimum;
    setValue(int(next));
    emit stepped(direction > 0 ? 1 : -1);
}

bool numberFieldValue(const QString &text, int *value)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d) || d > INT_MAX || d < INT_MIN)
        return false;
    *value = int(std::lround(d));
    return true;
}

NumberField::NumberField(const QString &fieldName, QWidget *parent) : QWidget(parent)
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(fieldName);
    m_arrows = new ArrowPair(this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_arrows);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_arrows, &ArrowPair::aboutToStep, this, [this] { syncFromText(); });
    connect(m_arrows, &ArrowPair::stepped, this,
            [this] { m_edit->setText(QString::number(m_arrows->value())); });
}

QString NumberField::text() const { return m_edit->text(); }

void NumberField::setText(const QString &text) { m_edit->setText(text); }

void NumberField::syncFromText()
{
    // The arrows start from what the field shows, held within their range.
    int value = 0;
    if (numberFieldValue(m_edit->text(), &value))
        m_arrows->setValue(qMax(m_arrows->minimum(), qMin(value, m_arrows->maximum())));
}

bool NumberField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            m_arrows->step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
