#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// A row of bits that grows at its end, as std::vector<bool> does, but takes another row a word
// at a time: the flags of a large text's lines are joined from pieces measured apart, and
// std::vector<bool> would copy them bit by bit.
class Bits {
public:
    void reserve(size_t bits) { words_.reserve((bits + 63) / 64); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool operator[](size_t i) const { return (words_[i >> 6] >> (i & 63)) & 1; }
    void set(size_t i, bool on)
    {
        const quint64 bit = quint64(1) << (i & 63);
        words_[i >> 6] = on ? words_[i >> 6] | bit : words_[i >> 6] & ~bit;
    }
    void push_back(bool on)
    {
        if ((size_ & 63) == 0)
            words_.push_back(0);
        if (on)
            words_.back() |= quint64(1) << (size_ & 63);
        ++size_;
    }
    void append(const Bits &more);
    // The first n kept.
    void truncate(size_t n)
    {
        if (n >= size_)
            return;
        size_ = n;
        words_.resize((n + 63) / 64);
        if (n & 63)
            words_.back() &= (quint64(1) << (n & 63)) - 1;
    }

private:
    // The bits past size_ in the last word are always clear.
    std::vector<quint64> words_;
    size_t size_ = 0;
};
