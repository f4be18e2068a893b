#include "components/QorvClasses.h"

void TQorvMargins::SetSide(int index, TQorvMarginSize value) {
    if (index < mLeft || index > mBottom)
        throw ERangeError("Margin side " + std::to_string(index) + " does not exist");
    if (value < 0)
        throw ERangeError("Margin " + std::to_string(value) + " is out of range (0 to 2147483647)");
    if (FSides[index] == value)
        return;
    FSides[index] = value;
    Changed();
}

bool TQorvMargins::IsSet() const {
    int64_t sum = 0;
    for (TQorvMarginSize side : FSides)
        sum += side;
    return sum != 0;
}

void TQorvMargins::AssignTo(TPersistent& dest) const {
    auto* target = dynamic_cast<TQorvMargins*>(&dest);
    if (!target) {
        TPersistent::AssignTo(dest);
        return;
    }
    for (int i = mLeft; i <= mBottom; ++i)
        target->FSides[i] = FSides[i];
    target->Changed();
}

void TQorvMargins::Changed() {
    if (FOnChange)
        FOnChange(this);
}
