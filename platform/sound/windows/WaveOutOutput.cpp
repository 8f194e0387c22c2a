// The sound module on Windows: plays sound files through the system's waveform audio (winmm),
// decoded with libsndfile as they play. Only the sound player's thread loads it (see SoundThread).
//
// Not Qt Multimedia's Windows sink: Qt 6.4 hands the audio client the device's mix format and
// converts to it with Media Foundation's resampler unless the sound already is in that format,
// and wine has no such resampler, so there every cue and recording was dropped before a sample
// reached the sound server (the sink never initialised its audio client). Waveform audio takes the
// file's own format and converts it in the system's mapper, on Windows and under wine alike.

#include "platform/modules/QuietModules.h"
#include "platform/sound/SoundOutput.h"
#include "platform/sound/files/ProbeRecording.h"
#include "platform/sound/files/RequestedSound.h"
#include "platform/sound/files/SoundFileStream.h"

#include <QLoggingCategory>
#include <QObject>
#include <QWinEventNotifier>

#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>

#include <array>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace trouvimo {

namespace {

// Four blocks of 50 ms: the device always holds the next ones while one is refilled, and a stop
// silences at once.
constexpr int blockCount = 4;
constexpr int blockMs = 50;
// A requested sound counts as playing until its natural end, worked out from its length, with
// this much more for the device's own buffer.
constexpr auto audibleTail = std::chrono::milliseconds(200);

// The format waveform audio is told the samples come in: 16-bit integers or 32-bit floats, as
// the stream decodes them, with the extensible header that more than two channels need.
WAVEFORMATEXTENSIBLE waveFormatOf(const SoundFileStream& sound)
{
    const bool integer = sound.sampleFormat() == SoundFileStream::SampleFormat::Int16;
    WAVEFORMATEXTENSIBLE format {};
    format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    format.Format.nChannels = static_cast<WORD>(sound.channels());
    format.Format.nSamplesPerSec = static_cast<DWORD>(sound.sampleRate());
    format.Format.wBitsPerSample = integer ? 16 : 32;
    format.Format.nBlockAlign =
        static_cast<WORD>(format.Format.nChannels * format.Format.wBitsPerSample / 8);
    format.Format.nAvgBytesPerSec = format.Format.nSamplesPerSec * format.Format.nBlockAlign;
    format.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    format.Samples.wValidBitsPerSample = format.Format.wBitsPerSample;
    format.SubFormat = integer ? KSDATAFORMAT_SUBTYPE_PCM : KSDATAFORMAT_SUBTYPE_IEEE_FLOAT;
    if (sound.channels() <= 2) {
        // One or two channels need no speaker mask, and the plain header is what every driver
        // and wine's mapper take.
        format.Format.wFormatTag = integer ? WAVE_FORMAT_PCM : WAVE_FORMAT_IEEE_FLOAT;
        format.Format.cbSize = 0;
    }
    return format;
}

// One sound on its way out: the open device, the file it reads, and the blocks the device holds.
class Playback {
public:
    struct Block {
        WAVEHDR header {};
        std::vector<char> bytes;
        bool queued = false;
    };

    Playback(HWAVEOUT device, HANDLE done, std::unique_ptr<SoundFileStream> sound)
        : m_device(device)
        , m_done(done)
        , m_sound(std::move(sound))
    {
        const auto blockBytes =
            static_cast<std::size_t>(waveFormatOf(*m_sound).Format.nAvgBytesPerSec) * blockMs
            / 1000;
        for (Block& block : m_blocks)
            block.bytes.resize(blockBytes);
    }

    ~Playback()
    {
        // Resetting hands every block back at once, which they must be before they are let go.
        waveOutReset(m_device);
        for (Block& block : m_blocks)
            if (block.queued)
                waveOutUnprepareHeader(m_device, &block.header, sizeof(WAVEHDR));
        waveOutClose(m_device);
        CloseHandle(m_done);
    }

    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Refills and hands back the blocks the device has played; false once the whole sound has
    // been played, or when the device refuses a block.
    bool feed()
    {
        bool playing = false;
        for (Block& block : m_blocks) {
            if (block.queued && (block.header.dwFlags & WHDR_DONE) == 0) {
                playing = true;
                continue;
            }
            if (block.queued) {
                waveOutUnprepareHeader(m_device, &block.header, sizeof(WAVEHDR));
                block.queued = false;
            }
            const qint64 read =
                m_sound->read(block.bytes.data(), static_cast<qint64>(block.bytes.size()));
            if (read <= 0)
                continue;
            block.header = {};
            block.header.lpData = block.bytes.data();
            block.header.dwBufferLength = static_cast<DWORD>(read);
            if (waveOutPrepareHeader(m_device, &block.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                return false;
            block.queued = true;
            if (waveOutWrite(m_device, &block.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                return false;
            playing = true;
        }
        return playing;
    }

private:
    HWAVEOUT m_device;
    HANDLE m_done;
    std::unique_ptr<SoundFileStream> m_sound;
    std::array<Block, blockCount> m_blocks;
};

class WaveOutOutput final : public QObject, public SoundOutput {
public:
    explicit WaveOutOutput(std::shared_ptr<PlaybackState> state)
        : m_state(std::move(state))
    {
    }

    ~WaveOutOutput() override { stopCurrent(); }

    WaveOutOutput(const WaveOutOutput&) = delete;
    WaveOutOutput& operator=(const WaveOutOutput&) = delete;

    bool findOutput() override
    {
        m_outputFound = waveOutGetNumDevs() > 0;
        return m_outputFound;
    }

    void play(const QString& file, quint64 generation) override
    {
        stopCurrent();
        std::unique_ptr<SoundFileStream> sound =
            openRequestedSound(file, generation, m_outputFound && !m_stopped, *m_state);
        if (!sound)
            return;
        const double seconds = sound->durationSeconds();
        if (!start(std::move(sound))) {
            m_state->settle(generation);
            return;
        }
        const auto duration = std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(seconds));
        m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + duration + audibleTail);
        m_generation = generation;
        if (!m_playback->feed())
            finishCurrent();
    }

    void stopAll() override
    {
        m_stopped = true;
        stopCurrent();
    }

private:
    bool start(std::unique_ptr<SoundFileStream> sound)
    {
        const WAVEFORMATEXTENSIBLE format = waveFormatOf(*sound);
        HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (done == nullptr)
            return false;
        HWAVEOUT device = nullptr;
        if (waveOutOpen(&device, WAVE_MAPPER, &format.Format, reinterpret_cast<DWORD_PTR>(done), 0,
                        CALLBACK_EVENT)
            != MMSYSERR_NOERROR) {
            CloseHandle(done);
            return false;
        }
        m_playback = std::make_unique<Playback>(device, done, std::move(sound));
        // Waveform audio signals the event as each block is played (and once when the device
        // opens); the player's thread refills then, from its own event loop.
        m_notifier = new QWinEventNotifier(done, this);
        connect(m_notifier, &QWinEventNotifier::activated, this, [this] {
            if (m_playback && !m_playback->feed())
                finishCurrent();
        });
        return true;
    }

    // The sound has been played to its end, or the device failed in the middle: either way it
    // is heard no more.
    void finishCurrent()
    {
        stopCurrent();
        m_state->settle(m_generation);
    }

    void stopCurrent()
    {
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
            m_notifier->deleteLater();
            m_notifier = nullptr;
        }
        m_playback.reset();
    }

    std::shared_ptr<PlaybackState> m_state;
    bool m_outputFound = false;
    bool m_stopped = false;
    quint64 m_generation = 0;
    std::unique_ptr<Playback> m_playback;
    // Owned through Qt: a child of this output until deleteLater() takes it.
    QWinEventNotifier* m_notifier = nullptr;
};

} // namespace

class WaveOutOutputFactory final : public QObject, public SoundOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSoundOutputFactory_iid)
    Q_INTERFACES(trouvimo::SoundOutputFactory)

public:
    RecordingProbe probeRecording(const QString& file) override
    {
        return trouvimo::probeRecording(file);
    }

    std::unique_ptr<SoundOutput> create(std::shared_ptr<PlaybackState> state) override
    {
        QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietModules));
        return std::make_unique<WaveOutOutput>(std::move(state));
    }
};

} // namespace trouvimo

#include "WaveOutOutput.moc"
