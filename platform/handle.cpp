#include "platform/handle.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

std::mutex g_mutex;
std::unordered_map<HANDLE, std::unique_ptr<HandleObject>>& liveHandles()
{
    static auto* handles = new std::unordered_map<HANDLE, std::unique_ptr<HandleObject>>();
    return *handles;
}

} // namespace

HANDLE registerHandle(HandleObject* object)
{
    std::lock_guard lock(g_mutex);
    HANDLE handle = object;
    liveHandles()[handle].reset(object);
    return handle;
}

HandleObject* liveHandleObject(HANDLE handle)
{
    std::lock_guard lock(g_mutex);
    auto found = liveHandles().find(handle);
    return found == liveHandles().end() ? nullptr : found->second.get();
}

} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    std::unique_ptr<platform::HandleObject> closing;
    {
        std::lock_guard lock(platform::g_mutex);
        auto found = platform::liveHandles().find(handle);
        if (found == platform::liveHandles().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closing = std::move(found->second);
        platform::liveHandles().erase(found);
    }
    return TRUE;
}
