#include "x11_calls.h"

#include <dlfcn.h>

namespace platform {

bool XlibCalls::load()
{
    unload();
    library_ = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (library_ == nullptr)
        return false;
    connectionNumber_ = reinterpret_cast<ConnectionNumber>(dlsym(library_, "XConnectionNumber"));
    eventsQueued_ = reinterpret_cast<EventsQueued>(dlsym(library_, "XEventsQueued"));
    sync_ = reinterpret_cast<Sync>(dlsym(library_, "XSync"));
    getGeometry_ = reinterpret_cast<GetGeometry>(dlsym(library_, "XGetGeometry"));
    return true;
}

void XlibCalls::unload()
{
    if (library_ != nullptr)
        dlclose(library_);
    *this = XlibCalls{};
}

int XlibCalls::connection(Display* display) const
{
    return connectionNumber_ != nullptr ? connectionNumber_(display) : -1;
}

int XlibCalls::eventsPending(Display* display) const
{
    return eventsQueued_ != nullptr ? eventsQueued_(display, QueuedAfterReading) : 0;
}

void XlibCalls::sync(Display* display) const
{
    if (sync_ != nullptr)
        sync_(display, False);
}

bool XlibCalls::size(Display* display, ::Window window, unsigned& width, unsigned& height) const
{
    if (getGeometry_ == nullptr)
        return false;
    ::Window root = 0;
    int x = 0;
    int y = 0;
    unsigned border = 0;
    unsigned depth = 0;
    return getGeometry_(display, window, &root, &x, &y, &width, &height, &border, &depth) != 0;
}

} // namespace platform
