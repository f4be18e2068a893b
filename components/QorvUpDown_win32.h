// TQorvUpDown: a small vertical spin button beside an edit. The upper arrow
// steps the value up, the lower one down, both repeating while held; the
// thin strip between them changes it by dragging. The value lives in the
// associated edit's text (rules in QorvUpDown.h).
#pragma once

#include "components/QorvUpDown.h"
#include "framework/Controls_win32.h"

// The separators and grouping the library reads and writes numbers with:
// the user locale's, read once, unless the program sets its own.
const TQorvNumberLocale& QorvUserNumberLocale();
void SetQorvUserNumberLocale(const TQorvNumberLocale& locale);

class TQorvCustomUpDown : public TCustomControl, public TQorvUpDownValue {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvCustomUpDown(TComponent* owner);
    ~TQorvCustomUpDown() override;

    TQorvUpDownAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TQorvUpDownAlignButton value);
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool value) { FArrowKeys = value; }
    TWinControl* Associate() const { return FAssociate.Get(); }
    // Also the same one again: places the button and rewrites the text.
    void SetAssociate(TWinControl* value);
    TQorvUpDownOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TQorvUpDownOrientation value);
    void SetOnClick(TQorvUpDownClickEvent e) { FOnClickElement = std::move(e); }

    // The zones in client coordinates; udNone has an empty rectangle.
    TRect ElementRect(TQorvUpDownElement element) const;
    TQorvUpDownElement ElementAt(int x, int y) const;
    TQorvUpDownElement HotElement() const { return FHot; }
    TQorvUpDownElement PressedElement() const { return FPressed; }
    // The running repeat timer's interval in milliseconds, 0 when none.
    int RepeatInterval() const { return FRepeatInterval; }

    void AllChildrenFlipped() override;

protected:
    void Paint(HDC dc) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void ElementClick(TQorvUpDownElement element);

    bool AssociateHasText() const override;
    std::string AssociateText() const override;
    void SetAssociateText(const std::string& text) override;
    const TQorvNumberLocale& NumberLocale() const override { return QorvUserNumberLocale(); }

private:
    void AlignToAssociate();
    void SetRepeatTimer(int interval);
    void SetHot(TQorvUpDownElement element);
    void StepPressed();

    TQorvUpDownAlignButton FAlignButton = TQorvUpDownAlignButton::udRight;
    bool FArrowKeys = true;
    TComponentRef<TWinControl> FAssociate;
    TQorvUpDownOrientation FOrientation = TQorvUpDownOrientation::udVertical;
    TQorvUpDownClickEvent FOnClickElement;
    TQorvUpDownElement FPressed = TQorvUpDownElement::udNone;
    TQorvUpDownElement FHot = TQorvUpDownElement::udNone;
    POINT FAnchor{0, 0};
    int FRepeatInterval = 0;
    bool FReleasing = false;
};

class TQorvUpDown : public TQorvCustomUpDown {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvUpDown(TComponent* owner) : TQorvCustomUpDown(owner) {}
};

void RegisterQorvUpDown();
