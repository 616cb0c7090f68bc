#pragma once

class QScrollBar;
class QToolBar;

namespace plinkora {

// The instrument buttons show only pictures and the bars only their thumbs, so a screen reader
// learns from these names what sighted players read from the pictures and captions.
void NameToolbarButtons(QToolBar& toolbar);  // after the instrument each button chooses

// Lets screen readers read the bars' values as below; before the bars exist.
void InstallControlBarAccessibility();
// Names the bars after their captions. Their values read as a player thinks of them: the force
// 1 to 127, the bend a signed amount that is 0 at rest.
void NameControlBars(QScrollBar& force, QScrollBar& freq);

}  // namespace plinkora
