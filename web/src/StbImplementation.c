/* The code of the stb_image and stb_image_write headers that Debian's libstb
 * carries compiled, built here from the same headers with no option set, as
 * Debian builds it: the native programs link that library. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
