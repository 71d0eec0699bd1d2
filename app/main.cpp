#include "app/ohmara.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ohmara window;
    window.show();
    return app.exec();
}
