// A Ui that remembers what a command showed, for tests: every message box, the window
// stepping aside and back, and whether the program was ended.
#pragma once

#include <string>
#include <vector>

#include "app/ui.h"

namespace velorin {

class RecordingUi : public app::Ui {
  public:
    struct Message {
        app::MessageIcon icon;
        std::string title;
        std::string text;
    };

    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override {
        messages.push_back({icon, std::string(title), std::string(text)});
        // A message box is shown with the window aside; record where it stood.
        shown_aside.push_back(aside);
    }
    void WindowAside(bool a) override {
        aside = a;
        moves.push_back(a);
    }
    void Activate() override { ++activations; }
    bool MayEnd() override {
        ++end_questions;
        return !cancel_end;
    }
    void EndProgram() override { ended = true; }

    std::vector<Message> messages;
    std::vector<bool> shown_aside;  // per message: was the window aside while it showed
    std::vector<bool> moves;        // every WindowAside call in order
    bool aside = false;
    int activations = 0;
    bool ended = false;
    bool cancel_end = false;  // the user cancels the program's end when asked
    int end_questions = 0;
};

}  // namespace velorin
