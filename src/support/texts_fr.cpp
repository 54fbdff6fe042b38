#include "support/language.h"

namespace {
const TaalRegel rows[] = {
    {500, u"Français"},
};
} // namespace

TaalTabel TaalFrans() { return {rows, int(std::size(rows))}; }
