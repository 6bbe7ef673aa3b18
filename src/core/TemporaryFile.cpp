#include "TemporaryFile.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tallir {

std::FILE* TemporaryFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string name = folder && *folder ? folder : "/tmp";
    name += "/tallir-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return nullptr;
    ::unlink(name.c_str());
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file)
        ::close(fd);
    return file;
}

} // namespace tallir
