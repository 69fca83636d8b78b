#include "app/module1.h"

#include "base/paths.h"

namespace velorin::app {

std::unique_ptr<Program> Startup(const std::string& program_dir, Ui& ui) {
    auto program = std::make_unique<Program>();
    program->ProgramDir = WithTrailingSeparator(program_dir);
    program->settings = Settings::Defaults(program->ProgramDir);
    ReadSettingsFile(program->ProgramDir + kSettingsFileName, program->settings);

    std::string store_path = program->ProgramDir + kStoreFileName;
    if (!PathExists(store_path)) {
        ui.MessageBox(MessageIcon::Critical, "Velorin",
                      "本系统文件不全，请重新安装或与开发者联系！");
        return nullptr;
    }
    Status status;
    program->store = store::WorkingStore::Open(store_path, &status);
    if (!program->store) {
        ui.MessageBox(MessageIcon::Critical, "Velorin",
                      status.message() + "\n请重新安装或与开发者联系！");
        return nullptr;
    }
    program->store->OpenStandingRecordSets();
    return program;
}

bool CommitStore(const Program& program, Ui& ui, std::string_view title) {
    if (!program.store) return true;
    Status s = program.store->Commit();
    if (!s.ok()) ui.MessageBox(MessageIcon::Critical, title, s.message());
    return s.ok();
}

void ExitSystem(const Program& program, Ui& ui) {
    CommitStore(program, ui, "Velorin");
    Status s = WriteSettingsFile(program.ProgramDir + kSettingsFileName, program.settings);
    if (!s.ok()) ui.MessageBox(MessageIcon::Critical, "Velorin", s.message());
    ui.EndProgram();
}

}  // namespace velorin::app
