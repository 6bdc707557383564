#pragma once
// A library loaded at run time (dlopen), owned by one object: closed when its owner ends.
// Programs use it for libraries the suite must run without (X11, libsystemd), so that
// nothing links them.

#include <dlfcn.h>
#include <utility>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() noexcept = default;
    // Loads `name` with its symbols resolved now and kept to itself; an empty library when
    // it cannot be loaded.
    explicit SharedLibrary(const char* name) noexcept : m_handle(::dlopen(name, RTLD_NOW | RTLD_LOCAL)) { }
    SharedLibrary(SharedLibrary&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) { }
    SharedLibrary& operator=(SharedLibrary&& other) noexcept
    {
        reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary() { reset(); }

    explicit operator bool() const noexcept { return m_handle != nullptr; }

    // The function or object named `name` as `Symbol` (a pointer type); nullptr when the
    // library is empty or lacks it.
    template <typename Symbol> [[nodiscard]] Symbol symbol(const char* name) const noexcept
    {
        return m_handle ? reinterpret_cast<Symbol>(::dlsym(m_handle, name)) : nullptr;
    }

    void reset(void* handle = nullptr) noexcept
    {
        if (m_handle)
            ::dlclose(m_handle);
        m_handle = handle;
    }

private:
    void* m_handle = nullptr;
};

} // namespace platform
