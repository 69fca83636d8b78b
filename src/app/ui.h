// What commands need from the user interface: message boxes, stepping the main window
// aside while the user works in the drawing, and bringing it back. The Qt view and the
// batch front end implement it; tests record it.
#pragma once

#include <string>
#include <string_view>

namespace velorin::app {

enum class MessageIcon { Critical, Question, Exclamation, Information };

class Ui {
  public:
    virtual ~Ui() = default;
    virtual void MessageBox(MessageIcon icon, std::string_view title, std::string_view text) = 0;
    // Moves the main window to the right edge of the screen (true) and back (false).
    virtual void WindowAside(bool aside) { (void)aside; }
    // Brings the main window to the front.
    virtual void Activate() {}
    // Before the program ends: asks about whatever it still holds unsaved (drawings).
    // False when the user cancelled, and the program goes on as if nothing was pressed.
    virtual bool MayEnd() { return true; }
    // Ends the program (after ExitSystem wrote the settings).
    virtual void EndProgram() {}
};

}  // namespace velorin::app
