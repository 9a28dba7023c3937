// A growable array of trivially copyable elements for the sheet's bulk storage (its text
// bytes). Not part of the model's interface.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace tessel::grid::detail {

// The storage of a PodArray: `bytes` usable bytes at `data`, `bytes` 0 for none.
struct PodBlock {
    void *data = nullptr;
    std::size_t bytes = 0;
};

// Makes `block` hold at least `bytes` bytes, its first `used` bytes kept; may move it. Large
// blocks are pages of their own, moved by remapping them: growing copies nothing, touches no
// fresh memory for what it holds, and never holds old and new storage at once. Small ones
// come from the allocator. Throws std::bad_alloc.
void growBlock(PodBlock &block, std::size_t used, std::size_t bytes);
void freeBlock(PodBlock &block) noexcept;
// Bytes of memory `block` holds when its first `used` bytes are written: the allocator's
// block, or of pages of its own those up to `used`, since the system backs the pages
// reserved past them only once they are written.
std::size_t heldBytes(const PodBlock &block, std::size_t used) noexcept;

// Like std::vector<T> for the few operations the sheet needs, grown by growBlock. Capacity
// doubles as a vector's does, so appending stays linear. Elements are value-initialised
// (zero for the sheet's).
template <class T>
class PodArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    PodArray() = default;
    explicit PodArray(std::size_t n) { resize(n); }
    ~PodArray() { freeBlock(m_block); }
    PodArray(PodArray &&o) noexcept
        : m_block(std::exchange(o.m_block, PodBlock{})),
          m_data(std::exchange(o.m_data, nullptr)),
          m_size(std::exchange(o.m_size, 0)),
          m_capacity(std::exchange(o.m_capacity, 0)) {}
    PodArray &operator=(PodArray &&o) noexcept {
        PodArray(std::move(o)).swap(*this);
        return *this;
    }
    PodArray(const PodArray &) = delete;
    PodArray &operator=(const PodArray &) = delete;

    void swap(PodArray &o) noexcept {
        std::swap(m_block, o.m_block);
        std::swap(m_data, o.m_data);
        std::swap(m_size, o.m_size);
        std::swap(m_capacity, o.m_capacity);
    }

    T *data() { return m_data; }
    const T *data() const { return m_data; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    // Bytes of memory held, for an array that has only grown (see heldBytes).
    std::size_t heldBytes() const { return detail::heldBytes(m_block, m_size * sizeof(T)); }
    bool empty() const { return m_size == 0; }
    T &operator[](std::size_t i) { return m_data[i]; }
    const T &operator[](std::size_t i) const { return m_data[i]; }
    T &back() { return m_data[m_size - 1]; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }

    void push_back(const T &v) {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = v;
    }
    void pop_back() { --m_size; }
    void append(const T *p, std::size_t n) {
        if (m_capacity - m_size < n)
            grow(m_size + n);
        if (n)
            std::memcpy(m_data + m_size, p, n * sizeof(T));
        m_size += n;
    }
    void resize(std::size_t n) {
        if (n > m_capacity)
            grow(n);
        for (std::size_t i = m_size; i < n; ++i)
            ::new (static_cast<void *>(m_data + i)) T();
        m_size = n;
    }
    // Capacity for `n` elements when there is less: exactly that, or up to a page more.
    void reserve(std::size_t n) {
        if (n > m_capacity)
            reallocate(n);
    }

private:
    void grow(std::size_t needed) { reallocate(std::max(needed, 2 * m_capacity)); }
    void reallocate(std::size_t n) {
        growBlock(m_block, m_size * sizeof(T), n * sizeof(T));
        m_data = static_cast<T *>(m_block.data);
        m_capacity = m_block.bytes / sizeof(T);
    }

    PodBlock m_block;
    T *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace tessel::grid::detail
