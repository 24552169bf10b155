#include "host/AudioOgg.h"

#include "host/Log.h"
#include "host/System.h"
#include "host/VorbisHeaders.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <string>

// ----------------------------------------------------------------------------------------
// Decoder

struct AudioOggDecoder::State {
    OggVorbis_File file;
};

namespace {

size_t ReadFile(void* out, size_t size, size_t count, void* file)
{
    return fread(out, size, count, (FILE*)file);
}

int SeekFile(void* file, ogg_int64_t offset, int whence)
{
    return fseeko((FILE*)file, (off_t)offset, whence);
}

int CloseFile(void* file)
{
    return fclose((FILE*)file);
}

long TellFile(void* file)
{
    return (long)ftello((FILE*)file);
}

}  // namespace

AudioOggDecoder::~AudioOggDecoder()
{
    Close();
}

bool AudioOggDecoder::Open(const char* path)
{
    Close();
    if (!path) return false;
    FILE* file = OpenFile(path, "rb");
    if (!file) {
        Log("ERROR Ogg Vorbis: cannot open '%s'\n", path);
        return false;
    }
    // The decoder dies on some damaged headers instead of failing: it only sees files whose
    // headers have been read and checked here.
    std::string reason;
    if (!CheckVorbisHeaders(file, &reason) || fseeko(file, 0, SEEK_SET) != 0) {
        Log("ERROR Ogg Vorbis: '%s' refused: %s\n", path, reason.empty() ? "cannot read it" : reason.c_str());
        fclose(file);
        return false;
    }
    State* state = new State();
    ov_callbacks callbacks = {ReadFile, SeekFile, CloseFile, TellFile};
    int result = ov_open_callbacks(file, &state->file, nullptr, 0, callbacks);
    if (result != 0) {
        // The decoder closes the file only once it has opened the stream.
        Log("ERROR Ogg Vorbis: '%s' refused by the decoder (%d)\n", path, result);
        fclose(file);
        delete state;
        return false;
    }
    vorbis_info* info = ov_info(&state->file, -1);
    if (!info || info->channels < 1) {
        Log("ERROR Ogg Vorbis: '%s' has no channels\n", path);
        ov_clear(&state->file);
        delete state;
        return false;
    }
    state_ = state;
    channels_ = info->channels;
    rate_ = (int)info->rate;
    return true;
}

void AudioOggDecoder::Close()
{
    if (!state_) return;
    ov_clear(&state_->file);
    delete state_;
    state_ = nullptr;
    channels_ = 0;
    rate_ = 0;
}

int64_t AudioOggDecoder::TotalFrames()
{
    if (!state_) return -1;
    ogg_int64_t total = ov_pcm_total(&state_->file, -1);
    return total < 0 ? -1 : (int64_t)total;
}

long AudioOggDecoder::Read(void* out, size_t bytes)
{
    if (!state_ || !out) return 0;
    if (bytes > 1 << 30) bytes = 1 << 30;
    int bitstream = 0;
    long result = ov_read(&state_->file, (char*)out, (int)bytes, 0, 2, 1, &bitstream);
    return result;
}

bool AudioOggDecoder::SeekToStart()
{
    return state_ && ov_pcm_seek(&state_->file, 0) == 0;
}

// ----------------------------------------------------------------------------------------
// Encoder

struct AudioOggEncoder::State {
    FILE* file = nullptr;
    int channels = 0;
    bool failed = false;
    ogg_stream_state stream;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
};

AudioOggEncoder::~AudioOggEncoder()
{
    Close();
}

bool AudioOggEncoder::Open(const char* path, int channels, int rate, float quality, int serial)
{
    Close();
    if (!path || channels < 1 || channels > 2 || rate <= 0) return false;
    FILE* file = fopen(path, "wb");
    if (!file) return false;
    State* s = new State();
    s->file = file;
    s->channels = channels;
    vorbis_info_init(&s->info);
    if (vorbis_encode_init_vbr(&s->info, channels, rate, quality) != 0) {
        vorbis_info_clear(&s->info);
        fclose(file);
        delete s;
        return false;
    }
    vorbis_comment_init(&s->comment);
    vorbis_comment_add_tag(&s->comment, "ENCODER", "Veldmark content tools");
    vorbis_analysis_init(&s->dsp, &s->info);
    vorbis_block_init(&s->dsp, &s->block);
    ogg_stream_init(&s->stream, serial);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&s->dsp, &s->comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&s->stream, &header);
    ogg_stream_packetin(&s->stream, &headerComment);
    ogg_stream_packetin(&s->stream, &headerCode);
    state_ = s;
    // The audio starts on a fresh page.
    ogg_page page;
    while (ogg_stream_flush(&s->stream, &page) != 0) {
        if (fwrite(page.header, 1, page.header_len, file) != (size_t)page.header_len ||
            fwrite(page.body, 1, page.body_len, file) != (size_t)page.body_len)
            s->failed = true;
    }
    return true;
}

bool AudioOggEncoder::Flush(bool final)
{
    State* s = state_;
    if (final) vorbis_analysis_wrote(&s->dsp, 0);
    while (vorbis_analysis_blockout(&s->dsp, &s->block) == 1) {
        vorbis_analysis(&s->block, nullptr);
        vorbis_bitrate_addblock(&s->block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&s->dsp, &packet)) {
            ogg_stream_packetin(&s->stream, &packet);
            ogg_page page;
            while (ogg_stream_pageout(&s->stream, &page) != 0) {
                if (fwrite(page.header, 1, page.header_len, s->file) != (size_t)page.header_len ||
                    fwrite(page.body, 1, page.body_len, s->file) != (size_t)page.body_len)
                    s->failed = true;
            }
        }
    }
    return !s->failed;
}

bool AudioOggEncoder::Write(const float* samples, int frames)
{
    if (!state_ || !samples || frames < 0) return false;
    State* s = state_;
    const int chunk = 4096;
    for (int done = 0; done < frames; done += chunk) {
        int count = frames - done < chunk ? frames - done : chunk;
        float** buffer = vorbis_analysis_buffer(&s->dsp, count);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < s->channels; ++c) buffer[c][i] = samples[(done + i) * s->channels + c];
        vorbis_analysis_wrote(&s->dsp, count);
        if (!Flush(false)) return false;
    }
    return true;
}

bool AudioOggEncoder::Close()
{
    if (!state_) return false;
    State* s = state_;
    Flush(true);
    ogg_page page;
    while (ogg_stream_flush(&s->stream, &page) != 0) {
        if (fwrite(page.header, 1, page.header_len, s->file) != (size_t)page.header_len ||
            fwrite(page.body, 1, page.body_len, s->file) != (size_t)page.body_len)
            s->failed = true;
    }
    ogg_stream_clear(&s->stream);
    vorbis_block_clear(&s->block);
    vorbis_dsp_clear(&s->dsp);
    vorbis_comment_clear(&s->comment);
    vorbis_info_clear(&s->info);
    if (fclose(s->file) != 0) s->failed = true;
    bool ok = !s->failed;
    delete s;
    state_ = nullptr;
    return ok;
}
