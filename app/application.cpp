#include "app/application.h"

#include <QApplication>
#include <QIcon>

void set_up_application()
{
    // The icon lives in the program's resources; a benchmark that links them sees it too.
    QApplication::setOrganizationName(QStringLiteral("ohmara"));
    QApplication::setApplicationName(QStringLiteral("ohmara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ohmara"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Ohmara"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/org.example.Ohmara-256.png")));
}
