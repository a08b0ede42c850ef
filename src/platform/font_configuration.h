#pragma once

#include <thread>

namespace pimoko {

// Reads the system's font configuration (fontconfig's files and caches, a
// few milliseconds of work) on a second thread while the application
// connects to the display, so that the first font the window asks for finds
// it read. Made before the QApplication, waited for right after it: the
// window's own work stays on one thread. Every later use of fontconfig, Qt's
// included, finds the configuration in place; if it could not be read, Qt
// reads it again as it would have anyway.
class FontConfigurationPreload {
public:
    FontConfigurationPreload();
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload&) = delete;
    FontConfigurationPreload& operator=(const FontConfigurationPreload&) = delete;

    // Returns once the configuration is read. Called again, returns at once.
    void wait();

private:
    std::thread reader_;
};

} // namespace pimoko
