#include "classify/PropertyMapForm.h"

#include "classify/ColorRampBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The position of an attribute in the catalogue; group headings carry -1.
constexpr int kAttributeRole = Qt::UserRole;
constexpr int kMinClasses = 2;
constexpr int kMaxPropertyClasses = 24;

} // namespace

QString PropertyMethodName(TPropertyMethod method) {
    switch (method) {
    case TPropertyMethod::EqualInterval:
        return "Equal interval";
    case TPropertyMethod::Quantiles:
        return "Quantiles";
    case TPropertyMethod::Standardized:
        return "Standardized";
    case TPropertyMethod::Manual:
        return "Manual";
    }
    return {};
}

TPropertyMapForm::TPropertyMapForm(const TPropertyCatalogue& catalogue, const TPropertyMapRequest& initial,
                                   QWidget* parent)
    : QDialog(parent), m_catalogue(catalogue) {
    setObjectName("frmPropertyMap");
    setWindowTitle("Property Map");
    // A dialog's frame: a title and a close box, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    edtFilter = new QLineEdit(this);
    edtFilter->setObjectName("edtFilter");
    edtFilter->setPlaceholderText("Filter");
    edtFilter->setClearButtonEnabled(true);

    lstAttributes = new QTreeWidget(this);
    lstAttributes->setObjectName("lstAttributes");
    lstAttributes->setHeaderHidden(true);
    lstAttributes->setRootIsDecorated(false);
    lstAttributes->setItemsExpandable(false);
    lstAttributes->setMinimumHeight(300);
    auto* unitGroup = new QTreeWidgetItem(lstAttributes, {"Unit-level attributes"});
    auto* layerGroup = new QTreeWidgetItem(lstAttributes, {"Layer-level attributes"});
    for (QTreeWidgetItem* group : {unitGroup, layerGroup}) {
        group->setFlags(Qt::ItemIsEnabled);
        group->setData(0, kAttributeRole, -1);
        QFont font = group->font(0);
        font.setBold(true);
        group->setFont(0, font);
    }
    const auto& attributes = catalogue.Attributes();
    for (int i = 0; i < int(attributes.size()); ++i) {
        const TPropertyAttribute& attribute = attributes[std::size_t(i)];
        auto* item = new QTreeWidgetItem(attribute.Level == TPropertyLevel::Unit ? unitGroup : layerGroup,
                                         {attribute.Title()});
        item->setData(0, kAttributeRole, i);
        item->setToolTip(0, attribute.Title() + " [" + attribute.Field + "]");
    }
    lstAttributes->expandAll();
    // Wide enough for the longest title, within reason.
    int widest = 0;
    for (const TPropertyAttribute& attribute : attributes)
        widest = std::max(widest, lstAttributes->fontMetrics().horizontalAdvance(attribute.Title()));
    lstAttributes->setMinimumWidth(std::clamp(widest + 60, 360, 760));

    cmbLayer = new QComboBox(this);
    cmbLayer->setObjectName("cmbLayer");
    for (const TDepthLayer& layer : catalogue.DepthLayers())
        cmbLayer->addItem(layer.Title(), layer.Code);
    cmbCombination = new QComboBox(this);
    cmbCombination->setObjectName("cmbCombination");
    for (TPropertyCombination combination :
         {TPropertyCombination::Dominant, TPropertyCombination::ShareWeightedMean})
        cmbCombination->addItem(CombinationName(combination), int(combination));
    cmbMethod = new QComboBox(this);
    cmbMethod->setObjectName("cmbMethod");
    for (TPropertyMethod method : {TPropertyMethod::EqualInterval, TPropertyMethod::Quantiles,
                                   TPropertyMethod::Standardized, TPropertyMethod::Manual})
        cmbMethod->addItem(PropertyMethodName(method), int(method));
    spnClasses = new QSpinBox(this);
    spnClasses->setObjectName("spnClasses");
    spnClasses->setRange(kMinClasses, kMaxPropertyClasses);
    cmbColorRamp = new TColorRampCombo(this);
    cmbColorRamp->setObjectName("cmbColorRamp");
    for (int i = 0; i < kColorRampCount; ++i)
        cmbColorRamp->addItem(QString());
    cmbColorRamp->setMinimumWidth(94);

    btnBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnBox->setObjectName("btnBox");
    btnBox->button(QDialogButtonBox::Ok)->setText("&OK");
    btnBox->button(QDialogButtonBox::Cancel)->setText("&Cancel");
    connect(btnBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow("&Depth layer:", cmbLayer);
    form->addRow("C&omponents:", cmbCombination);
    form->addRow("Classification &method:", cmbMethod);
    form->addRow("&Number of classes:", spnClasses);
    form->addRow("Colour &ramp:", cmbColorRamp);
    auto* attributeLabel = new QLabel("&Attribute:", this);
    attributeLabel->setBuddy(edtFilter);
    auto* layout = new QVBoxLayout(this);
    // A dialog of fixed size, as the program's other dialogs.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(attributeLabel);
    layout->addWidget(edtFilter);
    layout->addWidget(lstAttributes, 1);
    layout->addLayout(form);
    layout->addWidget(btnBox);

    connect(edtFilter, &QLineEdit::textChanged, this, &TPropertyMapForm::ApplyFilter);
    connect(lstAttributes, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                // A heading is no choice: the attribute chosen before stays.
                if (current && current->data(0, kAttributeRole).toInt() < 0 && previous &&
                    previous->data(0, kAttributeRole).toInt() >= 0 && !previous->isHidden()) {
                    lstAttributes->setCurrentItem(previous);
                    return;
                }
                ChoiceChanged();
            });
    connect(lstAttributes, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (ChosenAttribute())
            accept();
    });

    // The initial choice.
    const TPropertyDefinition& definition = initial.Definition;
    const TPropertyAttribute* chosen = catalogue.FindAttribute(definition.Level, definition.Field);
    if (!chosen) {
        const auto layerAttribute = std::find_if(attributes.begin(), attributes.end(), [](const auto& a) {
            return a.Level == TPropertyLevel::Layer;
        });
        chosen = layerAttribute != attributes.end() ? &*layerAttribute
                                                    : (attributes.empty() ? nullptr : &attributes.front());
    }
    cmbLayer->setCurrentIndex(std::max(0, cmbLayer->findData(definition.Layer)));
    cmbCombination->setCurrentIndex(std::max(0, cmbCombination->findData(int(definition.Combination))));
    cmbMethod->setCurrentIndex(std::max(0, cmbMethod->findData(int(initial.Method))));
    spnClasses->setValue(initial.ClassCount);
    cmbColorRamp->setCurrentIndex(std::clamp(initial.RampIndex, 0, kColorRampCount - 1));
    Select(chosen);
    ChoiceChanged();
    edtFilter->setFocus();
}

void TPropertyMapForm::Select(const TPropertyAttribute* attribute) {
    for (QTreeWidgetItemIterator it(lstAttributes); *it; ++it) {
        const int position = (*it)->data(0, kAttributeRole).toInt();
        if (attribute && position >= 0 && &m_catalogue.Attributes()[std::size_t(position)] == attribute) {
            lstAttributes->setCurrentItem(*it);
            lstAttributes->scrollToItem(*it);
            return;
        }
    }
}

const TPropertyAttribute* TPropertyMapForm::ChosenAttribute() const {
    const QTreeWidgetItem* item = lstAttributes->currentItem();
    if (!item || item->isHidden())
        return nullptr;
    const int position = item->data(0, kAttributeRole).toInt();
    if (position < 0 || position >= int(m_catalogue.Attributes().size()))
        return nullptr;
    return &m_catalogue.Attributes()[std::size_t(position)];
}

void TPropertyMapForm::ApplyFilter(const QString& text) {
    const QString wanted = text.trimmed();
    QTreeWidgetItem* firstShown = nullptr;
    for (int g = 0; g < lstAttributes->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = lstAttributes->topLevelItem(g);
        int shown = 0;
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* item = group->child(i);
            const TPropertyAttribute& attribute =
                m_catalogue.Attributes()[std::size_t(item->data(0, kAttributeRole).toInt())];
            const bool match = wanted.isEmpty() || attribute.Title().contains(wanted, Qt::CaseInsensitive) ||
                               attribute.Field.contains(wanted, Qt::CaseInsensitive);
            item->setHidden(!match);
            if (match && !firstShown)
                firstShown = item;
            shown += match ? 1 : 0;
        }
        group->setHidden(shown == 0);
    }
    // The choice follows the filter: a hidden attribute is no choice.
    QTreeWidgetItem* current = lstAttributes->currentItem();
    if (!current || current->isHidden())
        lstAttributes->setCurrentItem(firstShown);
    ChoiceChanged();
}

void TPropertyMapForm::ChoiceChanged() {
    const TPropertyAttribute* attribute = ChosenAttribute();
    const bool layered = attribute && attribute->Level == TPropertyLevel::Layer;
    cmbLayer->setEnabled(layered);
    cmbCombination->setEnabled(layered);
    btnBox->button(QDialogButtonBox::Ok)->setEnabled(attribute != nullptr);
}

TPropertyMapRequest TPropertyMapForm::Request() const {
    TPropertyMapRequest request;
    if (const TPropertyAttribute* attribute = ChosenAttribute()) {
        request.Definition.Level = attribute->Level;
        request.Definition.Field = attribute->Field;
    }
    request.Definition.Layer = cmbLayer->currentData().toString();
    request.Definition.Combination = static_cast<TPropertyCombination>(cmbCombination->currentData().toInt());
    request.Method = static_cast<TPropertyMethod>(cmbMethod->currentData().toInt());
    request.ClassCount = spnClasses->value();
    request.RampIndex = cmbColorRamp->currentIndex();
    return request;
}
