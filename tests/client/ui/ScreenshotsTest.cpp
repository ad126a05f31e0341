// The pictures of buyclient's popups, messages, help scene, purchase screen
// and card registration screen, drawn by iap-client-screens, against the
// committed reference pictures. Small differences (anti-aliasing, a cursor)
// are tolerated; a moved or resized element is not. On a mismatch the actual
// picture and a difference picture are written to
// build/tests/screenshots-failed/ for a look.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kPictures[] = {"login-confirm", "cvc",         "waiting",       "question",
                                 "web",           "timed-error", "timed-message", "security-code-help",
                                 "card-register", "purchase"};

// A pixel counts as different when one channel differs by more than this.
constexpr int kChannelTolerance = 40;
// A picture fails when more than this share of its pixels differ.
constexpr double kPixelShare = 0.005;

struct Comparison {
    bool sameSize = false;
    long differing = 0;
    long total = 0;
    QImage diff;
};

Comparison Compare(const QImage& expected, const QImage& actual) {
    Comparison c;
    c.sameSize = expected.size() == actual.size();
    if (!c.sameSize) return c;
    const QImage a = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage b = actual.convertToFormat(QImage::Format_ARGB32);
    c.diff = QImage(a.size(), QImage::Format_ARGB32);
    c.total = static_cast<long>(a.width()) * a.height();
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p(a.pixel(x, y));
            const QColor q(b.pixel(x, y));
            const int delta =
                std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
            const bool off = delta > kChannelTolerance;
            c.differing += off;
            c.diff.setPixel(x, y,
                            off ? qRgb(255, 0, 0) : qRgb(p.red() / 4 + 191, p.green() / 4 + 191, p.blue() / 4 + 191));
        }
    }
    return c;
}

bool IsBorderGrey(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return false;
    const QColor c(image.pixel(x, y));
    auto near = [](int v) { return std::abs(v - 120) <= 30; };
    return near(c.red()) && near(c.green()) && near(c.blue());
}

// Follows a popup's grey border from its top left corner: the frame is closed
// when both sides run down to the same bottom line and that line runs across.
// Content laid over the border (an opaque box too wide) breaks a side.
::testing::AssertionResult HasClosedBorder(const QImage& image) {
    int left = -1;
    int top = -1;
    for (int y = 0; y < image.height() && left < 0; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsBorderGrey(image, x, y)) {
                left = x;
                top = y;
                break;
            }
        }
    }
    if (left < 0) return ::testing::AssertionFailure() << "no border found";
    int right = left;
    while (IsBorderGrey(image, right + 1, top))
        ++right;
    auto runDown = [&](int x) {
        int y = top;
        while (IsBorderGrey(image, x, y + 1))
            ++y;
        return y;
    };
    const int leftBottom = runDown(left);
    const int rightBottom = runDown(right);
    if (right - left < 100 || leftBottom != rightBottom)
        return ::testing::AssertionFailure() << "the sides from (" << left << "," << top << ") and (" << right << ","
                                             << top << ") end at rows " << leftBottom << " and " << rightBottom;
    for (int x = left; x <= right; ++x) {
        if (!IsBorderGrey(image, x, leftBottom) && !IsBorderGrey(image, x, leftBottom - 1))
            return ::testing::AssertionFailure() << "the bottom line is broken at (" << x << "," << leftBottom << ")";
    }
    return ::testing::AssertionSuccess();
}

class ScreenshotsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // One folder per run: ctest may run cases of this suite side by side.
        actualDir_ =
            fs::path(IAP_BIN_DIR).parent_path() / "tests" / ("screenshots-actual-" + std::to_string(::getpid()));
        fs::remove_all(actualDir_);
        const std::string command = "ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen '" +
                                    std::string(IAP_BIN_DIR) + "/iap-client-screens' '" + actualDir_.string() + "'";
        toolStatus_ = std::system(command.c_str());
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(actualDir_, ignored);
    }

    static fs::path actualDir_;
    static int toolStatus_;
};

fs::path ScreenshotsTest::actualDir_;
int ScreenshotsTest::toolStatus_ = -1;

TEST_F(ScreenshotsTest, EveryPictureIsDrawnAndMatchesItsReference) {
    ASSERT_TRUE(WIFEXITED(toolStatus_));
    EXPECT_EQ(0, WEXITSTATUS(toolStatus_));
    for (const char* name : kPictures) {
        QImage image(QString::fromStdString((actualDir_ / (std::string(name) + ".png")).string()));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(720, image.width()) << name << ": drawn on the 720-pixel-wide screen";
    }

    const fs::path references = fs::path(IAP_SOURCE_DIR) / "tests" / "client" / "ui" / "reference";
    const fs::path failed = fs::path(IAP_BIN_DIR).parent_path() / "tests" / "screenshots-failed";
    for (const char* name : kPictures) {
        SCOPED_TRACE(name);
        const std::string file = std::string(name) + ".png";
        QImage expected(QString::fromStdString((references / file).string()));
        QImage actual(QString::fromStdString((actualDir_ / file).string()));
        ASSERT_FALSE(expected.isNull()) << "no reference " << (references / file)
                                        << " (copy it from build/screenshots after a look)";
        ASSERT_FALSE(actual.isNull());
        const Comparison c = Compare(expected, actual);
        const bool ok = c.sameSize && c.differing <= static_cast<long>(kPixelShare * c.total);
        if (!ok) {
            fs::create_directories(failed);
            actual.save(QString::fromStdString((failed / (std::string(name) + ".actual.png")).string()));
            if (c.sameSize) c.diff.save(QString::fromStdString((failed / (std::string(name) + ".diff.png")).string()));
        }
        EXPECT_TRUE(c.sameSize) << expected.width() << "x" << expected.height() << " expected, " << actual.width()
                                << "x" << actual.height() << " drawn; see " << failed;
        EXPECT_LE(c.differing, static_cast<long>(kPixelShare * c.total))
            << c.differing << " of " << c.total << " pixels differ; see " << failed;
    }
}

TEST_F(ScreenshotsTest, PopupContentStaysInsideTheBorder) {
    ASSERT_TRUE(WIFEXITED(toolStatus_));
    for (const char* name : {"login-confirm", "cvc", "question", "timed-error", "timed-message"}) {
        SCOPED_TRACE(name);
        QImage image(QString::fromStdString((actualDir_ / (std::string(name) + ".png")).string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(HasClosedBorder(image));
    }
}

}  // namespace
