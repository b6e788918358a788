/* The MPEG audio layer III decoder dr_mp3 0.6.33 (public domain or MIT-0, see LICENSE), as
   Debian's libsdl2-mixer 2.6.2 source package carries it, compiled once. */
#define DR_MP3_NO_STDIO
#define DR_MP3_IMPLEMENTATION
#include "dr_mp3.h"
