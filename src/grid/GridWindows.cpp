#include "GridWindows.h"

#include "InternalError.h"

frmGrid* GridWindowTable::operator[](int slot)
{
    if (slot < 0 || slot >= Slots)
        throw InternalError("grid window slot " + std::to_string(slot));
    if (!windows_[std::size_t(slot)] && create_)
        windows_[std::size_t(slot)] = create_(slot);
    return windows_[std::size_t(slot)];
}

GridWindowTable& GridWindows()
{
    static GridWindowTable table;
    return table;
}
