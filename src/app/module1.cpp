#include "app/module1.h"

#include "app/user_copies.h"
#include "base/paths.h"

namespace velorin::app {

namespace {

constexpr const char* kReinstall = "请重新安装或与开发者联系！";

void Stop(Ui& ui, const std::string& text) {
    ui.MessageBox(MessageIcon::Critical, "Velorin", text);
}

}  // namespace

std::unique_ptr<Program> Startup(const std::string& program_dir, Ui& ui) {
    auto program = std::make_unique<Program>();
    program->ProgramDir = WithTrailingSeparator(program_dir);
    const std::string program_settings = program->ProgramDir + kSettingsFileName;
    const std::string program_store = program->ProgramDir + kStoreFileName;
    program->SettingsPath = program_settings;
    program->StorePath = program_store;

    bool own_settings = !CanReplaceInPlace(program_settings);
    bool own_store = PathExists(program_store) && !CanWriteStoreInPlace(program_store);
    UserFolders user;
    if (own_settings || own_store) {
        Status found = FindUserFolders(&user);
        if (!found.ok()) {
            Stop(ui, found.message());
            return nullptr;
        }
    }

    program->settings = Settings::Defaults(program->ProgramDir);
    if (own_settings) {
        // The program folder is no place for the user's work; the home folder is.
        program->settings.MainDir = user.home;
        program->SettingsPath = user.config + kSettingsFileName;
        // Until the user has settings of their own, those of the installation apply.
        ReadSettingsFile(
            PathExists(program->SettingsPath) ? program->SettingsPath : program_settings,
            program->settings);
    } else {
        ReadSettingsFile(program_settings, program->settings);
    }

    if (!PathExists(program_store)) {
        Stop(ui, std::string("本系统文件不全，") + kReinstall);
        return nullptr;
    }
    if (own_store) {
        program->StorePath = user.data + kStoreFileName;
        if (!PathExists(program->StorePath)) {
            Status copied = CopyFileMakingFolders(program_store, program->StorePath);
            if (!copied.ok()) {
                Stop(ui, "程序文件夹中的工作数据库“" + program_store +
                             "”不可写入，为本用户复制它时失败：\n" + copied.message());
                return nullptr;
            }
            std::string where =
                "程序文件夹“" + program->ProgramDir + "”不可写入，本用户的工作数据库";
            if (own_settings) where += "和设置文件";
            where += "改存在：\n" + program->StorePath;
            if (own_settings) where += "\n" + program->SettingsPath;
            ui.MessageBox(MessageIcon::Information, "Velorin", where);
        }
    }

    Status status;
    program->store = store::WorkingStore::Open(program->StorePath, &status);
    if (!program->store) {
        Stop(ui, status.message() + "\n" + kReinstall);
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

bool ExitSystem(const Program& program, Ui& ui) {
    if (!ui.MayEnd()) return false;
    CommitStore(program, ui, "Velorin");  // a failure is shown; the settings still go
    // A program put together by hand (tests, tools) names only its folder.
    const std::string path = program.SettingsPath.empty() ? program.ProgramDir + kSettingsFileName
                                                          : program.SettingsPath;
    // The user's configuration folder is made by the first exit that writes into it.
    std::string folder = FolderOf(path);
    Status s = folder.empty() ? Status::Ok() : MakeFolder(folder);
    if (!s.ok())
        s = Status::Error("设置文件“" + path + "”无法写入：" + s.message() +
                          "，本次的设置修改未能保存。");
    else
        s = WriteSettingsFile(path, program.settings);
    if (!s.ok()) ui.MessageBox(MessageIcon::Critical, "Velorin", s.message());
    ui.EndProgram();
    return true;
}

}  // namespace velorin::app
