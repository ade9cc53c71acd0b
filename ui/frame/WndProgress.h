// SPDX-License-Identifier: GPL-3.0-or-later
// CWndProgress: the progress bar the imports show in the middle of the main window
// (340 x 30), hidden while no import runs.
#pragma once

#include <QWidget>

class QProgressBar;

class CWndProgress : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 30;

    explicit CWndProgress(QWidget* parent = nullptr);

    // The rectangle centred in a client area of that size (integer halves).
    static QRect CentredRect(const QSize& client);

    QProgressBar* Bar() const { return m_pBar; }

public slots:
    void SetRange(int minimum, int maximum);
    void SetPos(int position);

private:
    QProgressBar* m_pBar = nullptr;  // child id 0
};
