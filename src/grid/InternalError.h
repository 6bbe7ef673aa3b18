#pragma once
// An impossible internal state (a window role or a key outside its table): error 51.

#include <stdexcept>
#include <string>

class InternalError : public std::logic_error {
public:
    explicit InternalError(const std::string& what)
        : std::logic_error("Internal error (51): " + what)
    {
    }
};
