// A build step: writes the desktop entry from its template, with the MimeType list made
// from the table of audio formats, so that "Open with" offers the program for exactly
// the files it opens. Usage: write_desktop_entry TEMPLATE OUTPUT
#include "audio/audio_formats.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const std::string kPlaceholder = "@LYRICUE_MIME_TYPES@";

// Every format's types in the table's order, each once, each followed by ';'.
std::string mimeTypeList()
{
    std::string list;
    for (const lyricue::AudioFormat& format : lyricue::kAudioFormats) {
        std::string_view types = format.mimeTypes;
        while (!types.empty()) {
            const std::string type(types.substr(0, types.find(';')));
            types.remove_prefix(std::min(types.size(), type.size() + 1));
            if ((';' + list).find(';' + type + ';') == std::string::npos)
                list += type + ';';
        }
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: write_desktop_entry TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string entry = text.str();
    const std::size_t at = entry.find(kPlaceholder);
    if (!in || at == std::string::npos) {
        std::cerr << argv[1] << ": cannot read it, or it holds no " << kPlaceholder << "\n";
        return 1;
    }
    entry.replace(at, kPlaceholder.size(), mimeTypeList());
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << entry;
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": cannot write it\n";
        return 1;
    }
    return 0;
}
