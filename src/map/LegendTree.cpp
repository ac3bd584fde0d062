#include "map/LegendTree.h"

#include "map/LegendImages.h"
#include "themes/PropertyMap.h"
#include "themes/QEVmanager.h"

#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <algorithm>

static_assert(lrState == Qt::UserRole + 1);

namespace {

// The same picture whether the node is selected or not: a selected class keeps its true colour.
QIcon UntintedIcon(const QImage& image) {
    const QPixmap pixmap = QPixmap::fromImage(image);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

QIcon NodeIcon(int state, const QImage& caption) {
    QImage icon(48, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.drawImage(0, 0, LegendStateImage(state));
    painter.drawImage(32, 0, caption);
    painter.end();
    return UntintedIcon(icon);
}

QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, QTreeWidget& tree, const QString& text, int state,
                         const QImage& caption, TLegendNodeKind kind, int index) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
    item->setText(0, text);
    // The panel may be too narrow for a long label: the full text is at hand.
    item->setToolTip(0, text);
    item->setIcon(0, NodeIcon(state, caption));
    item->setData(0, lrState, state);
    item->setData(0, lrKind, kind);
    item->setData(0, lrIndex, index);
    return item;
}

} // namespace

void BuildLegendTree(const TQEVmanager& legend, QTreeWidget& tree) {
    tree.clearSelection();
    tree.clear();
    tree.setIconSize(QSize(48, 16));
    const QString layerName = legend.Theme ? legend.Theme->LayerName : QString();
    // A soil theme shows the dominant soil of each unit; a property map names its property itself.
    QTreeWidgetItem* themeNode =
        AddNode(nullptr, tree, legend.Property ? layerName : "Dominant " + layerName,
                legend.RasterVisible ? lsChecked : lsUnchecked, LegendCaptionImage(lcTheme), lnTheme, 0);
    const TClassFields& legendClasses = legend.Classes();
    const int classes = legendClasses.Count();
    for (int i = 0; i < classes; ++i)
        AddNode(themeNode, tree, legendClasses.ClassLabels[i],
                legendClasses.Visible[i] ? lsChecked : lsUnchecked,
                LegendClassSwatch(legendClasses.ClassColors[i]), lnClass, i);
    if (legend.Property)
        AddNode(themeNode, tree, "No data", lsNone, LegendNoDataSwatch(), lnNoData, 0);
    QTreeWidgetItem* shapesNode =
        AddNode(nullptr, tree, "Shape Layers", lsNone, LegendCaptionImage(lcShapeLayers), lnShapes, 0);
    for (int i = 0; i < static_cast<int>(legend.ShapeLayers.size()); ++i) {
        const TESRIShapeFile& layer = legend.ShapeLayers[i];
        AddNode(shapesNode, tree, QFileInfo(layer.ShapeFileName).fileName(),
                layer.Visible ? lsChecked : lsUnchecked, LegendShapeSymbol(layer.ShapeType, layer.Color),
                lnShape, i);
    }
    tree.expandAll();
}

void SetLegendNodeState(QTreeWidgetItem& node, int state) {
    QImage icon =
        node.icon(0).pixmap(QSize(48, 16)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (icon.size() != QSize(48, 16)) {
        icon = QImage(48, 16, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
    }
    QPainter painter(&icon);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, LegendStateImage(state));
    painter.end();
    node.setIcon(0, UntintedIcon(icon));
    node.setData(0, lrState, state);
}
