#include "audio/file_window_reader.h"

#include <QFile>

#include <algorithm>

namespace lyricue {

FileWindowReader::~FileWindowReader()
{
    close();
}

bool FileWindowReader::open(const QString& path, std::int64_t begin, std::int64_t end, int bufferBytes)
{
    close();
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file)
        return false;
    m_buffer.resize(static_cast<std::size_t>(bufferBytes));
    std::setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
    m_begin = begin;
    m_end = end;
    m_position = 0;
    if (fseeko(m_file, m_begin, SEEK_SET) != 0) {
        close();
        return false;
    }
    return true;
}

void FileWindowReader::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

mpg123_ssize_t FileWindowReader::read(void* handle, void* buffer, size_t bytes)
{
    auto* self = static_cast<FileWindowReader*>(handle);
    if (self->m_cancel && self->m_cancel->load(std::memory_order_relaxed))
        return -1;
    const std::int64_t left = std::max<std::int64_t>(0, self->m_end - self->m_begin - self->m_position);
    const size_t wanted = std::min<size_t>(bytes, static_cast<size_t>(left));
    if (wanted == 0)
        return 0;
    const size_t got = std::fread(buffer, 1, wanted, self->m_file);
    if (got == 0 && std::ferror(self->m_file))
        return -1;
    self->m_position += static_cast<std::int64_t>(got);
    return static_cast<mpg123_ssize_t>(got);
}

off_t FileWindowReader::seek(void* handle, off_t offset, int whence)
{
    auto* self = static_cast<FileWindowReader*>(handle);
    const std::int64_t size = self->m_end - self->m_begin;
    std::int64_t target = offset;
    if (whence == SEEK_CUR)
        target += self->m_position;
    else if (whence == SEEK_END)
        target += size;
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || fseeko(self->m_file, self->m_begin + target, SEEK_SET) != 0)
        return -1;
    self->m_position = target;
    return static_cast<off_t>(target);
}

}  // namespace lyricue
