#include "platform/sound/files/ProbeRecording.h"
#include "platform/sound/files/SoundFileOpen.h"

#include "platform/sound/files/SoundFileStream.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sndfile.hh>

#include <vector>

namespace trouvimo {

namespace {

constexpr qint64 kRiffHeaderBytes = 8;
constexpr sf_count_t kFramesAtOnce = 4096;

// libsndfile plays what a WAV file cut short still holds, and says nothing: the length the
// file gives itself in its first bytes tells. The bytes after "RIFF" are little-endian, those
// after "RIFX" big-endian.
bool riffCutShort(const QString& file, qint64 fileSize)
{
    QFile riff(file);
    if (!riff.open(QIODevice::ReadOnly))
        return true;
    const QByteArray header = riff.read(kRiffHeaderBytes);
    if (header.size() < kRiffHeaderBytes)
        return true;
    const qint64 length = header.startsWith("RIFX")
        ? qFromBigEndian<quint32>(header.constData() + 4)
        : qFromLittleEndian<quint32>(header.constData() + 4);
    return kRiffHeaderBytes + length > fileSize;
}

} // namespace

RecordingProbe probeRecording(const QString& file)
{
    // libsndfile would wait for a writer on a named pipe.
    const QFileInfo info(file);
    if (!info.isFile())
        return {RecordingFault::NotASound};
    if (info.size() == 0)
        return {RecordingFault::Empty};
    const OpenedSoundFile opened = openSoundFile(file);
    SndfileHandle sound = opened.handle;
    if (sound.rawHandle() == nullptr)
        return {RecordingFault::NotASound};
    const int container = sound.format() & SF_FORMAT_TYPEMASK;
    const bool riff = container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX;
    if (!riff && container != SF_FORMAT_FLAC && container != SF_FORMAT_OGG)
        return {RecordingFault::NotASound};

    const RecordingProbe format {RecordingFault::None, sound.channels(), sound.samplerate()};
    if (format.channels < 1 || format.channels > kMostRecordingChannels
        || format.sampleRate < kLowestRecordingRate || format.sampleRate > kHighestRecordingRate)
        return {RecordingFault::OutOfRange, format.channels, format.sampleRate};
    if (sound.frames() <= 0)
        return {RecordingFault::Empty, format.channels, format.sampleRate};
    if (riff && riffCutShort(file, info.size()))
        return {RecordingFault::CutShort, format.channels, format.sampleRate};
    // The faults above say why the game's reader refuses most files; it refuses these besides.
    if (!SoundFileStream::open(file))
        return {RecordingFault::DamagedHeader, format.channels, format.sampleRate};

    // A FLAC or Ogg file cut short announces more samples than it decodes to (an Ogg file cut
    // inside a page, as many as libsndfile can count: SF_COUNT_MAX); so does a damaged one.
    std::vector<float> samples(static_cast<size_t>(kFramesAtOnce * format.channels));
    sf_count_t decoded = 0;
    for (sf_count_t read = 0; (read = sound.readf(samples.data(), kFramesAtOnce)) > 0;)
        decoded += read;
    if (decoded != sound.frames())
        return {RecordingFault::CutShort, format.channels, format.sampleRate};
    return format;
}

} // namespace trouvimo
