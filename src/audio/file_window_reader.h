#pragma once

#include "base/result.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace lyricue {

// Gives the MP3 decoder one window of a file (all of an MP3 file, or a RIFF file's data
// chunk), read through a stdio buffer of a chosen size. Offsets start at the window.
class FileWindowReader {
public:
    FileWindowReader() = default;
    FileWindowReader(const FileWindowReader&) = delete;
    FileWindowReader& operator=(const FileWindowReader&) = delete;
    ~FileWindowReader();

    Result open(const QString& path, std::int64_t begin, std::int64_t end, int bufferBytes);
    void close();
    // Reads fail once `*cancel` is true.
    void setCancel(const std::atomic<bool>* cancel) { m_cancel = cancel; }

    // As read(2) and lseek(2) do on the window: bytes read, or the new offset; -1 on failure.
    std::int64_t read(void* buffer, std::size_t bytes);
    std::int64_t seek(std::int64_t offset, int whence);

private:
    std::FILE* m_file = nullptr;
    std::vector<char> m_buffer;  // stdio's buffer; glibc ignores the size without one
    std::int64_t m_begin = 0;
    std::int64_t m_end = 0;
    std::int64_t m_position = 0;  // from m_begin
    const std::atomic<bool>* m_cancel = nullptr;
};

}  // namespace lyricue
