#pragma once
// Ownership of the platform's HANDLE values. Every HANDLE given out points at a live
// HandleObject; the table below lets a call tell a live handle from a stale or foreign one
// instead of following a bad pointer.

#include "platform/types.h"

#include <utility>

namespace platform {

class HandleObject {
public:
    virtual ~HandleObject() = default;
};

// Takes ownership and returns the handle that names the object.
HANDLE registerHandle(HandleObject* object);

// The live object behind `handle` when it is of type T, else nullptr.
template <typename T> T* handleObject(HANDLE handle);
HandleObject* liveHandleObject(HANDLE handle);

// Handles that are numbers given out by another service rather than live objects (the
// wake-up registrations): that service answers EventModify on them. It installs its answer
// when its module is linked in; without one such a handle is invalid.
using NumberedHandleModify = bool (*)(DWORD number, DWORD function);
void answerNumberedHandles(NumberedHandleModify modify);
// The installed answer for a handle that is no live object; false when there is none or it
// declines.
[[nodiscard]] bool modifyNumberedHandle(HANDLE handle, DWORD function);

// The one owner of a HANDLE: closes it when it goes.
class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle = nullptr) noexcept
        : m_handle(handle)
    {
    }
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr))
    {
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    [[nodiscard]] HANDLE get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }
    void reset(HANDLE handle = nullptr) noexcept;

private:
    HANDLE m_handle;
};

template <typename T> T* handleObject(HANDLE handle)
{
    return dynamic_cast<T*>(liveHandleObject(handle));
}

} // namespace platform

BOOL CloseHandle(HANDLE handle);

inline void platform::UniqueHandle::reset(HANDLE handle) noexcept
{
    if (m_handle)
        CloseHandle(m_handle);
    m_handle = handle;
}
