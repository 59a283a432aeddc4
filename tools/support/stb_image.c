/* The picture reader (PNG and JPEG) and the picture scaler the asset tool uses, from Debian's stb package
   (single-header libraries: their code is compiled here, once). Pictures come from memory only. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
