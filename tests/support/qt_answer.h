// Answers the next message box a Qt test triggers: presses the button with the given
// text once the box is up, and remembers what the box said. Returns the watching timer,
// which a test that expected no box deletes so it cannot take a later one.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

namespace velorin::testing {

struct Answer {
    QString text, title;
    QWidget* parent = nullptr;
    bool seen = false;
};

inline QTimer* AnswerNextBox(const QString& button, Answer* answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, button, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        answer->seen = true;
        answer->text = box->text();
        answer->title = box->windowTitle();
        answer->parent = box->parentWidget();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button) b->click();
        timer->stop();
        timer->deleteLater();
    });
    timer->start(10);
    return timer;
}

}  // namespace velorin::testing
