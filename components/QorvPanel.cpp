#include "components/QorvPanel.h"

TQorvPanelBorder QorvPanelBorderOf(bool single, bool ctl3D, bool newStyleControls) {
    if (!single)
        return TQorvPanelBorder::pbNone;
    return ctl3D && newStyleControls ? TQorvPanelBorder::pbClientEdge : TQorvPanelBorder::pbBorder;
}

int QorvPanelBorderWidth(TQorvPanelBorder border) {
    switch (border) {
    case TQorvPanelBorder::pbBorder:
        return 1;
    case TQorvPanelBorder::pbClientEdge:
        return 2;
    default:
        return 0;
    }
}

TRect QorvPanelInsetRect(TRect afterFramework, const TQorvPanelFrame& frame,
                         const TQorvMargins& margins) {
    TRect r = afterFramework;
    if (frame.Bevel.Kind != TBevelKind::bkNone)
        r = InsetEdges(r, frame.Bevel.Edges, int64_t{frame.BevelOffset} + frame.BevelSpace);
    r = InsetEdges(r, beLeft, margins.Left());
    r = InsetEdges(r, beTop, margins.Top());
    r = InsetEdges(r, beRight, margins.Right());
    return InsetEdges(r, beBottom, margins.Bottom());
}

TRect QorvPanelClientRect(TRect window, const TQorvPanelFrame& frame, const TQorvMargins& margins) {
    const TRect inBorder = InsetEdges(window, beAllEdges, QorvPanelBorderWidth(frame.Border));
    return QorvPanelInsetRect(BevelClientRect(inBorder, frame.Bevel), frame, margins);
}
