#pragma once
// A file in the runtime directory mapped into every process of one device root.

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

class SharedMemory {
public:
    SharedMemory() = default;
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    ~SharedMemory();

    // Maps the runtime directory's file `name`. The first process to map it (or any process
    // that finds it of the wrong size or version) runs `initialise` on zeroed memory while
    // it holds an exclusive lock on the file; the others wait for that and never see a
    // half-made segment. `version` is kept in the first 8 bytes, which callers leave alone.
    [[nodiscard]] static SharedMemory open(const std::string& name, std::size_t size,
        std::uint64_t version, const std::function<void(void*)>& initialise, std::string& problem);

    void* data() const noexcept { return m_data; }
    std::size_t size() const noexcept { return m_size; }
    explicit operator bool() const noexcept { return m_data != nullptr; }

private:
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace platform
