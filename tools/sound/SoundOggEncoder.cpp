#include "tools/sound/SoundEncoders.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {

// Fixed, so that the same samples give the same bytes; the quality suits effects and speech.
constexpr int kStreamSerialNumber = 0x0B5E55ED;
constexpr float kQuality = 0.4f;
constexpr size_t kFramesAtATime = 1024;

void AppendPage(const ogg_page& page, std::vector<uint8_t>* file) {
    file->insert(file->end(), page.header, page.header + page.header_len);
    file->insert(file->end(), page.body, page.body + page.body_len);
}

// libvorbisenc's state for one stream, released on every path.
class COggVorbisStream {
public:
    COggVorbisStream() {
        vorbis_info_init(&m_info);
        vorbis_comment_init(&m_comment);
        ogg_stream_init(&m_stream, kStreamSerialNumber);
    }
    ~COggVorbisStream() {
        ogg_stream_clear(&m_stream);
        if (m_bStarted) {
            vorbis_block_clear(&m_block);
            vorbis_dsp_clear(&m_dsp);
        }
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }
    COggVorbisStream(const COggVorbisStream&) = delete;
    COggVorbisStream& operator=(const COggVorbisStream&) = delete;

    // The three header packets, each page of them flushed at once as the format asks.
    bool Start(int channels, int rate, std::vector<uint8_t>* file) {
        if (vorbis_encode_init_vbr(&m_info, channels, rate, kQuality) != 0 ||
            vorbis_analysis_init(&m_dsp, &m_info) != 0)
            return false;
        vorbis_block_init(&m_dsp, &m_block);
        m_bStarted = true;
        ogg_packet identification;
        ogg_packet comments;
        ogg_packet codebooks;
        vorbis_analysis_headerout(&m_dsp, &m_comment, &identification, &comments, &codebooks);
        ogg_stream_packetin(&m_stream, &identification);
        ogg_stream_packetin(&m_stream, &comments);
        ogg_stream_packetin(&m_stream, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page))
            AppendPage(page, file);
        return true;
    }

    // `frames` interleaved frames from `samples`; none marks the end of the stream.
    void Write(const int16_t* samples, size_t frames, int channels, std::vector<uint8_t>* file) {
        if (frames > 0) {
            float** buffer = vorbis_analysis_buffer(&m_dsp, static_cast<int>(frames));
            for (size_t i = 0; i < frames; ++i) {
                for (int channel = 0; channel < channels; ++channel)
                    buffer[channel][i] =
                        samples[i * static_cast<size_t>(channels) + static_cast<size_t>(channel)] / 32768.0f;
            }
        }
        vorbis_analysis_wrote(&m_dsp, static_cast<int>(frames));
        ogg_page page;
        while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
            vorbis_analysis(&m_block, nullptr);
            vorbis_bitrate_addblock(&m_block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&m_dsp, &packet)) {
                ogg_stream_packetin(&m_stream, &packet);
                while (ogg_stream_pageout(&m_stream, &page))
                    AppendPage(page, file);
            }
        }
        if (frames == 0) {
            while (ogg_stream_flush(&m_stream, &page))
                AppendPage(page, file);
        }
    }

private:
    vorbis_info m_info;
    vorbis_comment m_comment;
    vorbis_dsp_state m_dsp;
    vorbis_block m_block;
    ogg_stream_state m_stream;
    bool m_bStarted = false;
};

}  // namespace

bool EncodeOggVorbis(const std::vector<int16_t>& interleaved, int channels, int rate, std::vector<uint8_t>* file) {
    file->clear();
    if (channels < 1 || channels > 2)
        return false;
    COggVorbisStream stream;
    if (!stream.Start(channels, rate, file))
        return false;
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    for (size_t done = 0; done < frames; done += kFramesAtATime) {
        const size_t count = std::min(kFramesAtATime, frames - done);
        stream.Write(interleaved.data() + done * static_cast<size_t>(channels), count, channels, file);
    }
    stream.Write(nullptr, 0, channels, file);
    return true;
}
