#include "platform/sound/files/SoundFileOpen.h"

#include <cstdio>

namespace trouvimo {

namespace {

QFile& fileOf(void* data)
{
    return *static_cast<QFile*>(data);
}

sf_count_t length(void* data)
{
    return fileOf(data).size();
}

sf_count_t seek(sf_count_t offset, int whence, void* data)
{
    QFile& file = fileOf(data);
    const sf_count_t from = whence == SEEK_CUR ? file.pos() : whence == SEEK_END ? file.size() : 0;
    if (from + offset < 0 || !file.seek(from + offset))
        return -1;
    return file.pos();
}

sf_count_t read(void* destination, sf_count_t count, void* data)
{
    const qint64 read = fileOf(data).read(static_cast<char*>(destination), count);
    return read < 0 ? 0 : read;
}

sf_count_t write(const void* /*source*/, sf_count_t /*count*/, void* /*data*/)
{
    return 0;
}

sf_count_t tell(void* data)
{
    return fileOf(data).pos();
}

SF_VIRTUAL_IO readingThroughQt {length, seek, read, write, tell};

} // namespace

OpenedSoundFile openSoundFile(const QString& path)
{
    OpenedSoundFile opened {std::make_unique<QFile>(path), SndfileHandle()};
    if (opened.file->open(QIODevice::ReadOnly))
        opened.handle = SndfileHandle(readingThroughQt, opened.file.get());
    return opened;
}

} // namespace trouvimo
