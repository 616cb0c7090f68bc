#pragma once

#include "recording/document.h"
#include "recording/offline_render.h"
#include "tools/convert_options.h"

namespace plinkora {

// Renders the document as playback sounds it into the .wav file the options name, printing what
// failed; the exit status. A build without the built-in synthesizer refuses, with status 1.
int WriteWave(const ConvertOptions& options, const DocumentContents& doc,
              const RenderSettings& settings);

}  // namespace plinkora
