#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace lyricue {

// What the fuzz targets share: a failed invariant that libFuzzer reports as a crash,
// and a scratch file for code that only reads from paths.
namespace fuzz {

// Stops the run with the broken invariant named; libFuzzer keeps the input.
inline void check(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// A file in a folder of this process's own, rewritten for every input.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) : m_path(m_dir.filePath(QString::fromLatin1(name)))
    {
        check(m_dir.isValid(), "a scratch folder can be made");
    }

    // Replaces the file's content with `size` bytes of `data`; false when it cannot.
    bool write(const std::uint8_t* data, std::size_t size) const
    {
        std::FILE* file = std::fopen(QFile::encodeName(m_path).constData(), "wb");
        if (!file)
            return false;
        const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }

    const QString& path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

}  // namespace fuzz

}  // namespace lyricue
