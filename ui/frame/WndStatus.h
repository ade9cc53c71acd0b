// SPDX-License-Identifier: GPL-3.0-or-later
// CWndStatus: the status strip under the graphs. Its picture (the cursor readout) comes from
// the views, which hand it in as a painter; until then the strip is plain. Its small button
// 1045 at the right end is there only for the service administrator and asks for the
// recorder's eMMC format.
#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

class CWndStatus : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFormatButtonId = 1045;

    // Paints the whole strip (client size given) at every paint.
    using Painter = std::function<void(QPainter& painter, const QSize& size)>;

    explicit CWndStatus(int userLevel, QWidget* parent = nullptr);

    void SetPainter(Painter painter);
    QPushButton* FormatButton() const { return m_pFormatButton; }

signals:
    // Button 1045 was clicked.
    void FormatRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Painter m_painter;
    QPushButton* m_pFormatButton = nullptr;
};
