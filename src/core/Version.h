#pragma once
// The program's name and version, shared by the window program and the batch tool.

#include <string>
#include <string_view>

namespace tallir {

inline constexpr std::string_view ProgramTitle = "Tallir";
inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 0;
inline constexpr int VersionRevision = 109;

// "Tallir Ver.1.0 Rev.109": the frame's caption and the key by which a running copy is found.
std::string VersionCaption();

} // namespace tallir
