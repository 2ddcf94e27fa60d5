// A doorbell for the window thread: the game's thread rings it (a frame to
// show, a title, the end) and the window thread, waiting on the display
// connection and this together, wakes at once. An eventfd: ringing is one
// write, never blocks, and rings made before the wait are not lost.
#pragma once

namespace platform {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // From any thread.
    void ring();
    // The descriptor to wait on for reading; -1 if none could be made (the
    // window thread then wakes on its tick alone).
    int fd() const { return fd_; }
    // Takes every ring so far.
    void clear();

private:
    int fd_ = -1; // the eventfd
};

} // namespace platform
