// The "Logs" page: the log table, the capture memo that holds the pump's
// printout, the download progress and the log buttons.
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

private:
    std::unique_ptr<Ui::LogsPage> m_ui;
};
