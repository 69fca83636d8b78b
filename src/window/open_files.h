// Files handed to the program when it starts (the command line, the file manager's
// "打开方式"): each opens where the user would double-click it, on the page for its kind.
#pragma once

#include <string>

#include "window/form1.h"

namespace velorin::window {

// What a file is by its extension (letters in either case).
enum class FileKind {
    RawSurvey,    // .dat, .idx: page 2
    Control,      // .ctl: page 3
    Survey,       // .sur: page 3
    Coordinates,  // .cor: page 4
    SectionData,  // .dm: page 7
    Drawing,      // .dxf: the drawing window
    Unknown,
};
FileKind KindOf(const std::string& path);
// The page that opens files of the kind; 0 for drawings and unknown kinds.
int PageFor(FileKind kind);

// Chooses the page for the file (unless it is the page shown already, whose results stay)
// and double-clicks the file in its lists; a coordinate file is chosen in page 4's list
// and previewed. Returns false, with the user told why, when the file is missing or of a
// kind no page opens; a page that refuses the file says so itself, as on a double click.
// Drawings are not opened here: the drawing window, which the view owns, opens them.
bool OpenOnPage(Form1& form, app::Ui& ui, const std::string& path);

}  // namespace velorin::window
