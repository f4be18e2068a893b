// Calls posted to the message loop: work that must not run inside the call
// that asks for it (a completion that the caller's caller expects later,
// a COM event that must leave the object's callback first).
#pragma once

#include <cstdint>
#include <functional>

// The calls one object has posted. Each runs once, from whatever message
// loop the thread is in (the program's, a modal dialog's), in the order
// posted, behind the exception barrier: what it raises goes to the error
// box. Calls still waiting when the object is destroyed, or Cancel is
// called, never run; so a call may use the object that posted it.
class TPostedCalls {
public:
    TPostedCalls() = default;
    ~TPostedCalls() { Cancel(); }
    TPostedCalls(const TPostedCalls&) = delete;
    TPostedCalls& operator=(const TPostedCalls&) = delete;

    void Post(std::function<void()> call);
    void Cancel();
    // Calls posted that have not run yet.
    int Pending() const;
};
