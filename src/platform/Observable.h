#pragma once

#include "platform/Signal.h"

#include <utility>

namespace plovane {

// An object whose published properties announce every assignment, before the new value
// takes effect, through `objectWillChange`. Observers (views) subscribe and redraw.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    Signal<> objectWillChange;
};

// One published property of an ObservableObject. set() announces on the owner's
// `objectWillChange` and then assigns, also when the value is unchanged; callers that
// want to publish only changes compare first (or use setIfChanged).
template <typename T>
class Published {
public:
    Published(ObservableObject& owner, T initial) : owner_(owner), value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T value)
    {
        owner_.objectWillChange.emit();
        value_ = std::move(value);
        didSet.emit(value_);
    }
    Published& operator=(T value)
    {
        set(std::move(value));
        return *this;
    }
    // Assigns (and announces) only when the value differs. Returns whether it did.
    bool setIfChanged(T value)
    {
        if (value_ == value)
            return false;
        set(std::move(value));
        return true;
    }
    // Changes the value in place (announcing first), for large values where a copy per
    // assignment would cost more than the change itself.
    template <typename F>
    void modify(F&& change)
    {
        owner_.objectWillChange.emit();
        std::forward<F>(change)(value_);
        didSet.emit(value_);
    }
    // Sets the value without announcing it: for loading initial values.
    void setSilently(T value) { value_ = std::move(value); }

    // Fires after each assignment with the new value (the property's own publisher).
    Signal<const T&> didSet;

private:
    ObservableObject& owner_;
    T value_;
};

} // namespace plovane
