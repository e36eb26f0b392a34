#include "platform/gui/x11_windows.h"

#include <QGuiApplication>

#ifdef WINCOMPAT_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#endif

namespace wincompat::gui::x11 {

#ifdef WINCOMPAT_HAVE_XCB
namespace {

constexpr const char* applicationProperty = "_WINCOMPAT_APPLICATION";
constexpr std::uint32_t iconicState = 3; // ICCCM WM_STATE
constexpr std::uint32_t sourcePager = 2; // EWMH: a request on the user's behalf, as a taskbar makes

xcb_connection_t* connection()
{
    if (qGuiApp == nullptr)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    static std::map<std::string, xcb_atom_t> cache;
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (result != XCB_ATOM_NONE)
        cache[name] = result;
    return result;
}

struct Property {
    std::uint8_t format = 0;
    std::string bytes;

    std::vector<std::uint32_t> values() const
    {
        std::vector<std::uint32_t> out;
        if (format != 32 || bytes.size() < 4)
            return out; // an empty vector has no storage to copy to
        out.resize(bytes.size() / 4);
        std::memcpy(out.data(), bytes.data(), out.size() * 4);
        return out;
    }
};

// Up to 64 KiB of a property of any type; nothing when the window or the property is missing.
Property property(xcb_connection_t* c, Window window, xcb_atom_t name)
{
    Property result;
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 16384), &error),
        &std::free);
    std::free(error);
    if (reply == nullptr || reply->type == XCB_ATOM_NONE)
        return result;
    result.format = reply->format;
    result.bytes.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    return result;
}

bool contains(const std::vector<std::uint32_t>& values, std::uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::vector<Window> roots(xcb_connection_t* c)
{
    std::vector<Window> out;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem > 0; xcb_screen_next(&it))
        out.push_back(it.data->root);
    return out;
}

Window rootOf(xcb_connection_t* c, Window window)
{
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    return reply != nullptr ? reply->root : Window(XCB_WINDOW_NONE);
}

// A window manager that answers _NET_ACTIVE_WINDOW runs on this root.
bool managed(xcb_connection_t* c, Window root)
{
    const auto check = property(c, root, atom(c, "_NET_SUPPORTING_WM_CHECK")).values();
    if (check.empty())
        return false;
    const auto self = property(c, check.front(), atom(c, "_NET_SUPPORTING_WM_CHECK")).values();
    if (self.empty() || self.front() != check.front())
        return false; // left behind by a window manager that has gone
    return contains(property(c, root, atom(c, "_NET_SUPPORTED")).values(), atom(c, "_NET_ACTIVE_WINDOW"));
}

bool succeeded(xcb_connection_t* c, xcb_void_cookie_t cookie)
{
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    std::free(error);
    return error == nullptr;
}

bool askWindowManagerToActivate(xcb_connection_t* c, Window root, Window window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(c, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = sourcePager;
    event.data.data32[1] = XCB_CURRENT_TIME;
    const bool sent = succeeded(
        c, xcb_send_event_checked(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                  reinterpret_cast<const char*>(&event)));
    xcb_flush(c);
    return sent;
}

bool raiseAndFocus(xcb_connection_t* c, Window window)
{
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    if (!succeeded(c, xcb_configure_window_checked(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above)))
        return false;
    const bool focused =
        succeeded(c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME));
    xcb_flush(c);
    return focused;
}

} // namespace

bool available()
{
    return connection() != nullptr;
}

std::vector<Window> topLevelWindows()
{
    xcb_connection_t* c = connection();
    std::vector<Window> out;
    if (c == nullptr)
        return out;
    for (Window root : roots(c)) {
        // The window manager's list holds the client windows inside their frames, bottom first.
        auto stack = property(c, root, atom(c, "_NET_CLIENT_LIST_STACKING")).values();
        if (stack.empty() || !managed(c, root)) {
            stack.clear();
            std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
                xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
            if (tree != nullptr) {
                const Window* children = xcb_query_tree_children(tree.get());
                stack.assign(children, children + xcb_query_tree_children_length(tree.get()));
            }
        }
        out.insert(out.end(), stack.rbegin(), stack.rend());
    }
    return out;
}

std::string windowClass(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return {};
    if (property(c, window, atom(c, applicationProperty)).format == 8)
        return "TApplication";
    // WM_CLASS holds the instance name and the class name, each closed by a zero.
    const std::string both = property(c, window, XCB_ATOM_WM_CLASS).bytes;
    const auto zero = both.find('\0');
    if (zero == std::string::npos)
        return {};
    const std::string rest = both.substr(zero + 1);
    return rest.substr(0, rest.find('\0'));
}

std::string windowTitle(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return {};
    for (xcb_atom_t name : {atom(c, applicationProperty), atom(c, "_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        const Property p = property(c, window, name);
        if (p.format == 8)
            return p.bytes;
    }
    return {};
}

void markApplicationWindow(Window window, const std::string& title)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, applicationProperty), atom(c, "UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    xcb_flush(c);
}

bool exists(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr || window == XCB_WINDOW_NONE)
        return false;
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error), &std::free);
    std::free(error);
    return reply != nullptr;
}

bool iconic(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return false;
    const auto state = property(c, window, atom(c, "WM_STATE")).values();
    if (!state.empty() && state.front() == iconicState)
        return true;
    return contains(property(c, window, atom(c, "_NET_WM_STATE")).values(), atom(c, "_NET_WM_STATE_HIDDEN"));
}

bool restore(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return false;
    // Mapping an iconic window is how a client asks its window manager to show it again.
    if (!succeeded(c, xcb_map_window_checked(c, window)))
        return false;
    return activate(window);
}

bool activate(Window window)
{
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return false;
    const Window root = rootOf(c, window);
    if (root == XCB_WINDOW_NONE)
        return false;
    return managed(c, root) ? askWindowManagerToActivate(c, root, window) : raiseAndFocus(c, window);
}

std::vector<std::uint8_t> keysDown()
{
    std::vector<std::uint8_t> out;
    xcb_connection_t* c = connection();
    if (c == nullptr)
        return out;
    std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> reply(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr), &std::free);
    if (reply == nullptr)
        return out;
    for (unsigned code = 0; code < 256; ++code)
        if ((reply->keys[code / 8] >> (code % 8)) & 1u)
            out.push_back(static_cast<std::uint8_t>(code));
    return out;
}

#else

bool available()
{
    return false;
}
std::vector<Window> topLevelWindows()
{
    return {};
}
std::string windowClass(Window)
{
    return {};
}
std::string windowTitle(Window)
{
    return {};
}
void markApplicationWindow(Window, const std::string&) {}
bool exists(Window)
{
    return false;
}
bool iconic(Window)
{
    return false;
}
bool restore(Window)
{
    return false;
}
bool activate(Window)
{
    return false;
}
std::vector<std::uint8_t> keysDown()
{
    return {};
}

#endif

} // namespace wincompat::gui::x11
