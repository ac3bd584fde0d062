#include "map/LegendPanel.h"

#include "classify/ColorForm.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "map/LegendImages.h"
#include "map/LegendTree.h"
#include "map/MapExplorerForm.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

namespace {

constexpr int kStateImageWidth = 32;
// The check box fills the left 16 pixels of a state image; the colour button the rest.
constexpr int kCheckMarkWidth = 17;
// The caption image (a class's swatch, an overlay's symbol) follows the state image.
constexpr int kCaptionImageWidth = 16;

int NodeState(const QTreeWidgetItem& node) {
    return node.data(0, lrState).toInt();
}

int NodeKind(const QTreeWidgetItem& node) {
    return node.data(0, lrKind).toInt();
}

int NodeIndex(const QTreeWidgetItem& node) {
    return node.parent() ? node.parent()->indexOfChild(const_cast<QTreeWidgetItem*>(&node)) : 0;
}

} // namespace

TLegendPanel::TLegendPanel(TMapExplorerForm& form)
    : QObject(&form), m_form(form), m_tree(*form.LegendTreeView) {
    setObjectName("LegendPanel");
    // The tree stays fully expanded: collapsing is refused.
    m_tree.setItemsExpandable(false);
    connect(&m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { m_tree.expandItem(node); });
    m_viewport = m_tree.viewport();
    m_viewport->installEventFilter(this);
    m_tree.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_tree, &QWidget::customContextMenuRequested, this, [this](QPoint at) { ShowContextMenu(at); });
}

QMenu* TLegendPanel::ShowContextMenu(QPoint at) {
    // The tree is rebuilt by every drawing: its nodes are not offered while one runs.
    if (m_form.IsDrawing())
        return nullptr;
    const QTreeWidgetItem* node = m_tree.itemAt(at);
    const int kind = node ? NodeKind(*node) : 0;
    const int index = node ? NodeIndex(*node) : 0;
    auto* menu = new QMenu(&m_tree);
    menu->setObjectName("LegendMenu");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [this, menu](const QString& caption, const char* name, std::function<void()> run) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, run = std::move(run)] { Guarded(run, &m_form); });
        return action;
    };
    add("&Classification...", "aLegendClassification", [this] {
        ShowClassification();
    })->setEnabled(m_form.Manager().ThemeOpen);
    add("C&hange Colour...", "aLegendColour", [this, kind, index] {
        PickColourOf(kind, index);
    })->setEnabled(kind == lnClass || kind == lnShape);
    menu->addSeparator();
    add("Select &All", "aLegendAll", [this] { SelectAllClasses(); });
    add("Select &None", "aLegendNone", [this] { SelectNoClasses(); });
    add("S&witch Selection", "aLegendSwitch", [this] { InvertClassSelection(); });
    if (kind == lnShape) {
        menu->addSeparator();
        add("&Remove Shape Layer", "aLegendRemoveShape", [this, index] { RemoveShapeLayer(index); });
    }
    menu->popup(m_tree.viewport()->mapToGlobal(at));
    return menu;
}

void TLegendPanel::RemoveShapeLayer(int index) {
    auto& layers = m_form.Manager().ShapeLayers;
    if (index < 0 || index >= int(layers.size()))
        return;
    layers.erase(layers.begin() + index);
    Redraw();
}

QRect TLegendPanel::StateImageRect(const QTreeWidget& tree, const QTreeWidgetItem& node) {
    if (NodeState(node) != lsUnchecked && NodeState(node) != lsChecked)
        return {};
    // Where the item's style puts its icon, whose first 32 pixels are the state image.
    QStyleOptionViewItem option;
    option.initFrom(&tree);
    option.rect = tree.visualItemRect(&node);
    option.features = QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay;
    option.icon = node.icon(0);
    option.decorationSize = tree.iconSize();
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.text = node.text(0);
    option.font = tree.font();
    option.fontMetrics = QFontMetrics(option.font);
    option.widget = &tree;
    const QRect icon = tree.style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, &tree);
    if (!icon.isValid())
        return {};
    return {icon.left(), icon.top(), kStateImageWidth, icon.height()};
}

TStatePart TLegendPanel::HitTest(const QTreeWidget& tree, QPoint point, QTreeWidgetItem** node) {
    QTreeWidgetItem* hit = tree.itemAt(point);
    if (node)
        *node = hit;
    if (!hit)
        return TStatePart::None;
    const QRect state = StateImageRect(tree, *hit);
    const QRect swatch(state.right() + 1, state.top(), kCaptionImageWidth, state.height());
    const int kind = NodeKind(*hit);
    if (!state.isEmpty() && swatch.contains(point) && (kind == lnClass || kind == lnShape))
        return TStatePart::Colour;
    if (!state.contains(point))
        return TStatePart::None;
    return point.x() - state.left() < kCheckMarkWidth ? TStatePart::CheckMark : TStatePart::Colour;
}

bool TLegendPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport || m_forwarding)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    // The tree is rebuilt by every drawing: clicks wait until it has ended.
    if (m_form.IsDrawing()) {
        m_pressedNode = nullptr;
        return false;
    }
    QTreeWidgetItem* node = nullptr;
    const TStatePart part = HitTest(m_tree, mouse->position().toPoint(), &node);
    if (type == QEvent::MouseButtonPress) {
        m_pressedNode = part == TStatePart::None ? nullptr : node;
        m_pressedPart = part;
        return false; // the press selects the node as usual
    }
    if (type == QEvent::MouseButtonDblClick)
        return part != TStatePart::None; // a second click on a check mark is not a double click
    const bool click = part != TStatePart::None && node == m_pressedNode && part == m_pressedPart;
    m_pressedNode = nullptr;
    if (!click)
        return false;
    // The tree ends its own handling of the click first: what follows may rebuild it.
    m_forwarding = true;
    QCoreApplication::sendEvent(m_tree.viewport(), event);
    m_forwarding = false;
    m_tree.setCurrentItem(node);
    Guarded(
        [this, node, part] {
            if (part == TStatePart::CheckMark)
                ToggleLegendNode(node);
            else
                PickLegendColour(node);
        },
        &m_form);
    return true;
}

void TLegendPanel::ToggleLegendNode(QTreeWidgetItem* node) {
    if (!node)
        return;
    TQEVmanager& legend = m_form.Manager();
    const bool checked = NodeState(*node) == lsChecked;
    const int index = NodeIndex(*node);
    switch (NodeKind(*node)) {
    case lnClass:
        legend.SetClassVisible(index, !checked);
        break;
    case lnShape:
        if (index >= 0 && index < int(legend.ShapeLayers.size()))
            legend.ShapeLayers[index].Visible = !checked;
        break;
    case lnTheme:
        legend.RasterVisible = !checked;
        break;
    default:
        break;
    }
    if (NodeState(*node) == lsUnchecked || NodeState(*node) == lsChecked)
        SetLegendNodeState(*node, checked ? lsUnchecked : lsChecked);
    Redraw();
}

void TLegendPanel::PickLegendColour(QTreeWidgetItem* node) {
    if (node)
        PickColourOf(NodeKind(*node), NodeIndex(*node));
}

void TLegendPanel::PickColourOf(int kind, int index) {
    TQEVmanager& legend = m_form.Manager();
    switch (kind) {
    case lnTheme:
        Redraw();
        break;
    case lnClass: {
        if (index < 0 || index >= kMaxClasses)
            return;
        QRgb color = legend.Classes().ClassColors[index];
        if (!PickColor(color, &m_form))
            return;
        // The legend is asked for again: the picker ran an event loop of its own.
        m_form.Manager().SetClassColor(index, color);
        Redraw();
        break;
    }
    case lnShape: {
        if (index < 0 || index >= int(legend.ShapeLayers.size()))
            return;
        QRgb color = legend.ShapeLayers[index].Color;
        if (!PickColor(color, &m_form))
            return;
        auto& layers = m_form.Manager().ShapeLayers;
        if (index < int(layers.size()))
            layers[index].Color = color;
        Redraw();
        break;
    }
    default:
        break;
    }
}

QTreeWidgetItem* TLegendPanel::ClassNode(int index) const {
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = m_tree.topLevelItem(i);
        if (NodeKind(*top) == lnTheme)
            return index < top->childCount() ? top->child(index) : nullptr;
    }
    return nullptr;
}

void TLegendPanel::SetClassVisibility(int index, bool visible) {
    m_form.Manager().SetClassVisible(index, visible);
    if (QTreeWidgetItem* node = ClassNode(index))
        SetLegendNodeState(*node, visible ? lsChecked : lsUnchecked);
}

void TLegendPanel::SelectAllClasses() {
    const int classes = m_form.Manager().Classes().Count();
    for (int i = 0; i < classes; ++i)
        SetClassVisibility(i, true);
    Redraw();
}

void TLegendPanel::SelectNoClasses() {
    const int classes = m_form.Manager().Classes().Count();
    for (int i = 0; i < classes; ++i)
        SetClassVisibility(i, false);
    Redraw();
}

void TLegendPanel::InvertClassSelection() {
    const int classes = m_form.Manager().Classes().Count();
    for (int i = 0; i < classes; ++i)
        SetClassVisibility(i, !m_form.Manager().Classes().Visible[i]);
    Redraw();
}

void TLegendPanel::ApplyColourRamp(const TRampRecord& ramp) {
    m_form.RampCopy = ramp;
    m_form.Manager().ApplyRamp(ramp);
    Redraw();
}

void TLegendPanel::Reclassify(int method, int classCount) {
    TQEVmanager& legend = m_form.Manager();
    legend.SetNumClasses(classCount);
    legend.Classify(method);
    Redraw();
}

bool TLegendPanel::ShowClassification() {
    TfrmClassification dialog(&m_form);
    dialog.OpenClassification(this, m_form.Manager());
    if (Dialogs::Exec(dialog) != QDialog::Accepted)
        return false;
    Redraw();
    return true;
}

void TLegendPanel::Redraw() {
    m_form.Redraw();
}

// The map window's legend operations, as the frame calls them.

void TMapExplorerForm::SelectAllClasses() {
    m_legendPanel->SelectAllClasses();
}

void TMapExplorerForm::SelectNoClasses() {
    m_legendPanel->SelectNoClasses();
}

void TMapExplorerForm::InvertClassSelection() {
    m_legendPanel->InvertClassSelection();
}

void TMapExplorerForm::ApplyColourRamp(const TRampRecord& ramp) {
    m_legendPanel->ApplyColourRamp(ramp);
}

void TMapExplorerForm::Reclassify(int method, int classCount) {
    m_legendPanel->Reclassify(method, classCount);
}

bool TMapExplorerForm::ShowClassification() {
    return m_legendPanel->ShowClassification();
}
