#include "files/codec/icon_choice.h"

#include <cstdlib>

namespace pimoko {

namespace {

// How far a side is from the wanted one, and whether it is no worse than the
// best's on that axis.
bool sideNoWorse(int side, int bestSide)
{
    return std::abs(side - kLargeIconSide) <= std::abs(bestSide - kLargeIconSide)
        && (side <= kLargeIconSide || side <= bestSide);
}

// A colour word of 0 counts as unlimited.
std::uint32_t colorRank(int colorWord)
{
    return colorWord == 0 ? 0x10000u : std::uint32_t(colorWord);
}

} // namespace

std::size_t chooseIconEntry(const IconDirectory& directory)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < directory.entries.size(); ++i) {
        const IconDirEntry& entry = directory.entries[i];
        const IconDirEntry& current = directory.entries[best];
        if (colorRank(entry.colorCount) >= colorRank(current.colorCount) && sideNoWorse(entry.width, current.width)
            && sideNoWorse(entry.height, current.height))
            best = i;
    }
    return best;
}

} // namespace pimoko
