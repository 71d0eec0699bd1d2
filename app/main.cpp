#include "app/application.h"
#include "app/ohmara.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(pics);
    int status = 0;
    {
        QApplication app(argc, argv);
        set_up_application();
        ohmara window;
        window.show();
        status = app.exec();
    }
    Q_CLEANUP_RESOURCE(pics);
    return status;
}
