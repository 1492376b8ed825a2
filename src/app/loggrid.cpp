#include "app/loggrid.h"

#include "logs/logdecoder.h"
#include "logs/logtablemodel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStylePainter>

LogGrid::LogGrid(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    // Rows keep one height: measuring each row's content as it arrives would
    // cost a pass per line.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    // The corner cell is the title of the row-number column; it paints like
    // a header section, with that title.
    m_corner = findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
}

void LogGrid::setLogModel(LogTableModel* model) {
    if (m_model)
        m_model->disconnect(this);
    m_model = model;
    setModel(model);
    if (!model)
        return;
    // A new download resets the model (the header then forgets the widths);
    // new titles change the corner and the alignment.
    connect(model, &QAbstractItemModel::modelReset, this, &LogGrid::applyLayout);
    connect(model, &QAbstractItemModel::headerDataChanged, this, &LogGrid::applyLayout);
    applyLayout();
}

int LogGrid::twipsToPixels(int twips) const {
    return twips * logicalDpiX() / 1440;
}

void LogGrid::fitColumns() {
    if (!m_model)
        return;
    const int columns = m_model->columnCount();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
    const QFontMetrics titles = horizontalHeader()->fontMetrics();
    int twips = 0;
    for (int c = 0; c < columns; ++c)
        twips += LogTableModel::columnTwips(c);
    // Wider than the columns in twips: all grow in proportion to fill it.
    const int room = std::max(viewport()->width(), twipsToPixels(twips));
    for (int c = 0; c < columns; ++c) {
        const QString title = m_model->headerData(c, Qt::Horizontal).toString().trimmed();
        const int scaled = twips > 0 ? LogTableModel::columnTwips(c) * room / twips : 0;
        setColumnWidth(c, std::max(scaled, titles.horizontalAdvance(title) + margin));
    }
}

bool LogGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTableView::viewportEvent(event);
}

void LogGrid::applyLayout() {
    if (!m_model)
        return;
    fitColumns();
    // The "<" of the format string aligns every column left, titles too.
    horizontalHeader()->setDefaultAlignment(
        (m_model->table().alignLeft() ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    // The row-number column is as wide as its width in twips, but never
    // narrower than its title.
    const QString corner = m_model->cornerTitle().trimmed();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
    verticalHeader()->setMinimumWidth(
        std::max(twipsToPixels(LogColumns::kTwips[0]),
                 verticalHeader()->fontMetrics().horizontalAdvance(corner) + margin));
    if (m_corner)
        m_corner->update();
}

QString LogGrid::cell(int row, int col) const {
    if (!m_model || row < 0 || col < 0 || row > m_model->rowCount() || col > m_model->columnCount())
        return {};
    if (row == 0 && col == 0)
        return m_model->cornerTitle();
    if (row == 0)
        return m_model->headerData(col - 1, Qt::Horizontal).toString();
    if (col == 0)
        return m_model->headerData(row - 1, Qt::Vertical).toString();
    return m_model->index(row - 1, col - 1).data().toString();
}

bool LogGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint && m_model) {
        QStylePainter painter(m_corner);
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.rect = m_corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = m_model->cornerTitle().trimmed();
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}
