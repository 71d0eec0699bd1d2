// The window as a user meets it: built, shown and painted, against an empty QMainWindow built
// the same way; one calculation of each tab from its slot to the answer written; a save and a
// load of a calculation with a 20 x 20 grid.
#include "app/ohmara.h"

#include "bench/window_benchmarks.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QSpinBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

template<typename Window>
void startup(benchmark::State &state)
{
    for (auto _ : state) {
        Window w;
        w.show();
        QApplication::processEvents();
        w.repaint();
    }
}

void calculation(benchmark::State &state)
{
    static const char *const slot_names[] = {"calculate0_slot", "calculate1_slot", "calculate2_slot",
                                        "calculate3_slot", "calculate4_slot", "calculate5_slot",
                                        "calculate6_slot"};
    ohmara w;
    const char *slot = slot_names[state.range(0)];
    for (auto _ : state)
        QMetaObject::invokeMethod(&w, slot);
}

void save_and_load_20(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("n20.oma");
    ohmara w;
    w.set_file_name_source([name](bool) { return name; });
    w.findChild<QSpinBox *>("sb_network")->setValue(20);
    for (QLineEdit *e : w.findChild<QWidget *>("gridLayoutWidget")->findChildren<QLineEdit *>())
        e->setText(QStringLiteral("4.7k"));
    auto *save = w.findChild<QAction *>("actionSave");
    auto *load = w.findChild<QAction *>("actionLoad");
    save->trigger(); // the file a load reads; a missing one would stop the run in a message box
    for (auto _ : state) {
        if (state.range(0) == 0)
            save->trigger();
        else
            load->trigger();
    }
}

BENCHMARK(startup<ohmara>)->Name("ohmara_startup")->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(startup<QMainWindow>)->Name("empty_startup")->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(calculation)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(save_and_load_20)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    // In one process the empty window costs next to nothing, so this ratio is recorded, not
    // judged; bench_startup compares the start-up of whole processes.
    return run_window_benchmarks(argc, argv, {{"ohmara_startup", "empty_startup", RatioReporter::RECORDED}});
}
