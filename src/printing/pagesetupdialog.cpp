#include "printing/pagesetupdialog.h"

#include "core/conversions.h"
#include "platform/printdevice.h"
#include "platform/pump.h"
#include "printing/pageengine.h"
#include "support/language.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

using namespace Printerkode;

float MargeGrens(float dimensie) { return dimensie * 0.33333334f; }

QString MargeTekst(float waarde) { return PuntNaarDecimaal(QString::number(double(waarde), 'f', 1)); }

MargeVeld::MargeVeld(QWidget *parent) : QDoubleSpinBox(parent)
{
    setDecimals(1);
    setSingleStep(0.1);
    setMinimum(0);
    setAccelerated(true);
    // The value follows the text as it is typed; the text is rewritten only when editing ends.
    setKeyboardTracking(true);
}

void MargeVeld::ZetGrens(float grens)
{
    m_grens = grens;
    setMaximum(std::nearbyint(double(grens) * 10) / 10);
}

float MargeVeld::Marge() const { return Begrenzen(TekstNaarSingle(lineEdit()->text()), m_grens); }

QValidator::State MargeVeld::validate(QString &, int &) const
{
    // Letters and signs are allowed while typing: they read as 0 when editing ends.
    return QValidator::Acceptable;
}

double MargeVeld::valueFromText(const QString &text) const
{
    return double(Begrenzen(TekstNaarSingle(text), m_grens));
}

QString MargeVeld::textFromValue(double value) const { return MargeTekst(float(value)); }

formPaginaSetup::formPaginaSetup(const PrintDevice &printer, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Taaltekst(211));
    BegrenzenMarges(printer);
    m_pagina = printer.pageSize();
    const float breedte = float(m_pagina.width());
    const float hoogte = float(m_pagina.height());

    auto *grid = new QGridLayout;
    const int teksten[4] = {207, 208, 209, 210};
    MargeVeld **velden[4] = {&TextTop, &TextBottom, &TextLeft, &TextRight};
    const float dimensies[4] = {hoogte, hoogte, breedte, breedte};
    const float marges[4] = {MargeBoven, MargeOnder, MargeLinks, MargeRechts};
    for (int i = 0; i < 4; ++i) {
        auto *veld = new MargeVeld(this);
        veld->ZetGrens(MargeGrens(dimensies[i]));
        veld->setValue(double(Begrenzen(marges[i], veld->Grens())));
        *velden[i] = veld;
        auto *label = new QLabel(Taaltekst(teksten[i]), this);
        label->setBuddy(veld);
        grid->addWidget(label, i, 0);
        grid->addWidget(veld, i, 1);
    }
    TextTop->setObjectName(QStringLiteral("TextTop"));
    TextBottom->setObjectName(QStringLiteral("TextBottom"));
    TextLeft->setObjectName(QStringLiteral("TextLeft"));
    TextRight->setObjectName(QStringLiteral("TextRight"));

    LabelSizes = new QLabel(Taaltekst(212) + QStringLiteral("\n") + Taaltekst(213)
                                + QStringLiteral(" = ") + MargeTekst(breedte)
                                + QStringLiteral(" x ") + MargeTekst(hoogte)
                                + QStringLiteral(" mm"),
                            this);

    OKButton = new QPushButton(Taaltekst(140), this);
    CancelButton = new QPushButton(Taaltekst(141), this);
    OKButton->setDefault(false);
    OKButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, &formPaginaSetup::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &formPaginaSetup::CancelButton_Click);

    auto *knoppen = new QHBoxLayout;
    knoppen->addStretch();
    knoppen->addWidget(OKButton);
    knoppen->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(LabelSizes);
    layout->addLayout(knoppen);
    CancelGeklikt = true;
}

bool formPaginaSetup::TonenEnWachten(const PrintDevice &printer, QWidget *parent)
{
    QPointer<formPaginaSetup> dialog = new formPaginaSetup(printer, parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    Pump::until([&] { return !dialog || dialog->Gesloten; });
    const bool ok = dialog && !dialog->CancelGeklikt;
    if (dialog && !dialog->Gesloten)
        dialog->CancelButton_Click(); // the program is ending
    delete dialog;
    return ok;
}

void formPaginaSetup::OKButton_Click()
{
    CancelGeklikt = false;
    MargeBoven = TextTop->Marge();
    MargeOnder = TextBottom->Marge();
    MargeLinks = TextLeft->Marge();
    MargeRechts = TextRight->Marge();
    Gesloten = true;
    hide();
}

void formPaginaSetup::CancelButton_Click()
{
    CancelGeklikt = true;
    Gesloten = true;
    hide();
}

void formPaginaSetup::closeEvent(QCloseEvent *event)
{
    Gesloten = true;
    QDialog::closeEvent(event);
}

void formPaginaSetup::reject() { CancelButton_Click(); }
