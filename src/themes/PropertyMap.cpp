#include "themes/PropertyMap.h"

#include <algorithm>
#include <cmath>

namespace {

// Three significant figures, more for a whole number, without trailing zeros: 5.83, 15.3, 1235,
// 0.0453.
QString ReadoutNumber(double value) {
    const int magnitude = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    QString text = QString::number(value, 'f', std::clamp(2 - magnitude, 0, 6));
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text == "-0" ? QString("0") : text;
}

} // namespace

TPropertyMap::TPropertyMap(const TQEV_Layer& soilTheme, const TPropertyAttribute& attribute,
                           const TPropertyDefinition& definition, TPropertyIndex index)
    : m_definition(definition), m_attribute(attribute), m_index(std::move(index)) {
    m_theme.Library = soilTheme.Library;
    m_theme.FileName = soilTheme.FileName;
    m_theme.Bytes = soilTheme.Bytes;
    m_theme.ZeroIsValue = soilTheme.ZeroIsValue;
    m_theme.Multiplier = soilTheme.Multiplier;
    m_theme.LayerName = Caption();
    m_theme.DefaultMethod = 0;
}

QString TPropertyMap::Caption() const {
    return PropertyCaption(m_attribute, m_definition);
}

QString TPropertyMap::ValueText(int smuId) const {
    const double value = ValueOf(smuId);
    if (!TPropertyIndex::HasValue(value))
        return "N.A";
    return Units().isEmpty() ? ReadoutNumber(value) : ReadoutNumber(value) + " " + Units();
}
