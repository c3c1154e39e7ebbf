#pragma once

namespace vistrel {

// Whatever sent an action (a menu item, a button, a timer). Actions that reflect
// their state back, like the slide-show item's check mark, call setState.
class Sender {
public:
    virtual ~Sender() = default;
    virtual void setState(int state) = 0;  // 1 on (checked), 0 off
};

} // namespace vistrel
