#include "app/archivedialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QStringList kHeaders = {QStringLiteral("#"),       QStringLiteral("Downloaded"),
                              QStringLiteral("Pump"),    QStringLiteral("Model"),
                              QStringLiteral("Records"), QStringLiteral("Ended"),
                              QStringLiteral("By"),      QStringLiteral("SHA-256")};

} // namespace

ArchiveListModel::ArchiveListModel(SampleArchive& archive, QObject* parent)
    : QAbstractTableModel(parent), m_archive(archive) {}

void ArchiveListModel::reload(const std::optional<QString>& pumpSerial) {
    beginResetModel();
    m_pump = pumpSerial;
    m_rows.clear();
    m_atEnd = false;
    m_error.clear();
    endResetModel();
    fetchMore({});
}

const ArchivedDownload* ArchiveListModel::at(int row) const {
    return row >= 0 && row < m_rows.size() ? &m_rows.at(row) : nullptr;
}

int ArchiveListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ArchiveListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(kHeaders.size());
}

QVariant ArchiveListModel::headerData(int section, Qt::Orientation o, int role) const {
    return o == Qt::Horizontal && role == Qt::DisplayRole ? kHeaders.value(section) : QVariant();
}

QVariant ArchiveListModel::data(const QModelIndex& index, int role) const {
    const ArchivedDownload* d = at(index.row());
    if (!d || role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return d->id;
    case 1:
        return d->downloadedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case 2:
        return d->pumpSerial;
    case 3:
        return d->pumpModel;
    case 4:
        return d->records;
    case 5:
        return d->ended;
    case 6:
        return d->user;
    case 7:
        return d->sha256.left(12);
    }
    return {};
}

bool ArchiveListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd;
}

void ArchiveListModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || m_atEnd)
        return;
    const auto page = m_archive.list(int(m_rows.size()), kPageRows, m_pump);
    if (!page.ok()) {
        // A failed read is not retried on every scroll: the dialog says why.
        m_error = page.error;
        m_atEnd = true;
        return;
    }
    m_atEnd = page.value.size() < kPageRows;
    if (page.value.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.value.size()) - 1);
    m_rows += page.value;
    endInsertRows();
}

ArchiveDialog::ArchiveDialog(SampleArchive& archive, QWidget* parent)
    : QDialog(parent), m_archive(archive) {
    setObjectName(QStringLiteral("ArchiveDialog"));
    setWindowTitle(QStringLiteral("Archive of downloads - ") + archive.location().shown());
    m_model = new ArchiveListModel(archive, this);

    m_pump = new QLineEdit(this);
    m_pump->setObjectName(QStringLiteral("ArchivePump"));
    m_pump->setPlaceholderText(QStringLiteral("all pumps"));
    m_pump->setClearButtonEnabled(true);
    connect(m_pump, &QLineEdit::editingFinished, this, [this] {
        const QString pump = m_pump->text().trimmed();
        m_model->reload(pump.isEmpty() ? std::nullopt : std::optional<QString>(pump));
        notice(m_model->error());
        updateButtons();
    });
    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("Pump serial number:"), this));
    filter->addWidget(m_pump, 1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("ArchiveTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ArchiveDialog::updateButtons);
    connect(m_table, &QTableView::doubleClicked, this, &ArchiveDialog::openSelected);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("ArchiveNotice"));
    m_notice->setWordWrap(true);
    auto* box = new QDialogButtonBox(this);
    m_open = box->addButton(QStringLiteral("Open"), QDialogButtonBox::ActionRole);
    m_open->setObjectName(QStringLiteral("ArchiveOpen"));
    m_save = box->addButton(QStringLiteral("Save As..."), QDialogButtonBox::ActionRole);
    m_save->setObjectName(QStringLiteral("ArchiveSave"));
    m_delete = box->addButton(QStringLiteral("Delete..."), QDialogButtonBox::ActionRole);
    m_delete->setObjectName(QStringLiteral("ArchiveDelete"));
    box->addButton(QDialogButtonBox::Close);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_open, &QAbstractButton::clicked, this, &ArchiveDialog::openSelected);
    connect(m_delete, &QAbstractButton::clicked, this, &ArchiveDialog::deleteSelected);
    connect(m_save, &QAbstractButton::clicked, this, [this] {
        const ArchivedDownload* d = selected();
        if (!d)
            return;
        QPointer<ArchiveDialog> self(this);
        askFileName(QStringLiteral("corvane-%1-%2.csv")
                        .arg(d->pumpSerial.isEmpty() ? QStringLiteral("unknown") : d->pumpSerial)
                        .arg(d->id),
                    [self](const QString& path) {
                        if (self && !path.isEmpty())
                            self->saveSelectedTo(path);
                    });
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_notice);
    layout->addWidget(box);
    resize(820, 480);

    askFileName = [this](const QString& suggested, FileChosen chosen) {
        auto* dialog = new QFileDialog(this, QStringLiteral("Save archived download"), suggested);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        connect(dialog, &QDialog::finished, this, [dialog, chosen](int result) {
            chosen(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
        });
        dialog->open();
    };
    askQuestion = [this](const QString& question, std::function<void(bool)> answered) {
        auto* q = new QMessageBox(QMessageBox::Question, windowTitle(), question,
                                  QMessageBox::Yes | QMessageBox::No, this);
        q->setDefaultButton(QMessageBox::No);
        q->setAttribute(Qt::WA_DeleteOnClose);
        q->setWindowModality(Qt::WindowModal);
        connect(q, &QMessageBox::finished, this, [q, answered](int) {
            answered(q->clickedButton() == q->button(QMessageBox::Yes));
        });
        q->open();
    };

    m_model->reload();
    notice(m_model->error());
    updateButtons();
}

const ArchivedDownload* ArchiveDialog::selected() const {
    const QModelIndex i = m_table->selectionModel()->currentIndex();
    return i.isValid() ? m_model->at(i.row()) : nullptr;
}

void ArchiveDialog::selectRow(int row) {
    m_table->selectionModel()->setCurrentIndex(
        m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ArchiveDialog::updateButtons() {
    const bool any = selected() != nullptr;
    m_open->setEnabled(any);
    m_save->setEnabled(any);
    m_delete->setEnabled(any && m_archive.location().usable());
}

void ArchiveDialog::notice(const QString& text) {
    m_notice->setText(text);
}

bool ArchiveDialog::openSelected() {
    const ArchivedDownload* d = selected();
    if (!d)
        return false;
    // Checked against its SHA-256: damaged bytes are refused, not shown.
    const auto full = m_archive.fetch(d->id);
    if (!full.ok()) {
        notice(QStringLiteral("Download #%1 cannot be opened: %2").arg(d->id).arg(full.error));
        return false;
    }
    emit openRequested(full.value);
    notice(QStringLiteral("Download #%1 opened").arg(d->id));
    return true;
}

bool ArchiveDialog::saveSelectedTo(const QString& path) {
    const ArchivedDownload* d = selected();
    if (!d)
        return false;
    const auto full = m_archive.fetch(d->id);
    QString why = full.error;
    if (full.ok()) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(full.value.bytes) != full.value.bytes.size() || !file.commit())
            why = file.errorString();
    }
    notice(why.isEmpty() ? QStringLiteral("Download #%1 saved to %2")
                               .arg(d->id)
                               .arg(QDir::toNativeSeparators(path))
                         : QStringLiteral("Download #%1 not saved: %2").arg(d->id).arg(why));
    return why.isEmpty();
}

void ArchiveDialog::deleteSelected() {
    const ArchivedDownload* d = selected();
    if (!d)
        return;
    const qint64 id = d->id;
    const QString question =
        QStringLiteral("Delete download #%1 of pump %2 (%3, %4 records) from the archive?\n\n"
                       "Its logs are lost unless they were saved or the pump still holds them.")
            .arg(id)
            .arg(d->pumpSerial.isEmpty() ? QStringLiteral("not known") : d->pumpSerial)
            .arg(d->downloadedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
            .arg(d->records);
    QPointer<ArchiveDialog> self(this);
    askQuestion(question, [self, id](bool yes) {
        if (!self || !yes)
            return;
        const auto removed = self->m_archive.remove(id);
        const int row = self->m_table->selectionModel()->currentIndex().row();
        const QString pump = self->m_pump->text().trimmed();
        self->m_model->reload(pump.isEmpty() ? std::nullopt : std::optional<QString>(pump));
        // Scroll on until the row that followed the deleted one is there.
        while (self->m_model->rowCount() <= row && self->m_model->canFetchMore({}))
            self->m_model->fetchMore({});
        self->selectRow(std::min(row, self->m_model->rowCount() - 1));
        self->notice(
            removed.ok()
                ? QStringLiteral("Download #%1 deleted").arg(id)
                : QStringLiteral("Download #%1 not deleted: %2").arg(id).arg(removed.error));
        self->updateButtons();
    });
}
