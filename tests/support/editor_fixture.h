#pragma once

#include "editor/model/canvas.h"
#include "editor/model/drawing_tools.h"
#include "editor/model/tool_codes.h"

#include <QPoint>

// The centre of document cell (x, y) in view pixels of the magnified view.
inline pimoko::Point cell(int x, int y) { return {6 * x + 3, 6 * y + 3}; }
inline QPoint cellPoint(int x, int y) { return {6 * x + 3, 6 * y + 3}; }

// An editor without windows: the canvas and the tools. A press first starts
// the document's stroke, which keeps a rescue copy, as the editing view does.
struct Editor {
    pimoko::Canvas canvas;
    pimoko::DrawingTools tools;
    const pimoko::RescueHistory& history = canvas.document().rescueHistory();
    pimoko::PenColors colors;
    pimoko::ToolCode tool = pimoko::ToolCode::Pen;

    void press(pimoko::MouseState state, pimoko::Point p)
    {
        canvas.document().startStroke();
        tools.mouseDown(canvas, tool, state, p, colors);
    }
    void move(pimoko::MouseState state, pimoko::Point p) { tools.mouseMove(canvas, tool, state, p, colors); }
    void release(pimoko::MouseState state, pimoko::Point p) { tools.mouseUp(canvas, tool, state, p, colors); }
    void drag(pimoko::MouseState button, pimoko::Point from, pimoko::Point to)
    {
        press(button, from);
        move(button, to);
        release({}, to);
    }
    // A press and release on cell (x, y) with a rescue copy first.
    void stroke(int x, int y, pimoko::MouseState state = pimoko::MouseState::Left, pimoko::ToolCode strokeTool = pimoko::ToolCode::Pen)
    {
        const pimoko::Point p = cell(x, y);
        canvas.document().startStroke();
        tools.mouseDown(canvas, strokeTool, state, p, colors);
        tools.mouseUp(canvas, strokeTool, {}, p, colors);
    }
    void rescue() { canvas.document().rescue(); }
};
