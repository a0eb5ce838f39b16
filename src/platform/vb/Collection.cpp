#include "platform/vb/Collection.h"

#include "platform/vb/Conversions.h"
#include "platform/vb/VbError.h"

#include <algorithm>
#include <unicode/stringoptions.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>

namespace qm6::vb {

namespace {

[[noreturn]] void Raise(ErrorNumber number) {
    throw VbError(number);
}

// The form in which keys are compared: Unicode full case folding, so that
// keys differing only in case (including "ß" against "SS") are the same key.
// Plain ASCII keys, by far the most common, skip ICU; folding leaves their
// bytes as tolower does, so both paths agree.
std::string FoldKey(std::string_view key) {
    const bool ascii = std::all_of(key.begin(), key.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        std::string folded(key);
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return folded;
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(key.data(), static_cast<int32_t>(key.size())));
    text.foldCase(U_FOLD_CASE_DEFAULT);
    std::string folded;
    text.toUTF8String(folded);
    return folded;
}

} // namespace

Collection::Collection(const Collection& other) : Object() {
    members_.reserve(other.members_.size());
    byKey_.reserve(other.byKey_.size());
    for (const auto& member : other.members_) {
        members_.push_back(std::make_unique<Member>(*member));
        if (members_.back()->foldedKey) {
            byKey_.emplace(*members_.back()->foldedKey, members_.back().get());
        }
    }
}

Collection& Collection::operator=(const Collection& other) {
    if (this != &other) {
        Collection copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Collection::Add(Variant item, std::optional<std::string_view> key, const Variant& before,
                     const Variant& after) {
    const size_t position = InsertPosition(before, after);

    auto member = std::make_unique<Member>();
    member->item = std::move(item);
    if (key) {
        member->foldedKey = FoldKey(*key);
        if (byKey_.count(*member->foldedKey) != 0) {
            Raise(ErrorNumber::DuplicateKey);
        }
    }

    // Make room first, so that nothing can fail once the key is indexed.
    // Growth stays geometric: reserving one more each time would copy the
    // whole list on every add.
    if (members_.size() == members_.capacity()) {
        members_.reserve(std::max<size_t>(8, members_.size() * 2));
    }
    if (member->foldedKey) {
        byKey_.emplace(*member->foldedKey, member.get());
    }
    members_.insert(members_.begin() + static_cast<std::ptrdiff_t>(position), std::move(member));
}

const Variant& Collection::Item(int32_t index) const {
    return members_[PositionOf(index)]->item;
}

const Variant& Collection::Item(std::string_view key) const {
    return MemberWithKey(key).item;
}

void Collection::Remove(int32_t index) {
    RemoveAt(PositionOf(index));
}

void Collection::Remove(std::string_view key) {
    RemoveAt(PositionOf(&MemberWithKey(key)));
}

bool Collection::ContainsKey(std::string_view key) const {
    return byKey_.count(FoldKey(key)) != 0;
}

size_t Collection::PositionOf(int32_t index) const {
    if (index < 1 || index > Count()) {
        Raise(ErrorNumber::SubscriptOutOfRange);
    }
    return static_cast<size_t>(index - 1);
}

size_t Collection::PositionOf(const Member* member) const {
    const auto found = std::find_if(members_.begin(), members_.end(),
                                    [member](const auto& held) { return held.get() == member; });
    return static_cast<size_t>(found - members_.begin());
}

const Collection::Member& Collection::MemberWithKey(std::string_view key) const {
    const auto found = byKey_.find(FoldKey(key));
    if (found == byKey_.end()) {
        Raise(ErrorNumber::InvalidProcedureCall);
    }
    return *found->second;
}

// Where a new member goes: at the end, or at the position before or after
// names. A text names a member by key, a number by position.
size_t Collection::InsertPosition(const Variant& before, const Variant& after) const {
    if (before.IsEmpty() && after.IsEmpty()) {
        return members_.size();
    }
    if (!before.IsEmpty() && !after.IsEmpty()) {
        Raise(ErrorNumber::InvalidProcedureCall);
    }
    const Variant& anchor = before.IsEmpty() ? after : before;
    size_t position = 0;
    if (anchor.IsString()) {
        position = PositionOf(&MemberWithKey(anchor.AsString()));
    } else if (anchor.IsNumeric()) {
        position = PositionOf(CLng(anchor));
    } else {
        Raise(ErrorNumber::InvalidProcedureCall);
    }
    return before.IsEmpty() ? position + 1 : position;
}

void Collection::RemoveAt(size_t position) {
    if (const auto& key = members_[position]->foldedKey) {
        byKey_.erase(*key);
    }
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(position));
}

} // namespace qm6::vb
