#include "input.h"

#include <limits>

namespace platform {

void KeyQueue::push(std::string_view key)
{
    if (key.empty())
        return;
    Entry entry;
    entry.length = static_cast<std::uint8_t>(key.size() < 2 ? key.size() : 2);
    for (int i = 0; i < entry.length; ++i)
        entry.bytes[static_cast<std::size_t>(i)] = key[static_cast<std::size_t>(i)];
    slots_[static_cast<std::size_t>(tail_)] = entry;
    tail_ = (tail_ + 1) % slotCount;
    if (tail_ == head_) // the 16th key: drop the oldest
        head_ = (head_ + 1) % slotCount;
}

std::string KeyQueue::pop()
{
    if (head_ == tail_)
        return {};
    const Entry& entry = slots_[static_cast<std::size_t>(head_)];
    head_ = (head_ + 1) % slotCount;
    return std::string(entry.bytes.data(), entry.length);
}

int KeyQueue::size() const
{
    return (tail_ - head_ + slotCount) % slotCount;
}

void KeyQueue::clear()
{
    head_ = tail_ = 0;
}

void MouseTracker::pointerMoved(int x, int y)
{
    x_ = x;
    y_ = y;
    inWindow_ = true;
}

void MouseTracker::pointerLeft()
{
    inWindow_ = false;
}

void MouseTracker::buttonDown(int button)
{
    buttons_ |= button;
}

void MouseTracker::buttonUp(int button)
{
    buttons_ &= ~button;
}

void MouseTracker::setButtons(std::int32_t buttons)
{
    buttons_ = buttons;
}

void MouseTracker::wheelTurned(int clicks)
{
    // Saturate rather than overflow on an endless spin.
    const std::int64_t sum = static_cast<std::int64_t>(wheel_) + clicks;
    if (sum > std::numeric_limits<std::int32_t>::max())
        wheel_ = std::numeric_limits<std::int32_t>::max();
    else if (sum < std::numeric_limits<std::int32_t>::min())
        wheel_ = std::numeric_limits<std::int32_t>::min();
    else
        wheel_ = static_cast<std::int32_t>(sum);
}

void MouseTracker::focusChanged(bool focused)
{
    if (focused != focused_)
        buttons_ = 0;
    focused_ = focused;
}

void MouseTracker::minimizedChanged(bool minimized)
{
    minimized_ = minimized;
}

MouseReading MouseTracker::read() const
{
    const bool active = focused_ && !minimized_;
    const bool over = inWindow_ && x_ >= 0 && y_ >= 0 && x_ < width_ && y_ < height_;
    if (!active || !over)
        return MouseReading{};
    return MouseReading{x_, y_, wheel_, buttons_, 0, 0};
}

} // namespace platform
