#include "tests/tools/sound/SoundToolChecks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"

namespace {

std::vector<int16_t> LittleEndianSamples(const std::vector<unsigned char>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

CEngineSound ReadWith(CSound* sound, const std::string& path) {
    CEngineSound read;
    if (!sound->Open(path.c_str(), 1))
        return read;
    const int format = sound->GetFormat();
    read.rate = sound->GetSampleRate();
    read.bits = sound->GetBitsPerSample();
    read.channels = format == CSound::kStereo8 || format == CSound::kStereo16 ? 2 : 1;
    std::vector<unsigned char> bytes(static_cast<size_t>(sound->GetDataSize()));
    bytes.resize(static_cast<size_t>(sound->Read(bytes.data(), 0, -1)));
    if (read.bits == 8) {
        for (const unsigned char byte : bytes)
            read.samples.push_back(static_cast<int16_t>((byte - 128) * 256));
    } else {
        read.samples = LittleEndianSamples(bytes);
    }
    sound->Close();
    return read;
}

}  // namespace

int MakeSound(const std::string& recipe, const std::string& out, const std::string& messages) {
    return RunRecipeTool(MAKE_SOUND, recipe, out, messages);
}

std::string Soxi(const std::string& path) {
    std::string answer;
    for (const char* option : {"-r", "-c", "-b", "-s"}) {
        const std::string out = path + ".soxi";
        if (std::system(
                ("soxi " + std::string(option) + " " + Quoted(path) + " >" + Quoted(out) + " 2>/dev/null").c_str()) !=
            0)
            return "soxi failed";
        std::string value = ReadText(out);
        std::remove(out.c_str());
        value.erase(value.find_last_not_of("\n") + 1);
        answer += (answer.empty() ? "" : " ") + value;
    }
    return answer;
}

std::vector<int16_t> SoxSamples(const std::string& path) {
    const std::string raw = path + ".raw";
    if (!RunTool("sox " + Quoted(path) + " -t raw -e signed-integer -b 16 -L " + Quoted(raw)))
        return {};
    const std::vector<unsigned char> bytes = ReadBytes(raw);
    std::remove(raw.c_str());
    return LittleEndianSamples(bytes);
}

CEngineSound ReadWithSoundWave(const std::string& path) {
    CSoundWave wave;
    return ReadWith(&wave, path);
}

CEngineSound ReadWithSoundOgg(const std::string& path) {
    CSoundOgg ogg;
    return ReadWith(&ogg, path);
}

long OggdecSampleCount(const std::string& path) {
    const std::string raw = path + ".oggdec";
    if (!DecodeOggRaw(path, raw))
        return -1;
    const long count = static_cast<long>(ReadBytes(raw).size() / 2);
    std::remove(raw.c_str());
    return count;
}

int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (const int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    return peak;
}

size_t LongestFullScaleRun(const std::vector<int16_t>& samples) {
    size_t longest = 0;
    size_t run = 0;
    for (const int16_t sample : samples) {
        run = sample == 32767 || sample == -32768 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

int LargestStep(const std::vector<int16_t>& samples) {
    int largest = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    return largest;
}
