#include "app/application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>

namespace {

const char *const ICON = ":/desktop/org.example.Ohmara-256.png";

// Gives the application its icon once the window's first paint is done. Reading the icon
// decodes its 256-pixel picture, a tenth of the start-up; until it is set, the desktop shows
// the launcher's icon, which is the same picture.
class IconAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After the paint has reached the screen, not inside it.
            QTimer::singleShot(0, this, [this] {
                QApplication::setWindowIcon(QIcon(QString::fromLatin1(ICON)));
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void set_up_application()
{
    QApplication::setOrganizationName(QStringLiteral("ohmara"));
    QApplication::setApplicationName(QStringLiteral("ohmara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ohmara"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Ohmara"));
}

void set_icon_after_first_paint(QWidget &window)
{
    window.installEventFilter(new IconAfterFirstPaint(&window));
}
