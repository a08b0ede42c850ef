#pragma once

namespace pimoko {

// The buttons and modifier keys held with a mouse event, as one set. A
// release reports the set without the button being released.
class MouseState {
public:
    constexpr MouseState() = default;

    static const MouseState Shift;
    static const MouseState Alt;
    static const MouseState Ctrl;
    static const MouseState Left;
    static const MouseState Right;
    static const MouseState Middle;
    static const MouseState DoubleClick;  // the second press of a double-click

    constexpr MouseState operator|(MouseState other) const { return MouseState(bits_ | other.bits_); }
    constexpr MouseState& operator|=(MouseState other)
    {
        bits_ |= other.bits_;
        return *this;
    }
    constexpr bool contains(MouseState other) const { return (bits_ & other.bits_) == other.bits_; }
    constexpr bool isEmpty() const { return bits_ == 0; }
    constexpr bool operator==(const MouseState&) const = default;

private:
    constexpr explicit MouseState(unsigned bits) : bits_(bits) {}
    unsigned bits_ = 0;
};

inline constexpr MouseState MouseState::Shift{1u << 0};
inline constexpr MouseState MouseState::Alt{1u << 1};
inline constexpr MouseState MouseState::Ctrl{1u << 2};
inline constexpr MouseState MouseState::Left{1u << 3};
inline constexpr MouseState MouseState::Right{1u << 4};
inline constexpr MouseState MouseState::Middle{1u << 5};
inline constexpr MouseState MouseState::DoubleClick{1u << 6};

} // namespace pimoko
