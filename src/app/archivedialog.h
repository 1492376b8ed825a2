// The "Archive" dialog: every download the sample archive keeps, newest
// first, of one pump or all, loaded a page at a time as the list is
// scrolled, so a lab's archive of thousands of downloads opens at once. The
// selected download is opened into the Logs page and the Sampling Runs page,
// its bytes saved to a file, or deleted after a question. The archive is the
// application's; this dialog only reads and deletes through it.
#pragma once

#include "logs/samplearchive.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QTableView;

// The archive's downloads as rows, fetched kPageRows at a time.
class ArchiveListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageRows = 200;

    explicit ArchiveListModel(SampleArchive& archive, QObject* parent = nullptr);
    // Starts the list again from the newest, of `pumpSerial` only when given.
    void reload(const std::optional<QString>& pumpSerial = {});
    // The download in `row` (without its bytes), or null.
    const ArchivedDownload* at(int row) const;
    // Why the last read failed; empty when it did not.
    QString error() const { return m_error; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    SampleArchive& m_archive;
    std::optional<QString> m_pump;
    QList<ArchivedDownload> m_rows;
    bool m_atEnd = false;
    QString m_error;
};

class ArchiveDialog : public QDialog {
    Q_OBJECT
public:
    using FileChosen = std::function<void(const QString& path)>;

    explicit ArchiveDialog(SampleArchive& archive, QWidget* parent = nullptr);

    ArchiveListModel& model() { return *m_model; }
    void selectRow(int row);

    // The selected download, with its bytes, to openRequested.
    bool openSelected();
    // The selected download's bytes to `path`, exactly as kept.
    bool saveSelectedTo(const QString& path);
    // Deletes the selected download once `askQuestion` is answered Yes.
    void deleteSelected();

    // The save dialog and the question before deleting, window-modal; tests
    // put their own answers here.
    std::function<void(const QString& suggested, FileChosen)> askFileName;
    std::function<void(const QString& question, std::function<void(bool yes)>)> askQuestion;

signals:
    void openRequested(const ArchivedDownload& download);

private:
    const ArchivedDownload* selected() const;
    void updateButtons();
    void notice(const QString& text);

    SampleArchive& m_archive;
    ArchiveListModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_pump = nullptr;
    QLabel* m_notice = nullptr;
    QAbstractButton* m_open = nullptr;
    QAbstractButton* m_save = nullptr;
    QAbstractButton* m_delete = nullptr;
};
