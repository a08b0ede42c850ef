#include "editor/model/rescue_history.h"

#include <algorithm>

namespace pimoko {

void RescueHistory::PushRescue(const PixelBuffer& document)
{
    FRescueCount = std::min(FRescueCount + 1, SlotCount);
    // Slot 4 takes slot 3's copy and so on; the former slot 4's storage is
    // reused for the new copy in slot 0.
    std::rotate(FRescue.rbegin(), FRescue.rbegin() + 1, FRescue.rend());
    FRescue[0] = document;
    FRescueIndex = 0;
}

PixelBuffer RescueHistory::takeNextRescue()
{
    PixelBuffer copy = FRescue[std::size_t(FRescueIndex)];
    FRescueIndex = std::min(FRescueIndex + 1, SlotCount - 1);
    FRescueCount -= 1;
    return copy;
}

} // namespace pimoko
