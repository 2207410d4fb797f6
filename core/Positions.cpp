#include "core/Positions.h"

#include <limits>

size_t Positions::countUpTo(qint64 position) const
{
    if (carries_.empty()) {
        if (position < 0)
            return 0;
        if (position > qint64(std::numeric_limits<quint32>::max()))
            return low_.size();
        return size_t(std::upper_bound(low_.begin(), low_.end(), quint32(position)) - low_.begin());
    }
    size_t lo = 0, hi = low_.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if ((*this)[mid] <= position)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void Positions::appendShifted(const Positions &more, qint64 offset)
{
    if (more.empty())
        return;
    // Grown as push_back grows it, so that adding run after run stays linear.
    if (low_.capacity() < low_.size() + more.size())
        low_.reserve(std::max(low_.size() + more.size(), 2 * low_.capacity()));
    const qint64 last = offset + more[more.size() - 1];
    if (carries_.empty() && more.carries_.empty() && offset >= 0 && last <= qint64(std::numeric_limits<quint32>::max())) {
        // All of them below 2^32, as the last is: one add each.
        for (const quint32 low : more.low_)
            low_.push_back(quint32(offset + low));
        return;
    }
    for (size_t i = 0; i < more.size(); ++i)
        push_back(offset + more[i]);
}

void Positions::append(Positions &more)
{
    if (low_.empty() && low_.capacity() < more.size()) {
        std::swap(*this, more);
        return;
    }
    for (size_t i = 0; i < more.size(); ++i)
        push_back(more[i]);
    more = {};
}

void Positions::merge(const Positions &more)
{
    if (more.empty())
        return;
    const qint64 last = std::max(empty() ? 0 : (*this)[size() - 1], more[more.size() - 1]);
    if (carries_.empty() && more.carries_.empty() && last <= qint64(std::numeric_limits<quint32>::max())) {
        // In place, from the back: the few new ones are put among the many without a second copy.
        size_t i = low_.size(), j = more.low_.size();
        low_.resize(i + j);
        for (size_t k = low_.size(); j > 0;) {
            if (i > 0 && low_[i - 1] > more.low_[j - 1])
                low_[--k] = low_[--i];
            else
                low_[--k] = more.low_[--j];
        }
        return;
    }
    Positions merged;
    merged.reserve(size() + more.size());
    for (size_t i = 0, j = 0; i < size() || j < more.size();) {
        if (j == more.size() || (i < size() && (*this)[i] < more[j]))
            merged.push_back((*this)[i++]);
        else
            merged.push_back(more[j++]);
    }
    *this = std::move(merged);
}
