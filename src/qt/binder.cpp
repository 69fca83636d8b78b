#include "qt/binder.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <memory>

namespace velorin::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A line editor that asks its model about every typed key and reports getting the focus.
class LineEdit : public QLineEdit {
  public:
    LineEdit(window::TextBox& model, Binder& binder) : model_(model), binder_(binder) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        char32_t key = 0;
        if (event->key() == Qt::Key_Backspace) {
            key = 8;
        } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
            key = event->text().toUcs4().value(0);
        }
        if (key != 0 && !isReadOnly() && !model_.KeyPress(key)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        binder_.Event([this] { model_.GotFocus(); });
        // After the mouse press that gave the focus has placed the cursor.
        QTimer::singleShot(0, this, [this] {
            if (hasFocus() && model_.sel_length > 0)
                setSelection(static_cast<int>(model_.sel_start),
                             static_cast<int>(model_.sel_length));
        });
    }

  private:
    window::TextBox& model_;
    Binder& binder_;
};

// A table or list that passes the Delete key (with Shift or not) to its model.
template <class Widget, class Model>
class DeleteKeyView : public Widget {
  public:
    DeleteKeyView(Model& model, Binder& binder) : model_(model), binder_(binder) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Delete) {
            bool shift = event->modifiers() & Qt::ShiftModifier;
            binder_.Event([this, shift] { model_.KeyDown(window::Key::Delete, shift); });
            return;
        }
        Widget::keyPressEvent(event);
    }

  private:
    Model& model_;
    Binder& binder_;
};
using GridView = DeleteKeyView<QTableWidget, window::Grid>;
using ListView = DeleteKeyView<QListWidget, window::ListBox>;

void FillList(QListWidget* widget, const std::vector<std::string>& items) {
    widget->clear();
    QStringList texts;
    texts.reserve(static_cast<int>(items.size()));
    for (const std::string& item : items) texts << Q(item);
    widget->addItems(texts);
}

}  // namespace

void Binder::Event(const std::function<void()>& action) {
    if (syncing_) return;
    action();
    if (refresh_) refresh_();
}

void Binder::Sync() {
    syncing_ = true;
    for (auto& sync : syncs_) sync();
    syncing_ = false;
}

QLineEdit* Binder::EditorOf(const window::TextBox* model) const {
    auto it = editors_.find(model);
    return it == editors_.end() ? nullptr : it->second;
}

void Binder::Common(QWidget* widget, const window::Control& model) {
    if (widget->isEnabled() != model.enabled) widget->setEnabled(model.enabled);
    if (widget->isHidden() == model.visible) widget->setHidden(!model.visible);
}

QLabel* Binder::Bind(velorin::window::Label& model) {
    auto* w = new QLabel;
    syncs_.push_back([this, w, &model] {
        if (w->text() != Q(model.caption)) w->setText(Q(model.caption));
        Common(w, model);
    });
    return w;
}

QPushButton* Binder::Bind(velorin::window::Button& model) {
    auto* w = new QPushButton;
    QObject::connect(w, &QPushButton::clicked, [this, &model] {
        Event([this, &model] {
            std::string caption = model.caption;  // the handler may change it
            model.Click();
            if (after_click_) after_click_(caption);
        });
    });
    syncs_.push_back([this, w, &model] {
        if (w->text() != Q(model.caption)) {
            w->setText(Q(model.caption));
            // Short captions need no wide buttons where a row of them must fit the page.
            w->setMinimumWidth(w->fontMetrics().horizontalAdvance(w->text()) + 18);
        }
        Common(w, model);
    });
    return w;
}

QLineEdit* Binder::Bind(window::TextBox& model) {
    auto* w = new LineEdit(model, *this);
    editors_[&model] = w;
    QObject::connect(w, &QLineEdit::textEdited, [this, &model](const QString& text) {
        Event([&model, text] { model.Edit(text.toStdString()); });
    });
    syncs_.push_back([this, w, &model] {
        if (w->text().toStdString() != model.text) w->setText(Q(model.text));
        w->setReadOnly(model.locked);
        Common(w, model);
    });
    return w;
}

QListWidget* Binder::Bind(window::ListBox& model) {
    auto* w = new ListView(model, *this);
    auto shown = std::make_shared<std::vector<std::string>>();
    QObject::connect(w, &QListWidget::currentRowChanged,
                     [this, &model](int row) { Event([&model, row] { model.Select(row); }); });
    syncs_.push_back([this, w, &model, shown] {
        if (*shown != model.items) {
            *shown = model.items;
            FillList(w, model.items);
            w->scrollToBottom();
        }
        if (w->currentRow() != model.list_index) w->setCurrentRow(model.list_index);
        Common(w, model);
    });
    return w;
}

QComboBox* Binder::Bind(window::ComboBox& model) {
    auto* w = new QComboBox;
    w->setEditable(model.editable);
    w->setInsertPolicy(QComboBox::NoInsert);
    auto shown = std::make_shared<std::vector<std::string>>();
    QObject::connect(w, &QComboBox::activated, [this, &model](int index) {
        Event([&model, index] { model.Choose(index); });
    });
    if (model.editable) {
        QObject::connect(w->lineEdit(), &QLineEdit::textEdited,
                         [this, &model](const QString& text) {
                             Event([&model, text] { model.Edit(text.toStdString()); });
                         });
    }
    syncs_.push_back([this, w, &model, shown] {
        if (*shown != model.items) {
            *shown = model.items;
            w->clear();
            for (const std::string& item : model.items) w->addItem(Q(item));
        }
        if (w->currentIndex() != model.list_index) w->setCurrentIndex(model.list_index);
        if (model.editable && w->currentText().toStdString() != model.text)
            w->setEditText(Q(model.text));
        Common(w, model);
    });
    return w;
}

QCheckBox* Binder::Bind(window::CheckBox& model) {
    auto* w = new QCheckBox;
    QObject::connect(w, &QCheckBox::clicked,
                     [this, &model] { Event([&model] { model.Click(); }); });
    syncs_.push_back([this, w, &model] {
        if (w->text() != Q(model.caption)) w->setText(Q(model.caption));
        w->setChecked(model.value == 1);
        Common(w, model);
    });
    return w;
}

QRadioButton* Binder::Bind(window::OptionButton& model) {
    auto* w = new QRadioButton;
    w->setAutoExclusive(false);  // the model's group decides
    QObject::connect(w, &QRadioButton::clicked,
                     [this, &model] { Event([&model] { model.Click(); }); });
    syncs_.push_back([this, w, &model] {
        if (w->text() != Q(model.caption)) w->setText(Q(model.caption));
        w->setChecked(model.value);
        Common(w, model);
    });
    return w;
}

QTableWidget* Binder::Bind(window::Grid& model) {
    auto* w = new GridView(model, *this);
    w->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w->setSelectionBehavior(QAbstractItemView::SelectRows);
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->verticalHeader()->setDefaultSectionSize(w->fontMetrics().height() + 4);
    w->verticalHeader()->setVisible(false);
    w->horizontalHeader()->setStretchLastSection(true);
    auto shown = std::make_shared<std::vector<std::vector<std::string>>>();
    QObject::connect(w, &QTableWidget::currentCellChanged, [this, &model](int row, int, int, int) {
        Event([&model, row] { model.Select(row + 1); });
    });
    syncs_.push_back([this, w, &model, shown] {
        if (*shown != model.rows) {
            *shown = model.rows;
            const auto& header = model.rows.empty() ? std::vector<std::string>() : model.rows[0];
            size_t columns = header.size();
            for (const auto& r : model.rows) columns = std::max(columns, r.size());
            w->clear();
            w->setColumnCount(static_cast<int>(columns));
            QStringList labels;
            for (size_t c = 0; c < columns; ++c)
                labels << (c < header.size() ? Q(header[c]) : QString());
            w->setHorizontalHeaderLabels(labels);
            w->setRowCount(std::max(0, model.Rows() - 1));
            for (int r = 1; r < model.Rows(); ++r)
                for (size_t c = 0; c < model.rows[r].size(); ++c)
                    w->setItem(r - 1, static_cast<int>(c),
                               new QTableWidgetItem(Q(model.rows[r][c])));
            w->resizeColumnsToContents();
            w->scrollToBottom();
        }
        if (model.row <= 0) w->clearSelection();
        Common(w, model);
    });
    return w;
}

PictureWidget* Binder::Bind(window::PictureBox& model) {
    auto* w = new PictureWidget(model);
    syncs_.push_back([this, w, &model] {
        w->update();
        Common(w, model);
    });
    return w;
}

QComboBox* Binder::Bind(window::DriveList& model) {
    auto* w = new QComboBox;
    QObject::connect(w, &QComboBox::activated, [this, w, &model](int index) {
        std::string drive = w->itemText(index).toStdString();
        Event([&model, drive] { model.Choose(drive); });
    });
    syncs_.push_back([this, w, &model] {
        std::vector<std::string> drives = model.drives;
        if (!model.drive.empty() &&
            std::find(drives.begin(), drives.end(), model.drive) == drives.end())
            drives.push_back(model.drive);
        QStringList texts;
        for (const std::string& d : drives) texts << Q(d);
        QStringList current;
        for (int i = 0; i < w->count(); ++i) current << w->itemText(i);
        if (current != texts) {
            w->clear();
            w->addItems(texts);
        }
        w->setCurrentText(Q(model.drive));
        Common(w, model);
    });
    return w;
}

QListWidget* Binder::Bind(window::DirList& model) {
    auto* w = new QListWidget;
    auto shown = std::make_shared<std::pair<std::string, std::vector<std::string>>>();
    QObject::connect(w, &QListWidget::itemActivated, [this, &model](QListWidgetItem* item) {
        std::string folder = item->data(Qt::UserRole).toString().toStdString();
        Event([&model, folder] { model.Choose(folder); });
    });
    syncs_.push_back([this, w, &model, shown] {
        if (shown->first != model.path || shown->second != model.subfolders) {
            *shown = {model.path, model.subfolders};
            w->clear();
            // The folder's ancestors, the folder itself open, then its sub-folders.
            QIcon closed = w->style()->standardIcon(QStyle::SP_DirClosedIcon);
            QIcon open = w->style()->standardIcon(QStyle::SP_DirOpenIcon);
            std::vector<std::string> chain;
            std::string p = model.path;
            while (!p.empty()) {
                chain.insert(chain.begin(), p);
                if (p == "/") break;
                size_t at = p.find_last_of('/');
                p = at == 0 ? "/" : at == std::string::npos ? "" : p.substr(0, at);
            }
            int depth = 0;
            for (const std::string& folder : chain) {
                std::string name =
                    folder == "/" ? "/" : folder.substr(folder.find_last_of('/') + 1);
                auto* item = new QListWidgetItem(open, QString(depth * 2, ' ') + Q(name));
                item->setData(Qt::UserRole, Q(folder));
                w->addItem(item);
                ++depth;
            }
            w->setCurrentRow(w->count() - 1);
            for (const std::string& sub : model.subfolders) {
                std::string folder = model.path == "/" ? "/" + sub : model.path + "/" + sub;
                auto* item = new QListWidgetItem(closed, QString(depth * 2, ' ') + Q(sub));
                item->setData(Qt::UserRole, Q(folder));
                w->addItem(item);
            }
        }
        Common(w, model);
    });
    return w;
}

QListWidget* Binder::Bind(window::FileList& model) {
    auto* w = new QListWidget;
    w->setSelectionMode(model.multi_select ? QAbstractItemView::MultiSelection
                                           : QAbstractItemView::SingleSelection);
    auto shown = std::make_shared<std::vector<std::string>>();
    QObject::connect(w, &QListWidget::itemClicked, [this, w, &model](QListWidgetItem* item) {
        int row = w->row(item);
        Event([&model, row] { model.Click(row); });
    });
    QObject::connect(w, &QListWidget::itemDoubleClicked, [this, w, &model](QListWidgetItem* item) {
        int row = w->row(item);
        Event([&model, row] { model.DblClick(row); });
    });
    syncs_.push_back([this, w, &model, shown] {
        if (*shown != model.items) {
            *shown = model.items;
            FillList(w, model.items);
        }
        QSignalBlocker block(w);
        for (int i = 0; i < w->count(); ++i) {
            bool on = i < static_cast<int>(model.selected.size()) && model.selected[i];
            if (w->item(i)->isSelected() != on) w->item(i)->setSelected(on);
        }
        Common(w, model);
    });
    return w;
}

}  // namespace velorin::qt
