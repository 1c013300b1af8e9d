#pragma once
// Undoes a step when the scope is left by an exception and not when it ends
// normally: a file half made, a state marked open, a count raised. What a
// failure half way must put back is written once, beside the step, and the
// failure itself goes on unchanged to whoever handles it.
#include <exception>
#include <utility>

namespace nv {

template <class Undo>
class OnFailure {
public:
    explicit OnFailure(Undo undo) : undo_(std::move(undo)), pending_(std::uncaught_exceptions()) {}
    ~OnFailure()
    {
        if (std::uncaught_exceptions() <= pending_) return;
        try {
            undo_();
        } catch (...) { // unwinding already: the first failure is the one to report
        }
    }
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;

private:
    Undo undo_;
    int pending_;
};

} // namespace nv
