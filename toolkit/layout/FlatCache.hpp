#pragma once

// The hash table behind the layout pass's caches, and the hashing its keys
// use. Both sit in a header so that every file of the pass inlines them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui::layout_detail {

// Hashes for the pass's tables: fold the key's words together, then one
// multiplication by 2^64/φ spreads them (Fibonacci hashing). The tables use
// the low bits, so the high half is folded back down.
inline std::size_t spread(std::uint64_t folded) {
    std::uint64_t h = folded * 0x9e3779b97f4a7c15ULL;
    return static_cast<std::size_t>(h ^ (h >> 32));
}
inline std::uint64_t word(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}
inline std::uint64_t rotate(std::uint64_t v, int by) {
    return (v << by) | (v >> (64 - by));
}

// An open-addressing hash table for the pass's caches. Clearing bumps a
// generation number instead of touching the slots, and nothing is allocated
// once the table has grown to the size a screen needs.
template <class Key, class Value, class Hash>
class FlatCache {
  public:
    void clear() {
        count_ = 0;
        if (++generation_ == 0) {
            for (Slot& slot : slots_) slot.generation = 0;
            generation_ = 1;
        }
    }
    const Value* find(const Key& key) const {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = home(key);; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.generation != generation_) return nullptr;
            if (slot.key == key) return &slot.value;
        }
    }
    void insert(const Key& key, const Value& value) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        put(key, value);
    }

  private:
    struct Slot {
        Key key{};
        Value value{};
        std::uint32_t generation = 0;
    };
    std::size_t home(const Key& key) const { return Hash{}(key)&mask_; }
    void put(const Key& key, const Value& value) {
        for (std::size_t i = home(key);; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.generation != generation_) {
                slot = {key, value, generation_};
                ++count_;
                return;
            }
            if (slot.key == key) {
                slot.value = value;
                return;
            }
        }
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        const std::uint32_t live = generation_;
        slots_.assign(old.empty() ? 256 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        generation_ = 1;
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.generation == live) put(slot.key, slot.value);
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
    std::uint32_t generation_ = 1;
};

}  // namespace ui::layout_detail
