#pragma once
// The message pump of a print job's wait: the windows stay alive and the job's cancel dialog
// answers its keys while the job goes on.
#include <windows.h>

#include "dialog.h"

namespace kalmo::win32 {

class WaitPump {
public:
    // Looks into the queue at most once every `interval_ms`; 0 looks on every call.
    explicit WaitPump(ULONGLONG interval_ms = 0) : interval_(interval_ms) {}

    // Dispatches what is queued, the keys of `dialog` (while it exists) to that dialog. With
    // `stop_early` it stops as soon as `*stop_early` turns true. A quit message is not the
    // wait's to take: it is posted again for the main loop and ends the pumping with false.
    bool pump(const Dialog& dialog, const bool* stop_early = nullptr);

private:
    ULONGLONG interval_;
    ULONGLONG last_ = 0;
};

} // namespace kalmo::win32
