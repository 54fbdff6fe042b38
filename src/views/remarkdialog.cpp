#include "views/remarkdialog.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "support/language.h"
#include "views/tableedits.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <limits>

using namespace Hoofdmodule;

formEditInfo::formEditInfo(QWidget *transientParent)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("formEditInfo"));
    setModal(true);
    if (transientParent && transientParent->window()->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(transientParent->window()->windowHandle());
    }
    LabelInfo = new QLabel(this);
    TextInfo = new QLineEdit(this);
    TextInfo->setObjectName(QStringLiteral("TextInfo"));
    TextInfo->setMinimumWidth(360);
    // A remark read from the file is edited and stored whole, however long (a line edit keeps
    // 32767 characters unless told otherwise).
    TextInfo->setMaxLength(std::numeric_limits<int>::max());
    CommandOK = new QPushButton(this);
    CommandCancel = new QPushButton(this);
    auto *layout = new QGridLayout(this);
    layout->addWidget(LabelInfo, 0, 0);
    layout->addWidget(TextInfo, 1, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommandOK);
    buttons->addWidget(CommandCancel);
    layout->addLayout(buttons, 2, 0);
    // Enter in the text stores the remark as OK does.
    CommandOK->setDefault(true);
    CommandOK->setAutoDefault(true);
    CommandCancel->setAutoDefault(false);
    connect(TextInfo, &QLineEdit::returnPressed, this, &formEditInfo::CommandOK_Click);
    connect(CommandOK, &QPushButton::clicked, this, &formEditInfo::CommandOK_Click);
    connect(CommandCancel, &QPushButton::clicked, this, &formEditInfo::CommandCancel_Click);
}

void formEditInfo::Form_Load()
{
    CommandOK->setText(Taaltekst(140));
    CommandCancel->setText(Taaltekst(141));
    setWindowTitle(Toestel[Ti + 1].Naam.trimmed() + QStringLiteral(": ") + Taaltekst(193));
    TableSink *tabel = dataViews().tabel;
    if (!tabel)
        return;
    const GridData &g = tabel->gridData(Ti);
    TextInfo->setText(g.textMatrix(Nummer, KolomOpmerking));
    LabelInfo->setText(Taaltekst(123) + QLatin1Char(' ') + QString::number(Nummer)
                       + QStringLiteral(", ") + g.textMatrix(Nummer, 1) + QStringLiteral(", ")
                       + g.textMatrix(Nummer, 2));
    TextInfo->setSelection(0, int(TextInfo->text().size()));
    TextInfo->setFocus();
}

bool formEditInfo::Toon()
{
    m_stored = false;
    Form_Load();
    setResult(QDialog::Rejected);
    show();
    raise();
    activateWindow();
    QPointer<formEditInfo> guard = this;
    Pump::until([&] { return !guard || !guard->isVisible(); });
    if (guard && isVisible())
        hide(); // the program is closing
    return guard && m_stored;
}

void formEditInfo::CommandOK_Click()
{
    if (!isVisible())
        return;
    const QString remark = OpmerkingOpslagTekst(TextInfo->text());
    TextInfo->setText(remark);
    m_stored = BewaarOpmerking(Ti, Nummer, remark);
    accept();
}

void formEditInfo::CommandCancel_Click() { QDialog::reject(); }

void formEditInfo::reject() { CommandCancel_Click(); }

bool ToonOpmerking(QWidget *transientParent, int grid, qint32 row)
{
    formEditInfo dialog(transientParent);
    dialog.Ti = qint16(grid);
    dialog.Nummer = row;
    return dialog.Toon();
}
