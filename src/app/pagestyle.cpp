#include "app/pagestyle.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>

namespace PageStyle {

void heading(QLabel* title) {
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    title->setFont(f);
}

void fixedWidthHelp(QLabel* help) {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    help->setFont(fixed);
    help->setFixedWidth(QFontMetrics(fixed).horizontalAdvance(QString(64, QLatin1Char('x'))) +
                        2 * help->margin() + 4);
}

void steadySize(QLabel* live, const QString& longest) {
    // The label's own measure of the longest text, its frame and margins
    // included; the text it shows now stays.
    const QString shown = live->text();
    live->setText(longest);
    const QSize longestSize = live->sizeHint();
    live->setText(shown);
    live->setFixedSize(longestSize.expandedTo(live->sizeHint()));
}

void showNewControls(QWidget* page) {
    if (!page->isVisible())
        return;
    for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->testAttribute(Qt::WA_WState_ExplicitShowHide))
            w->show();
    if (page->layout())
        page->layout()->activate();
}

} // namespace PageStyle
