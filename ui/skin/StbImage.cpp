// The stb_image decoder, compiled once, in a file of its own so that sanitizer settings for it stay apart from ours.
#define STB_IMAGE_IMPLEMENTATION
#include "StbImage.h"
