#pragma once
// Builds the legend tree of a map window from its legend model: the theme node with one node per
// class (and for a property map the "No data" entry), and the shape-layers node with one node per
// overlay, fully expanded.

class QTreeWidget;
class QTreeWidgetItem;
class TQEVmanager;

// Each node's icon is its state image (32 x 16, the first 32 pixels) followed by its caption
// image (16 x 16). The roles below tell the legend panel what a node stands for.
enum TLegendRole {
    lrState = 0x0100 + 1, // int: a TLegendState (Qt::UserRole + 1)
    lrKind,               // int: TLegendNodeKind
    lrIndex,              // int: class or overlay index
};

// lnNoData: the entry of a property map's cells without a value, after its classes.
enum TLegendNodeKind { lnTheme = 1, lnClass, lnShapes, lnShape, lnNoData };

void BuildLegendTree(const TQEVmanager& legend, QTreeWidget& tree);

// Shows `node` with another state image (a TLegendState), its caption image kept.
void SetLegendNodeState(QTreeWidgetItem& node, int state);
