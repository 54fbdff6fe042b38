#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("QLV-2");
    QApplication::setOrganizationName("Marquel");
    QLabel label("Marquel QLV-2");
    label.resize(320, 120);
    label.show();
    return app.exec();
}
