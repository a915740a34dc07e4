#include "app_state.h"

namespace kalmo::win32 {

App& app_state() {
    static App app;
    return app;
}

} // namespace kalmo::win32
