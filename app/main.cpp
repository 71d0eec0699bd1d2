#include "app/ohmara.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(pics);
    int status = 0;
    {
        QApplication app(argc, argv);
        // The name the desktop shows and the entry it matches the window to.
        QApplication::setApplicationName(QStringLiteral("ohmara"));
        QApplication::setApplicationDisplayName(QStringLiteral("Ohmara"));
        QApplication::setApplicationVersion(QStringLiteral("1.0"));
        QApplication::setDesktopFileName(QStringLiteral("org.example.Ohmara"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/org.example.Ohmara-256.png")));
        ohmara window;
        window.show();
        status = app.exec();
    }
    Q_CLEANUP_RESOURCE(pics);
    return status;
}
