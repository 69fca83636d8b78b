// The controls of the window as plain models: what each control holds and the events a
// user can raise on it. The Qt view mirrors these into widgets; tests drive them directly.
//
// Two kinds of change: the page's own code assigns members or calls Set... methods and no
// handler runs; a user action (Edit, Type, Choose, Click, DblClick, KeyDown) runs the
// handler the page wired, and does nothing on a disabled or read-only control.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velorin::window {

// Keys a page reacts to in lists and grids.
enum class Key { Delete, Other };

// What every control has: shown or hidden, enabled or not.
struct Control {
    bool enabled = true;
    bool visible = true;
};

class Label : public Control {
  public:
    std::string caption;
};

class Button : public Control {
  public:
    std::string caption;
    std::function<void()> on_click;

    void Click();
};

class TextBox : public Control {
  public:
    std::string text;
    bool locked = false;    // read-only
    size_t sel_start = 0;   // in characters
    size_t sel_length = 0;  // in characters

    std::function<void()> on_change;
    std::function<void()> on_got_focus;
    // Returns false to drop the typed character (a code point; 8 is Backspace).
    std::function<bool(char32_t)> on_key_press;

    // The user replaced the whole text (pasting, the view's editor).
    void Edit(const std::string& new_text);
    // The user typed these characters one by one at the selection; "\b" is Backspace.
    void Type(const std::string& keys);
    // The field got the input focus.
    void GotFocus();
    // Lets the view ask whether a typed key would be taken.
    bool KeyPress(char32_t key);
    void SelectAll();
};

class ListBox : public Control {
  public:
    std::vector<std::string> items;
    int list_index = -1;

    std::function<void(Key, bool shift)> on_key_down;

    void AddItem(const std::string& item) { items.push_back(item); }
    void Clear();
    void Select(int index);  // the user clicked an entry
    void KeyDown(Key key, bool shift);
};

class ComboBox : public Control {
  public:
    std::vector<std::string> items;
    std::string text;
    int list_index = -1;
    bool editable = false;  // the user may type a text that is not in the list

    std::function<void()> on_click;   // an entry was chosen
    std::function<void()> on_change;  // the text was typed

    void SetList(std::vector<std::string> entries);
    // Shows the entry equal to `entry`; blank when the list has none.
    void ShowItem(const std::string& entry);
    void ShowIndex(int index);
    void Choose(int index);                     // user
    void ChooseText(const std::string& entry);  // user, by the entry's text
    void Edit(const std::string& typed);        // user, editable boxes only
};

class CheckBox : public Control {
  public:
    std::string caption;
    int value = 0;  // 0 unticked, 1 ticked
    std::function<void()> on_click;

    bool ticked() const { return value == 1; }
    void Click();  // user: toggles, then the handler
};

class OptionButton : public Control {
  public:
    std::string caption;
    bool value = false;
    std::vector<OptionButton*> group;  // the buttons that exclude each other, itself included
    std::function<void()> on_click;

    void Select();  // selects it and deselects the others of its group
    void Click();   // user
};

// A grid whose row 0 is the header.
class Grid : public Control {
  public:
    std::vector<std::vector<std::string>> rows{{}};
    int row = 0;  // the selected row
    std::function<void(Key, bool shift)> on_key_down;

    int Rows() const { return static_cast<int>(rows.size()); }
    void SetHeader(std::vector<std::string> header);
    void CutToHeader();
    void AddRow(std::vector<std::string> cells);
    void Select(int r);  // user
    void KeyDown(Key key, bool shift);
};

// What a picture box was told to draw, in its user coordinates.
struct PictureOp {
    enum class Kind { Line, Box, FilledBox, Circle, Text };
    Kind kind = Kind::Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Circle: centre (x1, y1), radius x2
    uint32_t color = 0;                     // 0xBBGGRR
    std::string text;                       // Text: printed at (x1, y1), its top left corner
};

// A picture box drawing in user coordinates: Scale sets the coordinates of the upper
// left and lower right corners (so y may run upwards), Print writes a line of text at the
// current position and moves to the next line.
class PictureBox : public Control {
  public:
    static constexpr uint32_t kBlack = 0, kRed = 255, kBlue = 16711680;

    double scale_left = 0, scale_top = 0, scale_width = 400, scale_height = 300;
    double current_x = 0, current_y = 0;
    uint32_t fore_color = kBlack;
    // Size on screen and the text line height, which the view keeps up to date.
    int width_px = 400, height_px = 300, line_px = 16;
    std::vector<PictureOp> ops;

    void Cls();
    void Scale(double x1, double y1, double x2, double y2);
    void ScaleDefault();
    void Line(double x1, double y1, double x2, double y2, uint32_t color);
    void Box(double x1, double y1, double x2, double y2, uint32_t color, bool filled = false);
    void Circle(double x, double y, double radius, uint32_t color);
    void PrintAt(double x, double y, const std::string& text);
    void Print(const std::string& text);
    // The height of one text line in user units.
    double TextHeight() const;
    // The printed texts, in order: what the user reads in the picture.
    std::vector<std::string> Texts() const;
};

// The mounted volumes a drive list offers (file-system roots on Linux, letters on Windows).
class DriveList : public Control {
  public:
    std::string drive;
    std::vector<std::string> drives;
    std::function<void()> on_change;

    void Choose(const std::string& new_drive);  // user
};

class DirList : public Control {
  public:
    std::string path;  // without a trailing separator, except for a root
    std::vector<std::string> subfolders;
    std::function<void()> on_change;

    // Moves to `folder`; false (and no move) when it cannot be read.
    bool SetPath(const std::string& folder);
    void Refresh();
    void Choose(const std::string& folder);  // user
};

class FileList : public Control {
  public:
    std::string path;
    std::string pattern = "*.*";  // one or more patterns separated by ";"
    std::vector<std::string> items;
    std::vector<bool> selected;
    int list_index = -1;
    bool multi_select = false;

    std::function<void()> on_click;
    std::function<void()> on_dbl_click;

    void SetPath(const std::string& folder);
    void SetPattern(const std::string& new_pattern);
    void Refresh();
    // The chosen file's name; empty when none.
    std::string FileName() const;
    void Click(int index);     // user: chooses it (toggles it in a multiple selection)
    void DblClick(int index);  // user: a click, then the double click
    // Index of the file of that name, -1 when it is not listed.
    int IndexOf(const std::string& name) const;
};

// Whether a file name matches a list pattern such as "*.dat" or "*.cor;*.ctl"; letters
// match without regard to case, as users name their instrument files either way.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace velorin::window
