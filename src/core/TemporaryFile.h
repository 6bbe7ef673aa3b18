#pragma once

#include <cstdio>
#include <string>

namespace tallir {

// An anonymous temporary file opened for update in $TMPDIR (/tmp when unset or empty): it has no
// name once open and goes when closed. Null when it cannot be made.
std::FILE* TemporaryFile();
// Where TemporaryFile makes its files.
std::string TemporaryFolder();

} // namespace tallir
