#include "SoundFiles.h"

#include <cstdio>

#include "tests/support/ToolRun.h"

namespace {

std::string SoxToneArguments(const ToneFormat& tone) {
    return "-r " + std::to_string(tone.sampleRate) + " -c " + std::to_string(tone.channels) + " -b " +
           std::to_string(tone.bits);
}

std::string SoxSynth(const ToneFormat& tone) {
    // A slightly different pitch per channel, so swapped or mixed channels show.
    std::string synth = " synth " + std::to_string(tone.seconds);
    for (int channel = 0; channel < tone.channels; ++channel)
        synth += " sine " + std::to_string(tone.hertz * (1.0 + 0.5 * channel));
    return synth + " vol 0.5";
}

}  // namespace

bool RunTool(const std::string& command) {
    return ExitStatusOf(command + " >/dev/null 2>&1") == 0;
}

bool MakeToneWav(const std::string& path, const ToneFormat& tone) {
    const std::string encoding = tone.bits == 8 ? " -e unsigned-integer" : " -e signed-integer";
    return RunTool("sox -n " + SoxToneArguments(tone) + encoding + " -t wav " + Quoted(path) + SoxSynth(tone));
}

bool MakeToneOgg(const std::string& path, const ToneFormat& tone) {
    const std::string wavPath = path + ".source.wav";
    ToneFormat source = tone;
    source.bits = 16;
    const bool made = MakeToneWav(wavPath, source) && RunTool("oggenc -Q -o " + Quoted(path) + " " + Quoted(wavPath));
    std::remove(wavPath.c_str());
    return made;
}

bool DecodeOggRaw(const std::string& oggPath, const std::string& rawPath) {
    return RunTool("oggdec -Q -R -b 16 -e 0 -s 1 -o " + Quoted(rawPath) + " " + Quoted(oggPath));
}
