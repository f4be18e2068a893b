#include "framework/Classes.h"

int64_t SeekFile(std::FILE* file, int64_t offset, int whence) {
    fseeko(file, offset, whence);
    return ftello(file);
}
