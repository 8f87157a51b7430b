#include "Resources.h"

#include <QtGlobal>

// The registration macro declares its function in the global namespace, so it may only be used from a
// function that is itself outside any namespace.
static void RegisterTrelResources() {
    Q_INIT_RESOURCE(resources);
}

namespace trel {

void InitResources() {
    static const bool registered = (RegisterTrelResources(), true);
    (void)registered;
}

} // namespace trel
