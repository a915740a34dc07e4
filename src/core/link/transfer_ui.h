#pragma once
// What a transfer shows while it runs: the progress dialog with its cancel button, the message
// pump that keeps the program alive during every wait, and message boxes.
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
    // Dispatches whatever is waiting (the cancel button among it). false once the user has
    // cancelled the transfer; true at once when no progress dialog is open.
    virtual bool pump_messages() = 0;
    // The cancel flag: set by the dialog's button, cleared when a dialog opens.
    virtual bool cancelled() const = 0;
};

} // namespace kalmo::link
