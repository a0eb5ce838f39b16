// SDDL text, the access check and the caller's token.

#include "platform/registry/Security.h"

#include "platform/registry/Registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace qm6::reg {
namespace {

TEST(Sddl, ReadsAndWritesBackCanonically) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"O:BAG:SYD:(A;CI;KA;;;BA)(D;;KW;;;WD)", "O:BAG:SYD:(A;CI;KA;;;BA)(D;;KW;;;WD)"},
        {"O:S-1-5-32-544G:S-1-5-18", "O:BAG:SY"},
        {"D:NO_ACCESS_CONTROL", "D:NO_ACCESS_CONTROL"},
        {"D:", "D:"},
        {"", ""},
        {"D:(A;OICI;KX;;;AU)(A;;GA;;;CO)(A;;GR;;;OW)",
         "D:(A;OICI;KR;;;AU)(A;;GA;;;CO)(A;;GR;;;OW)"},
        {"D:(A;;RCSD;;;BU)(A;;0x1F;;;WD)", "D:(A;;0x30000;;;BU)(A;;0x1f;;;WD)"},
        {"D:(A;;GWGX;;;WD)", "D:(A;;0x60000000;;;WD)"},
        {"D:PAI(A;;KA;;;SY)", "D:(A;;KA;;;SY)"},
        {"O:s-1-22-1-1000D:(A;;KA;;;S-1-22-1-1000)", "O:S-1-22-1-1000D:(A;;KA;;;S-1-22-1-1000)"},
        {"D:(A;;KA;;;S-1-5-21-1004336348-1177238915-682003330-512)",
         "D:(A;;KA;;;S-1-5-21-1004336348-1177238915-682003330-512)"},
    };
    for (const auto& c : cases) {
        auto sd = SecurityDescriptor::FromSddl(c.in);
        ASSERT_TRUE(sd) << c.in;
        EXPECT_TRUE(sd->IsValid()) << c.in;
        EXPECT_EQ(sd->ToSddl(), c.out);
        EXPECT_EQ(SecurityDescriptor::FromSddl(sd->ToSddl()), sd) << c.in;
    }
}

TEST(Sddl, RefusesMalformedText) {
    for (const char* text :
         {"X:BA", "O:", "O:ZZ", "O:BAO:SY", "D:(A;;KA;;;)", "D:(X;;KA;;;WD)", "D:(A;;KQ;;;WD)",
          "D:(A;;KA;;;WD", "D:(A;;KA;;WD)", "D:(A;XX;KA;;;WD)", "D:(A;;KA;some-guid;;WD)",
          "D:(A;;0x;;;WD)", "D:(A;;0x123456789;;;WD)", "S:(AU;SA;KA;;;WD)", "O:S-1-", "O:S-2-1-0",
          "O:S-1-5-4294967296", "D:NO_ACCESS_CONTROL(A;;KA;;;WD)", "D:(A;;KA;;;WD)x"})
        EXPECT_FALSE(SecurityDescriptor::FromSddl(text)) << text;
}

constexpr GenericMapping kKeyMapping{KEY_READ, KEY_WRITE, KEY_READ, KEY_ALL_ACCESS};

TEST(AccessCheck, WalksTheDaclInOrder) {
    const Token user{"S-1-22-1-1000", {"S-1-22-2-1000", "S-1-1-0", "S-1-5-11", "S-1-5-32-545"}};
    Token admin = user;
    admin.groups.push_back("S-1-5-32-544");
    const struct {
        const char* sddl;
        const Token* token;
        uint32_t desired;
        bool status;
        uint32_t granted;
    } cases[] = {
        {"D:NO_ACCESS_CONTROL", &user, MAXIMUM_ALLOWED, true, KEY_ALL_ACCESS},
        {"O:BA", &user, KEY_WRITE, true, KEY_WRITE}, // no DACL at all
        {"D:", &user, KEY_READ, false, 0},
        {"O:S-1-22-1-1000D:", &user, READ_CONTROL | WRITE_DAC, true, READ_CONTROL | WRITE_DAC},
        {"O:S-1-22-1-1000D:", &user, KEY_QUERY_VALUE, false, 0},
        {"O:S-1-22-1-1000D:", &user, MAXIMUM_ALLOWED, true, READ_CONTROL | WRITE_DAC},
        {"O:S-1-22-1-1000D:(A;;KR;;;OW)", &user, WRITE_DAC, false,
         0}, // owner rights replace the implicit ones
        {"O:S-1-22-1-1000D:(A;;KR;;;OW)", &user, KEY_READ, true, KEY_READ},
        {"D:(A;;KR;;;WD)", &user, GENERIC_READ, true, KEY_READ},
        {"D:(A;;KR;;;WD)", &user, KEY_SET_VALUE, false, 0},
        {"D:(A;;KR;;;WD)", &user, MAXIMUM_ALLOWED, true, KEY_READ},
        {"D:(A;;KR;;;WD)", &user, MAXIMUM_ALLOWED | KEY_SET_VALUE, false, 0},
        {"D:(A;;GR;;;WD)", &user, KEY_QUERY_VALUE, true, KEY_QUERY_VALUE}, // generic entry mapped
        {"D:(D;;KW;;;S-1-22-1-1000)(A;;KA;;;WD)", &user, KEY_SET_VALUE, false, 0},
        {"D:(D;;KW;;;S-1-22-1-1000)(A;;KA;;;WD)", &user, MAXIMUM_ALLOWED, true,
         KEY_ALL_ACCESS & ~uint32_t(KEY_WRITE)},
        {"D:(A;;KA;;;WD)(D;;KW;;;S-1-22-1-1000)", &user, KEY_SET_VALUE, true, KEY_SET_VALUE},
        {"D:(D;;KW;;;S-1-22-2-1000)(A;;KA;;;WD)", &user, KEY_SET_VALUE, false, 0}, // by group
        {"D:(A;;KA;;;BA)", &admin, KEY_ALL_ACCESS, true, KEY_ALL_ACCESS},
        {"D:(A;;KA;;;CO)", &user, KEY_READ, false, 0}, // creator owner only matters when inherited
        {"D:(A;;KA;;;WD)", &user, 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sddl) + " desired " + std::to_string(c.desired));
        auto sd = SecurityDescriptor::FromSddl(c.sddl);
        ASSERT_TRUE(sd);
        uint32_t granted = 0xDEAD;
        bool status = !c.status;
        ASSERT_EQ(AccessCheck(*sd, *c.token, c.desired, kKeyMapping, granted, status),
                  ERROR_SUCCESS);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(granted, c.granted);
    }
}

TEST(Token, ExistsWhileTheThreadImpersonates) {
    Token token;
    ASSERT_EQ(ImpersonateSelf(2), ERROR_SUCCESS);
    ASSERT_EQ(OpenThreadToken(8, true, token), ERROR_SUCCESS);
    EXPECT_EQ(token.user, "S-1-22-1-" + std::to_string(geteuid()));
    for (std::string sid :
         {std::string(SID_EVERYONE), std::string(SID_AUTHENTICATED_USERS),
          std::string(SID_BUILTIN_USERS), "S-1-22-2-" + std::to_string(getegid())})
        EXPECT_TRUE(token.Has(sid)) << sid;
    const bool root = geteuid() == 0;
    EXPECT_EQ(token.Has(SID_BUILTIN_ADMINISTRATORS), root);
    EXPECT_EQ(token.Has(SID_LOCAL_SYSTEM), root);
    EXPECT_EQ(RevertToSelf(), ERROR_SUCCESS);
    EXPECT_EQ(OpenThreadToken(8, true, token), ERROR_NO_TOKEN);
}

} // namespace
} // namespace qm6::reg
