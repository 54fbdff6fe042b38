#include "support/language.h"

namespace {
const TaalRegel rows[] = {
    {500, u"Nederlands"},
};
} // namespace

TaalTabel TaalNederlands() { return {rows, int(std::size(rows))}; }
