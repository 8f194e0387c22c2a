#include "platform/sound/files/SoundFileStream.h"
#include "platform/sound/files/SoundFileOpen.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>

namespace trouvimo {

namespace {

constexpr int mostChannels = 8;
constexpr int lowestRate = 1000;
constexpr int highestRate = 192000;
constexpr qint64 riffHeaderBytes = 12;
constexpr qint64 chunkHeaderBytes = 8;
// Channels, rate, byte rate, block align and bits per sample: the part every format chunk has.
constexpr unsigned commonFormatBytes = 16;
constexpr int byteRateOffset = 8;
constexpr int blockAlignOffset = 12;

// libsndfile shortens a data chunk that claims more bytes than the file holds to what is there:
// libsndfile 1.2.0 plays the first half of a file cut in the middle, and the whole of a file
// whose data chunk claims 100 MB. A file cut short is a damaged copy and a header that lies about
// its sizes may lie about anything else, so every chunk libsndfile found must lie wholly within
// the file. libsndfile lists the RIFF chunk first, then the chunks inside it in file order.
bool chunksFitInFile(SNDFILE* file, qint64 fileSize)
{
    qint64 end = riffHeaderBytes;
    bool riff = true;
    for (SF_CHUNK_ITERATOR* chunk = sf_get_chunk_iterator(file, nullptr); chunk != nullptr;
         chunk = sf_next_chunk_iterator(chunk)) {
        SF_CHUNK_INFO info {};
        if (sf_get_chunk_size(chunk, &info) != SF_ERR_NO_ERROR)
            return false;
        if (riff) {
            riff = false;
            continue;
        }
        end += chunkHeaderBytes + info.datalen;
        if (end > fileSize)
            return false;
        // Chunks are padded to an even length.
        end += info.datalen % 2;
    }
    return !riff;
}

// The size of one sample in the encodings whose frames all have the same size; the block codecs
// (ADPCM, GSM) check their own block layout when libsndfile opens the file.
int fixedSampleBytes(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

// The encodings whose samples 16-bit integers hold whole.
bool fitsInSixteenBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
        return true;
    default:
        return false;
    }
}

// libsndfile takes the bits-per-sample field on trust and only notes in its log a block align
// or a byte rate that contradict it: a 16-bit tone at half scale whose bits field was changed
// to 8 came out of libsndfile 1.2.0 as 8-bit samples at full scale, a loud noise. When the
// fields disagree, nothing tells which one was damaged, so such a file is not played.
bool formatFieldsAgree(SndfileHandle& file)
{
    const int sampleBytes = fixedSampleBytes(file.format());
    if (sampleBytes == 0)
        return true;
    SF_CHUNK_INFO format {};
    std::memcpy(format.id, "fmt ", 4);
    format.id_size = 4;
    SF_CHUNK_ITERATOR* chunk = sf_get_chunk_iterator(file.rawHandle(), &format);
    if (chunk == nullptr || sf_get_chunk_size(chunk, &format) != SF_ERR_NO_ERROR
        || format.datalen < commonFormatBytes)
        return false;
    std::array<uchar, commonFormatBytes> fields {};
    format.data = fields.data();
    format.datalen = commonFormatBytes;
    if (sf_get_chunk_data(chunk, &format) != SF_ERR_NO_ERROR)
        return false;
    const qint64 frameBytes = qint64(file.channels()) * sampleBytes;
    return qFromLittleEndian<quint16>(fields.data() + blockAlignOffset) == frameBytes
        && qFromLittleEndian<quint32>(fields.data() + byteRateOffset)
        == frameBytes * file.samplerate();
}

} // namespace

SoundFileStream::SoundFileStream(const QString& path)
{
    OpenedSoundFile opened = openSoundFile(path);
    m_source = std::move(opened.file);
    m_file = opened.handle;
    if (m_file.rawHandle() == nullptr)
        return;
    m_sampleFormat = fitsInSixteenBits(m_file.format()) ? SampleFormat::Int16 : SampleFormat::Float;
    m_frameBytes = qint64(m_file.channels()) * (m_sampleFormat == SampleFormat::Int16 ? 2 : 4);
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

std::unique_ptr<SoundFileStream> SoundFileStream::open(const QString& path)
{
    // libsndfile would wait for a writer on a named pipe.
    const QFileInfo fileInfo(path);
    if (!fileInfo.isFile())
        return nullptr;
    std::unique_ptr<SoundFileStream> stream(new SoundFileStream(path));
    SndfileHandle& file = stream->m_file;
    if (file.rawHandle() == nullptr)
        return nullptr;

    const int container = file.format() & SF_FORMAT_TYPEMASK;
    const bool wav = container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX;
    if ((!wav && container != SF_FORMAT_FLAC && container != SF_FORMAT_OGG) || file.channels() < 1
        || file.channels() > mostChannels || file.samplerate() < lowestRate
        || file.samplerate() > highestRate || file.frames() <= 0)
        return nullptr;
    // FLAC and Ogg carry checksums of their own, which libsndfile checks as it decodes.
    if (wav && (!chunksFitInFile(file.rawHandle(), fileInfo.size()) || !formatFieldsAgree(file)))
        return nullptr;
    return stream;
}

double SoundFileStream::durationSeconds() const
{
    return static_cast<double>(frames()) / sampleRate();
}

bool SoundFileStream::seek(qint64 position)
{
    if (position < 0 || position > size() || !QIODevice::seek(position))
        return false;
    m_carry.clear();
    if (m_file.seek(position / m_frameBytes, SEEK_SET) < 0)
        return false;
    const qint64 intoFrame = position % m_frameBytes;
    if (intoFrame != 0) {
        m_carry = QByteArray(m_frameBytes, Qt::Uninitialized);
        if (readFrames(m_carry.data(), 1) != 1)
            return false;
        m_carry.remove(0, intoFrame);
    }
    return true;
}

qint64 SoundFileStream::readData(char* data, qint64 maxSize)
{
    qint64 given = std::min<qint64>(maxSize, m_carry.size());
    std::memcpy(data, m_carry.constData(), static_cast<size_t>(given));
    m_carry.remove(0, given);

    given += readFrames(data + given, (maxSize - given) / m_frameBytes) * m_frameBytes;
    if (given < maxSize && m_carry.isEmpty()) {
        QByteArray frame(m_frameBytes, Qt::Uninitialized);
        if (readFrames(frame.data(), 1) == 1) {
            const qint64 part = maxSize - given;
            std::memcpy(data + given, frame.constData(), static_cast<size_t>(part));
            m_carry = frame.mid(part);
            given += part;
        }
    }
    return given;
}

qint64 SoundFileStream::writeData(const char* /*data*/, qint64 /*size*/)
{
    return -1;
}

qint64 SoundFileStream::readFrames(char* data, qint64 count)
{
    if (count <= 0)
        return 0;
    const sf_count_t read = m_sampleFormat == SampleFormat::Int16
        ? m_file.readf(reinterpret_cast<short*>(data), count)
        : m_file.readf(reinterpret_cast<float*>(data), count);
    return std::max<sf_count_t>(read, 0);
}

} // namespace trouvimo
