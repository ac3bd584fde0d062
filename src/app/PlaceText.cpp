#include "app/PlaceText.h"

#include <QRegularExpression>
#include <cmath>
#include <optional>
#include <vector>

namespace {
constexpr char kExample[] = "for example -3.47, 29.9 or 3°28'S 29°54'E";

enum class TUnit { Bare, Degrees, Minutes, Seconds };

struct TComponent {
    double Value;
    bool Negative; // written with a minus sign
    TUnit Unit;
    QString Text;
};

struct TCoordinate {
    std::vector<TComponent> Components;
    QChar Hemisphere; // N, S, E, W or null
};

struct TToken {
    enum { Number, Symbol, Letter, Separator } Kind;
    QString Text;
};

// The text as tokens; an error names the first character that is none of them.
std::optional<std::vector<TToken>> Tokens(const QString& text, QString& error) {
    static const QRegularExpression token(
        R"(\s*(?:([+-]?\d+(?:\.\d+)?|[+-]?\.\d+)|([°'"])|([NSEWnsew])|([,;])))");
    std::vector<TToken> tokens;
    int at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch match = token.match(text, at, QRegularExpression::NormalMatch,
                                                          QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            if (text.mid(at).trimmed().isEmpty())
                break;
            int bad = at;
            while (text.at(bad).isSpace())
                ++bad;
            error = QString("\"%1\" cannot be read in a place (%2).").arg(text.at(bad)).arg(kExample);
            return std::nullopt;
        }
        for (int group = 1; group <= 4; ++group)
            if (match.capturedLength(group) > 0)
                tokens.push_back({decltype(TToken::Kind)(group - 1), match.captured(group).toUpper()});
        at = match.capturedEnd();
    }
    return tokens;
}

TUnit UnitOf(const QString& symbol) {
    if (symbol == "°")
        return TUnit::Degrees;
    return symbol == "'" ? TUnit::Minutes : TUnit::Seconds;
}

// Groups the tokens into coordinates. Hemisphere letters close a coordinate when they follow its
// numbers, or open one when the text begins with a letter. Without letters, a bare number after a
// complete coordinate (or a degrees value after any) begins the next one.
std::optional<std::vector<TCoordinate>> Coordinates(const std::vector<TToken>& tokens, QString& error) {
    bool hasLetters = false;
    for (const TToken& token : tokens)
        hasLetters = hasLetters || token.Kind == TToken::Letter;
    const bool lettersFirst = !tokens.empty() && tokens.front().Kind == TToken::Letter;

    std::vector<TCoordinate> coordinates;
    TCoordinate current;
    const auto close = [&] {
        if (!current.Components.empty() || !current.Hemisphere.isNull())
            coordinates.push_back(current);
        current = {};
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        switch (token.Kind) {
        case TToken::Separator:
            close();
            break;
        case TToken::Symbol:
            error = QString("\"%1\" must follow a number (%2).").arg(token.Text, kExample);
            return std::nullopt;
        case TToken::Letter:
            if (lettersFirst) {
                close();
                current.Hemisphere = token.Text.at(0);
            } else {
                if (current.Components.empty()) {
                    error = QString("\"%1\" must follow the number it belongs to (%2).")
                                .arg(token.Text, kExample);
                    return std::nullopt;
                }
                current.Hemisphere = token.Text.at(0);
                close();
            }
            break;
        case TToken::Number: {
            TUnit unit = TUnit::Bare;
            QString text = token.Text;
            if (i + 1 < tokens.size() && tokens[i + 1].Kind == TToken::Symbol) {
                unit = UnitOf(tokens[i + 1].Text);
                text += tokens[i + 1].Text;
                ++i;
            }
            const bool startsNew = [&] {
                if (current.Components.empty())
                    return false;
                if (unit == TUnit::Degrees || current.Components.size() == 3)
                    return true;
                if (hasLetters)
                    return false;
                // Without letters: a bare number continues only a value written with its symbols.
                return unit == TUnit::Bare && current.Components.back().Unit == TUnit::Bare;
            }();
            if (startsNew)
                close();
            current.Components.push_back(
                {std::abs(token.Text.toDouble()), token.Text.startsWith('-'), unit, text});
            break;
        }
        }
    }
    close();
    return coordinates;
}

// Degrees of one coordinate, with its sign; an error says what is wrong with it.
std::optional<double> DegreesOf(const TCoordinate& coordinate, QString& error) {
    if (coordinate.Components.empty()) {
        error = QString("\"%1\" has no number (%2).").arg(coordinate.Hemisphere).arg(kExample);
        return std::nullopt;
    }
    const TUnit order[3] = {TUnit::Degrees, TUnit::Minutes, TUnit::Seconds};
    double degrees = 0;
    for (std::size_t i = 0; i < coordinate.Components.size(); ++i) {
        const TComponent& part = coordinate.Components[i];
        if (part.Unit != TUnit::Bare && part.Unit != order[i]) {
            error =
                QString("\"%1\" is out of place: degrees come first, then minutes ('), then seconds (\").")
                    .arg(part.Text);
            return std::nullopt;
        }
        if (i > 0 && part.Negative) {
            error = QString("Only the degrees may carry a sign, not \"%1\".").arg(part.Text);
            return std::nullopt;
        }
        if (i > 0 && part.Value >= 60) {
            error =
                QString("Minutes and seconds run from 0 to below 60: \"%1\" is too large.").arg(part.Text);
            return std::nullopt;
        }
        if (i + 1 < coordinate.Components.size() && part.Value != std::floor(part.Value)) {
            error = QString("Only the last of degrees, minutes and seconds may have decimals, not \"%1\".")
                        .arg(part.Text);
            return std::nullopt;
        }
        degrees += part.Value / std::pow(60.0, double(i));
    }
    const bool negative = coordinate.Components.front().Negative;
    if (negative && !coordinate.Hemisphere.isNull()) {
        error = QString("\"%1\" has both a minus sign and a hemisphere (%2).")
                    .arg(coordinate.Components.front().Text, coordinate.Hemisphere);
        return std::nullopt;
    }
    const bool southOrWest = coordinate.Hemisphere == 'S' || coordinate.Hemisphere == 'W';
    return negative || southOrWest ? -degrees : degrees;
}

bool IsLatitude(QChar hemisphere) {
    return hemisphere == 'N' || hemisphere == 'S';
}
} // namespace

TPlace ParsePlace(const QString& input) {
    TPlace place;
    QString text = input;
    text.replace(QChar(0x2212), '-')  // minus sign
        .replace(QChar(0x2032), '\'') // prime
        .replace(QChar(0x2033), '"')  // double prime
        .replace("''", "\"")
        .replace(QChar(0x00BA), QChar(0x00B0)); // the ordinal indicator typed for a degree sign
    if (text.trimmed().isEmpty()) {
        place.Error = QString("Type a place: a latitude and a longitude, %1.").arg(kExample);
        return place;
    }
    const auto tokens = Tokens(text, place.Error);
    if (!tokens)
        return place;
    const auto coordinates = Coordinates(*tokens, place.Error);
    if (!coordinates)
        return place;
    if (coordinates->size() != 2) {
        place.Error = QString("A place is a latitude and a longitude; %1 found (%2).")
                          .arg(coordinates->size() == 1 ? QString("one value")
                                                        : QString("%1 values").arg(coordinates->size()))
                          .arg(kExample);
        return place;
    }
    const TCoordinate* latitude = &(*coordinates)[0];
    const TCoordinate* longitude = &(*coordinates)[1];
    const QChar first = latitude->Hemisphere;
    const QChar second = longitude->Hemisphere;
    if (!first.isNull() && !second.isNull() && IsLatitude(first) == IsLatitude(second)) {
        place.Error = IsLatitude(first)
                          ? QString("Both values are latitudes (N or S); one must be a longitude (E or W).")
                          : QString("Both values are longitudes (E or W); one must be a latitude (N or S).");
        return place;
    }
    if ((!first.isNull() && !IsLatitude(first)) || (!second.isNull() && IsLatitude(second)))
        std::swap(latitude, longitude);

    const auto lat = DegreesOf(*latitude, place.Error);
    if (!lat)
        return place;
    const auto lon = DegreesOf(*longitude, place.Error);
    if (!lon)
        return place;
    if (std::abs(*lat) > 90) {
        place.Error = QString("The latitude %1° lies beyond the poles (90° at most).").arg(*lat);
        return place;
    }
    if (std::abs(*lon) > 180) {
        place.Error = QString("The longitude %1° lies beyond 180° east or west.").arg(*lon);
        return place;
    }
    place.Ok = true;
    place.Latitude = *lat;
    place.Longitude = *lon;
    return place;
}
