#include "support/mainlink.h"

#include <QDir>
#include <QPointer>
#include <QWidget>

static void initProgramResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {
QPointer<QWidget> mainWindowPointer;
std::function<void()> blankHook;
} // namespace

namespace MainLink {

void setMainWindow(QWidget *window) { mainWindowPointer = window; }
QWidget *mainWindow() { return mainWindowPointer.data(); }

void setBlankMessagePanel(std::function<void()> hook) { blankHook = std::move(hook); }

void blankMessagePanel()
{
    if (blankHook)
        blankHook();
}

void ensureResources()
{
    static const bool done = [] {
        initProgramResources();
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace MainLink
