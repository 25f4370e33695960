#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tavi::db {

/// A sequence stored in chunks of a fixed number of elements, so growing never copies what is
/// already stored. The first chunk grows as a vector does (small results stay small); every
/// later chunk is allocated whole.
template <typename T>
class ChunkedVector
{
public:
    static constexpr int kShift = 15;
    static constexpr size_t kChunk = size_t(1) << kShift;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T &operator[](size_t i) { return m_chunks[i >> kShift][i & (kChunk - 1)]; }
    const T &operator[](size_t i) const { return m_chunks[i >> kShift][i & (kChunk - 1)]; }
    T &back() { return m_chunks.back().back(); }

    void push_back(T value)
    {
        if (m_chunks.empty() || m_chunks.back().size() == kChunk) {
            m_chunks.emplace_back();
            if (m_chunks.size() > 1)
                m_chunks.back().reserve(kChunk);
        }
        m_chunks.back().push_back(std::move(value));
        ++m_size;
    }

    void pop_back()
    {
        m_chunks.back().pop_back();
        if (m_chunks.back().empty())
            m_chunks.pop_back();
        --m_size;
    }

    /// Room for the first `count` elements, when nothing is stored yet.
    void reserve(size_t count)
    {
        if (m_chunks.empty()) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(count < kChunk ? count : kChunk);
        }
    }

    void clear()
    {
        m_chunks.clear();
        m_size = 0;
    }

    size_t capacityBytes() const
    {
        size_t total = m_chunks.capacity() * sizeof(std::vector<T>);
        for (const std::vector<T> &c : m_chunks)
            total += c.capacity() * sizeof(T);
        return total;
    }

private:
    std::vector<std::vector<T>> m_chunks;
    size_t m_size = 0;
};

}  // namespace tavi::db
