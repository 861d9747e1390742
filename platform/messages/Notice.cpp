#include "messages/Notice.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex g_mutex;
NoticeHandler g_handler;

} // namespace

void TellUser(const std::string& text)
{
    NoticeHandler handler;
    {
        std::lock_guard guard(g_mutex);
        handler = g_handler;
    }
    if (handler)
        handler(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

NoticeHandler SetNoticeHandler(NoticeHandler handler)
{
    std::lock_guard guard(g_mutex);
    std::swap(g_handler, handler);
    return handler;
}

} // namespace platform
