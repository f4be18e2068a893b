// The panel's frame arithmetic, free of any window: which system border its
// border style asks for, and the client area its bevels, bevel gaps and
// margins leave. The panel (QorvPanel_win32) applies it to its window.
#pragma once

#include "components/QorvClasses.h"
#include "framework/Bevels.h"

enum class TQorvPanelBorder { pbNone, pbBorder, pbClientEdge };

// bsSingle is a one-pixel WS_BORDER, or the 2-pixel sunken client edge where
// the system has new-style controls and the panel is Ctl3D.
TQorvPanelBorder QorvPanelBorderOf(bool single, bool ctl3D, bool newStyleControls);
int QorvPanelBorderWidth(TQorvPanelBorder border);

struct TQorvPanelFrame {
    TQorvPanelBorder Border = TQorvPanelBorder::pbNone;
    TBevelFrame Bevel;
    int BevelOffset = 0;
    int BevelSpace = 0;
};

// The client area inside `window` (its rectangle at origin or in screen
// coordinates): the system border, the framework's border width and bevels,
// then offset and space on the bevelled edges (only with a bevel kind), then
// the margins. A frame wider than the window leaves an empty client area.
TRect QorvPanelClientRect(TRect window, const TQorvPanelFrame& frame, const TQorvMargins& margins);
// The panel's own part of that, applied to what the framework left.
TRect QorvPanelInsetRect(TRect afterFramework, const TQorvPanelFrame& frame,
                         const TQorvMargins& margins);
