#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <type_traits>

namespace lyricue {

// One value written by one thread and read by any: the writer never waits, a reader
// retries while a write is under way. The value lives in atomic words, so that no access
// is a data race.
template <typename T>
class Seqlock {
    static_assert(std::is_trivially_copyable_v<T>);
    static constexpr std::size_t kWords = (sizeof(T) + 7) / 8;

public:
    void store(const T& value)
    {
        std::uint64_t words[kWords] = {};
        std::memcpy(words, &value, sizeof(T));
        const std::uint64_t sequence = m_sequence.load(std::memory_order_relaxed);
        m_sequence.store(sequence + 1, std::memory_order_relaxed);
        // Each release store keeps the odd sequence above visible before the word.
        for (std::size_t i = 0; i < kWords; ++i)
            m_words[i].store(words[i], std::memory_order_release);
        m_sequence.store(sequence + 2, std::memory_order_release);
    }

    T load() const
    {
        std::uint64_t words[kWords];
        for (int attempt = 0;; ++attempt) {
            const std::uint64_t before = m_sequence.load(std::memory_order_acquire);
            if ((before & 1) == 0) {
                for (std::size_t i = 0; i < kWords; ++i)
                    words[i] = m_words[i].load(std::memory_order_acquire);
                if (m_sequence.load(std::memory_order_relaxed) == before)
                    break;
            }
            if (attempt > 64)
                std::this_thread::yield();
        }
        T value;
        std::memcpy(&value, words, sizeof(T));
        return value;
    }

private:
    std::atomic<std::uint64_t> m_sequence{0};
    std::atomic<std::uint64_t> m_words[kWords] = {};
};

}  // namespace lyricue
