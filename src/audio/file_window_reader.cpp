#include "audio/file_window_reader.h"

#include <QFile>

#include <algorithm>

namespace lyricue {

FileWindowReader::~FileWindowReader()
{
    close();
}

Result FileWindowReader::open(const QString& path, std::int64_t begin, std::int64_t end, int bufferBytes)
{
    close();
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file)
        return Result::failure(QStringLiteral("ファイルを読めません"));
    m_buffer.resize(static_cast<std::size_t>(bufferBytes));
    std::setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
    m_begin = begin;
    m_end = end;
    m_position = 0;
    if (fseeko(m_file, m_begin, SEEK_SET) != 0) {
        close();
        return Result::failure(QStringLiteral("音声データの位置へ移れません"));
    }
    return {};
}

void FileWindowReader::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

std::int64_t FileWindowReader::read(void* buffer, std::size_t bytes)
{
    if (m_cancel && m_cancel->load(std::memory_order_relaxed))
        return -1;
    const std::int64_t left = std::max<std::int64_t>(0, m_end - m_begin - m_position);
    const size_t wanted = std::min<size_t>(bytes, static_cast<size_t>(left));
    if (wanted == 0)
        return 0;
    const size_t got = std::fread(buffer, 1, wanted, m_file);
    if (got == 0 && std::ferror(m_file))
        return -1;
    m_position += static_cast<std::int64_t>(got);
    return static_cast<std::int64_t>(got);
}

std::int64_t FileWindowReader::seek(std::int64_t offset, int whence)
{
    const std::int64_t size = m_end - m_begin;
    std::int64_t target = offset;
    if (whence == SEEK_CUR)
        target += m_position;
    else if (whence == SEEK_END)
        target += size;
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || fseeko(m_file, m_begin + target, SEEK_SET) != 0)
        return -1;
    m_position = target;
    return target;
}

}  // namespace lyricue
