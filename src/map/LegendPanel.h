#pragma once
// The legend panel of a map window: clicks on the legend tree's check marks show and hide the
// raster, a class or an overlay; clicks on the button beside a check mark change a colour. The
// frame's legend commands, colour-ramp box and classification command act through it.

#include "classify/frmClassification.h"
#include "themes/ColorRampRecord.h"

#include <QObject>
#include <QRect>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TMapExplorerForm;

// Which part of a node's state image a point is on: the check mark toggles, the button beside it
// and the swatch of a class or overlay pick a colour.
enum class TStatePart { None, CheckMark, Colour };

class TLegendPanel : public QObject, public TClassificationTarget {
    Q_OBJECT
public:
    // Owned by `form` (its Qt parent); watches the form's legend tree.
    explicit TLegendPanel(TMapExplorerForm& form);

    void ToggleLegendNode(QTreeWidgetItem* node);
    void PickLegendColour(QTreeWidgetItem* node);
    // The menu of a right click at `at` (viewport coordinates): the classification, the colour of
    // the class or overlay there, the class selection, and for an overlay its removal. Shown at
    // once; it goes when it closes.
    QMenu* ShowContextMenu(QPoint at);
    // Takes the overlay `index` off the map.
    void RemoveShapeLayer(int index);
    void SelectAllClasses();
    void SelectNoClasses();
    void InvertClassSelection();
    void ApplyColourRamp(const TRampRecord& ramp);
    // What the classification dialog does for a new method or class count, without the dialog.
    void Reclassify(int method, int classCount);
    // The classification dialog, modal; true (and the map redrawn) when it closed with OK.
    bool ShowClassification();
    void Redraw() override;

    // The node's state image (the 32 pixels left of its caption image) in viewport coordinates;
    // empty for a node without a check mark.
    static QRect StateImageRect(const QTreeWidget& tree, const QTreeWidgetItem& node);
    // The node under `point` (viewport coordinates) and the part of its state image there.
    static TStatePart HitTest(const QTreeWidget& tree, QPoint point, QTreeWidgetItem** node = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetClassVisibility(int index, bool visible);
    // The colour picker for the class or overlay `index` (a TLegendNodeKind).
    void PickColourOf(int kind, int index);
    QTreeWidgetItem* ClassNode(int index) const;

    TMapExplorerForm& m_form;
    QTreeWidget& m_tree;
    // The tree's viewport, whose mouse events this filters. Kept, not asked of the tree: the filter
    // also sees the events of the tree's destruction, when the tree is no longer a whole object.
    QObject* m_viewport = nullptr;
    // The node and part a left press hit; a release on the same place is a click. The node is only
    // compared with the one under the release, never used: the tree may have been rebuilt since.
    const QTreeWidgetItem* m_pressedNode = nullptr;
    TStatePart m_pressedPart = TStatePart::None;
    bool m_forwarding = false; // the tree is being given a release this filter has handled
};
