// Guesses which entries of a package a reader asks for next, learning the order from its requests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Scripts walk a payload in some fixed order of its names, which need not be the package's own:
// the shipped worker lists its files without regard to letter case, with "\" between folders, or
// grouped by extension as solid packages are (blocks::before).
// So a few plausible orders are followed side by side; each request scores the orders that had
// predicted it, and the best-scoring one tells what comes next. Entries are numbered 0..n-1 in the
// package's own order. Not thread-safe: its owner locks.
class EntryOrder {
public:
    enum Kind : int { package, reversed, foldedLower, foldedUpper, byExtension, kKinds };
    static constexpr uint32_t kNone = UINT32_MAX;

    explicit EntryOrder(const std::vector<std::u16string>& names);

    size_t size() const { return names_; }
    // The order that currently predicts best; the package's own order before the first request.
    Kind active() const { return active_; }
    bool wasRequested(uint32_t id) const { return requested_[id] != 0; }

    // A request for `id`: every order that had it as the next entry gains, and the prediction
    // continues behind it. Entries asked for again count only for the prediction's position.
    void requested(uint32_t id);

    // Calls visit(id) for each entry not yet requested, in the active order starting behind the
    // last request and wrapping round at the end, until visit returns false or `limit` entries
    // have been visited.
    template <typename Visit>
    void walk(size_t limit, Visit visit)
    {
        if (names_ == 0)
            return;
        Order& order = orders_[active_];
        size_t start = cursor();
        size_t at = findOpen(order, start);
        bool wrapped = false;
        for (size_t visited = 0; visited < limit; ++visited) {
            if (at == names_) {
                if (wrapped || start == 0)
                    return;
                wrapped = true;
                at = findOpen(order, 0);
                if (at == names_)
                    return;
            }
            if (wrapped && at >= start)
                return;
            if (!visit(order.ids[at]))
                return;
            at = findOpen(order, at + 1);
        }
    }

    // How many places behind the last request `id` stands in the active order (0: right behind it).
    size_t distance(uint32_t id) const;

private:
    struct Order {
        std::vector<uint32_t> ids;        // entry ids in this order
        std::vector<uint32_t> position;   // id -> place in ids
        std::vector<uint32_t> open;       // union-find over places: next place not yet requested
        uint32_t score = 0;
    };

    static size_t findOpen(Order& order, size_t place);
    size_t cursor() const;

    size_t names_ = 0;
    Order orders_[kKinds];
    std::vector<uint8_t> requested_;
    uint32_t last_ = kNone;   // the most recent request
    Kind active_ = package;
};
