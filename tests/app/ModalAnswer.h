// Answers the next modal dialog from inside its event loop, as a person would. The
// dialog is looked for every few milliseconds; if none appears within two seconds the
// test fails instead of waiting for ever.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace apptest {

inline void answerNextModal(std::function<void(QWidget*)> answer, int triesLeft = 200)
{
    QTimer::singleShot(10, [answer = std::move(answer), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            answer(modal);
        } else if (triesLeft > 0) {
            answerNextModal(std::move(answer), triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

}  // namespace apptest
