#pragma once

#include <dlfcn.h>

namespace pimoko {

// A shared library's own function of the name given, typed as the
// declaration `Function` that the program links in its place; null when the
// library could not be loaded or lacks the name.
template <typename Function>
Function* libraryFunction(void* library, Function*, const char* name)
{
    return library == nullptr ? nullptr : reinterpret_cast<Function*>(::dlsym(library, name));
}

} // namespace pimoko
