#include "window/page.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "window/drives.h"

namespace velorin::window {

void Page::SetFocus(TextBox& field) {
    focus = &field;
    field.GotFocus();
}

void Page::ExitProgram() {
    (void)app::ExitSystem(context_.program, context_.ui);
}  // cancelled: the page stays

const std::vector<std::string>& SectionScales() {
    static const std::vector<std::string> scales = {"1:20",  "1:50",   "1:100", "1:200",
                                                    "1:500", "1:1000", "1:2000"};
    return scales;
}

std::string ChosenFilePath(const FileList& files) {
    std::string name = files.FileName();
    if (name.empty()) return {};
    return JoinPath(files.path, name);
}

bool FollowDrive(DriveList& drive, DirList& dir) {
    if (dir.SetPath(drive.drive)) return true;
    drive.drive = DriveOf(dir.path, drive.drives);
    return false;
}

void ShowFolder(const std::string& folder, DriveList& drive, DirList& dir, FileList* files) {
    if (drive.drives.empty()) drive.drives = ListDrives();
    if (!dir.SetPath(folder) && dir.path.empty()) dir.SetPath("/");
    drive.drive = DriveOf(dir.path, drive.drives);
    if (files) files->SetPath(dir.path);
}

}  // namespace velorin::window
