#include "platform/sound/files/WavWriter.h"

#include <sndfile.hh>

#include <algorithm>
#include <cstring>

namespace trouvimo {

namespace {

// libsndfile writes into memory through its virtual input and output, so that the caller writes
// the file in one piece where it wants (QSaveFile, which replaces a file only once it is whole).
struct MemoryFile {
    QByteArray bytes;
    sf_count_t position = 0;
};

MemoryFile& memoryOf(void* user)
{
    return *static_cast<MemoryFile*>(user);
}

sf_count_t memoryLength(void* user)
{
    return memoryOf(user).bytes.size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    MemoryFile& file = memoryOf(user);
    const sf_count_t base = whence == SEEK_CUR ? file.position
        : whence == SEEK_END                   ? file.bytes.size()
                                               : 0;
    file.position = std::max<sf_count_t>(0, base + offset);
    return file.position;
}

sf_count_t memoryRead(void* data, sf_count_t count, void* user)
{
    MemoryFile& file = memoryOf(user);
    const sf_count_t available = std::max<sf_count_t>(0, file.bytes.size() - file.position);
    const sf_count_t taken = std::min(count, available);
    std::memcpy(data, file.bytes.constData() + file.position, static_cast<std::size_t>(taken));
    file.position += taken;
    return taken;
}

sf_count_t memoryWrite(const void* data, sf_count_t count, void* user)
{
    MemoryFile& file = memoryOf(user);
    const sf_count_t end = file.position + count;
    if (end > file.bytes.size())
        file.bytes.resize(static_cast<qsizetype>(end), '\0');
    std::memcpy(file.bytes.data() + file.position, data, static_cast<std::size_t>(count));
    file.position = end;
    return count;
}

sf_count_t memoryTell(void* user)
{
    return memoryOf(user).position;
}

} // namespace

QByteArray wavBytes(const std::vector<float>& samples, int sampleRate)
{
    MemoryFile memory;
    SF_VIRTUAL_IO io {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    {
        SndfileHandle file(io, &memory, SFM_WRITE, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, sampleRate);
        if (file.error() != SF_ERR_NO_ERROR)
            return {};
        // libsndfile scales floats to the whole 16-bit range and clips what lies beyond it.
        file.command(SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const auto frames = static_cast<sf_count_t>(samples.size());
        if (file.writef(samples.data(), frames) != frames)
            return {};
    }
    return memory.bytes;
}

} // namespace trouvimo
