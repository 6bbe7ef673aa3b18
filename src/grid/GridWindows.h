#pragma once
// The program-wide table of grid windows: slot 0 "File 1", slot 1 "File 2", slot 2
// "Compare" (slot 3 is never used). A slot read while empty creates its window through the
// factory the frame installs.

#include <array>
#include <functional>

class frmGrid;

class GridWindowTable {
public:
    static constexpr int Slots = 4;

    frmGrid* operator[](int slot);
    void setFactory(std::function<frmGrid*(int slot)> create) { create_ = std::move(create); }
    // Forgets every window (the frame that owned them is gone).
    void clear() { windows_.fill(nullptr); }

private:
    std::array<frmGrid*, Slots> windows_{};
    std::function<frmGrid*(int)> create_;
};

GridWindowTable& GridWindows();
