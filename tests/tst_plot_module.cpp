// The program as it is installed: the plot window is not linked in but loaded from its module
// when the first plot opens, and a missing module is said, not a crash.
#include "app/ohmara.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

class tst_plot_module : public QObject
{
    Q_OBJECT

private slots:
    void missing_module_is_said();
    void module_loads_on_first_plot();

private:
    // Clicks the RC filter's Plot; the text of a message box that comes up, if one does.
    QString click_plot(ohmara &window)
    {
        window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(4);
        QString said;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, this, [&said] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                said = box->text();
                box->close();
            }
        });
        watchdog.start(10);
        QTest::mouseClick(window.findChild<QPushButton *>("plot4"), Qt::LeftButton);
        return said;
    }

    // The window's plot windows, known by their class name: this program has not the class.
    static QList<QWidget *> plots(ohmara &window)
    {
        QList<QWidget *> out;
        for (QWidget *w : window.findChildren<QWidget *>()) {
            if (QByteArray(w->metaObject()->className()) == "PlotWindow")
                out << w;
        }
        return out;
    }
};

void tst_plot_module::missing_module_is_said()
{
    // Neither beside this test nor installed: nothing to load.
    qunsetenv("OHMARA_PLOT_MODULE");
    ohmara window;
    window.show();
    QCOMPARE(click_plot(window), QString("The plot cannot be shown: the plot module libohmara-plot.so is not installed"));
    QVERIFY(plots(window).isEmpty());
}

void tst_plot_module::module_loads_on_first_plot()
{
    qputenv("OHMARA_PLOT_MODULE", OHMARA_PLOT_PATH);
    ohmara window;
    window.show();
    QCOMPARE(click_plot(window), QString());
    const QList<QWidget *> shown = plots(window);
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0]->isVisible());
    QCOMPARE(shown[0]->windowTitle(), QString("RC filt. - frequency response"));
}

QTEST_MAIN(tst_plot_module)
#include "tst_plot_module.moc"
