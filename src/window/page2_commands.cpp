// The commands of page 2: converting a raw file and saving the survey file.
#include "base/numbers.h"
#include "survey/conversion.h"
#include "window/page2.h"

namespace velorin::window {

namespace {
// Message boxes appear with the main window stepped aside, as every command's do.
void Show(app::Ui& ui, app::MessageIcon icon, const std::string& title, const std::string& text) {
    ui.WindowAside(true);
    ui.MessageBox(icon, title, text);
    ui.WindowAside(false);
}
}  // namespace

void Page2::File1_DblClick() {
    File1_Click();
    if (Text2.text.empty()) return;
    List3.Clear();
    TargetPath.clear();
    Command2.enabled = false;
    auto limit = ParseNumber(Text3.text);
    if (!limit) {
        Show(context_.ui, app::MessageIcon::Critical, "错误", "“忽略觇标高”值不合法，请重新输入。");
        return;
    }
    survey::Conversion conversion = survey::ConvertRawFile(
        Text2.text, survey::ModelFromItem(Combo1.text), *limit, context_.clock.Now());
    if (!conversion.status.ok()) {
        // What was read is shown (the header of a file without records); nothing to save.
        List3.items = std::move(conversion.lines);
        Show(context_.ui, app::MessageIcon::Critical, "测量文件", conversion.status.message());
        return;
    }
    List3.items = std::move(conversion.lines);
    TargetPath = std::move(conversion.target);
    Command2.enabled = true;
}

void Page2::Command2_Click() {
    if (List3.items.empty() || TargetPath.empty()) return;
    Status saved = survey::SaveSurveyFile(TargetPath, List3.items);
    if (!saved.ok()) {
        Show(context_.ui, app::MessageIcon::Critical, "测量文件", saved.message());
        return;
    }
    Show(context_.ui, app::MessageIcon::Information, "测量文件",
         "文件已保存在“" + TargetPath + "”中。");
}

}  // namespace velorin::window
