#pragma once
// A hash map that iterates in the class library's order, which decides bytes
// on disk and the order property changes are applied in: 17 buckets,
// bucket = (key >> 4) mod 17, a new key goes to the head of its bucket,
// iteration runs bucket by bucket from each head.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace nv {

template <class K, class V>
class BucketMap {
public:
    static constexpr size_t kBuckets = 17;

    static size_t BucketOf(K key) { return static_cast<size_t>((static_cast<uint32_t>(key) >> 4) % kBuckets); }

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // The value under key, or null.
    V* Lookup(K key)
    {
        for (auto& e : buckets_[BucketOf(key)])
            if (e.first == key) return &e.second;
        return nullptr;
    }
    const V* Lookup(K key) const { return const_cast<BucketMap*>(this)->Lookup(key); }
    bool Contains(K key) const { return Lookup(key) != nullptr; }

    // Replaces the value of an existing key in place; a new key goes to the
    // head of its bucket.
    V& SetAt(K key, V value)
    {
        if (V* v = Lookup(key)) {
            *v = std::move(value);
            return *v;
        }
        auto& b = buckets_[BucketOf(key)];
        b.emplace_back(key, std::move(value)); // the back of the vector is the head
        ++count_;
        return b.back().second;
    }

    bool RemoveKey(K key)
    {
        auto& b = buckets_[BucketOf(key)];
        for (auto it = b.begin(); it != b.end(); ++it) {
            if (it->first == key) {
                b.erase(it);
                --count_;
                return true;
            }
        }
        return false;
    }

    void RemoveAll()
    {
        for (auto& b : buckets_) b.clear();
        count_ = 0;
    }

    template <class Map, class Entry>
    class Iter {
    public:
        Iter(Map* m, size_t bucket, size_t fromHead) : m_(m), bucket_(bucket), i_(fromHead) { Settle(); }
        Entry& operator*() const
        {
            auto& b = m_->buckets_[bucket_];
            return b[b.size() - 1 - i_];
        }
        Entry* operator->() const { return &**this; }
        Iter& operator++()
        {
            ++i_;
            Settle();
            return *this;
        }
        bool operator==(const Iter& o) const { return bucket_ == o.bucket_ && i_ == o.i_; }

    private:
        void Settle()
        {
            while (bucket_ < kBuckets && i_ >= m_->buckets_[bucket_].size()) {
                ++bucket_;
                i_ = 0;
            }
        }
        Map* m_;
        size_t bucket_;
        size_t i_;
    };

    using Entry = std::pair<K, V>;
    using iterator = Iter<BucketMap, Entry>;
    using const_iterator = Iter<const BucketMap, const Entry>;

    iterator begin() { return iterator(this, 0, 0); }
    iterator end() { return iterator(this, kBuckets, 0); }
    const_iterator begin() const { return const_iterator(this, 0, 0); }
    const_iterator end() const { return const_iterator(this, kBuckets, 0); }

private:
    std::vector<Entry> buckets_[kBuckets];
    size_t count_ = 0;
};

} // namespace nv
