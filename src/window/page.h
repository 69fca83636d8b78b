// What the seven pages share: the services, the settings, the field that asks for the
// input focus, and the two steps of choosing a tab (empty the results, set up the page).
#pragma once

#include <string>

#include "app/context.h"
#include "window/controls.h"

namespace velorin::window {

class Page {
  public:
    explicit Page(app::Context& context) : context_(context) {}
    virtual ~Page() = default;
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // The page container (Picture1(n)): exactly one page is visible.
    bool visible = false;
    // The field that should get the input focus next; the view moves the cursor there.
    TextBox* focus = nullptr;

    // Empties the lists, grids and pictures that show results of earlier work.
    virtual void ClearResults() {}
    // Presets the page from the settings each time its tab is chosen.
    virtual void Setup() = 0;

    app::Context& context() { return context_; }
    app::Settings& settings() { return context_.program.settings; }

  protected:
    // Puts the cursor into the field, which then runs its got-focus handler.
    void SetFocus(TextBox& field);
    // Writes the settings file and ends the program: every page's exit button.
    void ExitProgram();

    app::Context& context_;
};

// The list of scales the section pages offer (entries read by ScaleFactorOf and shown by
// ScaleText of base/numbers.h).
const std::vector<std::string>& SectionScales();
// The file chosen in a file list with its folder: folder + separator (unless the folder
// ends in one) + name; empty when no file is chosen.
std::string ChosenFilePath(const FileList& files);
// Every drive/folder/file list trio behaves alike: the folder list moves to the chosen
// drive, or the drive list goes back to the folder's drive when the drive cannot be
// read. Returns whether the move succeeded.
bool FollowDrive(DriveList& drive, DirList& dir);
// Shows `folder` in a drive/folder(/file) trio without running their handlers.
void ShowFolder(const std::string& folder, DriveList& drive, DirList& dir, FileList* files);

}  // namespace velorin::window
