#include "mainwindow/sysinfo.h"

#include "core/shared.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/utilities.h"
#include "support/wrappers.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

QString systeemInfoTekst()
{
    using namespace APIDLL;
    QStringList lines;
    const auto line = [&lines](int entry, const QString &value) {
        lines << Taaltekst(entry) + QStringLiteral(": ") + value;
    };
    line(560, QSysInfo::prettyProductName());
    line(561, QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion() + QStringLiteral(" (")
                  + QSysInfo::currentCpuArchitecture() + QLatin1Char(')'));
    line(562, QString::fromLatin1(qVersion()));
    line(563, Computernaam.isEmpty() ? QSysInfo::machineHostName() : Computernaam);
    line(564, Gebruikersnaam.isEmpty() ? qEnvironmentVariable("USER") : Gebruikersnaam);
    line(565, Hoofdmodule::MapDocumenten);
    line(566, Hoofdmodule::DataMap);
    line(567, Hoofdmodule::InstellingenMap);
    line(568, QCoreApplication::applicationDirPath());
    const QLocale locale;
    const QString language = locale.nativeLanguageName();
    line(569, language.isEmpty() ? locale.name()
                                 : locale.name() + QStringLiteral(" (") + language + QStringLiteral(", ")
                                       + locale.nativeTerritoryName() + QLatin1Char(')'));
    QStringList ports;
    for (int n : SerialPortTable::presentNumbers())
        ports << QStringLiteral("COM%1 = %2").arg(n).arg(SerialPortTable::devicePath(n));
    line(570, ports.isEmpty() ? Taaltekst(571) : ports.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

SysteemInfoVenster::SysteemInfoVenster(QWidget *parent) : QDialog(parent)
{
    setObjectName("SysteemInfoVenster");
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(640, 320);
}

void SysteemInfoVenster::vernieuw()
{
    setWindowTitle(VerwijderAmpersand(Taaltekst(246), QString()).remove(QStringLiteral("...")));
    m_text->setPlainText(systeemInfoTekst());
}

SysteemInfoVenster *ToonSysteemInfo(QWidget *parent)
{
    static QPointer<SysteemInfoVenster> window;
    if (!window)
        window = new SysteemInfoVenster(parent);
    window->vernieuw();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
