#include "window/form1.h"

#include "base/text_file.h"

namespace velorin::window {

Form1::Form1(app::Context& context)
    : page1(context),
      page2(context),
      page3(context),
      page4(context),
      page5(context),
      page6(context),
      page7(context),
      context_(context) {
    // A file written with a character GBK lacks: the user hears of it, since older
    // programs may not show it.
    SetOutsideGbkNotice(
        [&ui = context.ui](const std::string& path, const std::vector<std::string>& texts) {
            ui.MessageBox(app::MessageIcon::Information, "保存", OutsideGbkMessage(path, texts));
        });
}

Form1::~Form1() { SetOutsideGbkNotice(nullptr); }

void Form1::Form_Load() {
    Strip1.captions = {"系统与设置", "测量文件格式", "坐标计算程序", "地形展点程序",
                       "单断面生成", "批量生成断面", "数据生成断面"};
    for (int tab = 1; tab <= 7; ++tab) PageAt(tab).visible = false;
    Strip1_Click(1);
}

void Form1::Strip1_Click(int tab) {
    if (tab < 1 || tab > 7) return;
    Strip1.selected = tab;
    for (int n = 1; n <= 7; ++n) PageAt(n).visible = n == tab;
    for (int n = 1; n <= 7; ++n) PageAt(n).ClearResults();
    Page& page = PageAt(tab);
    page.focus = nullptr;
    page.Setup();
}

bool Form1::Form_Unload() { return app::ExitSystem(context_.program, context_.ui); }

Page& Form1::PageAt(int tab) {
    switch (tab) {
        case 2:
            return page2;
        case 3:
            return page3;
        case 4:
            return page4;
        case 5:
            return page5;
        case 6:
            return page6;
        case 7:
            return page7;
        default:
            return page1;
    }
}

TwipRect Form1::HomePlace(int screen_width, int screen_height) {
    return {screen_width - kWidth - 300, screen_height - kHeight - 800, kWidth, kHeight};
}

TwipRect Form1::AsidePlace(int screen_width, int screen_height) {
    TwipRect place = HomePlace(screen_width, screen_height);
    place.left = screen_width - 300;
    return place;
}

}  // namespace velorin::window
