// iap-bench-chart reads the benchmarks' whole output and draws only the
// figure lines; bad lines must not break the chart or reach it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class BenchChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/bench-chart-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    int Run(const std::string& input, std::string& svg) {
        std::ofstream(dir_ + "/in.txt") << input;
        std::string command = std::string(IAP_BIN_DIR) + "/iap-bench-chart -o " + dir_ + "/out.svg " + dir_ +
                              "/in.txt 2>" + dir_ + "/err.txt";
        int status = std::system(command.c_str());
        std::ifstream out(dir_ + "/out.svg");
        std::stringstream text;
        text << out.rdbuf();
        svg = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir_;
};

TEST_F(BenchChartTest, DrawsOnlyWellFormedFigureLinesAmongTheBenchmarkOutput) {
    std::string svg;
    ASSERT_EQ(Run("== bench_protocol\nBM_Parse/100  0.3 ms\n"
                  "FIGURE\tparse <1,000> & convert\t3.0\t2.0\tms\t1.5\n"
                  "FIGURE\tbroken\tabc\t2.0\tms\t1.5\n"
                  "FIGURE\ttoo\tfew\n"
                  "FIGURE\tcold list request\t40\t30\tms\t1.5\n",
                  svg),
              0);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("parse &lt;1,000&gt; &amp; convert"), std::string::npos);
    EXPECT_NE(svg.find("1.50x (goal 1.50x)"), std::string::npos);
    EXPECT_NE(svg.find("1.33x (goal 1.50x)"), std::string::npos);
    EXPECT_EQ(svg.find("broken"), std::string::npos);
    EXPECT_EQ(svg.find("too"), std::string::npos);
}

TEST_F(BenchChartTest, NoFigureIsAFailureThatSaysWhatToRun) {
    std::string svg;
    EXPECT_EQ(Run("nothing measured\n", svg), 1);
    std::ifstream err(dir_ + "/err.txt");
    std::stringstream text;
    text << err.rdbuf();
    EXPECT_NE(text.str().find("make bench"), std::string::npos);
}

}  // namespace
