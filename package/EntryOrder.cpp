// The candidate orders of a package's entries and how requests score them.
#include "EntryOrder.h"

#include "Blocks.h"

#include <algorithm>
#include <numeric>

namespace {

// Each hit adds this much, and every request first takes a quarter off: recent requests count
// most, so a reader that changes its walk is followed within a few requests.
constexpr uint32_t kHit = 256;

char16_t fold(char16_t c, EntryOrder::Kind kind)
{
    if (c == u'/')
        return u'\\';
    if (kind == EntryOrder::foldedLower && c >= u'A' && c <= u'Z')
        return char16_t(c - u'A' + u'a');
    if (kind == EntryOrder::foldedUpper && c >= u'a' && c <= u'z')
        return char16_t(c - u'a' + u'A');
    return c;
}

std::vector<uint32_t> sortedIds(const std::vector<std::u16string>& names, EntryOrder::Kind kind)
{
    std::vector<uint32_t> ids(names.size());
    std::iota(ids.begin(), ids.end(), 0u);
    if (kind == EntryOrder::reversed) {
        std::reverse(ids.begin(), ids.end());
    } else if (kind == EntryOrder::byExtension) {
        std::stable_sort(ids.begin(), ids.end(),
                         [&names](uint32_t a, uint32_t b) { return blocks::before(names[a], names[b]); });
    } else if (kind != EntryOrder::package) {
        std::vector<std::u16string> keys(names);
        for (std::u16string& key : keys)
            for (char16_t& c : key)
                c = fold(c, kind);
        std::stable_sort(ids.begin(), ids.end(), [&keys](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    }
    return ids;
}

} // namespace

EntryOrder::EntryOrder(const std::vector<std::u16string>& names)
    : names_(names.size()), requested_(names.size(), 0)
{
    for (int kind = 0; kind < kKinds; ++kind) {
        Order& order = orders_[kind];
        order.ids = sortedIds(names, Kind(kind));
        order.position.resize(names_);
        for (size_t place = 0; place < names_; ++place)
            order.position[order.ids[place]] = uint32_t(place);
        // one place more than there are entries: the end, always open
        order.open.resize(names_ + 1);
        std::iota(order.open.begin(), order.open.end(), 0u);
    }
}

size_t EntryOrder::findOpen(Order& order, size_t place)
{
    size_t root = place;
    while (order.open[root] != root)
        root = order.open[root];
    while (order.open[place] != root) {
        size_t next = order.open[place];
        order.open[place] = uint32_t(root);
        place = next;
    }
    return root;
}

size_t EntryOrder::cursor() const
{
    return last_ == kNone ? 0 : orders_[active_].position[last_] + 1;
}

size_t EntryOrder::distance(uint32_t id) const
{
    size_t place = orders_[active_].position[id];
    return (place + names_ - cursor()) % names_;
}

void EntryOrder::requested(uint32_t id)
{
    // score: did each order have `id` next, counting only entries not asked for yet?
    for (Order& order : orders_) {
        size_t predicted = findOpen(order, last_ == kNone ? 0 : order.position[last_] + 1);
        if (predicted == names_)
            predicted = findOpen(order, 0);
        bool hit = predicted < names_ && order.ids[predicted] == id;
        order.score = order.score - order.score / 4 + (hit ? kHit : 0);
    }
    if (!requested_[id]) {
        requested_[id] = 1;
        for (Order& order : orders_)
            order.open[order.position[id]] = order.position[id] + 1;
    }
    last_ = id;

    // follow the best order; on a tie the one already followed stays
    int best = 0;
    for (int kind = 1; kind < kKinds; ++kind)
        if (orders_[kind].score > orders_[best].score)
            best = kind;
    if (orders_[best].score > orders_[active_].score)
        active_ = Kind(best);
}
