#include "platform/font_configuration.h"

#include <fontconfig/fontconfig.h>

namespace pimoko {

FontConfigurationPreload::FontConfigurationPreload()
    : reader_([] { FcInit(); })
{
}

FontConfigurationPreload::~FontConfigurationPreload()
{
    wait();
}

void FontConfigurationPreload::wait()
{
    if (reader_.joinable())
        reader_.join();
}

} // namespace pimoko
