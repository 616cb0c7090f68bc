// plinkora-convert's audio: the built-in synthesizer renders the performance offline.
#include "tools/wave_rendering.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/devices/builtin_synth.h"
#include "recording/atomic_file.h"
#include "recording/wav_writer.h"
#include "tools/console.h"

namespace plinkora {

namespace {

constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kRingOutMs = 2000;

int Fail(const char* format, const std::string& name) {
    PrintError(FormatDocumentMessage(format, name) + "\n");
    return 1;
}

class SynthTarget final : public RenderTarget {
  public:
    explicit SynthTarget(BuiltInSynth& synth) : synth_(synth) {}
    void Send(uint32_t word) override { synth_.Send(word); }
    void Render(float* interleaved, int frames) override { synth_.Render(interleaved, frames); }

  private:
    BuiltInSynth& synth_;
};

}  // namespace

int WriteWave(const ConvertOptions& o, const DocumentContents& doc, const RenderSettings& s) {
    // One named on the command line is the only one; otherwise the first that loads plays.
    const std::vector<std::string> soundFonts =
        o.soundFont ? std::vector<std::string>{*o.soundFont} : SoundFontCandidates();
    if (soundFonts.empty()) {
        PrintError("No SoundFont found: name one with --soundfont.\n");
        return 1;
    }
    std::vector<std::string> notLoaded;
    std::unique_ptr<BuiltInSynth> synth =
        CreateFromFirstSoundFont(soundFonts, notLoaded, kSampleRate);
    for (const std::string& path : notLoaded) {
        PrintError(FormatDocumentMessage("Can not load the SoundFont %s.\n", path));
    }
    if (!synth) {
        return 1;
    }
    if (!notLoaded.empty()) {
        PrintError(FormatDocumentMessage("Using the SoundFont %s instead.\n", synth->SoundFont()));
    }
    const uint64_t frames = RenderedFrameCount(doc.events, kSampleRate, kRingOutMs);
    if (frames > kMaxWavFrames) {
        return Fail("File %s plays too long for a WAV file.", o.input);
    }
    SynthTarget target(*synth);
    const AtomicWriteResult result = WriteFileAtomically(o.output, [&](FileOutput& out) {
        WavWriter wav(out, kSampleRate, frames);
        return RenderPerformance(doc.events, s, target, kSampleRate, kRingOutMs, wav) &&
               wav.Complete();
    });
    if (result == AtomicWriteResult::kCannotCreate) {
        return Fail(kCannotOpenToWrite, o.output);
    }
    return result == AtomicWriteResult::kOk ? 0 : Fail(kCannotWrite, o.output);
}

}  // namespace plinkora
