// The "Run Mode" page: the live view of the attached pump (run times,
// battery, STP conditions, current setup, timing values, sampling data),
// filled by the status and setup decoders.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class RunModePage;
}

class RunModePage : public QWidget {
    Q_OBJECT
public:
    explicit RunModePage(QWidget* parent = nullptr);
    ~RunModePage() override;

signals:
    // "Refresh Display" was clicked.
    void refreshDisplayRequested();

private:
    std::unique_ptr<Ui::RunModePage> m_ui;
};
