// stb_image as the skins use it: only the formats skin images are made of, no file access.
#pragma once

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_PSD
#define STBI_ONLY_HDR
#define STBI_ONLY_PIC
// the decoder's own side limit agrees with DecodedImage's, so that it refuses what slips past the
// header check (a GIF frame, say)
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>
