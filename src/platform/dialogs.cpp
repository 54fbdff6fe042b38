#include "platform/dialogs.h"

#include "platform/pump.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

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

std::optional<QFont> DialogProvider::chooseFont(QWidget *parent, const QFont &initial,
                                                const QString &title)
{
    const std::optional<FontChoice> choice = chooseFont(parent, FontRequest{initial, {}, title});
    if (!choice)
        return std::nullopt;
    return choice->font;
}

std::optional<FontChoice> QtDialogProvider::chooseFont(QWidget *parent, const FontRequest &request)
{
    FontDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
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

void ScriptedDialogProvider::answerFont(std::optional<QFont> font)
{
    if (font)
        answerFontChoice(FontChoice{*font, {}});
    else
        answerFontChoice(std::nullopt);
}

std::optional<FontChoice> ScriptedDialogProvider::chooseFont(QWidget *, const FontRequest &request)
{
    m_requests.append({"font", request.font.family(), request.title, 0, request});
    return m_fonts.isEmpty() ? std::nullopt : m_fonts.takeFirst();
}

std::optional<QColor> ScriptedDialogProvider::chooseColour(QWidget *, const QColor &initial,
                                                           const QString &title)
{
    m_requests.append({"colour", initial.name(), title, 0});
    return m_colours.isEmpty() ? std::nullopt : m_colours.takeFirst();
}

namespace {
QString fontText(const char *text) { return QCoreApplication::translate("QFontDialog", text); }
} // namespace

FontDialog::FontDialog(const FontRequest &request, QWidget *parent)
    : QDialog(parent), m_request(request), m_colour(request.colour),
      m_family(new QFontComboBox(this)), m_style(new QComboBox(this)),
      m_size(new QDoubleSpinBox(this)), m_effects(new QGroupBox(fontText("Effects"), this)),
      m_underline(new QCheckBox(fontText("&Underline"), m_effects)),
      m_strikeOut(new QCheckBox(fontText("Stri&keout"), m_effects)),
      m_colourButton(new QPushButton(m_effects)), m_sample(new QLabel(this))
{
    setWindowTitle(request.title.isEmpty() ? QApplication::applicationDisplayName()
                                           : request.title);
    m_family->setObjectName("family");
    m_style->setObjectName("style");
    m_size->setObjectName("size");
    m_effects->setObjectName("effects");
    m_underline->setObjectName("underline");
    m_strikeOut->setObjectName("strikeOut");
    m_colourButton->setObjectName("colour");
    m_sample->setObjectName("sample");

    const QFont &font = request.font;
    m_family->setCurrentFont(font);
    fillStyles();
    // The font's own style name may be one the family calls otherwise ("Normal" for "Book"):
    // then the plainest (shortest) style of the same weight and slant stands for it, so that
    // "Book" wins over "Condensed".
    int styleAt = m_style->findText(QFontDatabase::styleString(font));
    if (styleAt < 0) {
        const QString family = m_family->currentFont().family();
        for (int i = 0; i < m_style->count(); ++i) {
            const QString name = m_style->itemText(i);
            const QFont styled = QFontDatabase::font(family, name, 10);
            if (styled.weight() == font.weight() && styled.style() == font.style()
                && (styleAt < 0 || name.size() < m_style->itemText(styleAt).size()))
                styleAt = i;
        }
    }
    if (styleAt >= 0)
        m_style->setCurrentIndex(styleAt);
    m_size->setDecimals(1);
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
    if (request.sizeLocked)
        m_size->setRange(size, size);
    else
        m_size->setRange(1.0, 400.0);
    m_size->setValue(size);
    m_size->setEnabled(!request.sizeLocked);
    m_underline->setChecked(font.underline());
    m_strikeOut->setChecked(font.strikeOut());
    m_colourButton->setText(QCoreApplication::translate("QColorDialog", "Select Color"));
    m_colourButton->setVisible(m_colour.isValid());
    m_effects->setEnabled(request.effects);
    showColour();

    auto *effectsLayout = new QVBoxLayout(m_effects);
    effectsLayout->addWidget(m_underline);
    effectsLayout->addWidget(m_strikeOut);
    effectsLayout->addWidget(m_colourButton);

    m_sample->setText(QStringLiteral("AaBbYyZz 0123"));
    m_sample->setMinimumHeight(60);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::StyledPanel);
    auto *sampleBox = new QGroupBox(fontText("Sample"), this);
    (new QVBoxLayout(sampleBox))->addWidget(m_sample);

    auto *fields = new QFormLayout;
    fields->addRow(fontText("&Font"), m_family);
    fields->addRow(fontText("Font st&yle"), m_style);
    fields->addRow(fontText("&Size"), m_size);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_effects);
    layout->addWidget(sampleBox);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_family, &QFontComboBox::currentFontChanged, this, [this] {
        fillStyles();
        updateSample();
    });
    connect(m_style, &QComboBox::currentIndexChanged, this, [this] { updateSample(); });
    connect(m_size, &QDoubleSpinBox::valueChanged, this, [this] { updateSample(); });
    connect(m_underline, &QCheckBox::toggled, this, [this] { updateSample(); });
    connect(m_strikeOut, &QCheckBox::toggled, this, [this] { updateSample(); });
    connect(m_colourButton, &QPushButton::clicked, this, [this] { pickColour(); });
    updateSample();
}

FontChoice FontDialog::choice() const
{
    const QString family = m_family->currentFont().family();
    const QString style = m_style->currentText();
    QFont font = m_request.font;
    font.setFamily(family);
    if (QFontDatabase::styles(family).contains(style)) {
        const QFont styled = QFontDatabase::font(family, style, 10);
        font.setWeight(styled.weight());
        font.setStyle(styled.style());
    }
    font.setPointSizeF(m_size->value());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    return {font, m_colour};
}

void FontDialog::fillStyles()
{
    const QString previous = m_style->currentText();
    const QSignalBlocker quiet(m_style);
    m_style->clear();
    m_style->addItems(QFontDatabase::styles(m_family->currentFont().family()));
    const int at = m_style->findText(previous);
    m_style->setCurrentIndex(at >= 0 ? at : 0);
}

void FontDialog::pickColour()
{
    if (const auto colour = DialogProvider::current().chooseColour(this, m_colour, windowTitle())) {
        m_colour = *colour;
        showColour();
        updateSample();
    }
}

void FontDialog::showColour()
{
    if (!m_colour.isValid())
        return;
    QPixmap swatch(16, 16);
    swatch.fill(m_colour);
    m_colourButton->setIcon(QIcon(swatch));
}

void FontDialog::updateSample()
{
    const FontChoice picked = choice();
    m_sample->setFont(picked.font);
    if (picked.colour.isValid()) {
        QPalette palette = m_sample->palette();
        palette.setColor(QPalette::WindowText, picked.colour);
        m_sample->setPalette(palette);
    }
}
