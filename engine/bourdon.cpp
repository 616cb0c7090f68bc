#include "engine/bourdon.h"

namespace plinkora {

void ToggleBourdon(Performance& p) {
    p.bourdonOn = !p.bourdonOn;
    p.view->CheckMenuItem(kBourdonCommand, p.bourdonOn);
}

void SetBourdonFromDocument(Performance& p, uint32_t storedValue) {
    p.bourdonOn = storedValue == 1;
    p.view->CheckMenuItem(kBourdonCommand, p.bourdonOn);
}

}  // namespace plinkora
