#pragma once
// A hash map that iterates in the class library's order, which decides bytes
// on disk and the order property changes are applied in: 17 buckets,
// bucket = (key >> 4) mod 17, a new key goes to the head of its bucket,
// iteration runs bucket by bucket from each head. Look-ups go through a hash
// index of their own, so keys that share a bucket cost no more than others.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <unordered_map>
#include <utility>

namespace nv {

template <class K, class V>
class BucketMap {
public:
    static constexpr size_t kBuckets = 17;
    using Entry = std::pair<K, V>;

    static size_t BucketOf(K key) { return static_cast<size_t>((static_cast<uint32_t>(key) >> 4) % kBuckets); }

    BucketMap() = default;
    BucketMap(BucketMap&&) noexcept = default;
    BucketMap& operator=(BucketMap&&) noexcept = default;
    BucketMap(const BucketMap& o)
    {
        for (size_t b = 0; b < kBuckets; ++b) buckets_[b] = o.buckets_[b];
        Reindex();
    }
    BucketMap& operator=(const BucketMap& o)
    {
        if (this != &o) {
            BucketMap copy(o);
            *this = std::move(copy);
        }
        return *this;
    }

    size_t size() const { return index_.size(); }
    bool empty() const { return index_.empty(); }

    // The value under key, or null.
    V* Lookup(K key)
    {
        auto it = index_.find(key);
        return it == index_.end() ? nullptr : &it->second->second;
    }
    const V* Lookup(K key) const { return const_cast<BucketMap*>(this)->Lookup(key); }
    bool Contains(K key) const { return index_.count(key) != 0; }

    // Replaces the value of an existing key in place; a new key goes to the
    // head of its bucket.
    V& SetAt(K key, V value)
    {
        if (V* v = Lookup(key)) {
            *v = std::move(value);
            return *v;
        }
        auto& b = buckets_[BucketOf(key)];
        b.emplace_front(key, std::move(value));
        index_.emplace(key, b.begin());
        return b.front().second;
    }

    bool RemoveKey(K key)
    {
        auto it = index_.find(key);
        if (it == index_.end()) return false;
        buckets_[BucketOf(key)].erase(it->second);
        index_.erase(it);
        return true;
    }

    void RemoveAll()
    {
        for (auto& b : buckets_) b.clear();
        index_.clear();
    }

    template <class Map, class ListIter, class Item>
    class Iter {
    public:
        Iter(Map* m, size_t bucket) : m_(m), bucket_(bucket)
        {
            if (bucket_ < kBuckets) it_ = m_->buckets_[bucket_].begin();
            Settle();
        }
        Item& operator*() const { return *it_; }
        Item* operator->() const { return &*it_; }
        Iter& operator++()
        {
            ++it_;
            Settle();
            return *this;
        }
        bool operator==(const Iter& o) const
        {
            return bucket_ == o.bucket_ && (bucket_ == kBuckets || it_ == o.it_);
        }

    private:
        void Settle()
        {
            while (bucket_ < kBuckets && it_ == m_->buckets_[bucket_].end()) {
                if (++bucket_ < kBuckets) it_ = m_->buckets_[bucket_].begin();
            }
        }
        Map* m_;
        size_t bucket_;
        ListIter it_{};
    };

    using iterator = Iter<BucketMap, typename std::list<Entry>::iterator, Entry>;
    using const_iterator = Iter<const BucketMap, typename std::list<Entry>::const_iterator, const Entry>;

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, kBuckets); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, kBuckets); }

private:
    void Reindex()
    {
        index_.clear();
        for (auto& b : buckets_)
            for (auto it = b.begin(); it != b.end(); ++it) index_.emplace(it->first, it);
    }

    std::list<Entry> buckets_[kBuckets];
    std::unordered_map<K, typename std::list<Entry>::iterator> index_;
};

} // namespace nv
