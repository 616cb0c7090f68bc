#pragma once

namespace plinkora {

// Screen readers find the About box's painted title and its three links, each a link named as
// shown, with its address as description, that can be followed. Installing twice does no harm.
void InstallAboutBoxAccessibility();

}  // namespace plinkora
