#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "model/calculator_model.h"
#include "model/standard_values.h"
#include "storage/calculation_file.h"

#include <functional>
#include <memory>

class LeaveReporter;
class NetworkPanel;
class PictureLoader;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QLineEdit;
class QRadioButton;
struct NetworkChange;

namespace Ui {
class ohmaraClass;
}

// The one main window: a view of one calculator model. Each slot hands what the user typed to
// the model, performs one operation there and shows what it changed.
class ohmara : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ohmara)

public:
    explicit ohmara(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~ohmara() override;

    // Where Save and Load get their file name: the file dialogs, unless a test or a script
    // puts something else here. An empty name cancels.
    using FileNameSource = std::function<QString(bool saving)>;
    void set_file_name_source(FileNameSource source) { m_file_name = std::move(source); }
    // Loads a calculation file as File > Load does; a message box says what went wrong.
    void load(const QString &name);

    // Width in characters of every answer a formula tab writes.
    int digits() const { return m_model.digits; }

    // The status-bar notice, kept in one place.
    static const char *const notice_text;

    // The slots are declared in the order of the window's slot table: file access, help and
    // the digits first, then tab by tab. Tests read the order back through the meta-object.
public slots:
    void fread_slot();
    void fwrite_slot();
    void help_slot();
    void digits_slot(int n);
    void Radio00_slot();
    void Radio01_slot();
    void Radio02_slot();
    void calculate0_slot();
    void Radio10_slot();
    void Radio11_slot();
    void Radio12_slot();
    void Radio13_slot();
    void Radio14_slot();
    void calculate1_slot();
    void Radio20_slot();
    void Radio21_slot();
    void Radio22_slot();
    void Radio23_slot();
    void Radio24_slot();
    void calculate2_slot();
    void Radio30_slot();
    void Radio31_slot();
    void Radio32_slot();
    void Radio33_slot();
    void calculate3_slot();
    void Radio40_slot();
    void Radio41_slot();
    void Radio42_slot();
    void calculate4_slot();
    void network_size_slot(int n);
    void network_solve_slot();
    // File > Netlist…: a netlist's equations into the grid, solved, the unknowns named.
    void netlist_slot();
    void network_zero_slot();
    void network_edit_slot(int cell);
    void Radio50_slot();
    void Radio51_slot();
    void calculate5_slot();
    void calc_type6_slot(int circuit);
    void Radio60_slot();
    void Radio61_slot();
    void Radio62_slot();
    void Radio63_slot();
    void Radio64_slot();
    void calculate6_slot();

protected:
    bool event(QEvent *e) override;

private:
    // The pages other than the first are built once the window's first paint is done, or at
    // once when something needs them sooner: most of the window is out of sight at start-up.
    void build_pages();
    void build_page(int tab);
    // A page's widgets wired to the model and showing what it holds.
    void set_up_tab(int tab);
    bool built(int tab) const { return m_tabs[tab].error; }
    // Plot on the RC filt. and RLC tabs: the tab's frequency response beside the window.
    void plot(int tab);
    // The widgets of one tab, looked up once.
    struct TabWidgets
    {
        QLineEdit *fields[MAX_FIELDS] = {};
        QRadioButton *radios[MAX_FIELDS] = {};
        QLabel *error = nullptr;
    };

    // Tab and Backtab walk every control of the tab shown, the header's too, in reading order.
    bool focusNextPrevChild(bool next) override;
    QList<QWidget *> focus_order() const;
    // The folder of a file the user chose, for the next dialog, also after a restart.
    void remember_folder(const QString &name);

    void select(int tab, int m);
    void recalculate(int tab);
    // What the user typed into a tab's fields goes to the model.
    void hand_over(int tab);
    void show_tab(int tab, const TabChange &change);
    // The standard values of the tab's component answers: in the status bar, the answer's tool
    // tip and its context menu.
    void show_standard_values(int tab);
    void field_menu(int tab, int i, const QPoint &at);
    void show_everything(int tab);
    void show_network(const NetworkChange &change);
    void resize_network();
    // The titles of the tabs as shown, for messages that name a place in a calculation.
    TabTitle tab_title() const;

    Ui::ohmaraClass *ui;
    QLabel *m_notice;
    CalculatorModel m_model;
    TabWidgets m_tabs[TAB_COUNT];
    // The chosen series (an index into SERIES_NAMES, or -1), what it suggests for each field,
    // and each field's own tool tip.
    int m_series = -1;
    StandardValues m_standard[TAB_COUNT][MAX_FIELDS];
    QString m_tips[TAB_COUNT][MAX_FIELDS];
    QString m_file_dir;
    FileNameSource m_file_name;
    // The netlist last typed, for the next time the editor opens.
    QString m_netlist_text;
    std::unique_ptr<NetworkPanel> m_network;
    LeaveReporter *m_leaves;
    PictureLoader *m_pictures;
    bool m_pages_asked = false;
    // The RLC page's circuit choice, its figures and its extra lines, once built.
    QComboBox *m_rlc_circuit = nullptr;
    QStackedWidget *m_rlc_figures = nullptr;
    QPlainTextEdit *m_rlc_text = nullptr;
    // The open plot of the RC filt. and of the RLC tab, which follow their tab.
    QPointer<QWidget> m_plots[2];
};
