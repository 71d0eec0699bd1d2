#include "app/ohmara.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(pics);
    int status = 0;
    {
        QApplication app(argc, argv);
        ohmara window;
        window.show();
        status = app.exec();
    }
    Q_CLEANUP_RESOURCE(pics);
    return status;
}
