/* The Ogg Vorbis decoder of Debian's libstb-dev (public domain or MIT), compiled once. The
   library reads from memory only, so its stdio half is left out. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include "stb_vorbis.h"
