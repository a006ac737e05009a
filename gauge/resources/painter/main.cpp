// The painter: draws the gauge's five bitmaps and writes them as 8-bit .bmp
// files into the folder given, for the resource compiler to embed.
#include <cstdio>
#include <string>

#include "bmp_writer.h"
#include "pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (const painter::Picture& picture :
       {painter::paintBackground(), painter::paintHandle(), painter::paintPointer(),
        painter::paintStrip(), painter::paintStripWindow()}) {
    std::string error;
    if (!painter::writeBmpFile(picture, dir + "/" + picture.fileName, error)) {
      std::fprintf(stderr, "painter: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
