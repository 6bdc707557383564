#include "platform/handle.h"

#include <atomic>
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

std::atomic<NumberedHandleModify> g_numberedHandleModify { nullptr };

} // namespace

void answerNumberedHandles(NumberedHandleModify modify) { g_numberedHandleModify.store(modify); }

bool modifyNumberedHandle(HANDLE handle, DWORD function)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const auto modify = g_numberedHandleModify.load();
    if (!modify || value == 0 || value > 0xffffffffu || liveHandleObject(handle))
        return false;
    return modify(DWORD(value), function);
}

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
