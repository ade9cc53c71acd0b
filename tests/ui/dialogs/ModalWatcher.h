// SPDX-License-Identifier: GPL-3.0-or-later
// Drives modal dialogs in tests: while it lives, every 10 ms it looks at the application's
// active modal widget and, when that is a T, hands it to the action (which closes it).
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

template <class T>
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(T*)> action) : m_action(std::move(action)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (T* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
                ++m_nSeen;
                m_action(widget);
            }
        });
        m_timer.start(10);
    }

    // How many times a modal T was found.
    int Seen() const { return m_nSeen; }

private:
    std::function<void(T*)> m_action;
    QTimer m_timer;
    int m_nSeen = 0;
};
