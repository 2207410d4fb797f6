#include "core/Bits.h"

void Bits::append(const Bits &more)
{
    const unsigned shift = size_ & 63;
    if (shift == 0) {
        words_.insert(words_.end(), more.words_.begin(), more.words_.end());
    } else {
        words_.reserve(words_.size() + more.words_.size());
        for (const quint64 word : more.words_) {
            words_.back() |= word << shift;
            words_.push_back(word >> (64 - shift));
        }
    }
    size_ += more.size_;
    words_.resize((size_ + 63) / 64);
}
