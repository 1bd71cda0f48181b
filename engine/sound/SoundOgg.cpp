#include "engine/sound/SoundOgg.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/core/OutOfMemory.h"
#include "engine/sound/VorbisSetupCheck.h"

CSoundOgg::~CSoundOgg() {
    Close();
}

size_t CSoundOgg::ReadCallback(void* out, size_t itemSize, size_t items, void* source) {
    auto* s = static_cast<Source*>(source);
    if (s->bFromFile)
        return fread(out, itemSize, items, s->file);
    if (itemSize == 0 || s->position >= s->size)
        return 0;
    const size_t whole = std::min(items, (s->size - s->position) / itemSize);
    memcpy(out, s->data + s->position, whole * itemSize);
    s->position += whole * itemSize;
    return whole;
}

// Positions outside the data are refused; seeking to where the source stands is fine.
int CSoundOgg::SeekCallback(void* source, int64_t offset, int whence) {
    auto* s = static_cast<Source*>(source);
    if (s->bFromFile)
        return fseek(s->file, static_cast<long>(offset), whence);
    int64_t target;
    switch (whence) {
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = static_cast<int64_t>(s->position) + offset;
        break;
    case SEEK_END:
        target = static_cast<int64_t>(s->size) + offset;
        break;
    default:
        return -1;
    }
    if (target < 0 || target > static_cast<int64_t>(s->size))
        return -1;
    s->position = static_cast<size_t>(target);
    return 0;
}

int CSoundOgg::CloseCallback(void* source) {
    auto* s = static_cast<Source*>(source);
    if (s->bFromFile)
        return fseek(s->file, 0, SEEK_SET);
    s->position = 0;
    return 0;
}

long CSoundOgg::TellCallback(void* source) {
    auto* s = static_cast<Source*>(source);
    if (s->bFromFile)
        return ftell(s->file);
    return static_cast<long>(s->position);
}

void CSoundOgg::Close() {
    if (m_pDecoder) {
        ov_clear(m_pDecoder);
        delete m_pDecoder;
        m_pDecoder = nullptr;
    }
    delete m_pSource;
    m_pSource = nullptr;
    free(m_pBuffer);
    m_pBuffer = nullptr;
    if (m_pFile)
        fclose(m_pFile);
    m_pFile = nullptr;
    m_bInMemory = m_nDataSize = m_nFileSize = m_nSampleRate = m_nBitsPerSample = 0;
    m_nDecoderPosition = m_nFormat = 0;
}

// vorbisfile decodes the headers of every link at open, each from where its link begins, and
// decodes audio only later: the setup header of each link is checked there before any audio
// is decoded with it. The source is left where vorbisfile left it.
int CSoundOgg::SetupHeadersDecodable() {
    const long resume = TellCallback(m_pSource);
    const long links = ov_streams(m_pDecoder);
    int64_t linkStart = 0;
    bool decodable = resume >= 0;
    for (long link = 0; decodable && link < links; ++link) {
        decodable = SeekCallback(m_pSource, linkStart, SEEK_SET) == 0 &&
                    VorbisLinkSetupDecodable(&CSoundOgg::ReadCallback, m_pSource);
        const int64_t linkSize = ov_raw_total(m_pDecoder, static_cast<int>(link));
        decodable = decodable && linkSize > 0;
        linkStart += linkSize;
    }
    return SeekCallback(m_pSource, resume, SEEK_SET) == 0 && decodable;
}

// The sound has one format: a chain whose links differ in channels or rate would deliver
// samples under another link's label.
int CSoundOgg::LinksShareOneFormat() const {
    const vorbis_info* first = ov_info(m_pDecoder, 0);
    const long links = ov_streams(m_pDecoder);
    for (long link = 1; first && link < links; ++link) {
        const vorbis_info* info = ov_info(m_pDecoder, static_cast<int>(link));
        if (!info || info->channels != first->channels || info->rate != first->rate)
            return 0;
    }
    return first != nullptr;
}

// Opens the decoder on the prepared source; a stream it does not recognise, links of
// different formats, a setup header libvorbis cannot decode audio with, more than two
// channels or a size beyond what the sound can count leave everything closed.
int CSoundOgg::StartDecoder() {
    m_pDecoder = new OggVorbis_File;
    const ov_callbacks callbacks = {&CSoundOgg::ReadCallback, &CSoundOgg::SeekCallback, &CSoundOgg::CloseCallback,
                                    &CSoundOgg::TellCallback};
    if (ov_open_callbacks(m_pSource, m_pDecoder, nullptr, 0, callbacks) < 0) {
        // A failed open does not clear the decoder: it holds nothing to free.
        delete m_pDecoder;
        m_pDecoder = nullptr;
        Close();
        return 0;
    }
    // The first link's format: the open may leave the decoder in a later link.
    const vorbis_info* info = ov_info(m_pDecoder, 0);
    const int64_t samples = ov_pcm_total(m_pDecoder, -1);
    if (!LinksShareOneFormat() || (info->channels != 1 && info->channels != 2) || info->rate <= 0 ||
        samples < 0) {
        Close();
        return 0;
    }
    // Compared before multiplying: a stream's last granule position can be near 2^63.
    if (samples > INT_MAX / (2 * info->channels)) {
        Close();
        return 0;
    }
    // vorbisfile's open reads ahead, and may leave the decoder past a first link of one
    // audio page: every decode starts at the first sample of the first link.
    if (!SetupHeadersDecodable() || ov_raw_seek(m_pDecoder, 0) != 0) {
        Close();
        return 0;
    }
    const int64_t bytes = samples * 2 * info->channels;
    m_nSampleRate = static_cast<int>(std::min<long>(info->rate, INT_MAX));
    m_nBitsPerSample = 16;
    m_nDataSize = static_cast<int>(bytes);
    m_nFormat = info->channels == 1 ? kMono16 : kStereo16;
    m_nDecoderPosition = 0;
    return 1;
}

int CSoundOgg::Open(const char* path, int bInMemory) {
    Close();
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return 0;
    fseek(file, 0, SEEK_END);
    const long size = ftell(file);
    fseek(file, 0, SEEK_SET);
    if (size < 0 || size > INT_MAX) {
        fclose(file);
        return 0;
    }
    m_bInMemory = bInMemory ? 1 : 0;
    m_nFileSize = static_cast<int>(size);
    if (bInMemory) {
        m_pBuffer = static_cast<uint8_t*>(malloc(static_cast<size_t>(size) + 1));
        if (!m_pBuffer)
            OutOfMemory(static_cast<size_t>(size) + 1);
        const size_t read = fread(m_pBuffer, 1, static_cast<size_t>(size), file);
        fclose(file);
        m_pSource = new Source{nullptr, m_pBuffer, read, 0, 0};
    } else {
        m_pFile = file;
        m_pSource = new Source{file, nullptr, 0, 0, 1};
    }
    return StartDecoder();
}

int CSoundOgg::OpenMemory(const uint8_t* data, size_t size) {
    Close();
    if (!data || size > INT_MAX)
        return 0;
    m_bInMemory = 1;
    m_nFileSize = static_cast<int>(size);
    m_pBuffer = static_cast<uint8_t*>(malloc(size + 1));
    if (!m_pBuffer)
        OutOfMemory(size + 1);
    memcpy(m_pBuffer, data, size);
    m_pSource = new Source{nullptr, m_pBuffer, size, 0, 0};
    return StartDecoder();
}

int CSoundOgg::Read(void* destination, int position, int size) {
    if (!m_pDecoder || !destination || position < 0 || position > m_nDataSize)
        return 0;
    if (size == -1)
        size = m_nDataSize;
    size = std::min(size, m_nDataSize - position);
    if (size <= 0)
        return 0;
    if (position != m_nDecoderPosition) {
        // The decoder seeks in samples: two bytes a channel.
        const int frameBytes = m_nFormat == kStereo16 ? 4 : 2;
        if (ov_pcm_seek(m_pDecoder, position / frameBytes) != 0)
            return 0;
    }
    auto* out = static_cast<char*>(destination);
    memset(out, 0, static_cast<size_t>(size));
    int delivered = 0;
    while (delivered < size) {
        int stream = 0;
        const long got = ov_read(m_pDecoder, out + delivered, size - delivered, 0, 2, 1, &stream);
        if (got <= 0)
            break;
        delivered += static_cast<int>(got);
    }
    m_nDecoderPosition = position + delivered;
    return delivered;
}

void CSoundOgg::Rewind() {
    if (m_pDecoder)
        ov_raw_seek(m_pDecoder, 0);
    m_nDecoderPosition = 0;
}
