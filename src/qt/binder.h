// Ties control models to Qt widgets: each widget shows its model after every Sync, and a
// user action on a widget becomes the model's user action followed by a refresh. No
// decision is taken here; the pages' handlers take them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <functional>
#include <map>
#include <vector>

#include "qt/picture_widget.h"
#include "window/controls.h"

namespace velorin::qt {

class Binder {
  public:
    // `refresh` runs after every forwarded user action (it calls Sync and more).
    explicit Binder(std::function<void()> refresh) : refresh_(std::move(refresh)) {}

    QLabel* Bind(velorin::window::Label& model);
    QPushButton* Bind(velorin::window::Button& model);
    QLineEdit* Bind(window::TextBox& model);
    QListWidget* Bind(window::ListBox& model);
    QComboBox* Bind(window::ComboBox& model);
    QCheckBox* Bind(window::CheckBox& model);
    QRadioButton* Bind(window::OptionButton& model);
    QTableWidget* Bind(window::Grid& model);
    PictureWidget* Bind(window::PictureBox& model);
    QComboBox* Bind(window::DriveList& model);
    QListWidget* Bind(window::DirList& model);
    QListWidget* Bind(window::FileList& model);

    // Shows every model in its widget.
    void Sync();
    // The editor of a text box model, for moving the cursor there.
    QLineEdit* EditorOf(const window::TextBox* model) const;

    // Runs a user action on a model, then refreshes the window. Ignored while the
    // widgets are being synchronised (Qt signals raised by Sync itself).
    void Event(const std::function<void()>& action);
    // Told after a button's action, with its caption: the drawing commands are buttons,
    // and what one changed in the drawings becomes an undo step named after it.
    void SetAfterClick(std::function<void(const std::string& caption)> after) {
        after_click_ = std::move(after);
    }

  private:
    void Common(QWidget* widget, const window::Control& model);

    std::function<void()> refresh_;
    std::function<void(const std::string&)> after_click_;
    std::vector<std::function<void()>> syncs_;
    std::map<const window::TextBox*, QLineEdit*> editors_;
    bool syncing_ = false;
};

}  // namespace velorin::qt
