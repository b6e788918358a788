#pragma once
/* Declarations of the Ogg Vorbis decoder compiled in StbVorbis.c. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"
