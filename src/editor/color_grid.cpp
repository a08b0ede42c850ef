#include "editor/color_grid.h"

#include "platform/bevel_panel.h"
#include "platform/pixel_image.h"
#include "raster/standard_colors.h"

#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QtMath>

#include <algorithm>

namespace pimoko {

namespace {

// The palette's cells show the 16 standard colours.
constexpr const std::array<Color, TColorGrid::kCellCount>& kPaletteColors = kStandardColors;

// Classic grey bevel colours, used when the widget palette cannot draw a
// visible sunken edge.
constexpr Color kClassicFace = 0xC0C0C0;
constexpr Color kClassicShadow = 0x808080;
constexpr Color kClassicHighlight = 0xFFFFFF;

// Each component of the mark is off where the cell's component is bright
// (0x80 or more) and full where it is dark.
Color markTextColor(Color cell)
{
    const auto contrast = [](int component) { return component >= 0x80 ? 0x00 : 0xFF; };
    return rgb(contrast(redOf(cell)), contrast(greenOf(cell)), contrast(blueOf(cell)));
}

// The pixel under the pointer; floor keeps fractional positions of scaled
// screens in the pixel they fall on.
QPoint pixelOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return QPoint(qFloor(p.x()), qFloor(p.y()));
}

} // namespace

TColorGrid::TColorGrid(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    resize(sizeHint());
}

const std::array<Color, TColorGrid::kCellCount>& TColorGrid::PaletteColors()
{
    return kPaletteColors;
}

QSize TColorGrid::sizeHint() const
{
    return QSize(60, 200);
}

void TColorGrid::setForegroundIndex(int index)
{
    if (index < 0 || index >= kCellCount || index == foregroundIndex_)
        return;
    foregroundIndex_ = index;
    // The whole control repaints: the old cell loses its mark and a shared
    // cell shows "FB" alone, as after any full paint.
    update();
    emit changed();
}

void TColorGrid::setBackgroundIndex(int index)
{
    if (index < 0 || index >= kCellCount || index == backgroundIndex_)
        return;
    backgroundIndex_ = index;
    update();
    emit changed();
}

int TColorGrid::cellWidth() const
{
    return std::max(1, width() / kColumns);
}

int TColorGrid::cellHeight() const
{
    return std::max(1, height() / kRows);
}

QRect TColorGrid::cellRect(int index) const
{
    if (index < 0 || index >= kCellCount)
        return QRect();
    const int w = width() / kColumns;
    const int h = height() / kRows;
    return QRect((index % kColumns) * w, (index / kColumns) * h, w, h);
}

int TColorGrid::CellAt(int x, int y) const
{
    x = std::max(0, std::min(x, width() - 1));
    y = std::max(0, std::min(y, height() - 1));
    const int column = std::min(x / cellWidth(), kColumns - 1);
    const int row = std::min(y / cellHeight(), kRows - 1);
    return row * kColumns + column;
}

// The cell size always follows from the current size (width div columns,
// height div rows), so only the trimming is left to do here. For a child
// widget the nested resize runs at once and finds nothing more to trim.
void TColorGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QSize trimmed(kColumns * (width() / kColumns), kRows * (height() / kRows));
    if (trimmed != size())
        resize(trimmed);
}

// The platform's button face, button shadow (QPalette::Dark) and button
// highlight (QPalette::Light). Flat themes give a shadow or highlight no
// darker or lighter than the face, which would hide the bevel; the classic
// grey triple is drawn then instead.
TColorGrid::BevelColors TColorGrid::bevelColors() const
{
    const QPalette& p = palette();
    BevelColors colors{p.color(QPalette::Button), p.color(QPalette::Dark), p.color(QPalette::Light)};
    const int face = colors.face.lightness();
    if (colors.shadow.lightness() >= face || colors.highlight.lightness() <= face)
        colors = {toQColor(kClassicFace), toQColor(kClassicShadow), toQColor(kClassicHighlight)};
    return colors;
}

void TColorGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(markFont());
    for (int i = 0; i < kCellCount; ++i)
        PaintCell(painter, i);
    PaintMarks(painter);
}

// The control's font, drawn without smoothing: every pixel of a mark then
// has exactly the mark's contrast colour, as with a classic bitmap font, and
// drawing "FB" twice leaves it as it was. Unhinted outlines keep the letters
// of a 12-pixel proportional Gothic apart ("FG" merges when hinted), so that
// is the default unless the owner's font asks for hinting.
QFont TColorGrid::markFont() const
{
    QFont f = font();
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::NoAntialias));
    if (f.hintingPreference() == QFont::PreferDefaultHinting)
        f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void TColorGrid::PaintCell(QPainter& painter, int index) const
{
    const QRect cell = cellRect(index);
    if (cell.isEmpty())
        return;
    const BevelColors bevel = bevelColors();

    paintBevelRing(painter, cell, bevel.face, bevel.face);
    QRect inner = cell.adjusted(1, 1, -1, -1);
    for (int i = 0; i < 2 && !inner.isEmpty(); ++i) {
        paintBevelRing(painter, inner, bevel.shadow, bevel.highlight);
        inner.adjust(1, 1, -1, -1);
    }
    if (!inner.isEmpty())
        painter.fillRect(inner, toQColor(kPaletteColors[std::size_t(index)]));
}

void TColorGrid::PaintMarks(QPainter& painter) const
{
    painter.setBackgroundMode(Qt::TransparentMode);
    const auto mark = [this, &painter](int index, const QString& text) {
        painter.setPen(toQColor(markTextColor(kPaletteColors[std::size_t(index)])));
        painter.drawText(cellRect(index), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    };
    // A shared cell gets "FB" from both marks, drawn at the same place.
    const bool shared = foregroundIndex_ == backgroundIndex_;
    mark(foregroundIndex_, shared ? QStringLiteral("FB") : QStringLiteral("FG"));
    mark(backgroundIndex_, shared ? QStringLiteral("FB") : QStringLiteral("BG"));
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    handlePress(event);
}

// Qt delivers the second press of a double click as a double-click event
// in place of the press.
void TColorGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    handlePress(event);
}

void TColorGrid::handlePress(QMouseEvent* event)
{
    const QPoint pos = pixelOf(event);
    emit mouseDown(event->button(), event->buttons(), event->modifiers(), pos);
    // The last pressed button takes over any drag already running. Qt grabs
    // the mouse for the pressed widget, so moves and the release keep coming
    // here when the pointer leaves the control.
    dragButton_ = event->button();
    dragging_ = true;
    followPointer(CellAt(pos.x(), pos.y()));
    event->accept();
}

void TColorGrid::mouseMoveEvent(QMouseEvent* event)
{
    // Without mouse tracking, moves come only while a button pressed here
    // is held, so a drag never follows a pointer with no button down.
    if (!dragging_)
        return;
    const QPoint pos = pixelOf(event);
    followPointer(CellAt(pos.x(), pos.y()));
}

void TColorGrid::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseUp(event->button(), event->buttons(), event->modifiers(), pixelOf(event));
    event->accept();
    // Any release ends the drag, also while another button is still held.
    dragging_ = false;
    if (dragButton_ == Qt::RightButton)
        emit clicked();
}

void TColorGrid::followPointer(int index)
{
    if (dragButton_ == Qt::LeftButton)
        setForegroundIndex(index);
    else if (dragButton_ == Qt::RightButton)
        setBackgroundIndex(index);
}

} // namespace pimoko
