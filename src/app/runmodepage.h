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
    // The page's controls are made on its first show (or by build()): a
    // window that opens on another page does not carry them meanwhile.
    explicit RunModePage(QWidget* parent = nullptr);
    ~RunModePage() override;

    void build();
    bool isBuilt() const { return m_ui != nullptr; }

signals:
    // "Refresh Display" was clicked.
    void refreshDisplayRequested();
    // The controls exist from now on; what they are to show can be set.
    void built();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::RunModePage> m_ui;
};
