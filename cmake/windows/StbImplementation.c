/* stb_image and stb_image_write compiled in, as Debian's libstb builds them
   for Linux: its MinGW has no libstb. */
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
