// Per-length tables (twiddles, chirps, orderings) are built once and kept for later transforms
// of the same length: an averaging run transforms the same length many times over.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace dsp::detail {

// A small most-recently-used cache of immutable plans keyed by length, safe to use from
// several threads. Plan must provide `static std::shared_ptr<const Plan> build(int n)` (nullptr
// when memory runs out) and `std::size_t bytes() const`.
template <class Plan>
class PlanCache {
  public:
    PlanCache(std::size_t max_plans, std::size_t max_bytes)
        : max_plans_(max_plans), max_bytes_(max_bytes) {}

    std::shared_ptr<const Plan> get(int n) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (auto hit = find_and_promote(n)) return hit;
        }
        // Built outside the lock so a long build does not stall transforms of other lengths.
        std::shared_ptr<const Plan> plan = Plan::build(n);
        if (!plan) return nullptr;
        std::lock_guard<std::mutex> lock(mutex_);
        if (auto hit = find_and_promote(n)) return hit;
        try {
            entries_.insert(entries_.begin(), {n, plan});
        } catch (const std::bad_alloc&) {
            return plan;  // still usable, just not kept
        }
        evict();
        return plan;
    }

  private:
    using Entry = std::pair<int, std::shared_ptr<const Plan>>;

    std::shared_ptr<const Plan> find_and_promote(int n) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].first == n) {
                const auto first = entries_.begin();
                std::rotate(first, first + static_cast<std::ptrdiff_t>(i), first + 1 + i);
                return entries_.front().second;
            }
        }
        return nullptr;
    }

    // Drops the least recently used plans beyond the limits; the newest always stays.
    void evict() {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            bytes += entries_[i].second->bytes();
            if (i > 0 && (i >= max_plans_ || bytes > max_bytes_)) {
                entries_.resize(i);
                return;
            }
        }
    }

    std::mutex mutex_;
    std::vector<Entry> entries_;
    const std::size_t max_plans_;
    const std::size_t max_bytes_;
};

}  // namespace dsp::detail
