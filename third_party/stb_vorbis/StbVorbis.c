/* The Ogg Vorbis decoder of Debian's libstb-dev (public domain or MIT), compiled once. The
   library reads from memory only, so its stdio half is left out. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <math.h>

/* The decoder works out a codebook's lookup size with powers of the entry count that a damaged
   setup header (thousands of dimensions over a few entries) drives past any int, and converts
   them to int: undefined, and on x86 a wrong size rather than a refusal. Its only floor() calls
   are those, so a floor bounded to the int range gives the exact answer for every header. */
static double BoundedFloor(double value)
{
    const double f = floor(value);
    if (f != f)
        return 0.0;
    return f < -2147483648.0 ? -2147483648.0 : f > 2147483647.0 ? 2147483647.0 : f;
}
#define floor(x) BoundedFloor(x)
#include "stb_vorbis.h"
