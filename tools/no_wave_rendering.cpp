// plinkora-convert where the platform has no synthesizer built in.
#include "tools/console.h"
#include "tools/wave_rendering.h"

namespace plinkora {

int WriteWave(const ConvertOptions& options, const DocumentContents&, const RenderSettings&) {
    PrintError(FormatDocumentMessage("Can not write %s: this plinkora-convert has no "
                                     "synthesizer, so it writes .mid files only.",
                                     options.output) +
               "\n");
    return 1;
}

}  // namespace plinkora
