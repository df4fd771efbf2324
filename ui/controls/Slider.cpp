// Slider: a value picked by dragging a thumb along a track.
#include "Slider.h"

Slider::Slider() : Control(kInitialFlags) {}
