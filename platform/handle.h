#pragma once
// Ownership of the platform's HANDLE values. Every HANDLE given out points at a live
// HandleObject; the table below lets a call tell a live handle from a stale or foreign one
// instead of following a bad pointer.

#include "platform/types.h"

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

template <typename T> T* handleObject(HANDLE handle)
{
    return dynamic_cast<T*>(liveHandleObject(handle));
}

} // namespace platform

BOOL CloseHandle(HANDLE handle);
