#pragma once

// A fresh, empty registry folder for each test, and helpers to read and
// write values in it.

#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace qm6::reg::test {

class HiveTest : public ::testing::Test {
protected:
    HiveTest() : env_("QM6_REGISTRY_DIR", dir_.Str()) { CloseThreadConnections(); }
    ~HiveTest() override { CloseThreadConnections(); }

    std::filesystem::path HivePath(const char* name = "HKCU.db") const {
        return dir_.Path() / name;
    }

    static std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

    // Creates the key (if needed) and sets a string value in it.
    static void Put(std::string_view path, std::string_view name, std::string_view data) {
        Key key;
        ASSERT_EQ(CreateKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, nullptr, key), ERROR_SUCCESS)
            << path;
        auto bytes = Bytes(data);
        ASSERT_EQ(SetValue(key, name, REG_SZ, bytes), ERROR_SUCCESS) << name;
    }

    static SecurityDescriptor Sddl(const std::string& text) {
        auto sd = SecurityDescriptor::FromSddl(text);
        EXPECT_TRUE(sd) << text;
        return sd.value_or(SecurityDescriptor{});
    }

    // A key that must open.
    static Key Open(std::string_view path, uint32_t access = KEY_ALL_ACCESS,
                    uint32_t root = HKEY_CURRENT_USER) {
        Key key;
        EXPECT_EQ(OpenKey(root, path, access, key), ERROR_SUCCESS) << path;
        return key;
    }

    // The name (or, with `data`, the data) at `index` of a key's values, or
    // the error code as text.
    static std::string ValueAt(const Key& key, uint32_t index, bool data = false) {
        std::string name;
        std::vector<uint8_t> bytes;
        long rc = EnumValue(key, index, name, nullptr, data ? &bytes : nullptr);
        if (rc != ERROR_SUCCESS)
            return "error " + std::to_string(rc);
        return data ? std::string(bytes.begin(), bytes.end()) : name;
    }

    // What opening a key answers.
    static long Opening(std::string_view path, uint32_t access = KEY_READ) {
        Key key;
        return OpenKey(HKEY_CURRENT_USER, path, access, key);
    }

    // Creates a key (if needed), made with the descriptor `sddl` if given.
    static Key Make(std::string_view path, const std::string& sddl = "",
                    uint32_t access = KEY_ALL_ACCESS) {
        SecurityDescriptor sd = sddl.empty() ? SecurityDescriptor{} : Sddl(sddl);
        SecurityAttributes attributes{&sd, false};
        Key key;
        EXPECT_EQ(
            CreateKey(HKEY_CURRENT_USER, path, access, sddl.empty() ? nullptr : &attributes, key),
            ERROR_SUCCESS)
            << path;
        return key;
    }

    // The data of a value, or the error code as text.
    static std::string Get(std::string_view path, std::string_view name) {
        Key key;
        if (long rc = OpenKey(HKEY_CURRENT_USER, path, KEY_READ, key); rc != ERROR_SUCCESS)
            return "error " + std::to_string(rc);
        std::vector<uint8_t> data;
        if (long rc = QueryValue(key, name, nullptr, &data); rc != ERROR_SUCCESS)
            return "error " + std::to_string(rc);
        return {data.begin(), data.end()};
    }

    // The names of a key's subkeys or values, in the order listed by index;
    // the index after the last answers ERROR_NO_MORE_ITEMS.
    static std::vector<std::string> Listed(const Key& key, bool subKeys) {
        std::vector<std::string> names;
        std::string name;
        long rc = 0;
        for (uint32_t i = 0;
             (rc = subKeys ? EnumKey(key, i, name) : EnumValue(key, i, name)) == ERROR_SUCCESS; ++i)
            names.push_back(name);
        EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
        return names;
    }

    // Runs `work` on another thread, which has a connection of its own: its
    // commits are another connection's changes to this thread.
    static void OnOtherConnection(const std::function<void()>& work) {
        std::thread([&] {
            work();
            CloseThreadConnections();
        }).join();
    }

    // What another connection reads.
    static std::string GetElsewhere(std::string_view path, std::string_view name) {
        std::string got;
        OnOtherConnection([&] { got = Get(path, name); });
        return got;
    }

    qm6::test::TempDir dir_;
    qm6::test::ScopedEnv env_;
};

} // namespace qm6::reg::test
