// The few Xlib calls the window needs beyond SDL, borrowed from the libX11
// that SDL's X11 driver has loaded (none when SDL shows the window through
// another driver): the connection's descriptor to wait on, the events Xlib
// has read but not handed on, a round trip, and the window's real size.
#pragma once

#include <X11/Xlib.h>

namespace platform {

class XlibCalls {
public:
    // Finds the calls in the libX11 already loaded; false when there is none.
    bool load();
    void unload();

    // The descriptor of the display connection, -1 without the call.
    int connection(Display* display) const;
    // Events waiting to be handed on: those Xlib and its transport have
    // read already, or else those on the connection now (a read that never
    // blocks); 0 without the call.
    int eventsPending(Display* display) const;
    // Waits until the server has handled every request sent.
    void sync(Display* display) const;
    // The window's size as the server has it; false when unknown.
    bool size(Display* display, ::Window window, unsigned& width, unsigned& height) const;

private:
    using ConnectionNumber = int (*)(Display*);
    using EventsQueued = int (*)(Display*, int);
    using Sync = int (*)(Display*, int);
    using GetGeometry = int (*)(Display*, ::Window, ::Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*);

    void* library_ = nullptr;                     // libX11, held while the window is open
    ConnectionNumber connectionNumber_ = nullptr; // XConnectionNumber
    EventsQueued eventsQueued_ = nullptr;         // XEventsQueued
    Sync sync_ = nullptr;                         // XSync
    GetGeometry getGeometry_ = nullptr;           // XGetGeometry
};

} // namespace platform
