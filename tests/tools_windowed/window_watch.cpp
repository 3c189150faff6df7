#include "window_watch.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <thread>

namespace windowed_test {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string textProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1024), nullptr), &std::free);
    if (!reply) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

bool isViewable(xcb_connection_t* c, xcb_window_t w)
{
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// Whether the child ended, leaving it to be reaped by the caller.
bool hasEnded(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

} // namespace

std::vector<std::string> closeWindowsUntilExit(pid_t pid, int timeoutMs)
{
    std::vector<std::string> titles;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(c) == 0;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t protocols = XCB_ATOM_NONE, deleteWindow = XCB_ATOM_NONE, netName = XCB_ATOM_NONE, utf8 = XCB_ATOM_NONE;
    if (connected) {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        protocols = atom(c, "WM_PROTOCOLS");
        deleteWindow = atom(c, "WM_DELETE_WINDOW");
        netName = atom(c, "_NET_WM_NAME");
        utf8 = atom(c, "UTF8_STRING");
    }
    std::set<xcb_window_t> closed;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!hasEnded(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        if (connected) {
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
            const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
            const int count = tree ? xcb_query_tree_children_length(tree.get()) : 0;
            for (int i = 0; i < count; ++i) {
                const xcb_window_t w = children[i];
                if (closed.count(w) != 0 || !isViewable(c, w)) continue;
                std::string title = textProperty(c, w, netName, utf8);
                if (title.empty()) title = textProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
                titles.push_back(title);
                closed.insert(w);
                xcb_client_message_event_t close{};
                close.response_type = XCB_CLIENT_MESSAGE;
                close.format = 32;
                close.window = w;
                close.type = protocols;
                close.data.data32[0] = deleteWindow;
                close.data.data32[1] = XCB_CURRENT_TIME;
                xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
                xcb_flush(c);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    xcb_disconnect(c);
    return titles;
}

} // namespace windowed_test
