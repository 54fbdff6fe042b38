#include "platform/dialogs.h"

#include "platform/pump.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
DialogProvider *installed = nullptr;

QtDialogProvider &realProvider()
{
    static QtDialogProvider provider;
    return provider;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonSpec> buttonsOf(int set)
{
    using B = QMessageBox;
    switch (set) {
    case MsgBox::OkCancel: return {{B::Ok, MsgBox::Ok}, {B::Cancel, MsgBox::Cancel}};
    case MsgBox::AbortRetryIgnore:
        return {{B::Abort, MsgBox::Abort}, {B::Retry, MsgBox::Retry}, {B::Ignore, MsgBox::Ignore}};
    case MsgBox::YesNoCancel:
        return {{B::Yes, MsgBox::Yes}, {B::No, MsgBox::No}, {B::Cancel, MsgBox::Cancel}};
    case MsgBox::YesNo: return {{B::Yes, MsgBox::Yes}, {B::No, MsgBox::No}};
    case MsgBox::RetryCancel: return {{B::Retry, MsgBox::Retry}, {B::Cancel, MsgBox::Cancel}};
    default: return {{B::Ok, MsgBox::Ok}};
    }
}

int escapeAnswer(int set)
{
    switch (set) {
    case MsgBox::OkCancel:
    case MsgBox::YesNoCancel:
    case MsgBox::RetryCancel: return MsgBox::Cancel;
    case MsgBox::AbortRetryIgnore: return MsgBox::Abort;
    case MsgBox::YesNo: return MsgBox::No;
    default: return MsgBox::Ok;
    }
}
} // namespace

DialogProvider &DialogProvider::current() { return installed ? *installed : realProvider(); }
void DialogProvider::install(DialogProvider *provider) { installed = provider; }

int QtDialogProvider::messageBox(QWidget *parent, const QString &text, int flags,
                                 const QString &title)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(text);
    switch (flags & 0x70) {
    case MsgBox::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgBox::Question: box.setIcon(QMessageBox::Question); break;
    case MsgBox::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgBox::Information: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    const int set = flags & 7;
    const QList<ButtonSpec> specs = buttonsOf(set);
    QMessageBox::StandardButtons buttons;
    for (const ButtonSpec &s : specs)
        buttons |= s.button;
    box.setStandardButtons(buttons);
    const int defaultIndex = (flags & 0x300) >> 8;
    if (defaultIndex < specs.size())
        box.setDefaultButton(specs[defaultIndex].button);
    // Waits through the pump, so that the program's end (an unattended close) answers the box
    // as its Escape button would instead of leaving it waiting.
    box.setWindowModality(Qt::ApplicationModal);
    int clicked = -1;
    QObject::connect(&box, &QMessageBox::finished, &box, [&clicked](int result) { clicked = result; });
    if (!Pump::ending()) {
        box.show();
        Pump::until([&clicked] { return clicked != -1; });
    }
    for (const ButtonSpec &s : specs)
        if (s.button == clicked)
            return s.answer;
    return escapeAnswer(set);
}

QString QtDialogProvider::openFileName(QWidget *parent, const QString &title, const QString &path,
                                       const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, path, filter);
}

QString QtDialogProvider::saveFileName(QWidget *parent, const QString &title, const QString &path,
                                       const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(parent, title, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix.startsWith('.') ? defaultSuffix.mid(1)
                                                              : defaultSuffix);
    if (!path.isEmpty())
        dialog.selectFile(path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QFont> QtDialogProvider::chooseFont(QWidget *parent, const QFont &initial,
                                                  const QString &title)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent, title);
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QColor> QtDialogProvider::chooseColour(QWidget *parent, const QColor &initial,
                                                     const QString &title)
{
    const QColor colour = QColorDialog::getColor(initial, parent, title);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

QStringList ScriptedDialogProvider::messageTexts() const
{
    QStringList out;
    for (const Request &r : m_requests)
        if (r.kind == "message")
            out << r.text;
    return out;
}

int ScriptedDialogProvider::messageBox(QWidget *, const QString &text, int flags,
                                       const QString &title)
{
    m_requests.append({"message", text, title, flags});
    if (!m_messages.isEmpty())
        return m_messages.takeFirst();
    return escapeAnswer(flags & 7);
}

QString ScriptedDialogProvider::openFileName(QWidget *, const QString &title, const QString &path,
                                             const QString &)
{
    m_requests.append({"open", path, title, 0});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString ScriptedDialogProvider::saveFileName(QWidget *, const QString &title, const QString &path,
                                             const QString &, const QString &)
{
    m_requests.append({"save", path, title, 0});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

std::optional<QFont> ScriptedDialogProvider::chooseFont(QWidget *, const QFont &initial,
                                                        const QString &title)
{
    m_requests.append({"font", initial.family(), title, 0});
    return m_fonts.isEmpty() ? std::nullopt : m_fonts.takeFirst();
}

std::optional<QColor> ScriptedDialogProvider::chooseColour(QWidget *, const QColor &initial,
                                                           const QString &title)
{
    m_requests.append({"colour", initial.name(), title, 0});
    return m_colours.isEmpty() ? std::nullopt : m_colours.takeFirst();
}
