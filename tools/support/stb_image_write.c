/* The PNG writer the asset tool uses, from Debian's stb package (a single-header library: its code is compiled
   here, once). */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
