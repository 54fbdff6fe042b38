#include "instruments/terminal.h"

#include "core/conversions.h"
#include "core/defaults.h"
#include "core/printsettings.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "instruments/connection.h"
#include "platform/dialogs.h"
#include "platform/printdevice.h"
#include "support/language.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Hoofdmodule;

namespace {
frmTerminal *theTerminal = nullptr;
}

QString TerminalTekst(const QByteArray &bytes)
{
    QByteArray kept = bytes;
    kept.removeIf([](char c) { return c == '\0'; });
    return ZetEenheidOm(kept);
}

QString TerminalFamilie(const QString &requested)
{
    if (!requested.isEmpty() && QFontDatabase::families().contains(requested, Qt::CaseInsensitive))
        return requested;
    return SysteemVasteBreedte();
}

bool VasteBreedte(const QFont &font)
{
    // By the glyphs: fontconfig does not mark every monospace font as such.
    const QFontMetrics m(font);
    return m.horizontalAdvance(QLatin1Char('i')) == m.horizontalAdvance(QLatin1Char('W'));
}

QString SysteemVasteBreedte()
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (VasteBreedte(system))
        return QFontInfo(system).family();
    // Some platforms (the offscreen one among them) name a proportional font here: ask
    // fontconfig for its monospace instead.
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    return QFontInfo(mono).family();
}

frmTerminal::frmTerminal(QWidget *parent) : QWidget(parent)
{
    theTerminal = this;
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QStringLiteral("Terminal"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TxtLineInput"));
    m_text->setReadOnly(true);
    // The text only grows at its end; an undo history would keep every line ever shown.
    m_text->setUndoRedoEnabled(false);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_bar = new QWidget(this);
    auto *row = new QHBoxLayout(m_bar);
    row->setContentsMargins(4, 2, 4, 2);
    m_outgoing = new QCheckBox(m_bar);
    m_outgoing->setObjectName(QStringLiteral("CheckOutgoing"));
    m_incoming = new QCheckBox(m_bar);
    m_incoming->setObjectName(QStringLiteral("CheckIncoming"));
    m_hex = new QCheckBox(m_bar);
    m_hex->setObjectName(QStringLiteral("CheckHexadecimaal"));
    m_frameSerialPort = new QFrame(m_bar);
    m_frameSerialPort->setObjectName(QStringLiteral("FrameSerialPort"));
    m_information = new QCheckBox(QStringLiteral("Information"), m_bar);
    m_information->setObjectName(QStringLiteral("CheckInformation"));
    for (QWidget *w : {static_cast<QWidget *>(m_outgoing), static_cast<QWidget *>(m_incoming),
                       static_cast<QWidget *>(m_hex), static_cast<QWidget *>(m_frameSerialPort),
                       static_cast<QWidget *>(m_information)})
        row->addWidget(w);
    row->addStretch(1);
    // The boxes do not hold the window wide: tiled into a narrow column, the window takes the
    // column and shows as many of them as fit.
    m_bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_text, 1);
    column->addWidget(m_bar);

    LaadStrings();
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &frmTerminal::LaadStrings);
    connect(m_outgoing, &QCheckBox::toggled, this, [](bool on) { ToonCodeZenden = on; });
    connect(m_incoming, &QCheckBox::toggled, this, [](bool on) { ToonCodeOntvangen = on; });
    setProperty("Tag", QStringLiteral("terminal"));
    resize(500, 300);
}

void frmTerminal::LaadStrings()
{
    m_outgoing->setText(Taaltekst(530));
    m_incoming->setText(Taaltekst(531));
    m_hex->setText(Taaltekst(532));
}

frmTerminal::~frmTerminal()
{
    if (theTerminal == this)
        theTerminal = nullptr;
}

frmTerminal *frmTerminal::instance() { return theTerminal; }

QWidget *frmTerminal::container() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return const_cast<frmTerminal *>(this);
}

void frmTerminal::Herladen()
{
    ToonCodeZenden = true;
    ToonCodeOntvangen = true;
    m_frameSerialPort->hide();
    m_information->hide();
    QWidget *w = container();
    w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    FontSettings f;
    LeesLettertypeRegister(QStringLiteral("Terminal"), f, true);
    QFont font(TerminalFamilie(f.name));
    if (f.size > 0)
        font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeThrough);
    m_text->setFont(font);
    Form_Resize();
    m_outgoing->setChecked(ToonCodeZenden);
    m_incoming->setChecked(ToonCodeOntvangen);
}

void frmTerminal::Form_Load()
{
    Herladen();
    setProperty("Tag", QStringLiteral("terminal"));
    m_loaded = true;
    ZetMenuAangevinkt(true);
    container()->show();
}

void frmTerminal::Form_Resize()
{
    InstellingenGewijzigd = true;
    ActiverenKnopBewaren();
}

void frmTerminal::Form_QueryUnload()
{
    ZetMenuAangevinkt(false);
    container()->hide();
    m_text->clear();
    m_pendingCr = false;
}

void frmTerminal::ZetMenuAangevinkt(bool checked)
{
    if (m_menuChecked == checked)
        return;
    m_menuChecked = checked;
    emit menuAangevinkt(checked);
}

void frmTerminal::mnuExtraTerminal_Click()
{
    if (m_menuChecked) {
        Form_QueryUnload();
        return;
    }
    if (!m_loaded) {
        Form_Load();
        return;
    }
    ZetMenuAangevinkt(true);
    container()->show();
    container()->raise();
}

void frmTerminal::InstellingenToepassen(const TerminalSettings &settings)
{
    const bool zenden = ToonCodeZenden;
    const bool ontvangen = ToonCodeOntvangen;
    if (!m_loaded) {
        Herladen();
        m_loaded = true;
    }
    ToonCodeZenden = zenden;
    ToonCodeOntvangen = ontvangen;
    QFont font = m_text->font();
    if (settings.font.size > 0)
        font.setPointSizeF(settings.font.size);
    font.setBold(settings.font.bold);
    font.setItalic(settings.font.italic);
    font.setUnderline(settings.font.underline);
    font.setStrikeOut(settings.font.strikeThrough);
    m_text->setFont(font);
    m_outgoing->setChecked(ToonCodeZenden);
    m_incoming->setChecked(ToonCodeOntvangen);
    if (settings.menuChecked)
        ZetMenuAangevinkt(true);
    else
        Form_QueryUnload();
}

void frmTerminal::InstellingenBewaren(TerminalSettings &settings) const
{
    const QFont font = m_text->font();
    settings.font.name = font.family();
    settings.font.size = float(font.pointSizeF());
    settings.font.bold = font.bold();
    settings.font.italic = font.italic();
    settings.font.underline = font.underline();
    settings.font.strikeThrough = font.strikeOut();
    settings.menuChecked = m_menuChecked;
}

void frmTerminal::VolgVerbinding(InstrumentConnection &connection)
{
    connect(&connection, &InstrumentConnection::sent, this,
            [this](const QByteArray &frame) { ToevoegenBytes(frame, TerminalKleurZenden); });
    connect(&connection, &InstrumentConnection::received, this,
            [this](const QByteArray &bytes) { ToevoegenBytes(bytes, TerminalKleurOntvangen); });
}

void frmTerminal::ToevoegenBytes(const QByteArray &bytes, qint32 Kleur)
{
    if (m_menuChecked)
        ToevoegenTextBox(TerminalTekst(bytes), Kleur);
}

void frmTerminal::ToevoegenTextBox(const QString &ToeTeVoegen, qint32 Kleur,
                                   const QString &FontNaam, qint16 Fontgrootte, bool Fontvet,
                                   bool Fontschuin, bool Fontonderlijn)
{
    if (!m_menuChecked)
        return;
    // The text arrives already converted: only NUL goes here. CR LF, CR alone and LF alone each
    // end a line, also when a CR LF is split over two batches.
    QString text = ToeTeVoegen;
    text.remove(QChar(0));
    if (m_pendingCr && text.startsWith(QLatin1Char('\n')))
        text.remove(0, 1);
    m_pendingCr = text.endsWith(QLatin1Char('\r'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return;

    QTextCharFormat format;
    format.setForeground(KleurNaarQColor(Kleur));
    if (!FontNaam.isEmpty()) {
        format.setFontFamilies({TerminalFamilie(FontNaam)});
        if (Fontgrootte > 0)
            format.setFontPointSize(Fontgrootte);
        format.setFontWeight(Fontvet ? QFont::Bold : QFont::Normal);
        format.setFontItalic(Fontschuin);
        format.setFontUnderline(Fontonderlijn);
    }
    // Otherwise the text takes the terminal's own font, so a font the user picks for the
    // window (Window > Font) applies to the text already there and to what comes.
    QScrollBar *bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
    trim();
    m_text->setTextCursor(cursor);
    if (atEnd)
        bar->setValue(bar->maximum());
}

void frmTerminal::trim()
{
    QTextDocument *doc = m_text->document();
    if (doc->blockCount() <= MaxRegels + TrimBlok)
        return;
    const int remove = doc->blockCount() - MaxRegels;
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.setPosition(doc->findBlockByNumber(remove).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

QString frmTerminal::Tekst() const { return m_text->toPlainText(); }

void frmTerminal::PrintTerminalTekst(PrintDevice &printer, TekstTerugloop terugloop) const
{
    // A little under the heading block, and inset from both print limits.
    printer.setCurrentY(printer.currentY() + 5);
    terugloop(printer, Printerkode::PrintLinks + 10, Printerkode::PrintRechts - 10, Tekst());
}

void frmTerminal::CopyTerminal()
{
    for (;;) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (clipboard) {
            clipboard->clear();
            clipboard->setText(Tekst());
            if (clipboard->text() == Tekst())
                return;
        }
        const int answer = DialogProvider::current().messageBox(
            this, QStringLiteral("Cannot get access to clipboard!"), MsgBox::RetryCancel,
            QStringLiteral("Copy terminal"));
        if (answer != MsgBox::Retry)
            return;
    }
}

void frmTerminal::closeEvent(QCloseEvent *event)
{
    // The window only hides: it keeps its place and settings and comes back from the menu.
    event->ignore();
    Form_QueryUnload();
}

void frmTerminal::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_loaded && isVisible())
        Form_Resize();
}

bool frmTerminal::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        InstellenWerkbalk();
    return QWidget::event(event);
}
