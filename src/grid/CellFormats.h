#pragma once
// Bold and colours of a grid's cells, kept as rectangles: formatting a block of any size is one
// entry, and a later rectangle covers earlier ones. A rectangle wholly covered by a newer one
// of the same attribute is dropped, and setting the plain value where nothing else lies adds
// nothing, so painting and unpainting selections again and again keeps the list short.

#include <QColor>
#include <algorithm>
#include <optional>
#include <vector>

struct CellRect {
    qint64 top, left, bottom, right; // inclusive, top <= bottom and left <= right

    bool contains(qint64 row, qint64 col) const { return row >= top && row <= bottom && col >= left && col <= right; }
    bool covers(const CellRect& other) const
    {
        return other.top >= top && other.bottom <= bottom && other.left >= left && other.right <= right;
    }
    bool intersects(const CellRect& other) const
    {
        return other.top <= bottom && other.bottom >= top && other.left <= right && other.right >= left;
    }
};

class CellFormats {
public:
    // plain: the value a cell shows without any entry.
    void setBold(const CellRect& rect, bool bold) { set(bold_, rect, bold, false); }
    void setBackColor(const CellRect& rect, QColor color, QColor plain) { set(back_, rect, color, plain); }
    void setForeColor(const CellRect& rect, QColor color, QColor plain) { set(fore_, rect, color, plain); }

    std::optional<bool> bold(qint64 row, qint64 col) const { return find(bold_, row, col); }
    std::optional<QColor> backColor(qint64 row, qint64 col) const { return find(back_, row, col); }
    std::optional<QColor> foreColor(qint64 row, qint64 col) const { return find(fore_, row, col); }

    void clear()
    {
        bold_.clear();
        back_.clear();
        fore_.clear();
    }
    std::size_t entries() const { return bold_.size() + back_.size() + fore_.size(); }

private:
    template <class T>
    struct Entry {
        CellRect rect;
        T value;
    };

    template <class T>
    static void set(std::vector<Entry<T>>& list, const CellRect& rect, T value, const T& plain)
    {
        std::erase_if(list, [&](const Entry<T>& entry) { return rect.covers(entry.rect); });
        const bool alone = std::none_of(list.begin(), list.end(), [&](const Entry<T>& entry) { return rect.intersects(entry.rect); });
        if (!(value == plain && alone))
            list.push_back({rect, value});
    }

    template <class T>
    static std::optional<T> find(const std::vector<Entry<T>>& list, qint64 row, qint64 col)
    {
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (it->rect.contains(row, col))
                return it->value;
        return std::nullopt;
    }

    std::vector<Entry<bool>> bold_;
    std::vector<Entry<QColor>> back_;
    std::vector<Entry<QColor>> fore_;
};
