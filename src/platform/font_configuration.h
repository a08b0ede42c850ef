#pragma once

#include <functional>
#include <thread>

namespace pimoko {

// Reads the system's font configuration (fontconfig's files and caches, a
// few milliseconds of work) on a second thread while the application
// connects to the display, so that the first font the window asks for finds
// it read. Made before the QApplication, waited for right after it: the
// window's own work stays on one thread. Every later use of fontconfig, Qt's
// included, finds the configuration in place; if it could not be read, or
// the thread could not be started, Qt reads it again as it would have anyway.
//
// The thread reads under a C locale of its own: QApplication sets the
// program's locale (setlocale) while fontconfig parses numbers in its files,
// and the C library does not allow the one beside the other.
class FontConfigurationPreload {
public:
    // How the reading thread is made; a test may make it fail as the system can.
    using ThreadStart = std::thread (*)(std::function<void()> work);

    FontConfigurationPreload();
    // `read` runs in place of fontconfig's own reading.
    FontConfigurationPreload(std::function<void()> read, ThreadStart start);
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload&) = delete;
    FontConfigurationPreload& operator=(const FontConfigurationPreload&) = delete;

    // Returns once the configuration is read (or at once if no thread runs).
    // Called again, returns at once.
    void wait();

private:
    std::thread reader_;
};

} // namespace pimoko
