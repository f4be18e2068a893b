#include "framework/Classes.h"

int64_t SeekFile(std::FILE* file, int64_t offset, int whence) {
    _fseeki64(file, offset, whence);
    return _ftelli64(file);
}
