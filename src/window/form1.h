// The program's one window: the tab strip Strip1 and its seven pages. Choosing a tab
// empties every page's results and sets up the chosen page from the settings.
#pragma once

#include <array>
#include <string>

#include "app/context.h"
#include "window/page1.h"
#include "window/page2.h"
#include "window/page3.h"
#include "window/page4.h"
#include "window/page5.h"
#include "window/page6.h"
#include "window/page7.h"

namespace velorin::window {

struct TabStrip {
    std::array<std::string, 7> captions;
    int selected = 0;  // 1 to 7; 0 before the window is loaded
};

// A place on the screen in twips.
struct TwipRect {
    int left = 0, top = 0, width = 0, height = 0;
};

class Form1 {
  public:
    static constexpr const char* kCaption = "Velorin——用于道路、堤坝、水利等断面测量工程";
    static constexpr int kWidth = 8610, kHeight = 6090;  // twips
    static constexpr int kStripWidth = 8535, kStripHeight = 5775;
    static constexpr int kPageWidth = 8535, kPageHeight = 5400;

    explicit Form1(app::Context& context);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    TabStrip Strip1;
    Page1 page1;
    Page2 page2;
    Page3 page3;
    Page4 page4;
    Page5 page5;
    Page6 page6;
    Page7 page7;

    // Creates the tabs and selects the first.
    void Form_Load();
    // A tab chosen by the user (1 to 7).
    void Strip1_Click(int tab);
    // The window's close box: leaves the program like the exit buttons, settings written.
    // False when the user cancelled (unsaved drawings): nothing written, the window stays.
    bool Form_Unload();

    Page& PageAt(int tab);  // 1 to 7
    Page& CurrentPage() { return PageAt(Strip1.selected); }

    // Where the window stands on a screen of the given size (twips): near the lower right
    // corner, or stepped aside to the right edge so that only a strip of it stays on screen.
    static TwipRect HomePlace(int screen_width, int screen_height);
    static TwipRect AsidePlace(int screen_width, int screen_height);

  private:
    app::Context& context_;
};

}  // namespace velorin::window
