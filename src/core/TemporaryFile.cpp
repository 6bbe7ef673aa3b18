#include "TemporaryFile.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tallir {

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

std::FILE* TemporaryFile()
{
    std::string name = TemporaryFolder() + "/tallir-XXXXXX";
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
