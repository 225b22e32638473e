#include "tools/common/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <new>
#include <stdexcept>
#include <system_error>

#include "tools/common/file_paths.h"
#include "tools/common/sndfile_open.h"
#include "tools/common/staged_file.h"

namespace plux::audio {
namespace fs = std::filesystem;

namespace {

// Frames per libsndfile call in the whole-file helpers and integer writes.
constexpr std::int64_t kBlockFrames = 4096;

// Short enough for the small-string buffer, so reporting it cannot allocate.
void outOfMemory(std::string& error) noexcept {
    error.assign("out of memory");
}

std::string named(const fs::path& path, const std::string& what) {
    return path.string() + ": " + what;
}

// libsndfile's message for `file` (or for the last failed sf_open), without
// the trailing period and the "System error : " prefix, so that it reads
// well in parentheses after our own words.
std::string sndfileReason(SNDFILE* file) {
    std::string reason = sf_strerror(file);
    const std::string systemPrefix = "System error : ";
    if (reason.compare(0, systemPrefix.size(), systemPrefix) == 0)
        reason.erase(0, systemPrefix.size());
    while (!reason.empty() &&
           (reason.back() == '.' || reason.back() == ' ' || reason.back() == '\n'))
        reason.pop_back();
    return reason;
}

// Whether the file was cut off on its way to disk: its header announces more
// audio than the file holds, or the file ends before the size of its audio.
// libsndfile reads what is there and notes the shortfall in its log
// ("data : 768000 (should be 42)"), or a read that came up short just before
// the data chunk ("psf_fread returned short count", then "data : 0"). Short
// reads after the data chunk are trailing chunks cut off, which leave the
// audio whole.
bool announcesMissingAudio(SNDFILE* file) {
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    const std::string text(log);
    bool shortRead = false, sizeSeen = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.rfind("data", 0) == 0 || line.rfind("ds64", 0) == 0) {
            if (shortRead || line.find("(should be") != std::string::npos)
                return true;
            sizeSeen = true;
        } else if (!sizeSeen && line.find("psf_fread returned short count") != std::string::npos) {
            shortRead = true;
        }
        start = end + 1;
    }
    return false;
}

// libsndfile's own name of a container or sample type, for the rare files
// outside the formats we name ourselves.
std::string libraryFormatName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
        return info.name;
    return "unknown format";
}

std::string containerName(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        return "WAV";
    case SF_FORMAT_RF64:
        return "RF64";
    case SF_FORMAT_W64:
        return "W64";
    case SF_FORMAT_AIFF:
        return "AIFF";
    case SF_FORMAT_FLAC:
        return "FLAC";
    default:
        return libraryFormatName(format & SF_FORMAT_TYPEMASK);
    }
}

std::string sampleTypeName(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return "PCM 8-bit";
    case SF_FORMAT_PCM_16:
        return "PCM 16-bit";
    case SF_FORMAT_PCM_24:
        return "PCM 24-bit";
    case SF_FORMAT_PCM_32:
        return "PCM 32-bit";
    case SF_FORMAT_FLOAT:
        return "float 32-bit";
    case SF_FORMAT_DOUBLE:
        return "float 64-bit";
    default:
        return libraryFormatName(format & SF_FORMAT_SUBMASK);
    }
}

std::string formatName(int format) {
    return containerName(format) + ", " + sampleTypeName(format);
}

// Only regular files are read (a FIFO would block libsndfile's open), and an
// empty one is named as such rather than as an unknown format.
bool checkReadable(const fs::path& path, std::string& error) {
    if (!files::checkInput(path, error))
        return false;
    std::error_code ec;
    if (fs::file_size(path, ec) == 0 && !ec) {
        error = named(path, "empty file");
        return false;
    }
    return true;
}

bool isFloat(Encoding encoding) {
    return encoding == Encoding::Float32 || encoding == Encoding::Float64;
}

int bitsOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Pcm8:
        return 8;
    case Encoding::Pcm16:
        return 16;
    case Encoding::Pcm24:
        return 24;
    case Encoding::Pcm32:
    case Encoding::Float32:
        return 32;
    case Encoding::Float64:
        return 64;
    }
    return 0;
}

const char* encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Pcm8:
        return "PCM 8-bit";
    case Encoding::Pcm16:
        return "PCM 16-bit";
    case Encoding::Pcm24:
        return "PCM 24-bit";
    case Encoding::Pcm32:
        return "PCM 32-bit";
    case Encoding::Float32:
        return "float 32-bit";
    case Encoding::Float64:
        return "float 64-bit";
    }
    return "?";
}

// The SF_FORMAT_* value for a container and encoding. 8-bit PCM is unsigned
// in the RIFF family and signed in AIFF and FLAC; WAV files of more than two
// channels are WAVE_FORMAT_EXTENSIBLE, which carries their speaker layout.
int sndfileFormat(Container container, Encoding encoding, int channels) {
    const bool riffFamily =
        container == Container::Wav || container == Container::Rf64 || container == Container::W64;
    int subtype = 0;
    switch (encoding) {
    case Encoding::Pcm8:
        subtype = riffFamily ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
        break;
    case Encoding::Pcm16:
        subtype = SF_FORMAT_PCM_16;
        break;
    case Encoding::Pcm24:
        subtype = SF_FORMAT_PCM_24;
        break;
    case Encoding::Pcm32:
        subtype = SF_FORMAT_PCM_32;
        break;
    case Encoding::Float32:
        subtype = SF_FORMAT_FLOAT;
        break;
    case Encoding::Float64:
        subtype = SF_FORMAT_DOUBLE;
        break;
    }
    int major = 0;
    switch (container) {
    case Container::Wav:
        major = channels > 2 ? SF_FORMAT_WAVEX : SF_FORMAT_WAV;
        break;
    case Container::Rf64:
        major = SF_FORMAT_RF64;
        break;
    case Container::W64:
        major = SF_FORMAT_W64;
        break;
    case Container::Aiff:
        major = SF_FORMAT_AIFF;
        break;
    case Container::Flac:
        major = SF_FORMAT_FLAC;
        break;
    }
    return major | subtype;
}

// One sample as a `bits`-bit code, left-aligned in 32 bits as sf_writef_int
// expects: rounded half away from zero, clipped to the representable range
// (+1.0 becomes the largest code), NaN as 0. Done here rather than by
// libsndfile, whose conversion rounds half to even and turns NaN into -1.0.
int quantise(double sample, int bits) {
    const double scale = std::ldexp(1.0, bits - 1);
    const auto lowest = static_cast<std::int64_t>(-scale);
    const std::int64_t highest = static_cast<std::int64_t>(scale) - 1;
    std::int64_t code = 0;
    const double scaled = sample * scale;
    if (std::isnan(scaled))
        code = 0;
    else if (scaled >= static_cast<double>(highest))
        code = highest;
    else if (scaled <= static_cast<double>(lowest))
        code = lowest;
    else
        code = static_cast<std::int64_t>(std::round(scaled));
    return static_cast<int>(code * (std::int64_t{1} << (32 - bits)));
}

}  // namespace

// ---------------------------------------------------------------- Reader

struct Reader::Impl {
    SNDFILE* file = nullptr;
    fs::path path;
    FileInfo info;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (file)
            sf_close(file);
    }
};

Reader::Reader() = default;
Reader::~Reader() = default;

bool Reader::open(const fs::path& path, std::string& error) {
    impl_.reset();
    try {
        if (!checkReadable(path, error))
            return false;
        auto impl = std::make_unique<Impl>();
        impl->path = path;
        SF_INFO sfInfo{};
        impl->file = openSoundFile(path, SFM_READ, &sfInfo);
        if (!impl->file) {
            error = named(path,
                          "not an audio file libsndfile can read (" + sndfileReason(nullptr) + ")");
            return false;
        }
        if (sfInfo.channels <= 0) {
            error = named(path, "has no channels");
            return false;
        }
        if (sfInfo.samplerate <= 0) {
            error = named(path, "has no sample rate");
            return false;
        }
        if (announcesMissingAudio(impl->file)) {
            error = named(path, "truncated: its header announces more audio than the file holds");
            return false;
        }
        // Integer samples arrive divided by 2^(bits - 1), libsndfile's default;
        // float samples pass through untouched either way.
        sf_command(impl->file, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
        impl->info.frames = sfInfo.frames;
        impl->info.channels = sfInfo.channels;
        impl->info.sampleRate = sfInfo.samplerate;
        impl->info.format = formatName(sfInfo.format);
        impl_ = std::move(impl);
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    }
}

const FileInfo& Reader::info() const {
    static const FileInfo none;
    return impl_ ? impl_->info : none;
}

std::int64_t Reader::read(double* interleaved, std::int64_t frames, std::string& error) {
    try {
        if (!impl_) {
            error = "no audio file is open";
            return -1;
        }
        if (frames <= 0 || !interleaved)
            return 0;
        // A file shorter than its header claims reads short without an error;
        // libsndfile has already cut the frame count to what is there.
        const sf_count_t got = sf_readf_double(impl_->file, interleaved, frames);
        if (got < frames && sf_error(impl_->file) != SF_ERR_NO_ERROR) {
            error = named(impl_->path, "read failed (" + sndfileReason(impl_->file) + ")");
            return -1;
        }
        return got;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return -1;
    }
}

bool Reader::seek(std::int64_t frame, std::string& error) {
    try {
        if (!impl_) {
            error = "no audio file is open";
            return false;
        }
        if (frame < 0 || frame > impl_->info.frames) {
            error = named(impl_->path, "cannot seek to frame " + std::to_string(frame) + " of " +
                                           std::to_string(impl_->info.frames));
            return false;
        }
        if (sf_seek(impl_->file, frame, SEEK_SET) < 0) {
            error = named(impl_->path, "cannot seek to frame " + std::to_string(frame) + " (" +
                                           sndfileReason(impl_->file) + ")");
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    }
}

// ---------------------------------------------------------------- Writer

struct Writer::Impl {
    SNDFILE* file = nullptr;
    fs::path target;  // as the caller named it, for messages
    files::StagedFile output;
    int channels = 0;
    Encoding encoding = Encoding::Float32;
    bool failed = false;
    std::vector<int> codes;  // one block of quantised samples

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() { discard(); }

    void discard() noexcept {
        if (file) {
            sf_close(file);
            file = nullptr;
        }
        output.discard();
    }
};

Writer::Writer() = default;
Writer::~Writer() = default;

bool Writer::open(const fs::path& path, int channels, int sampleRate, Encoding encoding,
                  Container container, std::string& error) {
    impl_.reset();
    try {
        if (channels <= 0 || sampleRate <= 0) {
            error = named(path, "cannot write " + std::to_string(channels) + " channels at " +
                                    std::to_string(sampleRate) + " Hz");
            return false;
        }
        if (container == Container::Flac && isFloat(encoding)) {
            error = named(path, std::string("FLAC holds only 8-, 16- and 24-bit PCM, not ") +
                                    encodingName(encoding));
            return false;
        }
        if (container == Container::Flac && encoding == Encoding::Pcm32) {
            error = named(path, "FLAC holds only 8-, 16- and 24-bit PCM, not PCM 32-bit");
            return false;
        }
        SF_INFO sfInfo{};
        sfInfo.channels = channels;
        sfInfo.samplerate = sampleRate;
        sfInfo.format = sndfileFormat(container, encoding, channels);
        if (!sf_format_check(&sfInfo)) {
            error = named(path, "cannot write " + formatName(sfInfo.format) + " with " +
                                    std::to_string(channels) + " channels at " +
                                    std::to_string(sampleRate) + " Hz");
            return false;
        }

        auto impl = std::make_unique<Impl>();
        impl->target = path;
        impl->channels = channels;
        impl->encoding = encoding;
        if (!impl->output.begin(path, error))
            return false;
        impl->file = openSoundFile(impl->output.temporary(), SFM_WRITE, &sfInfo);
        if (!impl->file) {
            error = named(path, "cannot write (" + sndfileReason(nullptr) + ")");
            return false;  // the Impl's destructor removes anything sf_open left
        }
        // Float samples go out exactly as given, beyond full scale and non-finite
        // alike. Integer samples are quantised and clipped here before libsndfile
        // sees them; its clipping stays on as a second guard.
        sf_command(impl->file, SFC_SET_CLIPPING, nullptr, isFloat(encoding) ? SF_FALSE : SF_TRUE);
        if (!isFloat(encoding))
            impl->codes.resize(static_cast<std::size_t>(kBlockFrames) *
                               static_cast<std::size_t>(channels));
        impl_ = std::move(impl);
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    }
}

bool Writer::write(const double* interleaved, std::int64_t frames, std::string& error) {
    try {
        if (!impl_ || !impl_->file) {
            error = "no audio file is open for writing";
            return false;
        }
        if (impl_->failed) {
            error = named(impl_->target, "an earlier write failed");
            return false;
        }
        if (frames < 0 || (frames > 0 && !interleaved)) {
            // The frames meant here are missing, so the file may not appear.
            impl_->failed = true;
            error = named(impl_->target, "nothing valid to write");
            return false;
        }
        bool ok = true;
        if (isFloat(impl_->encoding)) {
            ok = sf_writef_double(impl_->file, interleaved, frames) == frames;
        } else {
            const int bits = bitsOf(impl_->encoding);
            const auto channels = static_cast<std::int64_t>(impl_->channels);
            for (std::int64_t done = 0; ok && done < frames;) {
                const std::int64_t n = std::min(kBlockFrames, frames - done);
                const double* in = interleaved + done * channels;
                for (std::int64_t i = 0; i < n * channels; ++i)
                    impl_->codes[static_cast<std::size_t>(i)] = quantise(in[i], bits);
                ok = sf_writef_int(impl_->file, impl_->codes.data(), n) == n;
                done += n;
            }
        }
        if (!ok) {
            impl_->failed = true;
            error = named(impl_->target, "cannot write (" + sndfileReason(impl_->file) + ")");
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    }
}

bool Writer::commit(std::string& error) {
    try {
        if (!impl_ || !impl_->file) {
            error = "no audio file is open for writing";
            return false;
        }
        if (impl_->failed) {
            error = named(impl_->target, "an earlier write failed");
            impl_.reset();
            return false;
        }
        // sf_close writes the final header sizes; its failure means a broken file.
        const int closed = sf_close(impl_->file);
        impl_->file = nullptr;
        if (closed != SF_ERR_NO_ERROR) {
            error =
                named(impl_->target, std::string("cannot write (") + sf_error_number(closed) + ")");
            impl_.reset();
            return false;
        }
        const bool renamed = impl_->output.commit(error);
        impl_.reset();
        return renamed;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        impl_.reset();
        return false;
    }
}

// ---------------------------------------------------------------- whole files

bool readFile(const fs::path& path, Audio& out, std::string& error) {
    out = Audio{};
    try {
        Reader reader;
        if (!reader.open(path, error))
            return false;
        const FileInfo& info = reader.info();
        const auto channels = static_cast<std::size_t>(info.channels);
        Audio audio;
        audio.sampleRate = info.sampleRate;
        audio.channels.resize(channels);
        // A corrupt header may claim far more than the file holds; the vectors
        // grow from a bounded start rather than trusting it.
        const auto expected = static_cast<std::size_t>(
            std::clamp<std::int64_t>(info.frames, 0, std::int64_t{1} << 24));
        for (auto& channel : audio.channels)
            channel.reserve(expected);
        std::vector<double> block(static_cast<std::size_t>(kBlockFrames) * channels);
        for (;;) {
            const std::int64_t got = reader.read(block.data(), kBlockFrames, error);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            for (std::size_t c = 0; c < channels; ++c)
                for (std::size_t f = 0; f < static_cast<std::size_t>(got); ++f)
                    audio.channels[c].push_back(block[f * channels + c]);
        }
        out = std::move(audio);
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    } catch (const std::length_error&) {
        outOfMemory(error);
        return false;
    }
}

bool writeFile(const fs::path& path, const Audio& audio, Encoding encoding, Container container,
               std::string& error) {
    Writer writer;
    return stageFile(path, audio, encoding, container, writer, error) && writer.commit(error);
}

bool stageFile(const fs::path& path, const Audio& audio, Encoding encoding, Container container,
               Writer& writer, std::string& error) {
    try {
        if (audio.channels.empty() || audio.channels.size() > static_cast<std::size_t>(INT_MAX)) {
            error = named(path, "no channels to write");
            return false;
        }
        const std::size_t frames = audio.frameCount();
        for (const auto& channel : audio.channels) {
            if (channel.size() != frames) {
                error = named(path, "channels differ in length");
                return false;
            }
        }
        const std::size_t channels = audio.channels.size();
        if (!writer.open(path, static_cast<int>(channels), audio.sampleRate, encoding, container,
                         error))
            return false;
        const auto block = static_cast<std::size_t>(kBlockFrames);
        std::vector<double> interleaved(block * channels);
        for (std::size_t done = 0; done < frames; done += block) {
            const std::size_t n = std::min(block, frames - done);
            for (std::size_t f = 0; f < n; ++f)
                for (std::size_t c = 0; c < channels; ++c)
                    interleaved[f * channels + c] = audio.channels[c][done + f];
            if (!writer.write(interleaved.data(), static_cast<std::int64_t>(n), error))
                return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        outOfMemory(error);
        return false;
    }
}

bool containerForPath(const fs::path& path, Container& out) {
    try {
        std::string ext = path.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".wav")
            out = Container::Wav;
        else if (ext == ".rf64")
            out = Container::Rf64;
        else if (ext == ".w64")
            out = Container::W64;
        else if (ext == ".aif" || ext == ".aiff")
            out = Container::Aiff;
        else if (ext == ".flac")
            out = Container::Flac;
        else
            return false;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace plux::audio
