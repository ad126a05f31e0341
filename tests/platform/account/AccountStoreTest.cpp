#include "platform/account/AccountStore.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/account/AccountAccessor.h"

using Vx::E_INVALID_ARG;
using Vx::E_INVALID_FORMAT;
using Vx::E_INVALID_STATE;
using Vx::E_OBJ_NOT_FOUND;
using Vx::E_SUCCESS;
using Vx::Account::Account;
using Vx::Account::AccountAccessor;
using Vx::Account::AccountProvider;
using Vx::Account::AccountStore;
using Vx::Account::INVALID_ACCOUNT_ID;
using Vx::Base::String;
using Vx::Base::Collection::ArrayListT;

namespace {

class AccountStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/account-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        path_ = home_ + "/accounts.db";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    static Account MakeAccount(const String& user, const String& provider = L"a7qd02lm9x.OblinAccount") {
        Account account(AccountProvider(provider), user);
        account.SetExtendedData(Account::USER_ID_KEY, L"u-1");
        account.SetExtendedData(Account::MCC_KEY, L"450");
        account.SetExtendedData(Account::SERVER_URL_KEY, L"http://127.0.0.1:1/store");
        return account;
    }

    std::unique_ptr<ArrayListT<Account>> ReadAll() {
        return std::unique_ptr<ArrayListT<Account>>(AccountAccessor::GetInstance()->GetAllAccountsN());
    }

    std::string home_;
    std::string path_;
};

TEST_F(AccountStoreTest, NoStoreGivesEmptyListWithoutCreatingFile) {
    auto accounts = ReadAll();
    ASSERT_NE(accounts, nullptr);
    EXPECT_EQ(accounts->GetCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(AccountStoreTest, AddedAccountsReadBackInOrderWithExtendedData) {
    AccountStore store;
    ASSERT_EQ(store.Construct(), E_SUCCESS);
    Account first = MakeAccount(L"anna@example.com");
    first.SetExtendedData(L"note", L"Grüße, 世界");
    Account second = MakeAccount(L"bob@example.com", L"other.Provider");
    ASSERT_EQ(store.AddAccount(first), E_SUCCESS);
    ASSERT_EQ(store.AddAccount(second), E_SUCCESS);
    EXPECT_NE(first.GetId(), INVALID_ACCOUNT_ID);
    EXPECT_NE(first.GetId(), second.GetId());

    auto accounts = ReadAll();
    ASSERT_NE(accounts, nullptr);
    ASSERT_EQ(accounts->GetCount(), 2);
    EXPECT_EQ(accounts->At(0), first);
    EXPECT_EQ(accounts->At(0).GetExtendedData(L"note"), String(L"Grüße, 世界"));
    EXPECT_EQ(accounts->At(1).GetAccountProvider().GetAppId(), String(L"other.Provider"));
    EXPECT_EQ(accounts->At(1).GetUserName(), String(L"bob@example.com"));

    std::unique_ptr<ArrayListT<Account>> other(
        AccountAccessor::GetInstance()->GetAccountsByProviderN(L"other.Provider"));
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->GetCount(), 1);
    EXPECT_EQ(other->At(0).GetUserName(), String(L"bob@example.com"));
}

TEST_F(AccountStoreTest, SameUserAndProviderReplacesWholeAccount) {
    AccountStore store;
    ASSERT_EQ(store.Construct(path_), E_SUCCESS);
    Account account = MakeAccount(L"anna@example.com");
    account.SetExtendedData(L"stale", L"x");
    ASSERT_EQ(store.AddAccount(account), E_SUCCESS);
    Account again(AccountProvider(L"a7qd02lm9x.OblinAccount"), L"anna@example.com");
    again.SetExtendedData(Account::USER_ID_KEY, L"u-2");
    ASSERT_EQ(store.AddAccount(again), E_SUCCESS);

    std::unique_ptr<ArrayListT<Account>> accounts(store.GetAllAccountsN());
    ASSERT_NE(accounts, nullptr);
    ASSERT_EQ(accounts->GetCount(), 1);
    EXPECT_EQ(accounts->At(0).GetExtendedData(Account::USER_ID_KEY), String(L"u-2"));
    String ignored;
    EXPECT_EQ(accounts->At(0).GetExtendedData(L"stale", ignored), E_OBJ_NOT_FOUND);
}

TEST_F(AccountStoreTest, RemoveByUserNameProviderAndId) {
    AccountStore store;
    ASSERT_EQ(store.Construct(path_), E_SUCCESS);
    Account a = MakeAccount(L"anna@example.com");
    Account b = MakeAccount(L"anna@example.com", L"other.Provider");
    Account c = MakeAccount(L"carl@example.com");
    ASSERT_EQ(store.AddAccount(a), E_SUCCESS);
    ASSERT_EQ(store.AddAccount(b), E_SUCCESS);
    ASSERT_EQ(store.AddAccount(c), E_SUCCESS);

    EXPECT_EQ(store.RemoveAccount(L"anna@example.com", L"other.Provider"), E_SUCCESS);
    EXPECT_EQ(store.RemoveAccount(L"anna@example.com", L"other.Provider"), E_OBJ_NOT_FOUND);
    EXPECT_EQ(store.RemoveAccount(c.GetId()), E_SUCCESS);
    EXPECT_EQ(store.RemoveAccount(c.GetId()), E_OBJ_NOT_FOUND);
    EXPECT_EQ(store.RemoveAccount(L""), E_INVALID_ARG);
    EXPECT_EQ(store.RemoveAccount(L"anna@example.com"), E_SUCCESS);

    auto accounts = ReadAll();
    ASSERT_NE(accounts, nullptr);
    EXPECT_EQ(accounts->GetCount(), 0);
}

TEST_F(AccountStoreTest, RefusesIncompleteAccountsAndSecondConstruct) {
    AccountStore store;
    EXPECT_EQ(store.AddAccount(*std::make_unique<Account>()), E_INVALID_STATE);
    ASSERT_EQ(store.Construct(path_), E_SUCCESS);
    EXPECT_EQ(store.Construct(path_), E_INVALID_STATE);
    Account noUser(AccountProvider(L"p"), L"");
    Account noProvider(AccountProvider(L""), L"user");
    EXPECT_EQ(store.AddAccount(noUser), E_INVALID_ARG);
    EXPECT_EQ(store.AddAccount(noProvider), E_INVALID_ARG);
}

TEST_F(AccountStoreTest, UnreadableStoreIsReportedNotTreatedAsEmpty) {
    {
        std::ofstream garbage(path_, std::ios::binary);
        garbage << std::string(4096, 'x');
    }
    EXPECT_EQ(ReadAll(), nullptr);
    AccountStore store;
    EXPECT_EQ(store.Construct(path_), E_INVALID_FORMAT);
    // The file someone else owns is left as it was.
    EXPECT_EQ(std::filesystem::file_size(path_), 4096u);
}

TEST_F(AccountStoreTest, DirectoryInPlaceOfStoreFailsCleanly) {
    std::filesystem::create_directory(path_);
    EXPECT_EQ(ReadAll(), nullptr);
    AccountStore store;
    EXPECT_NE(store.Construct(path_), E_SUCCESS);
    Account account = MakeAccount(L"anna@example.com");
    EXPECT_EQ(store.AddAccount(account), E_INVALID_STATE);
}

TEST_F(AccountStoreTest, FullStoreRefusesTheWriteAndKeepsWhatItHad) {
    AccountStore store;
    ASSERT_EQ(store.Construct(path_), E_SUCCESS);
    Account kept = MakeAccount(L"anna@example.com");
    ASSERT_EQ(store.AddAccount(kept), E_SUCCESS);
    ASSERT_EQ(store.SetMaxSize(static_cast<long long>(std::filesystem::file_size(path_))), E_SUCCESS);
    Account big = MakeAccount(L"bob@example.com");
    big.SetExtendedData(L"blob", String(std::wstring(200000, L'x')));
    EXPECT_EQ(store.AddAccount(big), Vx::E_STORAGE_FULL);
    // Replacing an account is one step: a failed replacement leaves the old one.
    Account replacement = MakeAccount(L"anna@example.com");
    replacement.SetExtendedData(L"blob", String(std::wstring(200000, L'y')));
    EXPECT_EQ(store.AddAccount(replacement), Vx::E_STORAGE_FULL);

    auto accounts = ReadAll();
    ASSERT_NE(accounts, nullptr);
    ASSERT_EQ(accounts->GetCount(), 1);
    EXPECT_EQ(accounts->At(0), kept);
    EXPECT_EQ(store.SetMaxSize(0), E_INVALID_ARG);
}

TEST_F(AccountStoreTest, ReadOnlyStoreNeverWrites) {
    AccountStore reader;
    EXPECT_EQ(reader.Construct(path_, AccountStore::OpenMode::ReadOnly), E_OBJ_NOT_FOUND);
    {
        AccountStore writer;
        ASSERT_EQ(writer.Construct(path_), E_SUCCESS);
        Account account = MakeAccount(L"anna@example.com");
        ASSERT_EQ(writer.AddAccount(account), E_SUCCESS);
    }
    AccountStore readOnly;
    ASSERT_EQ(readOnly.Construct(path_, AccountStore::OpenMode::ReadOnly), E_SUCCESS);
    Account another = MakeAccount(L"bob@example.com");
    EXPECT_NE(readOnly.AddAccount(another), E_SUCCESS);
    std::unique_ptr<ArrayListT<Account>> accounts(readOnly.GetAllAccountsN());
    ASSERT_NE(accounts, nullptr);
    EXPECT_EQ(accounts->GetCount(), 1);
}

TEST(AccountTest, ExtendedDataReplacesAndCopiesIntoOwnedMap) {
    Account account(AccountProvider(L"p"), L"u");
    EXPECT_EQ(account.SetExtendedData(L"", L"v"), E_INVALID_ARG);
    EXPECT_EQ(account.SetExtendedData(L"k", L"1"), E_SUCCESS);
    EXPECT_EQ(account.SetExtendedData(L"k", L"2"), E_SUCCESS);
    EXPECT_EQ(account.GetExtendedDataEntries().size(), 1u);
    std::unique_ptr<Vx::Base::Collection::HashMap> map(account.GetExtendedDataN());
    ASSERT_NE(map, nullptr);
    const auto* value = dynamic_cast<const String*>(map->GetValue(String(L"k")));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, String(L"2"));
}

}  // namespace
