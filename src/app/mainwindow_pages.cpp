// The five pages of the main window and the elements on them. Elements keep
// the names the rest of the program (and the decoders' UiChanges) use.
#include "app/capturememoview.h"
#include "app/datetimepicker.h"
#include "app/durationbox.h"
#include "app/loggrid.h"
#include "app/mainwindow.h"
#include "app/pagebuilder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace PageBuilder;

namespace {

const QString kNoPump = QStringLiteral("No Pump Currently Attached");
const QString kUpdating = QStringLiteral("Updating Display");

QString idx(const char* family, int n) {
    return QStringLiteral("%1_%2").arg(QLatin1String(family)).arg(n);
}

QLabel* label3(QWidget* parent, int n, const QString& text = QString()) {
    return label(parent, idx("Label3", n), text);
}

QLabel* modelLabel(QWidget* parent, int n) {
    QLabel* l = label3(parent, n, kNoPump);
    l->setToolTip(QStringLiteral("Model type of KST"));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

DateTimePicker* picker(QWidget* parent, const QString& name,
                       DateTimePicker::Show show = DateTimePicker::Show::DateAndTime) {
    auto* p = new DateTimePicker(show, parent);
    p->setObjectName(name);
    return p;
}

// Two option buttons and the current-setting caption (blue) in a frame.
QGroupBox* optionPair(QWidget* parent, const QString& frameName, const QString& caption,
                      QRadioButton* a, QRadioButton* b, QLabel* current) {
    QGroupBox* g = column(parent, frameName, caption);
    auto* group = new QButtonGroup(g);
    group->addButton(a);
    group->addButton(b);
    add(g, a);
    add(g, b);
    current->setStyleSheet(QStringLiteral("color: #0000c0"));
    add(g, current);
    return g;
}

// A page: a title line, the model and serial captions, then the content.
struct Page {
    QWidget* widget;
    QGridLayout* grid;
};

Page newPage(const QString& title, QLabel* model, QLabel* serial) {
    auto* w = new QWidget;
    auto* outer = new QVBoxLayout(w);
    auto* head = new QHBoxLayout;
    auto* t = new QLabel(title, w);
    QFont f = t->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    t->setFont(f);
    head->addWidget(t);
    head->addStretch();
    if (model) {
        model->setParent(w);
        head->addWidget(model);
    }
    if (serial) {
        serial->setParent(w);
        head->addWidget(serial);
    }
    outer->addLayout(head);
    auto* grid = new QGridLayout;
    outer->addLayout(grid, 1);
    return {w, grid};
}

} // namespace

QWidget* MainWindow::buildSetupPage() {
    Page p = newPage(QStringLiteral("PROGRAM KST"), modelLabel(nullptr, 10), label3(nullptr, 19));
    QWidget* w = p.widget;

    // The option pairs, each with the pump's current setting in blue.
    const struct {
        const char *frame, *caption, *first, *firstCaption, *second, *secondCaption, *current;
    } pairs[] = {
        {"Frame_STPVOL", "Select Vol S.T.P Flow Control", "Option17", "Volumetric Flow", "Option16",
         "STP Flow", "Label43"},
        {"Frame8", "Password Settings", "Option8", "On", "Option9", "Off", "Label44"},
        {"Frame9", "Flow Fault Settings", "Option10", "Deactivated", "Option11", "Activated",
         "Label45"},
        {"Frame10", "Startup Display Screens", "Option12", "On", "Option13", "Off", "Label46"},
        {"Frame11", "Select Unit Of Measurement", "Option14", "Metric", "Option15", "English",
         "Label48"},
    };
    QList<QGroupBox*> frames;
    for (const auto& pr : pairs)
        frames << optionPair(w, QLatin1String(pr.frame), QLatin1String(pr.caption),
                             option(w, QLatin1String(pr.first), QLatin1String(pr.firstCaption)),
                             option(w, QLatin1String(pr.second), QLatin1String(pr.secondCaption)),
                             label(w, QLatin1String(pr.current), QString()));

    QGroupBox* timing = column(w, QStringLiteral("Frame1"), QStringLiteral("Timing Setup"));
    add(timing,
        check(w, QStringLiteral("check_trflag"), QStringLiteral("Timing Rountines Activated")));
    auto* modes = new QButtonGroup(timing);
    QRadioButton* opStart = option(w, QStringLiteral("Opstart"), QStringLiteral("Start/Stop"));
    QRadioButton* opDuration = option(w, QStringLiteral("Opduration"), QStringLiteral("Duration"));
    modes->addButton(opStart);
    modes->addButton(opDuration);
    add(timing, opStart);
    add(timing, opDuration);
    QLabel* label47 = label(w, QStringLiteral("Label47"), QString());
    label47->setStyleSheet(QStringLiteral("color: #0000c0"));
    add(timing, label47);
    add(timing, label(w, QStringLiteral("Label15"), QString()));

    QGroupBox* rate = frame(w, QStringLiteral("Frame12"), QStringLiteral("History Report Rate "));
    auto* rl = new QGridLayout(rate);
    rl->addWidget(new QLabel(QStringLiteral("Set Log Rate To:"), rate), 0, 0);
    auto* logRate = new QLineEdit(rate);
    logRate->setObjectName(QStringLiteral("txtLogRate"));
    logRate->setMaximumWidth(60);
    rl->addWidget(logRate, 0, 1);
    rl->addWidget(new QLabel(QStringLiteral("minutes"), rate), 0, 2);
    QLabel* label49 = label(rate, QStringLiteral("Label49"), QString());
    label49->setStyleSheet(QStringLiteral("color: #0000c0"));
    rl->addWidget(label49, 1, 0, 1, 3);

    QGroupBox* clock =
        frame(w, QStringLiteral("Frame13"), QStringLiteral("Reset Time In KST Pump"));
    auto* cl = new QGridLayout(clock);
    cl->addWidget(label(clock, QStringLiteral("Label39"), QStringLiteral("Current Pump :")), 0, 0,
                  1, 2);
    cl->addWidget(new QLabel(QStringLiteral("Pump Time"), clock), 1, 0);
    cl->addWidget(picker(clock, idx("fpDateTime4", 0)), 1, 1);
    cl->addWidget(new QLabel(QStringLiteral("Current PC Time"), clock), 2, 0);
    cl->addWidget(picker(clock, idx("fpDateTime4", 1)), 2, 1);
    cl->addWidget(
        button(clock, QStringLiteral("CommandButton1"), QStringLiteral("Send PC Time  to Pump")), 3,
        0, 1, 2);
    cl->addWidget(picker(clock, idx("fpDateTime2", 0)), 4, 1);
    cl->addWidget(button(clock, QStringLiteral("CommandButton3"), QStringLiteral("Send to Pump")),
                  4, 0);

    QGroupBox* progress =
        column(w, QStringLiteral("Frame21"), QStringLiteral("Checking Pump Connection"));
    add(progress, bar(w, QStringLiteral("PBar2")));
    progress->hide();

    QGridLayout* g = p.grid;
    for (int i = 0; i < frames.size(); ++i)
        g->addWidget(frames[i], i / 3, i % 3);
    g->addWidget(rate, 1, 2);
    g->addWidget(timing, 2, 0);
    g->addWidget(clock, 2, 1, 1, 2);
    g->addWidget(progress, 3, 0, 1, 3);
    auto* foot = new QHBoxLayout;
    foot->addWidget(
        button(w, QStringLiteral("CommandButton_systime"), QStringLiteral("Send Setup To Pump")));
    foot->addWidget(label(w, QStringLiteral("Label18"),
                          QStringLiteral(" Current pump settings are in blue text.")));
    foot->addStretch();
    foot->addWidget(label(w, QStringLiteral("Label22"), kUpdating));
    g->addLayout(foot, 4, 0, 1, 3);
    return w;
}

QWidget* MainWindow::buildRunModePage() {
    Page p = newPage(QStringLiteral("Real Time"), modelLabel(nullptr, 20), label3(nullptr, 0));
    QWidget* w = p.widget;

    QGroupBox* history =
        column(w, QStringLiteral("Frame3"), QStringLiteral("Unit run time history"));
    add(history, label3(w, 27));
    add(history, label3(w, 2));

    QGroupBox* rundown =
        column(w, QStringLiteral("Frame_Rundown"), QStringLiteral("DP and Battery Life"));
    add(rundown, label3(w, 4));
    add(rundown, label3(w, 13));
    add(rundown, label(w, QStringLiteral("Label_battlife"), QString()));

    QGroupBox* runup = column(w, QStringLiteral("Frame_RUNUP"), QStringLiteral("STP Conditions"));
    for (int n : {3, 7, 9, 14})
        add(runup, label3(w, n));

    QGroupBox* setup = column(w, idx("frmTimingR", 1), QStringLiteral("Current Setup Status"));
    add(setup, label3(w, 5));
    for (int n = 1; n <= 6; ++n)
        add(setup, label(w, idx("Label1", n), QString()));
    add(setup, label(w, QStringLiteral("Label_COUNTDOWNFLAG"), QString()));
    add(setup, label3(w, 17));
    add(setup, label3(w, 15));
    add(setup, label(w, QStringLiteral("Label16"), QString()));
    add(setup, picker(w, QStringLiteral("fpDateTime5")));

    QGroupBox* timing = frame(w, QStringLiteral("Frame7"), QStringLiteral("Timimg Values"));
    auto* tl = new QGridLayout(timing);
    tl->addWidget(new QLabel(QStringLiteral("Pump Clock"), timing), 0, 0);
    tl->addWidget(picker(timing, QStringLiteral("fpDateTime3")), 0, 1, 1, 2);
    tl->addWidget(label(timing, QStringLiteral("Label7"), QStringLiteral("Current Start Time ")), 1,
                  0);
    tl->addWidget(picker(timing, QStringLiteral("fpDateTimeRunstart")), 1, 1, 1, 2);
    tl->addWidget(label(timing, QStringLiteral("Label8"), QStringLiteral("Current Stop Time")), 2,
                  0);
    tl->addWidget(picker(timing, QStringLiteral("fpDateTimeRunstop")), 2, 1, 1, 2);
    const struct {
        int label;
        const char* start;
        const char* stop;
    } pauses[] = {{32, "DBREAK1START", "DBREAK1STOP"},
                  {33, "DLUNCHSTART", "DLUNCHSTOP"},
                  {34, "DBREAK2START", "DBREAK2STOP"}};
    int row = 3;
    for (const auto& pause : pauses) {
        tl->addWidget(label3(timing, pause.label), row, 0);
        tl->addWidget(picker(timing, QString::fromLatin1(pause.start), DateTimePicker::Show::Time),
                      row, 1);
        tl->addWidget(picker(timing, QString::fromLatin1(pause.stop), DateTimePicker::Show::Time),
                      row, 2);
        ++row;
    }

    QGroupBox* sampling =
        column(w, QStringLiteral("Frame2"), QStringLiteral("Current Sampling Data"));
    for (int n : {6, 8, 12, 1, 26, 18, 11, 28})
        add(sampling, label3(w, n));

    QGridLayout* g = p.grid;
    g->addWidget(history, 0, 0);
    g->addWidget(rundown, 1, 0);
    g->addWidget(runup, 2, 0);
    g->addWidget(setup, 0, 1, 2, 1);
    g->addWidget(timing, 2, 1, 2, 1);
    g->addWidget(sampling, 0, 2, 3, 1);
    QLabel* notRun =
        label(w, QStringLiteral("Label27"), QStringLiteral("Pump currently not in Run Mode"));
    QFont f = notRun->font();
    f.setBold(true);
    notRun->setFont(f);
    g->addWidget(notRun, 3, 2);
    auto* foot = new QHBoxLayout;
    foot->addWidget(
        button(w, QStringLiteral("CommandButton16"), QStringLiteral("Refresh Display")));
    foot->addStretch();
    foot->addWidget(label(w, QStringLiteral("Label6"), kUpdating));
    g->addLayout(foot, 4, 0, 1, 3);
    g->setRowStretch(5, 1);
    return w;
}

QWidget* MainWindow::buildLogsPage() {
    auto* w = new QWidget;
    auto* outer = new QVBoxLayout(w);
    auto* head = new QHBoxLayout;
    auto* t = new QLabel(QStringLiteral("Read Logs"), w);
    QFont f = t->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    t->setFont(f);
    head->addWidget(t);
    head->addStretch();
    head->addWidget(modelLabel(w, 25));
    head->addWidget(label3(w, 24));
    head->addWidget(label3(w, 16));
    outer->addLayout(head);

    m_grid = new LogGrid(w);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    outer->addWidget(m_grid, 3);

    QGroupBox* reading = frame(w, QStringLiteral("Frame6"), QStringLiteral("Reading logs"));
    auto* rl = new QHBoxLayout(reading);
    QProgressBar* pbar1 = bar(reading, QStringLiteral("PBar1"));
    rl->addWidget(pbar1, 1);
    QLabel* number = label3(reading, 29, QStringLiteral("reading log number 1"));
    number->setToolTip(QStringLiteral("Total Number of Logs"));
    rl->addWidget(number);
    reading->hide();
    outer->addWidget(reading);

    m_memoView = new CaptureMemoView(m_session.memo(), w);
    m_memoView->setObjectName(QStringLiteral("fpMemo1"));
    outer->addWidget(m_memoView, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(
        button(w, QStringLiteral("CommandButton7"), QStringLiteral("Read Logs From KST")));
    buttons->addWidget(button(w, QStringLiteral("CommandButton8"), QStringLiteral("Save Logs")));
    buttons->addWidget(button(w, QStringLiteral("CommandButton9"), QStringLiteral("Print Logs")));
    QPushButton* open = button(w, QStringLiteral("CommandButton10"), QStringLiteral("Open Log"));
    open->setToolTip(QStringLiteral("Open Logs"));
    buttons->addWidget(open);
    buttons->addWidget(
        button(w, QStringLiteral("CommandButton25"), QStringLiteral("Erase Logs IN KST")));
    buttons->addWidget(
        button(w, QStringLiteral("CommandButton28"), QStringLiteral("Clear PC Screen")));
    outer->addLayout(buttons);
    auto* foot = new QHBoxLayout;
    foot->addWidget(label(w, QStringLiteral("Label28"), QString()));
    foot->addStretch();
    foot->addWidget(label(w, QStringLiteral("Label23"), kUpdating));
    outer->addLayout(foot);
    return w;
}

QWidget* MainWindow::buildCommunicationPage() {
    Page p = newPage(QStringLiteral("PC/Pump Setup"), nullptr, nullptr);
    QWidget* w = p.widget;

    QGroupBox* data = column(w, QStringLiteral("Frame19"), QStringLiteral("Current Pump Data"));
    add(data,
        button(w, QStringLiteral("CommandButton2"), QStringLiteral("Refresh Current Pump Data")));
    add(data, modelLabel(w, 22));
    add(data, label3(w, 21));
    add(data, label3(w, 23));
    add(data, label(w, QStringLiteral("LabelH7"), QStringLiteral("  File Name")));

    QGroupBox* ports = column(w, QStringLiteral("Frame4"), QStringLiteral("Com Port Setup"));
    m_portGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        QRadioButton* opt = option(w, idx("Option7", i), QStringLiteral("Com%1").arg(i + 1));
        m_portGroup->addButton(opt, i);
        add(ports, opt);
    }

    QLabel* heading = label(w, QStringLiteral("Label35"),
                            QStringLiteral("INITIAL CONFIGURATION OF THE KST PUMPS AND CORVANE IS "
                                           "PERFORMED BY THE FOLLOWING :"));
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    heading->setWordWrap(true);

    QGridLayout* g = p.grid;
    g->addWidget(heading, 0, 0, 1, 2);
    int row = 1;
    for (const char* name : {"Label19", "Label11", "Label14"}) {
        // The help texts place their line breaks with runs of blanks, made
        // for a fixed-width label: in a fixed-pitch font 64 characters wide
        // every run falls at the end of a line, as intended.
        QLabel* help = label(w, QString::fromLatin1(name), QString());
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        help->setFont(fixed);
        help->setWordWrap(true);
        help->setFixedWidth(QFontMetrics(fixed).horizontalAdvance(QString(64, QLatin1Char('x'))) +
                            2 * help->margin() + 4);
        help->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        g->addWidget(help, row++, 0);
    }
    g->addWidget(data, 1, 1, 2, 1);
    g->addWidget(ports, 3, 1);
    g->addWidget(
        label(w, QStringLiteral("Label32"),
              QStringLiteral("Com Port Setup is for Communication between your PC and the Pump.")),
        4, 0, 1, 2);
    g->setRowStretch(5, 1);
    return w;
}

QWidget* MainWindow::buildProgramPage() {
    Page p = newPage(QString(), modelLabel(nullptr, 31), label3(nullptr, 30));
    QWidget* w = p.widget;

    QGroupBox* timing = frame(w, QStringLiteral("Frame5"), QStringLiteral("Timing "));
    auto* tl = new QGridLayout(timing);

    QGroupBox* rate = frame(timing, QStringLiteral("Frame14"), QStringLiteral("Sampling Rate "));
    auto* rl = new QGridLayout(rate);
    rl->addWidget(new QLabel(QStringLiteral("Flow Rate"), rate), 0, 0);
    auto* flow = new QLineEdit(QStringLiteral("2000"), rate);
    flow->setObjectName(QStringLiteral("Txt_target_flow"));
    flow->setMaximumWidth(80);
    rl->addWidget(flow, 0, 1);
    auto* updown = new QSpinBox(rate);
    updown->setObjectName(QStringLiteral("UpDown1"));
    updown->setRange(800, 5000);
    updown->setSingleStep(25);
    updown->setValue(2000);
    rl->addWidget(updown, 0, 2);
    rl->addWidget(new QLabel(QStringLiteral("cc/min"), rate), 0, 3);
    rl->addWidget(label(rate, QStringLiteral("Label_targetL"), QStringLiteral("2.00 L/min")), 0, 4);
    rl->addWidget(label(rate, QStringLiteral("Label_flowrate"),
                        QStringLiteral("Range is 800 cc/min to 5000 cc/min")),
                  1, 0, 1, 5);
    rl->addWidget(label(rate, QStringLiteral("Label_califlow"), QString()), 2, 0, 1, 3);
    rl->addWidget(picker(rate, QStringLiteral("cali_Time_box")), 2, 3, 1, 2);
    tl->addWidget(rate, 0, 0, 1, 3);

    tl->addWidget(new QLabel(QStringLiteral("Start Time"), timing), 1, 0);
    tl->addWidget(picker(timing, QStringLiteral("INP_STRT_Dttm")), 1, 1, 1, 2);
    tl->addWidget(new QLabel(QStringLiteral("Stop Time"), timing), 2, 0);
    tl->addWidget(picker(timing, QStringLiteral("fpDateTime1")), 2, 1, 1, 2);
    tl->addWidget(new QLabel(QStringLiteral("Begin Time"), timing), 3, 1);
    tl->addWidget(new QLabel(QStringLiteral("End Time"), timing), 3, 2);
    const struct {
        const char* check;
        const char* caption;
        const char* start;
        const char* stop;
    } pauses[] = {{"Check1", "Break1", "fpDateBREAK1START", "fpDateTimeBREAK1STOP"},
                  {"Check2", "Lunch", "fpDateTime9", "fpDateTime10"},
                  {"Check3", "Break2", "fpDateTime7", "fpDateTime8"}};
    int row = 4;
    for (const auto& pause : pauses) {
        tl->addWidget(
            check(timing, QString::fromLatin1(pause.check), QString::fromLatin1(pause.caption)),
            row, 0);
        tl->addWidget(picker(timing, QString::fromLatin1(pause.start), DateTimePicker::Show::Time),
                      row, 1);
        tl->addWidget(picker(timing, QString::fromLatin1(pause.stop), DateTimePicker::Show::Time),
                      row, 2);
        ++row;
    }
    tl->addWidget(new QLabel(QStringLiteral("Duration"), timing), row, 0);
    auto* duration = new DurationBox(timing);
    duration->setObjectName(QStringLiteral("txt_duration"));
    tl->addWidget(duration, row, 1);
    tl->addWidget(new QLabel(QStringLiteral("Hours:Mins"), timing), row, 2);
    ++row;
    QGroupBox* progress =
        column(timing, QStringLiteral("Frame20"), QStringLiteral("Checking Pump Connection"));
    add(progress, bar(timing, QStringLiteral("pbar3")));
    progress->hide();
    tl->addWidget(progress, row++, 0, 1, 3);
    tl->addWidget(button(timing, QStringLiteral("CommandButton29"), QStringLiteral("Program Pump")),
                  row, 0);
    tl->addWidget(button(timing, QStringLiteral("CommandButton4"),
                         QStringLiteral("Clear Sampling Data in Pump")),
                  row, 1, 1, 2);
    tl->setRowStretch(row + 1, 1);

    QGridLayout* g = p.grid;
    g->addWidget(timing, 0, 0);
    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Current PC Time"), w));
    side->addWidget(picker(w, idx("fpDateTime4", 2)));
    side->addStretch();
    side->addWidget(label(w, QStringLiteral("Label21"), kUpdating));
    g->addLayout(side, 0, 1);
    g->setColumnStretch(2, 1);
    return w;
}
