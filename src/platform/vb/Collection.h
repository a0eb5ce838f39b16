#pragma once

#include "platform/vb/Variant.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm6::vb {

// The runtime's Collection object: an ordered list of variants counted from
// 1, where a member may carry a text key that finds it again. Keys compare
// without regard to case (Unicode case folding, so "STRASSE" finds
// "Straße"), and no two members share a key.
//
// Errors are raised as the runtime raises them: a position outside 1..Count
// is Subscript out of range (9); a key that no member carries, or giving both
// a before and an after position, is Invalid procedure call or argument (5);
// adding a key that is already taken is error 457. A failed call leaves the
// collection as it was.
//
// Reading by position or by key takes constant time; adding at the end is
// amortised constant; adding in the middle and removing move the positions
// behind, in time linear in the count.
//
// It is an Object, so that a Variant can hold one as the runtime's variants
// hold collections; copying a Collection copies its members.
class Collection : public Object {
public:
    Collection() = default;
    Collection(const Collection& other);
    Collection& operator=(const Collection& other);
    Collection(Collection&&) noexcept = default;
    Collection& operator=(Collection&&) noexcept = default;
    ~Collection() override = default;

    // Adds item, with an optional key, at the end or just before or after
    // the member that before or after names. A position is given as a text
    // (a key) or a number (a position, rounded as CLng rounds); Empty means
    // "not given". Other kinds of variant raise error 5.
    void Add(Variant item, std::optional<std::string_view> key = std::nullopt,
             const Variant& before = Variant(), const Variant& after = Variant());

    // The member at a position (1..Count) or with a key. References stay
    // valid until the collection is next changed.
    const Variant& Item(int32_t index) const;
    const Variant& Item(std::string_view key) const;

    void Remove(int32_t index);
    void Remove(std::string_view key);

    int32_t Count() const { return static_cast<int32_t>(members_.size()); }

    // Whether a member carries the key; the runtime's callers learn this by
    // trapping error 5 from Item.
    bool ContainsKey(std::string_view key) const;

private:
    struct Member {
        Variant item;
        std::optional<std::string> foldedKey;
    };

    size_t PositionOf(int32_t index) const;
    size_t PositionOf(const Member* member) const;
    const Member& MemberWithKey(std::string_view key) const;
    size_t InsertPosition(const Variant& before, const Variant& after) const;
    void RemoveAt(size_t position);

    // Members in order; each is held by pointer so that the key index can
    // point at it while positions move.
    std::vector<std::unique_ptr<Member>> members_;
    std::unordered_map<std::string, Member*> byKey_;
};

} // namespace qm6::vb
