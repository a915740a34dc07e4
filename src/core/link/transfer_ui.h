#pragma once
// What a transfer shows while it runs: the progress dialog with its cancel button, and message
// boxes. A front end may run the transfer on a thread of its own; then every call comes from
// that thread, and the front end carries it over to its window's thread.
#include <string>

#include "core/app/ui.h"

namespace kalmo::link {

class TransferUi : public app::MessageUi {
public:
    // Creates the progress dialog and clears the cancel flag. false when it cannot be created.
    virtual bool open_progress_dialog() = 0;
    // Destroys the dialog; the cancel flag keeps its value until the next open.
    virtual void close_progress_dialog() = 0;
    // Line 0 or 1 of the dialog.
    virtual void set_progress_line(int line, const std::string& text) = 0;
    // The cancel flag: set by the dialog's button (from any thread), cleared when a dialog
    // opens. The link looks at it between frames and during every wait.
    virtual bool cancelled() const = 0;
};

} // namespace kalmo::link
