// Small persistent helpers of the component library: the four margins a
// panel keeps free around its client area.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Components.h"

// 0..2147483647: a margin is never negative.
using TQorvMarginSize = int32_t;

class TQorvMargins : public TPersistent {
public:
    enum TSide { mLeft = 0, mTop = 1, mRight = 2, mBottom = 3 };

    explicit TQorvMargins(TComponent* panel) : FPanel(panel) {}
    std::string ClassName() const override { return "TQorvMargins"; }

    TComponent* Panel() const { return FPanel; }
    TQorvMarginSize Left() const { return FSides[mLeft]; }
    TQorvMarginSize Top() const { return FSides[mTop]; }
    TQorvMarginSize Right() const { return FSides[mRight]; }
    TQorvMarginSize Bottom() const { return FSides[mBottom]; }
    TQorvMarginSize Side(int index) const { return FSides[index]; }
    // The one setter of every side; raises ERangeError below 0 or for an
    // unknown index, and calls Changed only on a real change.
    void SetSide(int index, TQorvMarginSize value);
    void SetLeft(TQorvMarginSize v) { SetSide(mLeft, v); }
    void SetTop(TQorvMarginSize v) { SetSide(mTop, v); }
    void SetRight(TQorvMarginSize v) { SetSide(mRight, v); }
    void SetBottom(TQorvMarginSize v) { SetSide(mBottom, v); }
    // Any side not 0 (the sides are summed wide, so large ones never wrap).
    bool IsSet() const;

    void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

protected:
    // Into another margins object: its four sides, then its Changed once.
    void AssignTo(TPersistent& dest) const override;
    virtual void Changed();

private:
    TComponent* FPanel;
    TQorvMarginSize FSides[4] = {0, 0, 0, 0};
    TNotifyEvent FOnChange;
};
