#pragma once
// Typing as an operator would: key presses for ASCII, input-method commits for other characters
// (QTest::keyClicks cannot send Chinese).

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace exambell::test {

inline void typeText(QWidget* target, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(target, &commit);
        }
    }
}

// Shows a window and waits until it is the active one, so that keys and focus reach it.
template <typename W>
void showActive(W& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

}  // namespace exambell::test
