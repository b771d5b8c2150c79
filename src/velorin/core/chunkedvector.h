#pragma once

#include <algorithm>
#include <vector>

// A sequence with cheap insertion and removal in the middle and fast access
// by index: the elements live in chunks of a few hundred, and a table of
// chunk start indexes finds the chunk of an index by binary search. Inserting
// moves at most one chunk's elements plus one start per chunk, instead of
// half of the whole sequence as a flat vector does, which keeps a view of
// 100,000 sorted entries fast to fill one entry at a time.
template <class T, int ChunkSize = 512>
class ChunkedVector
{
public:
    int size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T& operator[](int index)
    {
        const int c = chunkOf(index);
        return m_chunks[c][index - m_starts[c]];
    }
    const T& operator[](int index) const
    {
        const int c = chunkOf(index);
        return m_chunks[c][index - m_starts[c]];
    }

    // The elements stored together with `index` (a valid index): the first
    // one's index, their number and where they are, so that a caller
    // probing indexes near one another (a binary search's last steps) finds
    // its chunk once. Valid until the next insertion or removal.
    struct Run
    {
        int first = 0;
        int size = 0;
        T* data = nullptr;

        bool holds(int index) const { return index >= first && index - first < size; }
        T& operator[](int index) const { return data[index - first]; }
    };
    Run runAt(int index)
    {
        const int c = chunkOf(index);
        return {m_starts[c], int(m_chunks[c].size()), m_chunks[c].data()};
    }

    void insert(int index, const T& value)
    {
        if (m_chunks.empty()) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(ChunkSize);
            m_starts.push_back(0);
        }
        const int c = index == m_size ? int(m_chunks.size()) - 1 : chunkOf(index);
        std::vector<T>& chunk = m_chunks[c];
        chunk.insert(chunk.begin() + (index - m_starts[c]), value);
        ++m_size;
        for (size_t j = c + 1; j < m_starts.size(); ++j)
            ++m_starts[j];
        if (int(chunk.size()) >= 2 * ChunkSize)
            split(c);
    }

    void push_back(const T& value) { insert(m_size, value); }

    void erase(int index)
    {
        const int c = chunkOf(index);
        std::vector<T>& chunk = m_chunks[c];
        chunk.erase(chunk.begin() + (index - m_starts[c]));
        --m_size;
        for (size_t j = c + 1; j < m_starts.size(); ++j)
            --m_starts[j];
        if (chunk.empty() && m_chunks.size() > 1) {
            m_chunks.erase(m_chunks.begin() + c);
            m_starts.erase(m_starts.begin() + c);
        }
    }

    void clear()
    {
        m_chunks.clear();
        m_starts.clear();
        m_size = 0;
    }

    // The elements in order, as one vector, and back.
    std::vector<T> toVector() const
    {
        std::vector<T> all;
        all.reserve(m_size);
        for (const auto& chunk : m_chunks)
            all.insert(all.end(), chunk.begin(), chunk.end());
        return all;
    }

    void assign(const std::vector<T>& all)
    {
        clear();
        for (size_t i = 0; i < all.size(); i += ChunkSize) {
            const size_t end = std::min(all.size(), i + ChunkSize);
            m_starts.push_back(int(i));
            m_chunks.emplace_back(all.begin() + i, all.begin() + end);
        }
        m_size = int(all.size());
    }

    // Calls f on every element, in order.
    template <class F>
    void forEach(F f)
    {
        for (auto& chunk : m_chunks)
            for (T& v : chunk)
                f(v);
    }

private:
    int chunkOf(int index) const
    {
        const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), index);
        return int(it - m_starts.begin()) - 1;
    }

    void split(int c)
    {
        std::vector<T>& full = m_chunks[c];
        const int half = int(full.size()) / 2;
        std::vector<T> tail(full.begin() + half, full.end());
        full.erase(full.begin() + half, full.end());
        m_chunks.insert(m_chunks.begin() + c + 1, std::move(tail));
        m_starts.insert(m_starts.begin() + c + 1, m_starts[c] + half);
    }

    std::vector<std::vector<T>> m_chunks;
    std::vector<int> m_starts;
    int m_size = 0;
};
