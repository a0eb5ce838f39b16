// The registry functions over SQLite hives (see Hive.h for the layout).

#include "platform/registry/Registry.h"

#include "platform/registry/Hive.h"

#include <algorithm>
#include <optional>

namespace qm6::reg {

using detail::Hive;
using detail::HiveRoot;
using detail::Statement;

struct Key::Impl {
    HiveRoot root;
    std::string hivePath;
    std::string hiveUid;
    int64_t id;
    uint32_t granted;
    // The transaction the key was opened in, if any.
    std::shared_ptr<detail::HeldTransaction> transaction;
};

Key::Key() = default;
Key::~Key() = default;
Key::Key(Key&&) noexcept = default;
Key& Key::operator=(Key&&) noexcept = default;
Key::Key(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Transaction::Transaction() = default;
Transaction::~Transaction() {
    RollbackTransaction(*this);
}
Transaction::Transaction(Transaction&&) noexcept = default;
Transaction& Transaction::operator=(Transaction&& other) noexcept {
    if (this != &other) {
        RollbackTransaction(*this);
        state_ = std::move(other.state_);
    }
    return *this;
}
Transaction::Transaction(std::shared_ptr<detail::HeldTransaction> state)
    : state_(std::move(state)) {}

bool Key::IsOpen() const {
    return impl_ != nullptr;
}

void Key::Close() {
    impl_.reset();
}

namespace {

constexpr size_t kMaxKeyNameUnits = 255;
constexpr size_t kMaxValueNameUnits = 16383;

// How much of a key's listing one read takes: rows, or bytes of names and
// data, whichever comes first.
constexpr size_t kPageRows = 512;
constexpr size_t kPageBytes = size_t(1) << 20;

struct Component {
    std::string name;
    std::string folded;
};

// A key as the current transaction sees it.
using KeyRow = std::shared_ptr<detail::KeyEntry>;

KeyRow MakeRow(int64_t id, std::string sddl) {
    auto row = std::make_shared<detail::KeyEntry>();
    row->id = id;
    row->sddl = std::move(sddl);
    return row;
}

std::optional<HiveRoot> RootOf(uint32_t root) {
    if (root == HKEY_CURRENT_USER)
        return HiveRoot::CurrentUser;
    if (root == HKEY_LOCAL_MACHINE)
        return HiveRoot::LocalMachine;
    return std::nullopt;
}

// Splits "a\b\c" into its names. A trailing backslash is allowed; a leading
// one or an empty name between two is a bad path; a name is at most 255
// characters.
long SplitPath(std::string_view path, std::vector<Component>& out) {
    out.clear();
    if (path.empty())
        return ERROR_SUCCESS;
    if (path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (path.back() == '\\')
        path.remove_suffix(1);
    size_t start = 0;
    for (;;) {
        size_t sep = path.find('\\', start);
        std::string_view name =
            path.substr(start, sep == std::string_view::npos ? sep : sep - start);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        Component c;
        size_t units = 0;
        if (!detail::CompareForm(name, detail::NameRule::SimpleUppercase, c.folded, &units) ||
            units > kMaxKeyNameUnits)
            return ERROR_INVALID_PARAMETER;
        c.name = std::string(name);
        out.push_back(std::move(c));
        if (sep == std::string_view::npos)
            break;
        start = sep + 1;
    }
    return ERROR_SUCCESS;
}

// The form a name is compared by in `hive`: `form`, made beforehand by the
// current rule, or the old rule's form in a version 1 hive.
const std::string& FormIn(const Hive& hive, std::string_view name, const std::string& form,
                          std::string& scratch) {
    if (hive.Rule() == detail::NameRule::SimpleUppercase)
        return form;
    detail::CompareForm(name, hive.Rule(), scratch);
    return scratch;
}

long LoadKey(Hive& hive, int64_t id, KeyRow& row) {
    if ((row = hive.CachedKey(id)))
        return ERROR_SUCCESS;
    Statement s(hive, "SELECT sddl FROM keys WHERE id = ?1");
    s.Bind(1, id);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        row = MakeRow(id, s.Text(0));
        hive.RememberKey(row);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? long(ERROR_FILE_NOT_FOUND) : hive.Fail(rc);
}

// The key behind an open handle, if it still exists in the same hive file.
long LiveKey(Hive& hive, const Key::Impl& key, KeyRow& row) {
    if (hive.Uid() != key.hiveUid)
        return ERROR_KEY_DELETED;
    long rc = LoadKey(hive, key.id, row);
    return rc == ERROR_FILE_NOT_FOUND ? long(ERROR_KEY_DELETED) : rc;
}

long FindChild(Hive& hive, int64_t parent, const std::string& folded, KeyRow& row) {
    if (int64_t id = hive.CachedChild(parent, folded)) {
        if ((row = hive.CachedKey(id)))
            return ERROR_SUCCESS;
    }
    Statement s(hive, "SELECT id, sddl FROM keys WHERE parent = ?1 AND folded = ?2");
    s.Bind(1, parent).Bind(2, folded);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        row = MakeRow(s.Int(0), s.Text(1));
        hive.RememberKey(row);
        hive.RememberChild(parent, folded, row->id);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? long(ERROR_FILE_NOT_FOUND) : hive.Fail(rc);
}

long Walk(Hive& hive, KeyRow start, const std::vector<Component>& path, KeyRow& row) {
    row = std::move(start);
    std::string scratch;
    for (const Component& c : path) {
        long rc = FindChild(hive, row->id, FormIn(hive, c.name, c.folded, scratch), row);
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

long Touch(Hive& hive, int64_t id) {
    Statement s(hive, "UPDATE keys SET last_write = ?2 WHERE id = ?1");
    s.Bind(1, id).Bind(2, detail::FileTimeNow());
    int rc = s.Step();
    return rc == SQLITE_DONE ? long(ERROR_SUCCESS) : hive.Fail(rc);
}

// Checks the access asked for against a key's descriptor as the hive shows
// it; a read-only hive grants no write right to anyone.
long CheckAccess(const Hive& hive, detail::KeyEntry& key, uint32_t access, uint32_t& granted) {
    granted = 0;
    if (access == 0)
        return ERROR_SUCCESS; // a handle that may do nothing
    const GenericMapping mapping = detail::KeyMapping();
    if (hive.ReadOnly() &&
        (detail::MapGenericRights(access & ~MAXIMUM_ALLOWED, mapping) & detail::kWriteRights))
        return ERROR_ACCESS_DENIED;
    if (!key.ShownValid(hive.ReadOnly()))
        return ERROR_INVALID_SECURITY_DESCR;
    bool status = false;
    detail::AccessCheckValid(key.Shown(hive.ReadOnly()), detail::CurrentToken(), access, mapping,
                             granted, status);
    if (!status)
        return ERROR_ACCESS_DENIED;
    if (hive.ReadOnly())
        granted &= ~detail::kWriteRights;
    return ERROR_SUCCESS;
}

std::unique_ptr<Key::Impl> MakeImpl(const Hive& hive, HiveRoot root, int64_t id, uint32_t granted,
                                    const std::shared_ptr<detail::HeldTransaction>& transaction) {
    return std::make_unique<Key::Impl>(
        Key::Impl{root, hive.Path(), hive.Uid(), id, granted, transaction});
}

long OpenFrom(HiveRoot root, const std::string& hivePath, std::optional<Key::Impl> parent,
              std::string_view path, uint32_t access, Key& result,
              const std::shared_ptr<detail::HeldTransaction>& transaction) {
    std::vector<Component> names;
    long rc = SplitPath(path, names);
    std::unique_ptr<Key::Impl> impl;
    if (rc == ERROR_SUCCESS) {
        rc = Hive::Run(
            hivePath, root, detail::Txn::Read,
            [&](Hive& hive) {
                KeyRow start;
                long r = parent ? LiveKey(hive, *parent, start)
                                : LoadKey(hive, detail::kRootKeyId, start);
                if (r != ERROR_SUCCESS)
                    return r;
                KeyRow row;
                if ((r = Walk(hive, start, names, row)) != ERROR_SUCCESS)
                    return r;
                uint32_t granted = 0;
                if ((r = CheckAccess(hive, *row, access, granted)) != ERROR_SUCCESS)
                    return r;
                impl = MakeImpl(hive, root, row->id, granted, transaction);
                return long(ERROR_SUCCESS);
            },
            parent ? detail::Via::Handle : detail::Via::Path, transaction.get());
    }
    result = rc == ERROR_SUCCESS ? Key(std::move(impl)) : Key();
    return rc;
}

// The descriptor a key is created with: the given one, with the creator as
// owner and primary group where it names none, and the parent's DACL where
// it carries none.
std::string CreationSddl(const SecurityDescriptor& given, const std::string& parentSddl) {
    SecurityDescriptor sd = given;
    Token token = detail::ProcessToken();
    if (sd.owner.empty())
        sd.owner = token.user;
    if (sd.group.empty())
        sd.group = token.groups.front();
    if (!sd.daclPresent) {
        if (auto parent = SecurityDescriptor::FromSddl(parentSddl)) {
            sd.daclPresent = parent->daclPresent;
            sd.dacl = parent->dacl;
        }
    }
    sd.daclDefaulted = false;
    return sd.ToSddl();
}

// Runs `work` on the key behind an open handle, after checking that the
// handle was opened with `needed`.
long WithKey(const Key& key, uint32_t needed, detail::Txn txn,
             detail::FunctionRef<long(Hive&, const KeyRow&)> work) {
    const Key::Impl* k = key.impl();
    if (!k)
        return ERROR_INVALID_HANDLE;
    if ((k->granted & needed) != needed)
        return ERROR_ACCESS_DENIED;
    const bool write = txn == detail::Txn::Write;
    return Hive::Run(
        k->hivePath, k->root, txn,
        [&](Hive& hive) {
            KeyRow row;
            long rc = LiveKey(hive, *k, row);
            if (rc != ERROR_SUCCESS)
                return rc;
            if (write && hive.ReadOnly())
                return long(ERROR_ACCESS_DENIED);
            return work(hive, row);
        },
        detail::Via::Handle, k->transaction.get());
}

long CheckValueName(std::string_view name, std::string& folded) {
    size_t units = 0;
    if (!detail::CompareForm(name, detail::NameRule::SimpleUppercase, folded, &units) ||
        units > kMaxValueNameUnits)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// Every key of the subtree below (and including) `id`, with its descriptor.
long Subtree(Hive& hive, int64_t id, std::vector<KeyRow>& rows) {
    Statement s(hive, "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL "
                      "SELECT k.id FROM keys k JOIN t ON k.parent = t.id) "
                      "SELECT k.id, k.sddl FROM keys k JOIN t ON k.id = t.id");
    s.Bind(1, id);
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
        rows.push_back(MakeRow(s.Int(0), s.Text(1)));
    return rc == SQLITE_DONE ? long(ERROR_SUCCESS) : hive.Fail(rc);
}

long ParentOf(Hive& hive, int64_t id, int64_t& parent) {
    Statement s(hive, "SELECT parent FROM keys WHERE id = ?1");
    s.Bind(1, id);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        parent = s.Int(0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? long(ERROR_FILE_NOT_FOUND) : hive.Fail(rc);
}

// The entry at `index` of a key's values (or subkeys), from the
// connection's listing of the key when it holds it. Otherwise a page is read
// into the listing: when the listing holds the entry before `index`, the
// page goes on from it (a seek in the key's index, so asking for every index
// in turn costs one pass over the key); else it is found by counting from
// the first entry.
long EntryAt(Hive& hive, int64_t key, bool values, uint32_t index, bool withData,
             const detail::Listing::Entry*& out) {
    detail::Listing* listing = hive.FindListing(key, values);
    const int64_t at = listing ? int64_t(index) - int64_t(listing->first) : -1;
    // A listing of names alone answers no question for data.
    if (listing && at >= 0 && (listing->withData || !withData)) {
        if (size_t(at) < listing->entries.size()) {
            out = &listing->entries[size_t(at)];
            return ERROR_SUCCESS;
        }
        if (listing->complete)
            return ERROR_NO_MORE_ITEMS;
    }
    const detail::Listing::Entry* before =
        listing && at >= 1 && size_t(at) - 1 < listing->entries.size()
            ? &listing->entries[size_t(at) - 1]
            : nullptr;

    static constexpr const char* kValuesAfter[2] = {
        "SELECT name, type, seq FROM vals WHERE key = ?1 AND seq > ?2 ORDER BY seq LIMIT ?3",
        "SELECT name, type, seq, data FROM vals WHERE key = ?1 AND seq > ?2 ORDER BY seq LIMIT ?3"};
    static constexpr const char* kValuesFrom[2] = {
        "SELECT name, type, seq FROM vals WHERE key = ?1 ORDER BY seq LIMIT ?3 OFFSET ?2",
        "SELECT name, type, seq, data FROM vals WHERE key = ?1 ORDER BY seq LIMIT ?3 OFFSET ?2"};
    const char* sql = values   ? (before ? kValuesAfter : kValuesFrom)[withData ? 1 : 0]
                      : before ? "SELECT name, folded FROM keys WHERE parent = ?1 AND folded > ?2 "
                                 "ORDER BY folded LIMIT ?3"
                               : "SELECT name, folded FROM keys WHERE parent = ?1 ORDER BY folded "
                                 "LIMIT ?3 OFFSET ?2";
    Statement s(hive, sql);
    s.Bind(1, key).Bind(3, int64_t(kPageRows));
    if (!before)
        s.Bind(2, int64_t(index));
    else if (values)
        s.Bind(2, before->seq);
    else
        s.Bind(2, before->after);

    std::vector<detail::Listing::Entry> page;
    size_t bytes = 0;
    int rc = SQLITE_ROW;
    while (page.size() < kPageRows && bytes < kPageBytes && (rc = s.Step()) == SQLITE_ROW) {
        detail::Listing::Entry entry;
        entry.name = s.Text(0);
        if (values) {
            entry.type = static_cast<uint32_t>(s.Int(1));
            entry.seq = s.Int(2);
            if (withData)
                entry.data = s.Blob(3);
        } else {
            entry.after = s.Text(1);
        }
        bytes += entry.name.size() + entry.after.size() + entry.data.size();
        page.push_back(std::move(entry));
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return hive.Fail(rc);
    // A page cut short by its rows or bytes ends nothing.
    const bool complete = rc == SQLITE_DONE;
    if (page.empty())
        return ERROR_NO_MORE_ITEMS;
    detail::Listing& kept = hive.KeepListing(key, values);
    kept.withData = withData;
    kept.first = index;
    kept.complete = complete;
    kept.entries = std::move(page);
    out = &kept.entries.front();
    return ERROR_SUCCESS;
}

long Exec(Hive& hive, const char* sql, int64_t id) {
    Statement s(hive, sql);
    s.Bind(1, id);
    int rc = s.Step();
    return rc == SQLITE_DONE ? long(ERROR_SUCCESS) : hive.Fail(rc);
}

} // namespace

long OpenKey(uint32_t root, std::string_view path, uint32_t access, Key& result) {
    auto r = RootOf(root);
    if (!r) {
        result = Key();
        return ERROR_INVALID_HANDLE;
    }
    return OpenFrom(*r, detail::HivePath(*r), std::nullopt, path, access, result, nullptr);
}

long OpenKey(const Key& parent, std::string_view path, uint32_t access, Key& result) {
    if (!parent.IsOpen()) {
        result = Key();
        return ERROR_INVALID_HANDLE;
    }
    Key::Impl from = *parent.impl(); // `result` may be `parent`
    return OpenFrom(from.root, from.hivePath, from, path, access, result, from.transaction);
}

long CreateTransaction(Transaction& result) {
    result = Transaction(std::make_shared<detail::HeldTransaction>());
    return ERROR_SUCCESS;
}

long CommitTransaction(Transaction& transaction) {
    if (!transaction.State())
        return ERROR_INVALID_HANDLE;
    return Hive::Finish(*transaction.State(), true);
}

long RollbackTransaction(Transaction& transaction) {
    if (!transaction.State())
        return ERROR_INVALID_HANDLE;
    return Hive::Finish(*transaction.State(), false);
}

long OpenKeyTransacted(uint32_t root, std::string_view path, uint32_t access, Key& result,
                       Transaction& transaction) {
    auto r = RootOf(root);
    if (!r || !transaction.State()) {
        result = Key();
        return ERROR_INVALID_HANDLE;
    }
    return OpenFrom(*r, detail::HivePath(*r), std::nullopt, path, access, result,
                    transaction.State());
}

namespace {

long CreateIn(uint32_t root, std::string_view path, uint32_t access,
              const SecurityAttributes* attributes, Key& result, bool* created,
              const std::shared_ptr<detail::HeldTransaction>& transaction) {
    if (created)
        *created = false;
    result = Key();
    auto r = RootOf(root);
    if (!r)
        return ERROR_INVALID_HANDLE;
    std::vector<Component> names;
    long rc = SplitPath(path, names);
    if (rc != ERROR_SUCCESS)
        return rc;
    const SecurityDescriptor* given = attributes ? attributes->descriptor : nullptr;
    if (given && !given->IsValid())
        return ERROR_INVALID_SECURITY_DESCR;

    std::unique_ptr<Key::Impl> impl;
    bool made = false;
    rc = Hive::Run(
        detail::HivePath(*r), *r, detail::Txn::Write,
        [&](Hive& hive) {
            made = false;
            KeyRow row;
            long e = LoadKey(hive, detail::kRootKeyId, row);
            if (e != ERROR_SUCCESS)
                return e;
            size_t i = 0;
            std::string scratch;
            for (; i < names.size(); ++i) {
                KeyRow child;
                e = FindChild(hive, row->id, FormIn(hive, names[i].name, names[i].folded, scratch),
                              child);
                if (e == ERROR_FILE_NOT_FOUND)
                    break;
                if (e != ERROR_SUCCESS)
                    return e;
                row = std::move(child);
            }
            uint32_t granted = 0;
            if (i == names.size()) {
                // The key is there: this is an open.
                if ((e = CheckAccess(hive, *row, access, granted)) != ERROR_SUCCESS)
                    return e;
                impl = MakeImpl(hive, *r, row->id, granted, transaction);
                return long(ERROR_SUCCESS);
            }
            if (hive.ReadOnly())
                return long(ERROR_ACCESS_DENIED);
            if ((e = CheckAccess(hive, *row, KEY_CREATE_SUB_KEY, granted)) != ERROR_SUCCESS)
                return e;
            const std::string sddl = given ? CreationSddl(*given, row->sddl) : row->sddl;
            const int64_t now = detail::FileTimeNow();
            if ((e = Touch(hive, row->id)) != ERROR_SUCCESS)
                return e;
            hive.ForgetKeys();
            int64_t id = row->id;
            for (; i < names.size(); ++i) {
                Statement s(hive, "INSERT INTO keys(parent, name, folded, sddl, last_write) "
                                  "VALUES(?1, ?2, ?3, ?4, ?5)");
                s.Bind(1, id)
                    .Bind(2, names[i].name)
                    .Bind(3, FormIn(hive, names[i].name, names[i].folded, scratch))
                    .Bind(4, sddl)
                    .Bind(5, now);
                int step = s.Step();
                if (step != SQLITE_DONE)
                    return hive.Fail(step);
                id = sqlite3_last_insert_rowid(hive.Db());
            }
            // The creator holds the access it asked for on the key it made,
            // whatever the new key's descriptor says.
            const GenericMapping mapping = detail::KeyMapping();
            granted = (access & MAXIMUM_ALLOWED) ? uint32_t(KEY_ALL_ACCESS) : 0u;
            granted |= detail::MapGenericRights(access & ~MAXIMUM_ALLOWED, mapping);
            impl = MakeImpl(hive, *r, id, granted, transaction);
            made = true;
            return long(ERROR_SUCCESS);
        },
        detail::Via::Path, transaction.get());
    if (rc == ERROR_SUCCESS) {
        result = Key(std::move(impl));
        if (created)
            *created = made;
    }
    return rc;
}

} // namespace

long CreateKey(uint32_t root, std::string_view path, uint32_t access,
               const SecurityAttributes* attributes, Key& result, bool* created) {
    return CreateIn(root, path, access, attributes, result, created, nullptr);
}

long CreateKeyTransacted(uint32_t root, std::string_view path, uint32_t access,
                         const SecurityAttributes* attributes, Key& result,
                         Transaction& transaction, bool* created) {
    if (!transaction.State()) {
        result = Key();
        if (created)
            *created = false;
        return ERROR_INVALID_HANDLE;
    }
    return CreateIn(root, path, access, attributes, result, created, transaction.State());
}

long QueryValue(const Key& key, std::string_view name, uint32_t* type, std::vector<uint8_t>* data) {
    std::string folded;
    if (long rc = CheckValueName(name, folded); rc != ERROR_SUCCESS)
        return key.IsOpen() ? rc : long(ERROR_INVALID_HANDLE);
    const Key::Impl* k = key.impl();
    if (!k)
        return ERROR_INVALID_HANDLE;
    if ((k->granted & KEY_QUERY_VALUE) != KEY_QUERY_VALUE)
        return ERROR_ACCESS_DENIED;
    // One statement sees the key and its value in one snapshot, so it needs
    // no transaction around it.
    return Hive::Run(
        k->hivePath, k->root, detail::Txn::Single,
        [&](Hive& hive) {
            if (hive.Uid() != k->hiveUid)
                return long(ERROR_KEY_DELETED);
            std::string scratch;
            Statement s(hive, "SELECT v.type, v.data FROM keys k LEFT JOIN vals v "
                              "ON v.key = k.id AND v.folded = ?2 WHERE k.id = ?1");
            s.Bind(1, k->id).Bind(2, FormIn(hive, name, folded, scratch));
            int rc = s.Step();
            if (rc == SQLITE_DONE)
                return long(ERROR_KEY_DELETED);
            if (rc != SQLITE_ROW)
                return hive.Fail(rc);
            if (sqlite3_column_type(s.Handle(), 0) == SQLITE_NULL)
                return long(ERROR_FILE_NOT_FOUND);
            if (type)
                *type = static_cast<uint32_t>(s.Int(0));
            if (data)
                *data = s.Blob(1);
            return long(ERROR_SUCCESS);
        },
        detail::Via::Handle, k->transaction.get());
}

long SetValue(const Key& key, std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    std::string folded;
    if (long rc = CheckValueName(name, folded); rc != ERROR_SUCCESS)
        return key.IsOpen() ? rc : long(ERROR_INVALID_HANDLE);
    return WithKey(key, KEY_SET_VALUE, detail::Txn::Write, [&](Hive& hive, const KeyRow& row) {
        // A value written again keeps its name and its place in the order.
        Statement s(hive, "INSERT INTO vals(key, name, folded, seq, type, data) "
                          "VALUES(?1, ?2, ?3, (SELECT coalesce(max(seq), 0) + 1 FROM vals "
                          "WHERE key = ?1), ?4, ?5) "
                          "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, "
                          "data = excluded.data");
        std::string scratch;
        s.Bind(1, row->id)
            .Bind(2, name)
            .Bind(3, FormIn(hive, name, folded, scratch))
            .Bind(4, int64_t(type))
            .BindBlob(5, data);
        int rc = s.Step();
        if (rc != SQLITE_DONE)
            return hive.Fail(rc);
        return Touch(hive, row->id);
    });
}

long DeleteValue(const Key& key, std::string_view name) {
    std::string folded;
    if (long rc = CheckValueName(name, folded); rc != ERROR_SUCCESS)
        return key.IsOpen() ? rc : long(ERROR_INVALID_HANDLE);
    return WithKey(key, KEY_SET_VALUE, detail::Txn::Write, [&](Hive& hive, const KeyRow& row) {
        std::string scratch;
        Statement s(hive, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
        s.Bind(1, row->id).Bind(2, FormIn(hive, name, folded, scratch));
        int rc = s.Step();
        if (rc != SQLITE_DONE)
            return hive.Fail(rc);
        if (sqlite3_changes(hive.Db()) == 0)
            return long(ERROR_FILE_NOT_FOUND);
        return Touch(hive, row->id);
    });
}

long DeleteKey(const Key& parent, std::string_view subKey) {
    std::vector<Component> names;
    if (long rc = SplitPath(subKey, names); rc != ERROR_SUCCESS)
        return parent.IsOpen() ? rc : long(ERROR_INVALID_HANDLE);
    return WithKey(parent, 0, detail::Txn::Write, [&](Hive& hive, const KeyRow& from) {
        KeyRow target;
        long rc = Walk(hive, from, names, target);
        if (rc != ERROR_SUCCESS)
            return rc;
        uint32_t granted = 0;
        if ((rc = CheckAccess(hive, *target, DELETE_ACCESS, granted)) != ERROR_SUCCESS)
            return rc;
        if (target->id == detail::kRootKeyId)
            return long(ERROR_ACCESS_DENIED);
        Statement children(hive, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
        children.Bind(1, target->id);
        int step = children.Step();
        if (step == SQLITE_ROW)
            return long(ERROR_ACCESS_DENIED); // a key with subkeys is not deleted
        if (step != SQLITE_DONE)
            return hive.Fail(step);
        int64_t above = 0;
        if ((rc = ParentOf(hive, target->id, above)) != ERROR_SUCCESS)
            return rc;
        hive.ForgetKeys();
        if ((rc = Exec(hive, "DELETE FROM vals WHERE key = ?1", target->id)) != ERROR_SUCCESS)
            return rc;
        if ((rc = Exec(hive, "DELETE FROM keys WHERE id = ?1", target->id)) != ERROR_SUCCESS)
            return rc;
        return Touch(hive, above);
    });
}

long DeleteTree(const Key& key, std::string_view subKey) {
    std::vector<Component> names;
    if (long rc = SplitPath(subKey, names); rc != ERROR_SUCCESS)
        return key.IsOpen() ? rc : long(ERROR_INVALID_HANDLE);
    return WithKey(key, 0, detail::Txn::Write, [&](Hive& hive, const KeyRow& from) {
        KeyRow target;
        long rc = Walk(hive, from, names, target);
        if (rc != ERROR_SUCCESS)
            return rc;
        if (target->id == detail::kRootKeyId)
            return long(ERROR_ACCESS_DENIED);
        // Every key below must let the caller list and delete it; the whole
        // tree goes, or nothing does.
        std::vector<KeyRow> rows;
        if ((rc = Subtree(hive, target->id, rows)) != ERROR_SUCCESS)
            return rc;
        for (const KeyRow& row : rows) {
            uint32_t granted = 0;
            if ((rc = CheckAccess(hive, *row, KEY_READ | DELETE_ACCESS, granted)) != ERROR_SUCCESS)
                return rc;
        }
        int64_t above = 0;
        if ((rc = ParentOf(hive, target->id, above)) != ERROR_SUCCESS)
            return rc;
        static constexpr const char* kTree = "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL "
                                             "SELECT k.id FROM keys k JOIN t ON k.parent = t.id) ";
        static const std::string deleteValues =
            std::string(kTree) + "DELETE FROM vals WHERE key IN (SELECT id FROM t)";
        static const std::string deleteKeys =
            std::string(kTree) + "DELETE FROM keys WHERE id IN (SELECT id FROM t)";
        hive.ForgetKeys();
        if ((rc = Exec(hive, deleteValues.c_str(), target->id)) != ERROR_SUCCESS)
            return rc;
        if ((rc = Exec(hive, deleteKeys.c_str(), target->id)) != ERROR_SUCCESS)
            return rc;
        return Touch(hive, above);
    });
}

long QueryInfoKey(const Key& key, KeyInfo& info) {
    return WithKey(key, KEY_QUERY_VALUE, detail::Txn::Read, [&](Hive& hive, const KeyRow& row) {
        KeyInfo out;
        Statement keys(hive, "SELECT name FROM keys WHERE parent = ?1");
        keys.Bind(1, row->id);
        int rc;
        while ((rc = keys.Step()) == SQLITE_ROW) {
            ++out.subKeys;
            out.maxSubKeyLen =
                std::max(out.maxSubKeyLen, uint32_t(detail::Utf16Length(keys.Text(0))));
        }
        if (rc != SQLITE_DONE)
            return hive.Fail(rc);
        Statement vals(hive, "SELECT name, length(data) FROM vals WHERE key = ?1");
        vals.Bind(1, row->id);
        while ((rc = vals.Step()) == SQLITE_ROW) {
            ++out.values;
            out.maxValueNameLen =
                std::max(out.maxValueNameLen, uint32_t(detail::Utf16Length(vals.Text(0))));
            out.maxValueLen = std::max(out.maxValueLen, uint32_t(vals.Int(1)));
        }
        if (rc != SQLITE_DONE)
            return hive.Fail(rc);
        info = out;
        return long(ERROR_SUCCESS);
    });
}

long EnumValue(const Key& key, uint32_t index, std::string& name, uint32_t* type,
               std::vector<uint8_t>* data) {
    return WithKey(key, KEY_QUERY_VALUE, detail::Txn::Continue, [&](Hive& hive, const KeyRow& row) {
        const detail::Listing::Entry* entry = nullptr;
        long rc = EntryAt(hive, row->id, true, index, data != nullptr, entry);
        if (rc != ERROR_SUCCESS)
            return rc;
        name = entry->name;
        if (type)
            *type = entry->type;
        if (data)
            *data = entry->data;
        return long(ERROR_SUCCESS);
    });
}

long EnumKey(const Key& key, uint32_t index, std::string& name) {
    return WithKey(key, KEY_ENUMERATE_SUB_KEYS, detail::Txn::Continue,
                   [&](Hive& hive, const KeyRow& row) {
                       const detail::Listing::Entry* entry = nullptr;
                       long rc = EntryAt(hive, row->id, false, index, false, entry);
                       if (rc == ERROR_SUCCESS)
                           name = entry->name;
                       return rc;
                   });
}

long GetKeySecurity(const Key& key, uint32_t information, SecurityDescriptor& descriptor) {
    return WithKey(key, READ_CONTROL, detail::Txn::Read, [&](Hive& hive, const KeyRow& row) {
        const SecurityDescriptor& shown = row->Shown(hive.ReadOnly());
        SecurityDescriptor out;
        out.revision = SECURITY_DESCRIPTOR_REVISION;
        if (information & OWNER_SECURITY_INFORMATION)
            out.owner = shown.owner;
        if (information & GROUP_SECURITY_INFORMATION)
            out.group = shown.group;
        if (information & DACL_SECURITY_INFORMATION) {
            out.daclPresent = shown.daclPresent;
            out.dacl = shown.dacl;
        }
        descriptor = std::move(out);
        return long(ERROR_SUCCESS);
    });
}

long SetKeySecurity(const Key& key, uint32_t information, const SecurityDescriptor& descriptor) {
    uint32_t needed = 0;
    if (information & DACL_SECURITY_INFORMATION)
        needed |= WRITE_DAC;
    if (information & (OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION))
        needed |= WRITE_OWNER;
    if (key.IsOpen() && !descriptor.IsValid())
        return ERROR_INVALID_SECURITY_DESCR;
    return WithKey(key, needed, detail::Txn::Write, [&](Hive& hive, const KeyRow& row) {
        SecurityDescriptor stored;
        if (auto parsed = SecurityDescriptor::FromSddl(row->sddl))
            stored = std::move(*parsed);
        stored.revision = SECURITY_DESCRIPTOR_REVISION;
        if (information & OWNER_SECURITY_INFORMATION)
            stored.owner = descriptor.owner;
        if (information & GROUP_SECURITY_INFORMATION)
            stored.group = descriptor.group;
        if (information & DACL_SECURITY_INFORMATION) {
            stored.daclPresent = descriptor.daclPresent;
            stored.dacl = descriptor.daclPresent ? descriptor.dacl : std::nullopt;
        }
        hive.ForgetKeys();
        Statement s(hive, "UPDATE keys SET sddl = ?2, last_write = ?3 WHERE id = ?1");
        s.Bind(1, row->id).Bind(2, stored.ToSddl()).Bind(3, detail::FileTimeNow());
        int rc = s.Step();
        return rc == SQLITE_DONE ? long(ERROR_SUCCESS) : hive.Fail(rc);
    });
}

void CloseThreadConnections() {
    Hive::CloseThreadConnections();
}

std::string HiveFile(uint32_t root) {
    auto r = RootOf(root);
    return r ? detail::HivePath(*r) : std::string();
}

} // namespace qm6::reg
