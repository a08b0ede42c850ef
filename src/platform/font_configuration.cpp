#include "platform/font_configuration.h"

#include <fontconfig/fontconfig.h>

#include <clocale>
#include <system_error>
#include <utility>

namespace pimoko {

namespace {

std::thread startThread(std::function<void()> work)
{
    return std::thread(std::move(work));
}

// Runs `read` on this thread under a C locale of its own; without one it
// does not run at all.
void readInCLocale(const std::function<void()>& read)
{
    const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (!cLocale)
        return;
    const locale_t before = ::uselocale(cLocale);
    read();
    ::uselocale(before);
    ::freelocale(cLocale);
}

} // namespace

FontConfigurationPreload::FontConfigurationPreload()
    : FontConfigurationPreload([] { FcInit(); }, startThread)
{
}

FontConfigurationPreload::FontConfigurationPreload(std::function<void()> read, ThreadStart start)
{
    try {
        reader_ = start([read = std::move(read)] { readInCLocale(read); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads the configuration when it needs it.
    }
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
