// The step-time slider as assistive technology sees it: its value read as "N ms", the
// unit included, as its tool tip says it. Qt's own interface reads only the number.
#pragma once

class QSlider;

// Gives pSlider the interface above.
void UseStepTimeAccessible(QSlider* pSlider);
