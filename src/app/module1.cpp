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

bool ExitSystem(const Program& program, Ui& ui) {
    if (!ui.MayEnd()) return false;
    if (program.store) program.store->Commit();
    Status s = WriteSettingsFile(program.ProgramDir + kSettingsFileName, program.settings);
    if (!s.ok()) ui.MessageBox(MessageIcon::Critical, "Velorin", s.message());
    ui.EndProgram();
    return true;
}

}  // namespace velorin::app
