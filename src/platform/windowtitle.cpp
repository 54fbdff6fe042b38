#include "platform/windowtitle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QString>
#include <QStyle>
#include <QWidget>

int titleBarWidth(const QWidget &window, const QString &title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    // The icon and up to three buttons (minimise, maximise, close), each about a title bar's
    // height wide.
    const int frame = 4 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(font).horizontalAdvance(title) + frame;
}
