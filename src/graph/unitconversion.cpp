#include "graph/unitconversion.h"

#include "core/conversions.h"

#include <cmath>

namespace {

enum class Family { None, Time, Mass, Resistance, Ratio };

// A recognised unit: its family and its decimal exponent. The exponent form "e-N" (a value
// counting 10^-N grams) is a mass form that every other unit converts to.
struct UnitForm {
    Family family = Family::None;
    int exponent = 0;
    bool exponentForm = false;
};

bool isMicro(QChar c) { return c == QChar(0x00B5) || c == QChar(0x03BC); }

UnitForm recognise(const QString &unit)
{
    const QString t = unit.trimmed().toLower();
    if (t == QLatin1String("s"))
        return {Family::Time, 0};
    if (t == QLatin1String("g"))
        return {Family::Mass, 0};
    if (t.size() < 2)
        return {};
    const QChar first = t[0], second = t[1];
    if (second == QLatin1Char('s') && t.size() >= 2) {
        if (first == QLatin1Char('m'))
            return {Family::Time, -3};
        if (isMicro(first))
            return {Family::Time, -6};
    }
    if (first == QLatin1Char('s')
        && (second == QLatin1Char('/') || second == QLatin1Char('.') || second == QLatin1Char(' ')))
        return {Family::Time, 0};
    if (first == QLatin1Char('g') && (second == QLatin1Char('/') || second == QLatin1Char('.')))
        return {Family::Mass, 0};
    if (second == QLatin1Char('g')) {
        if (first == QLatin1Char('m'))
            return {Family::Mass, -3};
        if (isMicro(first))
            return {Family::Mass, -6};
        if (first == QLatin1Char('n'))
            return {Family::Mass, -9};
    }
    if (t.startsWith(QLatin1String("e-"))) {
        // Only a whole number after "e-" makes the exponent form; "e-" alone is no unit we know.
        const QString rest = t.mid(2).trimmed();
        bool ok = !rest.isEmpty();
        for (QChar c : rest)
            ok = ok && c.isDigit();
        const int n = ok ? rest.toInt(&ok) : 0;
        if (ok)
            return {Family::Mass, -n, true};
        return {};
    }
    if (t.startsWith(QLatin1String("oh")))
        return {Family::Resistance, 0};
    if (t.startsWith(QLatin1String("mo")))
        return {Family::Resistance, -3};
    if (t.startsWith(QLatin1String("ko")))
        return {Family::Resistance, 3};
    if (t.startsWith(QLatin1String("ppm")))
        return {Family::Ratio, 0};
    if (t.startsWith(QLatin1String("ppt")))
        return {Family::Ratio, 3};
    return {};
}

} // namespace

double OmrekenFactor(const QString &grafiekEenheid, const QString &eenheid)
{
    const UnitForm line = recognise(grafiekEenheid);
    const UnitForm measured = recognise(eenheid);
    if (line.family != Family::None && line.family == measured.family)
        return std::pow(10.0, measured.exponent - line.exponent);
    // An exponent-form line takes every value; a unit outside the mass forms counts as 10^0.
    if (line.exponentForm)
        return std::pow(10.0, -line.exponent);
    return 1;
}

double OmrekenenNaarGrafiekEenheid(const QString &grafiekEenheid, const QString &waarde,
                                   const QString &eenheid)
{
    return OmrekenenMetFactor(waarde, OmrekenFactor(grafiekEenheid, eenheid));
}

double OmrekenenMetFactor(const QString &waarde, double factor)
{
    const double w = TekstNaarDouble(waarde);
    if (waarde == QLatin1String("9999") || waarde.isEmpty())
        return w;
    const double result = w * factor;
    // A factor beyond the number range (an absurd exponent) leaves the value as measured.
    return std::isfinite(result) ? result : w;
}
