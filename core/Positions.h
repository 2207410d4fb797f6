#pragma once

#include "core/HugePages.h"

#include <QtGlobal>

#include <algorithm>
#include <vector>

// Ascending text positions in 32 bits each: a text of 2^32 units or more records the places
// where the upper part grows, so a line index costs half of what 64-bit starts would.
class Positions {
public:
    void push_back(qint64 position)
    {
        while (qint64(carries_.size()) < (position >> 32))
            carries_.push_back(low_.size());
        low_.push_back(quint32(position));
    }
    qint64 operator[](size_t i) const
    {
        if (carries_.empty())
            return low_[i];
        const qint64 high = std::upper_bound(carries_.begin(), carries_.end(), i) - carries_.begin();
        return high << 32 | low_[i];
    }
    size_t size() const { return low_.size(); }
    bool empty() const { return low_.empty(); }
    void reserve(size_t n) { low_.reserve(n); }
    // Empty, with the room kept.
    void clear()
    {
        low_.clear();
        carries_.clear();
    }
    // The first n kept, the room too.
    void truncate(size_t n)
    {
        low_.resize(std::min(n, low_.size()));
        while (!carries_.empty() && carries_.back() >= low_.size())
            carries_.pop_back();
    }
    // How many positions are at or before `position`.
    size_t countUpTo(qint64 position) const;
    // Moves the positions of `more`, all after these, to the end; `more` is left empty.
    void append(Positions &more);
    // Adds each of `more` moved on by `offset`, all after these, to the end.
    void appendShifted(const Positions &more, qint64 offset);
    // Adds `more`, ascending too, among these.
    void merge(const Positions &more);

private:
    std::vector<quint32, HugePageAllocator<quint32>> low_;
    std::vector<size_t> carries_;
};
