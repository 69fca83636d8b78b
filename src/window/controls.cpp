#include "window/controls.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/file_system.h"
#include "base/strings.h"

namespace velorin::window {

namespace fs = std::filesystem;

namespace {

// Byte offset of the character at `index` in a UTF-8 text (its size past the end).
size_t ByteOffset(const std::string& s, size_t index) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == index) return i;
            ++chars;
        }
    }
    return s.size();
}

std::vector<char32_t> DecodeUtf8(const std::string& s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0   ? b
                     : extra == 1 ? (b & 0x1F)
                     : extra == 2 ? (b & 0x0F)
                                  : (b & 0x07);
        for (int k = 1; k <= extra && i + k < s.size(); ++k) c = (c << 6) | (s[i + k] & 0x3F);
        out.push_back(c);
        i += extra + 1;
    }
    return out;
}

bool GlobMatch(const std::string& name, size_t n, const std::string& pat, size_t p) {
    while (p < pat.size()) {
        char pc = pat[p];
        if (pc == '*') {
            for (size_t k = n; k <= name.size(); ++k)
                if (GlobMatch(name, k, pat, p + 1)) return true;
            return false;
        }
        if (n >= name.size()) return false;
        if (pc != '?') {
            char a = name[n], b = pc;
            if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
            if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
            if (a != b) return false;
        }
        ++n;
        ++p;
    }
    return n == name.size();
}

}  // namespace

void Button::Click() {
    if (enabled && visible && on_click) on_click();
}

// ---- TextBox

void TextBox::Edit(const std::string& new_text) {
    if (!enabled || locked) return;
    if (new_text == text) return;
    text = new_text;
    sel_start = CharCount(text);
    sel_length = 0;
    if (on_change) on_change();
}

bool TextBox::KeyPress(char32_t key) {
    if (!enabled || locked) return false;
    return on_key_press ? on_key_press(key) : true;
}

void TextBox::Type(const std::string& keys) {
    for (char32_t key : DecodeUtf8(keys)) {
        if (!KeyPress(key)) continue;
        size_t length = CharCount(text);
        size_t start = std::min(sel_start, length);
        size_t count = std::min(sel_length, length - start);
        if (key == 8) {
            if (count == 0) {
                if (start == 0) continue;
                --start;
                count = 1;
            }
            size_t from = ByteOffset(text, start), to = ByteOffset(text, start + count);
            text.erase(from, to - from);
            sel_start = start;
        } else {
            size_t from = ByteOffset(text, start), to = ByteOffset(text, start + count);
            text.replace(from, to - from, [&] {
                std::string utf8;
                AppendUtf8(utf8, key);
                return utf8;
            }());
            sel_start = start + 1;
        }
        sel_length = 0;
        if (on_change) on_change();
    }
}

void TextBox::GotFocus() {
    if (on_got_focus) on_got_focus();
}

void TextBox::SelectAll() {
    sel_start = 0;
    sel_length = CharCount(text);
}

// ---- ListBox

void ListBox::Clear() {
    items.clear();
    list_index = -1;
}

void ListBox::Select(int index) {
    if (!enabled) return;
    list_index = index >= 0 && index < static_cast<int>(items.size()) ? index : -1;
}

void ListBox::KeyDown(Key key, bool shift) {
    if (enabled && on_key_down) on_key_down(key, shift);
}

// ---- ComboBox

void ComboBox::SetList(std::vector<std::string> entries) {
    items = std::move(entries);
    list_index = -1;
    text.clear();
}

void ComboBox::ShowItem(const std::string& entry) {
    auto it = std::find(items.begin(), items.end(), entry);
    if (it == items.end()) {
        list_index = -1;
        text.clear();
    } else {
        list_index = static_cast<int>(it - items.begin());
        text = entry;
    }
}

void ComboBox::ShowIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items.size())) {
        list_index = -1;
        text.clear();
        return;
    }
    list_index = index;
    text = items[index];
}

void ComboBox::Choose(int index) {
    if (!enabled || index < 0 || index >= static_cast<int>(items.size())) return;
    ShowIndex(index);
    if (on_click) on_click();
}

void ComboBox::ChooseText(const std::string& entry) {
    auto it = std::find(items.begin(), items.end(), entry);
    if (it != items.end()) Choose(static_cast<int>(it - items.begin()));
}

void ComboBox::Edit(const std::string& typed) {
    if (!enabled || !editable || typed == text) return;
    text = typed;
    auto it = std::find(items.begin(), items.end(), typed);
    list_index = it == items.end() ? -1 : static_cast<int>(it - items.begin());
    if (on_change) on_change();
}

// ---- CheckBox, OptionButton

void CheckBox::Click() {
    if (!enabled) return;
    value = value == 1 ? 0 : 1;
    if (on_click) on_click();
}

void OptionButton::Select() {
    for (OptionButton* other : group) other->value = false;
    value = true;
}

void OptionButton::Click() {
    if (!enabled) return;
    Select();
    if (on_click) on_click();
}

// ---- Grid

void Grid::SetHeader(std::vector<std::string> header) {
    if (rows.empty()) rows.emplace_back();
    rows[0] = std::move(header);
}

void Grid::CutToHeader() {
    rows.resize(1);
    row = 0;
}

void Grid::AddRow(std::vector<std::string> cells) { rows.push_back(std::move(cells)); }

void Grid::Select(int r) {
    if (enabled && r >= 0 && r < Rows()) row = r;
}

void Grid::KeyDown(Key key, bool shift) {
    if (enabled && on_key_down) on_key_down(key, shift);
}

// ---- PictureBox

void PictureBox::Cls() {
    ops.clear();
    current_x = scale_left;
    current_y = scale_top;
}

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
    scale_left = x1;
    scale_top = y1;
    scale_width = x2 - x1;
    scale_height = y2 - y1;
    current_x = x1;
    current_y = y1;
}

void PictureBox::ScaleDefault() { Scale(0, 0, width_px, height_px); }

void PictureBox::Line(double x1, double y1, double x2, double y2, uint32_t color) {
    ops.push_back({PictureOp::Kind::Line, x1, y1, x2, y2, color, {}});
    current_x = x2;
    current_y = y2;
}

void PictureBox::Box(double x1, double y1, double x2, double y2, uint32_t color, bool filled) {
    ops.push_back(
        {filled ? PictureOp::Kind::FilledBox : PictureOp::Kind::Box, x1, y1, x2, y2, color, {}});
    current_x = x2;
    current_y = y2;
}

void PictureBox::Circle(double x, double y, double radius, uint32_t color) {
    ops.push_back({PictureOp::Kind::Circle, x, y, radius, 0, color, {}});
    current_x = x;
    current_y = y;
}

void PictureBox::PrintAt(double x, double y, const std::string& text) {
    current_x = x;
    current_y = y;
    Print(text);
}

void PictureBox::Print(const std::string& text) {
    ops.push_back({PictureOp::Kind::Text, current_x, current_y, 0, 0, fore_color, text});
    current_x = scale_left;
    current_y += TextHeight();
}

double PictureBox::TextHeight() const {
    return height_px > 0 ? line_px * scale_height / height_px : 0;
}

std::vector<std::string> PictureBox::Texts() const {
    std::vector<std::string> texts;
    for (const PictureOp& op : ops)
        if (op.kind == PictureOp::Kind::Text) texts.push_back(op.text);
    return texts;
}

// ---- Drive, folder and file lists

void DriveList::Choose(const std::string& new_drive) {
    if (!enabled) return;
    drive = new_drive;
    if (on_change) on_change();
}

bool DirList::SetPath(const std::string& folder) {
    // A folder that cannot be listed cannot be chosen.
    if (!ListFolder(folder.empty() ? "." : folder)) return false;
    std::error_code ec;
    fs::path p(folder.empty() ? "." : folder);
    std::string normal = fs::absolute(p, ec).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    path = normal;
    Refresh();
    return true;
}

void DirList::Refresh() {
    subfolders.clear();
    for (const FolderEntry& e : ListFolder(path).value_or(std::vector<FolderEntry>{}))
        if (e.folder) subfolders.push_back(e.name);
}

void DirList::Choose(const std::string& folder) {
    if (!enabled) return;
    if (SetPath(folder) && on_change) on_change();
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    for (const std::string& one : Split(pattern, ';')) {
        std::string p = Trim(one);
        if (!p.empty() && GlobMatch(name, 0, p, 0)) return true;
    }
    return false;
}

void FileList::SetPath(const std::string& folder) {
    // A file chosen in another folder is no longer chosen.
    if (folder != path) list_index = -1;
    path = folder;
    Refresh();
}

void FileList::SetPattern(const std::string& new_pattern) {
    pattern = new_pattern;
    Refresh();
}

void FileList::Refresh() {
    std::string chosen = FileName();
    items.clear();
    for (const FolderEntry& e :
         ListFolder(path.empty() ? "." : path).value_or(std::vector<FolderEntry>{}))
        if (e.file && MatchesPattern(e.name, pattern)) items.push_back(e.name);
    selected.assign(items.size(), false);
    list_index = IndexOf(chosen);
}

std::string FileList::FileName() const {
    return list_index >= 0 && list_index < static_cast<int>(items.size()) ? items[list_index]
                                                                          : std::string();
}

int FileList::IndexOf(const std::string& name) const {
    if (name.empty()) return -1;
    auto it = std::find(items.begin(), items.end(), name);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void FileList::Click(int index) {
    if (!enabled || index < 0 || index >= static_cast<int>(items.size())) return;
    list_index = index;
    if (multi_select) {
        selected[index] = !selected[index];
    } else {
        std::fill(selected.begin(), selected.end(), false);
        selected[index] = true;
    }
    if (on_click) on_click();
}

void FileList::DblClick(int index) {
    if (!enabled || index < 0 || index >= static_cast<int>(items.size())) return;
    list_index = index;
    if (multi_select) {
        selected[index] = true;
    } else {
        std::fill(selected.begin(), selected.end(), false);
        selected[index] = true;
    }
    if (on_click) on_click();
    if (on_dbl_click) on_dbl_click();
}

}  // namespace velorin::window
