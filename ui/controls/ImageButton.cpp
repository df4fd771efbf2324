// ImageButton: a button that draws its image under its style.
#include "ImageButton.h"

ImageButton::ImageButton() : Button(kInitialFlags) {}
