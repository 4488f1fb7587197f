// Accessibility of the about box's own widgets: the hand-drawn version text as static
// text, the rain window as an animation.
#pragma once

// Registers the interfaces once per program; call before the widgets are created.
void InstallAboutAccessibility();
