#include "Version.h"

namespace tallir {

std::string VersionCaption()
{
    return std::string(ProgramTitle) + " Ver." + std::to_string(VersionMajor) + "."
        + std::to_string(VersionMinor) + " Rev." + std::to_string(VersionRevision);
}

} // namespace tallir
