// Takes a picture of the message box, the progress window and the splash in each language
// (build/pictures/*.png) and checks that every caption and label fits its widget.
#include "core/shared.h"
#include "platform/pump.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/progress.h"
#include "support/splash.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

namespace {

QString folder() { return QStringLiteral(QLV2_BINARY_DIR "/pictures"); }

QString withoutAccelerator(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// Texts that do not fit: a button caption wider than the button's inside, a one-line label wider
// than the label, a label sticking out of the window.
QStringList misfits(QWidget *window)
{
    QStringList bad;
    for (QPushButton *b : window->findChildren<QPushButton *>()) {
        if (!b->isVisibleTo(window))
            continue;
        const int need = b->fontMetrics().horizontalAdvance(withoutAccelerator(b->text())) + 8;
        if (need > b->width())
            bad << QStringLiteral("button %1 \"%2\": %3 > %4")
                       .arg(b->objectName(), b->text()).arg(need).arg(b->width());
    }
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty())
            continue;
        const int need = l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
        if ((!l->wordWrap() && l->sizeHint().width() > l->width()) || need > l->height())
            bad << QStringLiteral("label %1 \"%2\"").arg(l->objectName(), l->text());
        const QRect inWindow(l->mapTo(window, QPoint(0, 0)), l->size());
        if (l->parentWidget() == window && !window->rect().contains(inWindow))
            bad << QStringLiteral("label %1 outside").arg(l->objectName());
    }
    return bad;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        QDir().mkpath(folder());
    }

    void pictures_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << 0 << "en";
        QTest::newRow("French") << 1 << "fr";
        QTest::newRow("Dutch") << 2 << "nl";
    }
    void pictures()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        qint16 index = qint16(language);
        LaadTaal(index);

        // Message boxes: the settings question (Yes/No/Cancel) and a file error (Retry/Cancel).
        struct Box {
            QString name;
            QString text;
            int flags;
            QString title;
        };
        const QList<Box> boxes = {
            {"question", Taaltekst(183), 35, Hoofdmodule::InstellingenBestand},
            {"retry", QString(Taaltekst(278)).replace("#", "/home/user/Documents/Data/Untitled.csv"),
             53, "Untitled.csv"},
            {"notice", Taaltekst(184), 64, QString()},
            {"manual", Taaltekst(291), 2 | 48, Taaltekst(297)},
        };
        for (const Box &b : boxes) {
            QStringList bad;
            QTimer::singleShot(0, [&] {
                FormMelding *box = FormMelding::openBoxes().last();
                QVERIFY(box->grab().save(folder() + "/messagebox-" + b.name + "-" + code + ".png"));
                bad = misfits(box);
                box->reject();
                if (box->GeklikteToets == 0)
                    box->knop(BepaalMeldingOpmaak(b.flags).knoppen.last())->click();
            });
            TonenMelding(b.text, b.flags, b.title);
            QVERIFY2(bad.isEmpty(), qPrintable(bad.join("; ")));
        }

        FrmVoortgang &progress = FrmVoortgang::instance();
        progress.VoortgangTekst = Taaltekst(181);
        progress.setWindowTitle("Untitled.csv");
        progress.show();
        progress.ProgressBar->setRange(0, 100);
        progress.ProgressBar->setValue(40);
        QVERIFY(progress.grab().save(folder() + "/progress-" + code + ".png"));
        const QStringList progressBad = misfits(&progress);
        FrmVoortgang::unload();
        QVERIFY2(progressBad.isEmpty(), qPrintable(progressBad.join("; ")));

        frmSplash::ProgrammaBestand = QStringLiteral(QLV2_BINARY_DIR "/qlv2");
        frmSplash *splash = frmSplash::Toon();
        QVERIFY(splash->grab().save(folder() + "/splash-" + code + ".png"));
        const QStringList splashBad = misfits(splash);
        frmSplash::Ontladen();
        QVERIFY2(splashBad.isEmpty(), qPrintable(splashBad.join("; ")));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
