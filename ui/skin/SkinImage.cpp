// A skin image of the style package.
#include "SkinImage.h"

SkinImage::~SkinImage() = default;
