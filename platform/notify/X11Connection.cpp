#include "notify/X11Connection.h"

#include <QGuiApplication>
#include <cstdlib>

namespace platform {

xcb_connection_t* X11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Other platforms (offscreen among them) may answer as X11 applications without a
    // connection to a display.
    if (!x11 || QGuiApplication::platformName() != "xcb")
        return nullptr;
    return x11->connection();
}

bool MouseButtonHeld()
{
    xcb_connection_t* connection = X11Connection();
    if (!connection)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* pointer =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    const bool held = pointer && (pointer->mask &
                                  (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
    std::free(pointer);
    return held;
}

} // namespace platform
