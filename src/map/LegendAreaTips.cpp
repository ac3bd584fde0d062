#include "map/LegendAreaTips.h"

#include "map/LegendTree.h"

#include <QLocale>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

void ShowClassAreaTips(QTreeWidget& tree, const TAreaStatistics& statistics) {
    const QLocale english(QLocale::English);
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        QTreeWidgetItem& node = **it;
        if (node.data(0, lrKind).toInt() != lnClass)
            continue;
        const int index = node.data(0, lrIndex).toInt();
        if (index < 0 || index >= int(statistics.Classes.size()))
            continue;
        const TAreaRow& row = statistics.Classes[static_cast<std::size_t>(index)];
        node.setToolTip(0, node.text(0) + "\n" + AreaText(row.AreaKm2) + " in this view (" +
                               english.toString(row.SharePercent, 'f', 1) + " % of its land)");
    }
}
