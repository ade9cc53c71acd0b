// SPDX-License-Identifier: GPL-3.0-or-later
// The graph area container.
#include "ui/views/WndGraph.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

#include "core/data/RecordModel.h"

namespace {

constexpr vantrel::Rgb kContainerColour{200, 200, 200};
constexpr int kScrollBarHeight = 21;
constexpr int kDistanceHeight = 125;

}  // namespace

CWndGraph::CWndGraph(vantrel::CInfoDtcFile& converter, const vantrel::RecordLists& lists,
                     const GraphFonts& fonts, QWidget* parent)
    : QWidget(parent), m_converter(converter), m_lists(lists), m_fonts(fonts) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_wndSpeed = new CWndGraphSpeed(*this, fonts, this);
    m_wndDist = new CWndGraphDist(*this, fonts, this);
    m_wndInfo = new CWndGraphInfo(*this, fonts, this);
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(QStringLiteral("ScrollBar1007"));
    m_scrollBar->setRange(0, vantrel::kScrollMax);
    // The bar moves only as the cursor operations say: its own steps are left at zero and
    // every request is handled in OnScrollAction.
    m_scrollBar->setSingleStep(0);
    m_scrollBar->setPageStep(0);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    SyncScrollBar();
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, &CWndGraph::OnScrollAction);
    connect(m_wndSpeed, &CWndGraphSpeed::CursorClicked, this, &CWndGraph::OnGraphCursor);
    connect(m_wndDist, &CWndGraphDist::CursorClicked, this, &CWndGraph::OnGraphCursor);
    resize(1200, kHeight);
    PlaceChildren();
}

void CWndGraph::resizeEvent(QResizeEvent* /*event*/) {
    PlaceChildren();
}

void CWndGraph::PlaceChildren() {
    const int h = height();
    m_wndSpeed->setGeometry(0, 0, kGraphWidth, h - 146);
    m_scrollBar->setGeometry(0, h - 146, kGraphWidth, kScrollBarHeight);
    m_wndDist->setGeometry(0, h - kDistanceHeight, kGraphWidth, kDistanceHeight);
    m_wndInfo->setGeometry(kGraphWidth + 1, 0, std::max(width() - kGraphWidth - 1, 0), h);
}

void CWndGraph::ComputeWindowStart() {
    vantrel::ComputeWindowStart(m_view, m_nScale);
}

void CWndGraph::CursorTimeToX() {
    vantrel::CursorTimeToX(m_view, m_nScale);
}

void CWndGraph::CursorXToTime() {
    vantrel::CursorXToTime(m_view, m_nScale);
    SyncScrollBar();
}

void CWndGraph::RepaintAfterCursorMove() {
    emit StatusRepaintRequested();
    m_wndDist->update();
    m_wndSpeed->update();
}

void CWndGraph::OnGraphCursor(int x) {
    vantrel::Click(m_view, m_nScale, x);
    SyncScrollBar();
    RepaintAfterCursorMove();
}

void CWndGraph::OnScroll(vantrel::ScrollRequest request, int thumbPos) {
    if (vantrel::Scroll(m_view, m_nScale, request, thumbPos)) {
        SyncScrollBar();
        RepaintAfterCursorMove();
    }
}

void CWndGraph::OnScrollAction(int action) {
    using vantrel::ScrollRequest;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            OnScroll(ScrollRequest::LineLeft);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            OnScroll(ScrollRequest::LineRight);
            break;
        case QAbstractSlider::SliderPageStepSub:
            OnScroll(ScrollRequest::PageLeft);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            OnScroll(ScrollRequest::PageRight);
            break;
        case QAbstractSlider::SliderMove:
            OnScroll(ScrollRequest::Thumb, m_scrollBar->sliderPosition());
            break;
        default:
            SyncScrollBar();
            break;  // the far ends change nothing
    }
}

void CWndGraph::SyncScrollBar() {
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setValue(m_view.m_nScrollBarPos);
    m_scrollBar->setEnabled(m_view.m_bScrollEnabled);
}

void CWndGraph::CopyScale() {
    const auto scale = static_cast<std::uint8_t>(m_nScale);
    m_wndSpeed->m_nScale = scale;
    m_wndDist->m_nScale = scale;
    m_wndInfo->m_nScale = scale;
}

void CWndGraph::SelectScale(int scale) {
    ApplyScale(scale);
    emit ScaleChanged(m_nScale);
}

bool CWndGraph::MoveCursorToHalfSecond(int halfSecondOfDay) {
    if (!m_view.HasDay()) {
        return false;
    }
    const int last = static_cast<int>(vantrel::kSamplesPerDay) - 1;
    const int halfSeconds = std::clamp(halfSecondOfDay, 0, last);
    vantrel::SystemTime cursor = m_view.m_stDay;
    const int seconds = halfSeconds / 2;
    cursor.wHour = static_cast<std::uint16_t>(seconds / 3600);
    cursor.wMinute = static_cast<std::uint16_t>(seconds / 60 % 60);
    cursor.wSecond = static_cast<std::uint16_t>(seconds % 60);
    cursor.wMilliseconds = static_cast<std::uint16_t>(halfSeconds % 2 * 500);
    m_view.m_stCursor = cursor;
    ApplyScale(m_nScale);
    return true;
}

void CWndGraph::ApplyScale(int scale) {
    if (scale < 0 || scale >= vantrel::kScaleCount) {
        return;
    }
    m_nScale = scale;
    SelectComboByData(m_wndInfo->ScaleSelector(), scale);
    vantrel::ApplyScale(m_view, m_nScale);
    SyncScrollBar();
    CopyScale();
    m_wndSpeed->update();
    m_wndDist->update();
    emit StatusRepaintRequested();
}

void CWndGraph::ShowScale(int scale) {
    if (scale < 0 || scale >= vantrel::kScaleCount) {
        return;
    }
    m_nScale = scale;
    CopyScale();
    SelectComboByData(m_wndInfo->ScaleSelector(), scale);
    RepaintAfterCursorMove();
}

void CWndGraph::GraphStep(int delta) {
    const bool moved =
        delta < 0 ? vantrel::StepBack(m_view, m_nScale) : vantrel::StepForward(m_view, m_nScale);
    if (moved) {
        SyncScrollBar();
        RepaintAfterCursorMove();
    }
}

void CWndGraph::ClearViews() {
    m_wndInfo->Clear();
    vantrel::ClearLoadedDay(m_converter);
    vantrel::ResetToDay(m_view, vantrel::SystemTime{});
    m_wndSpeed->m_bHasData = 0;
    m_wndDist->m_bHasData = 0;
    m_wndSpeed->update();
    m_wndDist->update();
    update();
    emit StatusRepaintRequested();
}

vantrel::ReadoutInput CWndGraph::ReadoutInput() const {
    return vantrel::ReadoutInput{m_view.m_stCursor, m_nScale, Day()};
}

QImage CWndGraph::RenderReadout(const QSize& size) const {
    return RenderDrawList(vantrel::BuildReadout(ReadoutInput(), size.width(), size.height()),
                          m_fonts);
}

void CWndGraph::PaintReadout(QPainter& painter, const QSize& size) const {
    painter.drawImage(0, 0, RenderReadout(size));
}

QImage CWndGraph::Render() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(QColor(kContainerColour.r, kContainerColour.g, kContainerColour.b));
    return image;
}

void CWndGraph::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}
