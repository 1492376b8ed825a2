// The "Logs" page: the log table, the capture memo that holds the pump's
// printout, the download progress and the log buttons. The page only says
// which button was pressed; the window decides what happens.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class LogsPage;
}
class CaptureMemo;
class CaptureMemoView;
class LogGrid;
class QGroupBox;
class QPushButton;

class LogsPage : public QWidget {
    Q_OBJECT
public:
    // The memo view shows `memo`, which must outlive the page.
    explicit LogsPage(const CaptureMemo& memo, QWidget* parent = nullptr);
    ~LogsPage() override;

    LogGrid* grid() const;             // Grid1
    CaptureMemoView* memoView() const; // fpMemo1
    // Frame6 with PBar1 and the log counter Label3_29: the download progress.
    QGroupBox* progressFrame() const;
    // On Frame6: ends a running download by hand.
    QPushButton* stopButton() const;
    QPushButton* readLogsButton() const; // CommandButton7

signals:
    void readLogsRequested();      // CommandButton7 "Read Logs From KST"
    void saveLogsRequested();      // CommandButton8 "Save Logs"
    void printLogsRequested();     // CommandButton9 "Print Logs"
    void openLogRequested();       // CommandButton10 "Open Log"
    void eraseLogsRequested();     // CommandButton25 "Erase Logs IN KST"
    void clearPcScreenRequested(); // CommandButton28 "Clear PC Screen"
    void stopReadingRequested();   // "Stop Reading"

private:
    std::unique_ptr<Ui::LogsPage> m_ui;
};
