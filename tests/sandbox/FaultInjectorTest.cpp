#include "sandbox/FaultInjector.h"

#include <gtest/gtest.h>

using Sandbox::FaultAction;
using Sandbox::FaultInjector;
using Sandbox::FaultKind;
using Sandbox::FaultRule;

namespace {

FaultRule Rule(const std::string& text) {
    FaultRule rule;
    std::string error;
    EXPECT_TRUE(FaultRule::Parse(text, rule, error)) << text << ": " << error;
    return rule;
}

}  // namespace

TEST(FaultRule, ParsesEveryKindByNameOrId) {
    FaultRule rule = Rule("getAppsItemList:error=9105");
    EXPECT_EQ(rule.functionId, 6005);
    EXPECT_EQ(rule.kind, FaultKind::ServerError);
    EXPECT_EQ(rule.value, 9105);
    EXPECT_EQ(rule.remaining, -1);

    rule = Rule("6003:status=404:2");
    EXPECT_EQ(rule.functionId, 6003);
    EXPECT_EQ(rule.kind, FaultKind::HttpStatus);
    EXPECT_EQ(rule.value, 404);
    EXPECT_EQ(rule.remaining, 2);

    EXPECT_EQ(Rule("checkPassword:status").value, 500);
    EXPECT_EQ(Rule("*:delay=250").kind, FaultKind::Delay);
    EXPECT_EQ(Rule("download:drop").kind, FaultKind::Drop);
    EXPECT_EQ(Rule("countrySearch:malformed:1").kind, FaultKind::Malformed);
}

TEST(FaultRule, DescribeGivesBackTheSpec) {
    for (const char* text : {"getAppsItemList:error=9105", "checkAppUpgrade:status=500:3", "*:delay=100",
                             "download:drop:1", "getCountryList:malformed"})
        EXPECT_EQ(Rule(text).Describe(), text);
}

TEST(FaultRule, RefusesBadSpecsWithAReason) {
    const char* bad[] = {
        "",                            // nothing
        "getAppsItemList",             // no kind
        ":drop",                       // no target
        "noSuchFunction:drop",         // unknown function
        "9999:drop",                   // unknown id
        "getAppsItemList:explode",     // unknown kind
        "getAppsItemList:error",       // error needs a code
        "getAppsItemList:error=abc",   // not a number
        "getAppsItemList:delay",       // delay needs ms
        "getAppsItemList:delay=-5",    // negative delay
        "getAppsItemList:drop=1",      // drop takes no value
        "getAppsItemList:status=200",  // not a failure
        "getAppsItemList:status=999",  // not an HTTP status
        "getAppsItemList:drop:0",      // count must be positive
        "getAppsItemList:drop:x",      // count must be a number
        "download:error=9000",         // downloads have no error code
    };
    for (const char* text : bad) {
        FaultRule rule;
        std::string error;
        EXPECT_FALSE(FaultRule::Parse(text, rule, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(FaultInjector, CountedRuleAppliesOnlyToTheNextRequests) {
    FaultInjector faults;
    faults.Add(Rule("getAppsItemList:error=9105:2"));
    EXPECT_FALSE(faults.Take(6003, false).fault);
    EXPECT_TRUE(faults.Take(6005, false).fault);
    EXPECT_TRUE(faults.Take(6005, false).fault);
    EXPECT_FALSE(faults.Take(6005, false).fault);
    EXPECT_TRUE(faults.Rules().empty());
}

TEST(FaultInjector, DelaysAddUpAndDoNotHideAnotherFault) {
    FaultInjector faults;
    faults.Add(Rule("*:delay=100"));
    faults.Add(Rule("getAppsItemList:delay=50:1"));
    faults.Add(Rule("getAppsItemList:status=503"));
    faults.Add(Rule("getAppsItemList:drop"));
    FaultAction action = faults.Take(6005, false);
    EXPECT_EQ(action.delayMs, 150);
    ASSERT_TRUE(action.fault);
    EXPECT_EQ(action.fault->kind, FaultKind::HttpStatus);  // the first matching rule wins
    action = faults.Take(6005, false);
    EXPECT_EQ(action.delayMs, 100);
}

TEST(FaultInjector, WildcardSparesDownloadsAndDownloadRuleSparesFunctions) {
    FaultInjector faults;
    faults.Add(Rule("*:status=500"));
    EXPECT_FALSE(faults.Take(0, true).fault);
    EXPECT_TRUE(faults.Take(0, false).fault);  // even an unparsable request
    faults.Clear();
    faults.Add(Rule("download:malformed"));
    EXPECT_FALSE(faults.Take(6005, false).fault);
    EXPECT_TRUE(faults.Take(0, true).fault);
}

TEST(FaultInjector, ClearTargetMatchesNameAndIdAlike) {
    FaultInjector faults;
    faults.Add(Rule("getAppsItemList:drop"));
    faults.Add(Rule("6005:status=500"));
    faults.Add(Rule("checkPassword:drop"));
    EXPECT_EQ(faults.ClearTarget("6005"), 2);
    ASSERT_EQ(faults.Rules().size(), 1u);
    EXPECT_EQ(faults.Rules()[0].target, "checkPassword");
}

TEST(FaultRule, AfterCommitKindsParseAndDescribe) {
    EXPECT_EQ(Rule("easybuyPurchaseItem:drop-after-commit:1").kind, FaultKind::DropAfterCommit);
    EXPECT_EQ(Rule("6001:error-after-commit=9219").value, 9219);
    EXPECT_EQ(Rule("6001:status-after-commit").value, 500);
    EXPECT_EQ(Rule("6001:delay-after-commit=300:2").Describe(), "6001:delay-after-commit=300:2");
    FaultRule rule;
    std::string error;
    EXPECT_FALSE(FaultRule::Parse("download:drop-after-commit", rule, error));
    EXPECT_FALSE(FaultRule::Parse("6001:error-after-commit", rule, error));
    EXPECT_FALSE(FaultRule::Parse("6001:drop-after-commit=1", rule, error));
}

TEST(FaultInjector, AfterCommitRulesApplyOnlyWhenNothingStopsTheRequestBefore) {
    FaultInjector faults;
    faults.Add(Rule("6001:drop-after-commit:1"));
    faults.Add(Rule("6001:delay-after-commit=100:1"));
    faults.Add(Rule("6001:error=9001:1"));
    FaultAction action = faults.Take(6001, false);
    ASSERT_TRUE(action.fault);
    EXPECT_FALSE(action.afterCommit);
    EXPECT_EQ(action.delayAfterCommitMs, 0);
    action = faults.Take(6001, false);
    EXPECT_FALSE(action.fault);
    ASSERT_TRUE(action.afterCommit);
    EXPECT_EQ(action.afterCommit->kind, FaultKind::DropAfterCommit);
    EXPECT_EQ(action.delayAfterCommitMs, 100);
    EXPECT_TRUE(faults.Rules().empty());
    EXPECT_FALSE(faults.Take(6005, false).afterCommit);
}
