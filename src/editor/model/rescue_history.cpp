#include "editor/model/rescue_history.h"

#include <algorithm>

namespace pimoko {

void RescueHistory::PushRescue(const PixelBuffer& document, DocumentKind kind)
{
    FRescueCount = std::min(FRescueCount + 1, SlotCount);
    // Slot 4 takes slot 3's copy and so on; the former slot 4's storage is
    // reused for the new copy in slot 0.
    std::rotate(FRescue.rbegin(), FRescue.rbegin() + 1, FRescue.rend());
    FRescue[0].picture = document;
    FRescue[0].kind = kind;
    FRescueIndex = 0;
}

RescueHistory::Copy RescueHistory::takeNextRescue()
{
    Copy copy = FRescue[std::size_t(FRescueIndex)];
    FRescueIndex = std::min(FRescueIndex + 1, SlotCount - 1);
    FRescueCount -= 1;
    return copy;
}

} // namespace pimoko
