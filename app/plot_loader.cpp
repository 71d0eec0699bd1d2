#include "app/plot_loader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>

#include <dlfcn.h>

namespace {

// Where the module is: named by OHMARA_PLOT_MODULE (tests of a module not linked in), beside
// the program (the build tree), or in the program's private library folder (installed).
QStringList module_paths()
{
    QStringList paths;
    const QString named = qEnvironmentVariable("OHMARA_PLOT_MODULE");
    if (!named.isEmpty())
        paths << named;
    const QString here = QCoreApplication::applicationDirPath();
    paths << here + QStringLiteral("/" OHMARA_PLOT_FILE)
          << here + QStringLiteral("/" OHMARA_PLOT_FROM_BINDIR "/" OHMARA_PLOT_FILE);
    return paths;
}

PlotFactory load_factory(QString &why)
{
    static PlotFactory factory = nullptr;
    if (factory)
        return factory;
    // A program that links the module (the window's tests) has it already.
    factory = reinterpret_cast<PlotFactory>(dlsym(RTLD_DEFAULT, OHMARA_PLOT_FACTORY));
    if (factory)
        return factory;
    QStringList reasons;
    for (const QString &path : module_paths()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        factory = reinterpret_cast<PlotFactory>(module.resolve(OHMARA_PLOT_FACTORY));
        if (factory)
            return factory; // never unloaded: its windows may live until the program ends
        reasons << module.errorString();
    }
    why = reasons.isEmpty() ? QStringLiteral("the plot module %1 is not installed").arg(QStringLiteral(OHMARA_PLOT_FILE))
                            : reasons.join(QStringLiteral("; "));
    return nullptr;
}

} // namespace

QWidget *open_plot_window(QWidget *owner, const QString &title, const PlotSource &source)
{
    QString why;
    const PlotFactory factory = load_factory(why);
    if (!factory) {
        QMessageBox::warning(owner, QStringLiteral("Plot"), QStringLiteral("The plot cannot be shown: %1").arg(why));
        return nullptr;
    }
    QWidget *plot = factory(owner, title, source);
    plot->setAttribute(Qt::WA_DeleteOnClose);
    plot->move(owner->frameGeometry().topRight() + QPoint(8, 0));
    return plot;
}

void refresh_plot_window(QWidget *plot)
{
    QMetaObject::invokeMethod(plot, "refresh");
}
