// What a program does with its command line before it runs as an application.
#include "platform/app/AppCommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/String.h"

using Vx::App::AppCommandLine;
using namespace Vx;

namespace {

// Check's status with what it wrote to standard output and error.
struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

std::string ReadAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text.push_back(static_cast<char>(c));
    return text;
}

Outcome Check(std::vector<const char*> argv) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome outcome;
    outcome.status = AppCommandLine::Check(static_cast<int>(argv.size()), argv.data(), "HELP TEXT\n", out, err);
    outcome.out = ReadAll(out);
    outcome.err = ReadAll(err);
    std::fclose(out);
    std::fclose(err);
    return outcome;
}

TEST(AppCommandLineTest, HelpWinsAnythingElseIsRefusedAndOnlyTheBareNameRuns) {
    for (const char* help : {"--help", "-h"}) {
        const Outcome asked = Check({"/opt/bin/buyservice", "--bogus", help});
        EXPECT_EQ(0, asked.status) << help;
        EXPECT_EQ("HELP TEXT\n", asked.out);
        EXPECT_EQ("", asked.err);
    }

    const Outcome option = Check({"/opt/bin/buyservice", "--bogus", "more"});
    EXPECT_EQ(AppCommandLine::kUsageError, option.status);
    EXPECT_EQ("", option.out);
    EXPECT_EQ("buyservice: unknown option '--bogus'; try --help\n", option.err);
    const Outcome word = Check({"buyclient", "now"});
    EXPECT_EQ(AppCommandLine::kUsageError, word.status);
    EXPECT_EQ("buyclient: unexpected argument 'now'; try --help\n", word.err);
    // "--help=x" or "-help" is not the help: refused rather than guessed.
    EXPECT_EQ(AppCommandLine::kUsageError, Check({"buyclient", "--help=x"}).status);
    EXPECT_EQ(AppCommandLine::kUsageError, Check({"buyclient", ""}).status);

    const Outcome bare = Check({"/opt/bin/buyservice"});
    EXPECT_EQ(AppCommandLine::kRun, bare.status);
    EXPECT_EQ("", bare.out + bare.err);
    EXPECT_EQ(AppCommandLine::kRun, AppCommandLine::Check(0, nullptr, "x", nullptr, nullptr));
    EXPECT_EQ(AppCommandLine::kUsageError,
              AppCommandLine::Check(2, std::vector<const char*>{"p", "-x"}.data(), "x", nullptr, nullptr));
}

TEST(AppCommandLineTest, CollectKeepsEveryArgumentAsAnOwnedStringAndRefusesNonsense) {
    const std::vector<const char*> argv{"buyclient", "", "caf\xc3\xa9"};
    Base::Collection::ArrayList arguments(Base::Collection::ElementOwnership::Owned);
    ASSERT_EQ(E_SUCCESS, AppCommandLine::Collect(3, argv.data(), arguments));
    ASSERT_EQ(3, arguments.GetCount());
    EXPECT_EQ(Base::String(L"buyclient"), *dynamic_cast<const Base::String*>(arguments.GetAt(0)));
    EXPECT_TRUE(dynamic_cast<const Base::String*>(arguments.GetAt(1))->IsEmpty());
    EXPECT_EQ(Base::String(L"caf\u00e9"), *dynamic_cast<const Base::String*>(arguments.GetAt(2)));

    Base::Collection::ArrayList none(Base::Collection::ElementOwnership::Owned);
    EXPECT_EQ(E_INVALID_ARG, AppCommandLine::Collect(-1, argv.data(), none));
    EXPECT_EQ(E_INVALID_ARG, AppCommandLine::Collect(1, nullptr, none));
    EXPECT_EQ(E_SUCCESS, AppCommandLine::Collect(0, nullptr, none));
    EXPECT_EQ(0, none.GetCount());
}

}  // namespace
