#include "platform/resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCompiledResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace pimoko {

void loadResources()
{
    static const bool registered = (registerCompiledResources(), true);
    (void)registered;
}

} // namespace pimoko
