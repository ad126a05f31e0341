// Filling display texts: translated texts may carry any placeholders.
#include "client/IapTextFormatter.h"

#include <gtest/gtest.h>

using namespace Vx;
using Vx::Base::String;

namespace {

struct Row {
    const wchar_t* format;
    std::initializer_list<IapTextFormatter::Argument> args;
    const wchar_t* expected;
    result status;
};

TEST(IapTextFormatterTest, PlaceholdersTakeTheirArgumentsInOrderOrByPosition) {
    const Row rows[] = {
        {L"Not for anyone under %d.", {19}, L"Not for anyone under 19.", E_SUCCESS},
        {L"%s costs %s.", {L"Gem", L"$1.50"}, L"Gem costs $1.50.", E_SUCCESS},
        {L"%2$s for %1$s", {L"Gem", L"$1.50"}, L"$1.50 for Gem", E_SUCCESS},
        {L"100%% sure, %s", {L"Anna"}, L"100% sure, Anna", E_SUCCESS},
        {L"no placeholders", {L"left", 7}, L"no placeholders", E_SUCCESS},
        {L"%d%d", {-5, 12}, L"-512", E_SUCCESS},
        {L"", {}, L"", E_SUCCESS},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(String(row.format).ToUtf8());
        String out;
        EXPECT_EQ(row.status, IapTextFormatter::Format(String(row.format), row.args, 255, out));
        EXPECT_EQ(String(row.expected), out);
    }
}

// The wrong placeholders are shown unfilled; nothing past the arguments is read.
TEST(IapTextFormatterTest, WrongPlaceholdersAreLeftAsTheyStand) {
    const Row rows[] = {
        {L"under %d", {}, L"under %d", E_INVALID_FORMAT},                            // no argument
        {L"%s and %s", {L"one"}, L"one and %s", E_INVALID_FORMAT},                   // too few
        {L"under %d", {L"nineteen"}, L"under %d", E_INVALID_FORMAT},                 // text for a number
        {L"name %s", {19}, L"name %s", E_INVALID_FORMAT},                            // number for a text
        {L"%n %x %p %ls", {L"a", 1}, L"%n %x %p %ls", E_INVALID_FORMAT},             // not ours
        {L"%3$s", {L"a", L"b"}, L"%3$s", E_INVALID_FORMAT},                          // no third
        {L"%0$s %99999999999$s", {L"a"}, L"%0$s %99999999999$s", E_INVALID_FORMAT},  // no such position
        {L"ends in %", {L"a"}, L"ends in %", E_INVALID_FORMAT},
        {L"%1$", {L"a"}, L"%1$", E_INVALID_FORMAT},
        {L"%s %d %s", {L"a", L"b", L"c"}, L"a %d b", E_INVALID_FORMAT},  // the number is skipped, not guessed
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(String(row.format).ToUtf8());
        String out;
        EXPECT_EQ(row.status, IapTextFormatter::Format(String(row.format), row.args, 255, out));
        EXPECT_EQ(String(row.expected), out);
    }
}

TEST(IapTextFormatterTest, ResultIsCutToTheLimit) {
    String out;
    EXPECT_EQ(E_SUCCESS, IapTextFormatter::Format(String(L"%s!"), {String(std::wstring(300, L'x'))}, 255, out));
    EXPECT_EQ(255, out.GetLength());
    EXPECT_EQ(E_SUCCESS, IapTextFormatter::Format(String(L"abc"), {}, 0, out));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(E_INVALID_ARG, IapTextFormatter::Format(String(L"abc"), {}, -1, out));
}

}  // namespace
