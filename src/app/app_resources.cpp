#include "app_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAppQrc() {
    Q_INIT_RESOURCE(app);
}

namespace corvane::app {

void InitResources() {
    InitAppQrc();
}

}  // namespace corvane::app
