#include "export/video/MediaWriter.h"

#include "base/AtomicFile.h"
#include "export/video/FfmpegSupport.h"
#include "export/video/GifPalette.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <vector>

namespace tavro::video {

namespace {

struct Codecs {
    const char* muxer;
    const char* video;
    const char* audio; // nullptr: no sound track
};

Codecs CodecsOf(VideoFormat format) {
    switch (format) {
    case VideoFormat::Mp4:
        return {"mp4", "libx264", "aac"};
    case VideoFormat::WebM:
        return {"webm", "libvpx-vp9", "libopus"};
    case VideoFormat::Gif:
        return {"gif", "gif", nullptr};
    case VideoFormat::WebP:
        return {"webp", "libwebp_anim", nullptr};
    case VideoFormat::Apng:
    case VideoFormat::PngFolder:
        break;
    }
    return {"apng", "apng", nullptr};
}

struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

// The sound track's rate: Opus has no other, and AAC players all take it.
constexpr int kSoundRate = 48000;

} // namespace

struct MediaWriter::Impl {
    std::filesystem::path output;
    MediaSettings settings;
    AtomicFile file;
    AVFormatContext* format = nullptr;
    PacketPtr packet;
    bool headerWritten = false;

    // Pictures.
    CodecPtr video;
    AVStream* videoStream = nullptr;
    std::unique_ptr<SwsContext, SwsFree> scaler;
    PaletteMapper mapper;
    FramePtr picture; // the last picture, converted for the encoder
    int64_t nextPts = 0;

    // Sound.
    CodecPtr audio;
    AVStream* audioStream = nullptr;
    std::unique_ptr<SwrContext, SwrFree> resampler;
    std::unique_ptr<AVAudioFifo, FifoFree> fifo;
    int64_t samplesSent = 0;

    ~Impl() {
        if (format != nullptr) {
            // A muxer frees its private state only in its trailer: an export that stops early
            // still writes one, into the temporary file that goes with `file`.
            if (headerWritten && format->pb != nullptr)
                av_write_trailer(format);
            if (format->pb != nullptr)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
        // The temporary file goes with `file` unless Finish committed it.
    }

    std::string Failure(const std::string& what, int code) const {
        return output.string() + ": " + what + " (" + AvErrorText(code) + ")";
    }

    bool OpenVideo(const Codecs& codecs, std::string& error);
    bool OpenAudio(const Codecs& codecs, std::string& error);
    bool Send(AVCodecContext& codec, AVStream& stream, const AVFrame* frame, std::string& error);
    bool DrainSound(bool all, std::string& error);
};

MediaWriter::MediaWriter() : impl_(std::make_unique<Impl>()) {}
MediaWriter::~MediaWriter() = default;

bool MediaWriter::Impl::OpenVideo(const Codecs& codecs, std::string& error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecs.video);
    if (codec == nullptr) {
        error = output.string() + ": this system's FFmpeg has no " + codecs.video + " encoder";
        return false;
    }
    video.reset(avcodec_alloc_context3(codec));
    if (!video) {
        error = output.string() + ": out of memory for the encoder";
        return false;
    }
    AVCodecContext& c = *video;
    const VideoFormat kind = settings.format;
    c.width = settings.width;
    c.height = settings.height;
    c.time_base = AVRational{settings.rate.den, settings.rate.num};
    c.framerate = AVRational{settings.rate.num, settings.rate.den};
    c.sample_aspect_ratio = AVRational{1, 1};
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* options = nullptr;
    const bool high = settings.highQuality;
    AVPixelFormat pixels = AV_PIX_FMT_RGB24;
    switch (kind) {
    case VideoFormat::Mp4:
    case VideoFormat::WebM: {
        const bool vp9 = kind == VideoFormat::WebM;
        pixels = settings.alpha && vp9 ? AV_PIX_FMT_YUVA420P : AV_PIX_FMT_YUV420P;
        // Pictures are made in sRGB; the video says how its colours were converted.
        c.colorspace = AVCOL_SPC_BT709;
        c.color_primaries = AVCOL_PRI_BT709;
        c.color_trc = AVCOL_TRC_BT709;
        c.color_range = AVCOL_RANGE_MPEG;
        if (settings.bitrate > 0) {
            c.bit_rate = settings.bitrate;
        } else {
            const int crf = settings.crf >= 0 ? settings.crf
                            : vp9             ? (high ? 24 : 36)
                                              : (high ? 18 : 26);
            av_dict_set_int(&options, "crf", crf, 0);
            if (vp9)
                c.bit_rate = 0; // constant quality
        }
        if (vp9) {
            av_dict_set(&options, "deadline", high ? "good" : "realtime", 0);
            av_dict_set_int(&options, "cpu-used", high ? 4 : 8, 0);
            av_dict_set_int(&options, "row-mt", 1, 0);
        } else {
            av_dict_set(&options, "preset", high ? "veryfast" : "superfast", 0);
        }
        break;
    }
    case VideoFormat::Gif:
        pixels = AV_PIX_FMT_PAL8;
        break;
    case VideoFormat::WebP:
        pixels = AV_PIX_FMT_BGRA;
        if (high) {
            av_dict_set_int(&options, "lossless", 1, 0);
        } else {
            av_dict_set_int(&options, "lossless", 0, 0);
            av_dict_set_int(&options, "quality", 75, 0);
        }
        break;
    case VideoFormat::Apng:
    case VideoFormat::PngFolder:
        pixels = settings.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
        av_dict_set(&options, "pred", high ? "mixed" : "none", 0);
        break;
    }
    c.pix_fmt = pixels;
    int r = avcodec_open2(&c, codec, &options);
    av_dict_free(&options);
    if (r < 0) {
        error = Failure(std::string("cannot start the ") + codecs.video + " encoder", r);
        return false;
    }
    videoStream = avformat_new_stream(format, nullptr);
    if (videoStream == nullptr ||
        (r = avcodec_parameters_from_context(videoStream->codecpar, &c)) < 0) {
        error = Failure("cannot add the video stream", videoStream ? r : AVERROR(ENOMEM));
        return false;
    }
    videoStream->time_base = c.time_base;
    videoStream->avg_frame_rate = c.framerate;
    if (settings.alpha && kind == VideoFormat::WebM)
        av_dict_set(&videoStream->metadata, "alpha_mode", "1", 0);

    if (kind == VideoFormat::Gif) {
        if (settings.palette == nullptr) {
            error = output.string() + ": a GIF needs its palette first";
            return false;
        }
        std::string why;
        if (!mapper.Open(settings.width, settings.height, *settings.palette, why)) {
            error = output.string() + ": " + why;
            return false;
        }
        return true;
    }
    picture = AllocPicture(pixels, settings.width, settings.height);
    const int flags = SWS_BICUBIC | SWS_ACCURATE_RND;
    scaler.reset(sws_getContext(settings.width, settings.height, AV_PIX_FMT_RGBA, settings.width,
                                settings.height, pixels, flags, nullptr, nullptr, nullptr));
    if (!picture || !scaler) {
        error = output.string() + ": cannot set up the picture conversion";
        return false;
    }
    if (kind == VideoFormat::Mp4 || kind == VideoFormat::WebM) {
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        picture->colorspace = AVCOL_SPC_BT709;
        picture->color_range = AVCOL_RANGE_MPEG;
        picture->color_primaries = AVCOL_PRI_BT709;
        picture->color_trc = AVCOL_TRC_BT709;
    }
    return true;
}

bool MediaWriter::Impl::OpenAudio(const Codecs& codecs, std::string& error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecs.audio);
    if (codec == nullptr) {
        error = output.string() + ": this system's FFmpeg has no " + codecs.audio + " encoder";
        return false;
    }
    audio.reset(avcodec_alloc_context3(codec));
    if (!audio) {
        error = output.string() + ": out of memory for the encoder";
        return false;
    }
    AVCodecContext& c = *audio;
    c.sample_fmt = settings.format == VideoFormat::Mp4 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_FLT;
    c.sample_rate = kSoundRate;
    av_channel_layout_default(&c.ch_layout, 2);
    c.bit_rate = settings.highQuality ? 160000 : 96000;
    c.time_base = AVRational{1, kSoundRate};
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(&c, codec, nullptr);
    if (r < 0) {
        error = Failure(std::string("cannot start the ") + codecs.audio + " encoder", r);
        return false;
    }
    audioStream = avformat_new_stream(format, nullptr);
    if (audioStream == nullptr ||
        (r = avcodec_parameters_from_context(audioStream->codecpar, &c)) < 0) {
        error = Failure("cannot add the sound stream", audioStream ? r : AVERROR(ENOMEM));
        return false;
    }
    audioStream->time_base = c.time_base;

    AVChannelLayout in{};
    av_channel_layout_default(&in, settings.channels);
    SwrContext* swr = nullptr;
    r = swr_alloc_set_opts2(&swr, &c.ch_layout, c.sample_fmt, c.sample_rate, &in, AV_SAMPLE_FMT_S16,
                            settings.sampleRate, 0, nullptr);
    av_channel_layout_uninit(&in);
    resampler.reset(swr);
    if (r < 0 || (r = swr_init(swr)) < 0) {
        error = Failure("cannot set up the sound conversion", r);
        return false;
    }
    fifo.reset(av_audio_fifo_alloc(c.sample_fmt, c.ch_layout.nb_channels, 4096));
    if (!fifo) {
        error = output.string() + ": out of memory for the sound";
        return false;
    }
    return true;
}

bool MediaWriter::Open(const std::filesystem::path& output, const MediaSettings& settings,
                       std::string& error) {
    QuietFfmpegLog();
    Impl& m = *impl_;
    m.output = output;
    m.settings = settings;
    if (!m.file.Open(output, error))
        return false;
    const Codecs codecs = CodecsOf(settings.format);
    // The file protocol by name, so that no part of the path is read as a protocol.
    const std::string url = "file:" + m.file.TemporaryPath().string();
    int r = avformat_alloc_output_context2(&m.format, nullptr, codecs.muxer, url.c_str());
    if (r < 0 || m.format == nullptr) {
        error = m.Failure("cannot set up the container", r);
        return false;
    }
    m.packet.reset(av_packet_alloc());
    if (!m.packet || !m.OpenVideo(codecs, error))
        return false;
    if (settings.sound && codecs.audio != nullptr && !m.OpenAudio(codecs, error))
        return false;

    if ((r = avio_open(&m.format->pb, url.c_str(), AVIO_FLAG_WRITE)) < 0) {
        error = m.Failure("cannot write the file", r);
        return false;
    }
    AVDictionary* options = nullptr;
    switch (settings.format) {
    case VideoFormat::Mp4:
        // The index first, so that a page can start playing before the whole file is loaded.
        av_dict_set(&options, "movflags", "+faststart", 0);
        break;
    case VideoFormat::Gif:
        av_dict_set_int(&options, "loop", settings.loop ? 0 : -1, 0);
        break;
    case VideoFormat::WebP:
        av_dict_set_int(&options, "loop", settings.loop ? 0 : 1, 0);
        break;
    case VideoFormat::Apng:
        av_dict_set_int(&options, "plays", settings.loop ? 0 : 1, 0);
        break;
    default:
        break;
    }
    r = avformat_write_header(m.format, &options);
    av_dict_free(&options);
    if (r < 0) {
        error = m.Failure("cannot write the file", r);
        return false;
    }
    m.headerWritten = true;
    return true;
}

bool MediaWriter::Impl::Send(AVCodecContext& codec, AVStream& stream, const AVFrame* frame,
                             std::string& error) {
    int r = avcodec_send_frame(&codec, frame);
    while (r >= 0) {
        r = avcodec_receive_packet(&codec, packet.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return true;
        if (r < 0)
            break;
        av_packet_rescale_ts(packet.get(), codec.time_base, stream.time_base);
        packet->stream_index = stream.index;
        r = av_interleaved_write_frame(format, packet.get());
        if (r < 0) {
            error = Failure("cannot write the file", r);
            return false;
        }
    }
    error = Failure("cannot encode", r);
    return false;
}

bool MediaWriter::AddFrame(const uint8_t* rgba, std::string& error) {
    Impl& m = *impl_;
    if (rgba != nullptr) {
        ScopedSeconds timing(times_.convert);
        if (m.settings.format == VideoFormat::Gif) {
            std::string why;
            m.picture = m.mapper.Map(rgba, why);
            if (!m.picture) {
                error = m.output.string() + ": " + why;
                return false;
            }
        } else {
            if (!PrepareForWriting(*m.picture)) {
                error = m.output.string() + ": out of memory for a picture";
                return false;
            }
            const uint8_t* planes[1] = {rgba};
            const int strides[1] = {m.settings.width * 4};
            sws_scale(m.scaler.get(), planes, strides, 0, m.settings.height, m.picture->data,
                      m.picture->linesize);
        }
    }
    if (!m.picture) {
        error = m.output.string() + ": no picture to repeat";
        return false;
    }
    ScopedSeconds timing(times_.encode);
    // The encoder gets its own reference; the picture is kept for repeats.
    FramePtr frame(av_frame_clone(m.picture.get()));
    if (!frame) {
        error = m.output.string() + ": out of memory for a picture";
        return false;
    }
    frame->pts = m.nextPts++;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    return m.Send(*m.video, *m.videoStream, frame.get(), error);
}

bool MediaWriter::Impl::DrainSound(bool all, std::string& error) {
    AVCodecContext& c = *audio;
    const int frameSize = c.frame_size > 0 ? c.frame_size : 1024;
    while (av_audio_fifo_size(fifo.get()) >= (all ? 1 : frameSize)) {
        const int n = std::min(frameSize, av_audio_fifo_size(fifo.get()));
        FramePtr frame(av_frame_alloc());
        if (!frame) {
            error = output.string() + ": out of memory for the sound";
            return false;
        }
        frame->nb_samples = n;
        frame->format = c.sample_fmt;
        frame->sample_rate = c.sample_rate;
        int r = av_channel_layout_copy(&frame->ch_layout, &c.ch_layout);
        if (r >= 0)
            r = av_frame_get_buffer(frame.get(), 0);
        if (r < 0) {
            error = Failure("cannot make a sound frame", r);
            return false;
        }
        av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->data), n);
        frame->pts = samplesSent;
        samplesSent += n;
        if (!Send(c, *audioStream, frame.get(), error))
            return false;
    }
    return true;
}

bool MediaWriter::AddSound(std::span<const uint8_t> pcm, std::string& error) {
    Impl& m = *impl_;
    if (!m.audio)
        return true;
    const int inFrames = int(pcm.size() / size_t(2 * m.settings.channels));
    {
        ScopedSeconds timing(times_.convert);
        const int room = swr_get_out_samples(m.resampler.get(), inFrames);
        uint8_t** out = nullptr;
        int r = av_samples_alloc_array_and_samples(&out, nullptr, m.audio->ch_layout.nb_channels,
                                                   std::max(room, 1), m.audio->sample_fmt, 0);
        if (r < 0) {
            error = m.Failure("cannot convert the sound", r);
            return false;
        }
        const uint8_t* in[1] = {pcm.data()};
        const int made =
            swr_convert(m.resampler.get(), out, room, inFrames > 0 ? in : nullptr, inFrames);
        if (made > 0)
            r = av_audio_fifo_write(m.fifo.get(), reinterpret_cast<void**>(out), made);
        av_freep(&out[0]);
        av_freep(&out);
        if (made < 0 || r < 0) {
            error = m.Failure("cannot convert the sound", made < 0 ? made : r);
            return false;
        }
    }
    ScopedSeconds timing(times_.encode);
    return m.DrainSound(false, error);
}

void MediaWriter::SetLoop(bool loop) {
    Impl& m = *impl_;
    m.settings.loop = loop;
    if (m.format == nullptr || m.format->priv_data == nullptr)
        return;
    if (m.settings.format == VideoFormat::WebP)
        av_opt_set_int(m.format->priv_data, "loop", loop ? 0 : 1, 0);
    else if (m.settings.format == VideoFormat::Apng)
        av_opt_set_int(m.format->priv_data, "plays", loop ? 0 : 1, 0);
}

bool MediaWriter::Finish(std::string& error) {
    Impl& m = *impl_;
    if (m.audio) {
        // What the resampler still holds, then the last, shorter frame.
        if (!AddSound({}, error))
            return false;
        ScopedSeconds timing(times_.encode);
        if (!m.DrainSound(true, error) || !m.Send(*m.audio, *m.audioStream, nullptr, error))
            return false;
    }
    ScopedSeconds timing(times_.encode);
    if (!m.Send(*m.video, *m.videoStream, nullptr, error))
        return false;
    m.headerWritten = false;
    int r = av_write_trailer(m.format);
    if (r < 0) {
        error = m.Failure("cannot write the file", r);
        return false;
    }
    const int written = m.format->pb->error;
    r = avio_closep(&m.format->pb);
    if (written < 0 || r < 0) {
        error = m.Failure("cannot write the file", written < 0 ? written : r);
        return false;
    }
    return m.file.Commit(error);
}

} // namespace tavro::video
