#include "platform/printing.h"

#include "files/codec/file_error.h"

#include <dlfcn.h>

#include <string>

// Defined by the print module, and by programs that link printing in.
extern "C" pimoko::Printing* pimoko_printing() __attribute__((weak));

namespace pimoko {

namespace {

constexpr const char* kPrintModule = "pimoko-print.so";

// The print module: the file beside the module (or program) holding this code.
Printing* loadPrintModule()
{
    Dl_info self{};
    std::string path = kPrintModule;
    if (::dladdr(reinterpret_cast<void*>(&loadPrintModule), &self) && self.dli_fname) {
        const std::string holder = self.dli_fname;
        const std::size_t slash = holder.rfind('/');
        if (slash != std::string::npos)
            path = holder.substr(0, slash + 1) + kPrintModule;
    }
    void* module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    auto entry = module ? reinterpret_cast<Printing* (*)()>(::dlsym(module, "pimoko_printing")) : nullptr;
    if (!entry) {
        const char* reason = ::dlerror();
        throw FileError(FileAction::Opening, path, reason ? reason : "pimoko_printing");
    }
    return entry();
}

} // namespace

Printing& printing()
{
    static Printing* loaded = nullptr;
    if (!loaded)
        loaded = pimoko_printing ? pimoko_printing() : loadPrintModule();
    return *loaded;
}

} // namespace pimoko
