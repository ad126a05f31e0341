#include "sandbox/PasswordHash.h"

#include <gtest/gtest.h>

namespace {

namespace PasswordHash = Sandbox::PasswordHash;

TEST(PasswordHash, VerifiesOnlyTheSamePasswordAndSaltsEachHash) {
    const std::string first = PasswordHash::Hash("demo1234", 1000);
    const std::string second = PasswordHash::Hash("demo1234", 1000);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);  // a fresh salt each time
    EXPECT_EQ(first.rfind("pbkdf2-sha256$1000$", 0), 0u) << first;
    EXPECT_EQ(first.find("demo1234"), std::string::npos);
    EXPECT_TRUE(PasswordHash::Verify("demo1234", first));
    EXPECT_TRUE(PasswordHash::Verify("demo1234", second));
    EXPECT_FALSE(PasswordHash::Verify("demo1235", first));
    EXPECT_FALSE(PasswordHash::Verify("", first));
    EXPECT_TRUE(PasswordHash::Verify("", PasswordHash::Hash("", 10)));
    EXPECT_TRUE(PasswordHash::Verify("pässwörd \xF0\x9F\x94\x91", PasswordHash::Hash("pässwörd \xF0\x9F\x94\x91", 10)));
}

TEST(PasswordHash, StoredTextInAnyOtherFormNeverMatches) {
    const std::string good = PasswordHash::Hash("pw", 10);
    const std::string salt = good.substr(good.find('$', 14) + 1, 32);
    for (const std::string& stored :
         {std::string("pw"), std::string(""), std::string("pbkdf2-sha256$"), std::string("pbkdf2-sha256$10$$"),
          "pbkdf2-sha256$0$" + salt + "$" + std::string(64, '0'),         // no iterations
          "pbkdf2-sha256$99999999$" + salt + "$" + std::string(64, '0'),  // too many to be honest
          "pbkdf2-sha256$10$" + salt + "$" + std::string(62, '0'),        // short hash
          "pbkdf2-sha256$10$" + salt + "$" + std::string(64, 'g'),        // not hex
          "PBKDF2-SHA256" + good.substr(13), good + "0"}) {
        EXPECT_FALSE(PasswordHash::Verify("pw", stored)) << stored;
        EXPECT_FALSE(PasswordHash::IsHash(stored)) << stored;
    }
    EXPECT_TRUE(PasswordHash::IsHash(good));
    EXPECT_TRUE(PasswordHash::Hash("pw", 0).empty());
}

}  // namespace
